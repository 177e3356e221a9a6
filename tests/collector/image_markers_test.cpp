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
      // read by attribute name: any quoting, and never inside another name
      {"<img src='x.jpg'>", "jbclsa", {"x.jpg"}, "<img src=\"x.jpg\">"},
      {"<img data-src=\"/lazy.jpg\" src=\"/real.jpg\">", "jbclsa", {"/real.jpg"}, "<img src=\"/real.jpg\">"},
      {"<img alt=\"src=&quot;x\" src=/u.jpg>", "jbclsa", {"/u.jpg"}, "<img src=\"/u.jpg\">"},
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

namespace {

using collector::PictureRules;

// Ciphertexts of real picture addresses under the news site's published key,
// made with `openssl enc -aes-128-ecb -K <hex of www.sohu.com6666> -base64 -A`.
const char kSohuMay2024[] =
    "wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHGU=";
const char kSohuDec2024[] =
    "J3kI4JuPBpRGkXtqFJaxCcmJ5ULT+qz1crB9Zo+mUNOtI0D6OgIkenJudCZlTxWko8HJ0tCQdtAj4EpVAvg47zPOBazpWLwsK1Y1cU/IpqE=";

TEST(ImageMarkers, TodaysTagsAreReadByAttributeAndEncryptedAddressesDecrypted) {
  const std::string key = "www.sohu.com6666";
  const struct {
    std::string tag;
    std::string key;
    std::string address;  // recorded; "-" when the tag is left out
  } rows[] = {
      // sohu as served: no src, the address encrypted in data-src
      {std::string("<img max-width=\"600\" data-src=\"") + kSohuMay2024 + "\">", key,
       "//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg"},
      {std::string("<img data-src=\"") + kSohuDec2024 + "\" max-width=\"600\">", key,
       "https://q2.itc.cn/q_70/images03/20241203/1a2b3c4d5e6f40718293a4b5c6d7e8f9.jpeg"},
      // sohu's plain form, also without src
      {"<img max-width=\"600\" data-src=\"//p9.itc.cn/q_70/images03/20240104/9a3f.jpeg\">", key,
       "//p9.itc.cn/q_70/images03/20240104/9a3f.jpeg"},
      // the browser-saved sohu page: the script already wrote src
      {"<img max-width=\"600\" src=\"//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg\">",
       key, "//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg"},
      // 163's wrapper, its &amp; read as &
      {"<img src=\"https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2F2024%2F0513%2Fd1ef0e65j00sdegbm000yd000be008jg.jpg&amp;thumbnail=660x2147483647&amp;quality=80&amp;type=jpg\">",
       "",
       "https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2F2024%2F0513%2Fd1ef0e65j00sdegbm000yd000be008jg.jpg&thumbnail=660x2147483647&quality=80&type=jpg"},
      // Tencent's, with "transparent" in its style but not in its address
      {"<img class=\"qnt-img-img\" src=\"https://inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641\" alt=\"图片\" style=\"background-color: transparent; cursor: zoom-in;\">",
       "", "https://inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641"},
      // placeholders and data: URIs give way to the lazy attributes
      {"<img src=\"data:image/png;base64,iVBORw0KGgo=\" data-original=\"//img.test/o.png\">", key, "//img.test/o.png"},
      {"<img src=\"/static/blank.gif\" data-lazy-src=\"/l.jpg\">", "", "/l.jpg"},
      {"<img alt=\"Scan me!\" src=\"data:image/png;base64,iVBORw0KGgo=\">", key, ""},
      {"<img src=\"\" style=\"width:1px !important;height:1px !important;\">", key, ""},
      // a ciphertext that decrypts to no address, or does not decrypt: left out
      {"<img data-src=\"hldJ7vdBu+54WnSeit9NZQ==\">", key, "-"},
      {std::string("<img data-src=\"") + kSohuMay2024 + "\">", "0123456789abcdef", "-"},
      // without a key the value is taken as it stands
      {std::string("<img data-src=\"") + kSohuMay2024 + "\">", "", kSohuMay2024},
      // paths that only look like base64 in part are addresses
      {"<img data-src=\"/upload/2024/a\">", key, "/upload/2024/a"},
      {"<img data-src=\"pic/1.jpg\">", key, "pic/1.jpg"},
      // a quote that a character reference put into the address cannot end the tag
      {"<img src=\"/a&quot;b.jpg\">", key, "/a%22b.jpg"},
  };
  for (const auto& row : rows) {
    ImageSources sources;
    PictureRules rules;
    rules.lazySources = true;
    rules.imageKey = row.key;
    int leftOut = 0;
    const std::string body = "甲" + row.tag + "乙";
    const std::string protectedBody = ProtectImages(body, sources, rules, &leftOut);
    if (row.address == "-") {
      EXPECT_EQ(protectedBody, "甲乙") << row.tag;
      EXPECT_TRUE(sources.empty()) << row.tag;
      EXPECT_EQ(leftOut, 1) << row.tag;
    } else {
      EXPECT_EQ(protectedBody, "甲jbclsa乙") << row.tag;
      EXPECT_EQ(sources, ImageSources{row.address}) << row.tag;
      EXPECT_EQ(leftOut, 0) << row.tag;
    }
  }
}

TEST(ImageMarkers, ALeftOutPictureDoesNotShiftTheOthersMarkers) {
  ImageSources sources;
  PictureRules rules{true, "www.sohu.com6666"};
  int leftOut = 0;
  const std::string body = "<img src=\"/1.jpg\">一<img data-src=\"hldJ7vdBu+54WnSeit9NZQ==\">二"
                           "<img data-src=\"hldJ7vdBu+54WnSeit9NZQ==\">三<img src=\"/2.jpg\">";
  const std::string protectedBody = ProtectImages(body, sources, rules, &leftOut);
  EXPECT_EQ(protectedBody, "jbclsa一二三jbclsb");
  EXPECT_EQ(leftOut, 2);
  EXPECT_EQ(RestoreImages(protectedBody, sources), "<img src=\"/1.jpg\">一二三<img src=\"/2.jpg\">");
}

}  // namespace
