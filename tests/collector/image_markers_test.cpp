#include "collector/image_markers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "collector/content_cleaning.h"

namespace {

using collector::ImageFileName;
using collector::ImageMarker;
using collector::ImageSources;
using collector::LocaliseImageRefs;
using collector::ProtectImages;
using collector::RestoreImages;

TEST(ImageMarkers, MarkersAreLettersDistinctAndNoneBeginsAnother) {
  EXPECT_EQ(ImageMarker(1), "jbclsa");
  EXPECT_EQ(ImageMarker(10), "jbclsj");
  EXPECT_EQ(ImageMarker(11), "jbclskbbk");
  EXPECT_EQ(ImageMarker(105), "jbclskbafk");
  std::set<std::string> seen;
  for (int n = 1; n <= 1200; ++n) {
    const std::string marker = ImageMarker(n);
    for (char c : marker) ASSERT_TRUE(c >= 'a' && c <= 'z') << marker;
    ASSERT_TRUE(seen.insert(marker).second) << marker;
  }
  for (const std::string& a : seen) {
    for (const std::string& b : seen) {
      if (a != b) ASSERT_NE(b.compare(0, a.size(), a), 0) << a << " begins " << b;
    }
  }
}

TEST(ImageMarkers, ProtectAndRestoreRoundTripThroughTheCleaning) {
  std::string html;
  for (int i = 1; i <= 12; ++i) {
    html += "<p><img class=\"pic\" src=\"http://h/" + std::to_string(i) + ".jpg\" width=1>第" +
            std::to_string(i) + "段</p>";
  }
  ImageSources sources;
  const std::string cleaned =
      collector::CleanHtml(ProtectImages(collector::ReplaceParagraphEnds(collector::StripParagraphTags(html)), sources), ::sources::Classic().cleaning);
  ASSERT_EQ(sources.size(), 12u);
  EXPECT_EQ(sources[11], "http://h/12.jpg");
  const std::string restored = RestoreImages(cleaned, sources);
  std::string want;
  for (int i = 1; i <= 12; ++i) {
    if (i > 1) want += "\r\n";
    want += "<img src=\"http://h/" + std::to_string(i) + ".jpg\">第" + std::to_string(i) + "段";
  }
  EXPECT_EQ(restored, want);
  EXPECT_TRUE(sources.empty());
}

TEST(ImageMarkers, ProtectingFollowsTheTagsAsWritten) {
  const struct {
    std::string body;
    std::string protectedBody;
    ImageSources sources;
    std::string restored;
  } rows[] = {
      {"no images", "no images", {}, "no images"},
      {"<img src='x.jpg'>", "jbclsa", {""}, "<img src=\"\">"},
      {"<IMG src=\"x.jpg\">", "<IMG src=\"x.jpg\">", {}, "<IMG src=\"x.jpg\">"},
      {"<img src=\"a\">1<img src=\"a\">2", "jbclsa1jbclsa2", {"a", "a"}, "<img src=\"a\">1<img src=\"a\">2"},
      {"<img src=\"a\"><img src=\"b\"><img src=\"a\">", "jbclsajbclsbjbclsa", {"a", "b", "a"},
       "<img src=\"a\"><img src=\"b\"><img src=\"a\">"},
      // a lazy picture's placeholder gives way to its data-src
      {"<img src=\"data:image/gif;base64,R0=\" data-src=\"//h/a.jpg\">", "jbclsa", {"//h/a.jpg"},
       "<img src=\"//h/a.jpg\">"},
      {"<img src=\"data:image/png;base64,iV=\">", "jbclsa", {"data:image/png;base64,iV="},
       "<img src=\"data:image/png;base64,iV=\">"},
      // an address holding a later marker's letters is put back intact
      {"<img src=\"/jbclsb.jpg\"><img src=\"/b.jpg\">", "jbclsajbclsb", {"/jbclsb.jpg", "/b.jpg"},
       "<img src=\"/jbclsb.jpg\"><img src=\"/b.jpg\">"},
  };
  for (const auto& row : rows) {
    ImageSources sources{"left over"};
    const std::string protectedBody = ProtectImages(row.body, sources);
    EXPECT_EQ(protectedBody, row.protectedBody) << row.body;
    EXPECT_EQ(sources, row.sources) << row.body;
    EXPECT_EQ(RestoreImages(protectedBody, sources), row.restored) << row.body;
    EXPECT_TRUE(sources.empty());
  }
}

TEST(ImageFileName, NamesAreLegalOnWindowsAndLegalNamesStayAsTheyAre) {
  const struct {
    std::string address;
    std::string name;
  } rows[] = {
      {"http://h/a/b.jpg", "b.jpg"},
      {"http://h/中文.jpg", "中文.jpg"},
      {"http://h/\x81\x5C\x81\x7C.png", "\x81\x5C\x81\x7C.png"},  // second bytes "\" and "|"
      {"http://h/a.jpg?x=1&y=2", "a.jpg_x=1&y=2"},
      {"http://h/..\\..\\evil.jpg", ".._.._evil.jpg"},
      {"http://h/a:b*c\"d<e>f|g", "a_b_c_d_e_f_g"},
      {"http://h/a\x01\x1F.jpg", "a__.jpg"},
      {"http://h/a.jpg. . ", "a.jpg"},
      {"http://h/..", ""},
      {"http://h/", ""},
      {"no slash", ""},
      {"http://h/CON", "_CON"},
      {"http://h/con.jpg", "_con.jpg"},
      {"http://h/nul .txt", "_nul .txt"},
      {"http://h/COM1.png", "_COM1.png"},
      {"http://h/lpt9", "_lpt9"},
      {"http://h/COM10.png", "COM10.png"},
      {"http://h/CONSOLE.png", "CONSOLE.png"},
      {"http://h/.hidden", ".hidden"},
      {"http://h/\x80?\xFF|\x81:.jpg", "\x80_\xFF_\x81_.jpg"},  // no pair, no second byte
  };
  for (const auto& row : rows) EXPECT_EQ(ImageFileName(row.address), row.name) << row.address;
}

TEST(LocaliseImageRefs, EveryTagPointsAtItsLocalCopy) {
  const struct {
    std::string body;
    std::string localised;
  } rows[] = {
      {"<img src=\"http://a/x/p.jpg\">t<img src=\"http://b/y/p.jpg\">",
       "<img src=\"/pic/p.jpg\">t<img src=\"/pic/p.jpg\">"},
      {"<img src=\"http://a/q.jpg?w=1\">", "<img src=\"/pic/q.jpg_w=1\">"},
      {"<IMG SRC=\"http://a/u.jpg\">", "<img src=\"/pic/\">"},
      {"<img src=\"http://a/1.jpg\">\r\n<img src=\"http://a/1.jpg\">",
       "<img src=\"/pic/1.jpg\">\r\n<img src=\"/pic/1.jpg\">"},
      {"text only", "text only"},
  };
  for (const auto& row : rows) EXPECT_EQ(LocaliseImageRefs(row.body), row.localised) << row.body;
}

}  // namespace
