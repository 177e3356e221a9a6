#include "collector/content_cleaning.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace {

using collector::CleanBody;
using collector::CleanHtml;
using collector::ImageSources;
using collector::StripParagraphTags;

TEST(ContentCleaning, BodiesBecomeOneParagraphPerLine) {
  const struct {
    const char* html;
    const char* text;
  } rows[] = {
      {"<p>a</p><p class=\"x\">b</p>", "a\r\nb"},
      {"<P>a</P>\r\n<p>b</p>", "a\r\nb"},
      // upper-case STYLE is left to the tag pattern: its text stays
      {"<STYLE>.x {color:red}</STYLE>t", ".x{color:red}t"},
      {"<style type=\"text/css\">\r\n.a{}\r\n</style>t", "t"},
      {"< style>x</style >t", "t"},
      {"<script>var s = \"<p>\";\r\nf();</script>t", "t"},
      {"<script src=x></script><script>a()</script>t", "t"},
      {"<style>unclosed", "unclosed"},
      // entities: lower-case names go, the rest stays
      {"a&nbsp;b&amp;c&NBSP;d&#8220;e", "abc&NBSP;d&#8220;e"},
      // blanks other than line breaks go; the full-width blank is no blank here
      {"hello world\tx", "helloworldx"},
      {"　　中文 段落", "　　中文段落"},
      {"a\r\n<div>\r\n</div>\r\n\r\nb", "a\r\nb"},
      {"<pre>code</pre>", "code"},
      {"<p\r\nclass=x>a</p>", "a"},
      {"<a href=\"x\">链接</a>文字<br/>", "链接文字"},
      // a stray lead byte keeps its place and swallows none of the markup after it
      {"\x81<p>a</p>\x81&nbsp;b \x81 c", "\x81" "a\r\n\x81" "b\x81" "c"},
      {"\xFE<script>x()</script>t\x80<b>", "\xFEt\x80"},
      {"", ""},
  };
  ImageSources sources;
  for (const auto& row : rows) {
    EXPECT_EQ(CleanBody(row.html, false, sources, ::sources::Classic().cleaning), row.text) << row.html;
    EXPECT_TRUE(sources.empty());
  }
}

TEST(ContentCleaning, ParagraphTagsGoWhereverTheirTextOccurs) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {
      {"<p>a<p>b", "ab"},
      {"<p class=\"c\">a<P CLASS=\"c\">b", "ab"},
      {"<pre>x<param name=y>", "x"},
      {"</p><p", "</p><p"},
      // a removal that joins a new occurrence: the later turn of the same
      // text removes it too
      {"<<p>p><p>", ""},
      {"<p>\r\n<p", "\r\n<p"},
  };
  for (const auto& row : rows) EXPECT_EQ(StripParagraphTags(row.in), row.out) << row.in;
}

// RemoveEachText looks for a text again only around the places a removal
// joined; removing every occurrence of each text in turn, searching the
// whole result each time, must give the same.
TEST(ContentCleaning, RemovingEachTextAgreesWithRemovingEveryOccurrenceInTurn) {
  const char* const pieces[] = {"<p>", "<p", "p>", ">", "<", "p", "P", "<P class=\"x\">", "a", "\r\n",
                                "中", "\xB0\x3C", "\x81", "\x94\x39\xFC\x36", "9", "<pre>"};
  unsigned long long state = 88172645463325252ull;
  auto next = [&](unsigned bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return unsigned(state % bound);
  };
  const unsigned count = sizeof pieces / sizeof pieces[0];
  for (int round = 0; round < 3000; ++round) {
    std::string body;
    for (unsigned i = next(30); i > 0; --i) body += pieces[next(count)];
    std::vector<std::string> owned;
    for (unsigned i = next(6); i > 0; --i) {
      owned.push_back(pieces[next(count)]);
      if (next(3) == 0) owned.back() += pieces[next(count)];
    }
    const std::vector<std::string_view> texts(owned.begin(), owned.end());
    std::string expected = body;
    for (const std::string_view text : texts) expected = core::ReplaceAll(expected, text, "");
    ASSERT_EQ(collector::RemoveEachText(body, texts), expected) << body;
  }
}

TEST(ContentCleaning, ImagesSurviveTheCleaningWhenKept) {
  ImageSources sources;
  const std::string html =
      "<p><img class=\"c\" src=\"http://h/a.jpg\" alt=\"x\">text</p>"
      "<p><IMG src=\"http://h/upper.jpg\">more</p>";
  EXPECT_EQ(CleanBody(html, true, sources, ::sources::Classic().cleaning), "<img src=\"http://h/a.jpg\">text\r\nmore");
  EXPECT_TRUE(sources.empty());
  EXPECT_EQ(CleanBody(html, false, sources, ::sources::Classic().cleaning), "text\r\nmore");
}

// Runs `work` on a thread with a small stack, the way a worker thread would.
void OnSmallStack(const std::function<void()>& work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto body = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, const_cast<std::function<void()>*>(&work)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST(ContentCleaning, EightMegabytesWithAFiveMegabyteStyleOnASmallStack) {
  std::string css = "<style type=\"text/css\">\r\n";
  while (css.size() < (5u << 20)) css += ".c" + std::to_string(css.size()) + " { margin: 0 auto; }\r\n";
  css += "</style>";
  std::string body = "<p>开头</p>" + css;
  std::string want = "开头";
  for (int i = 0; body.size() < (8u << 20); ++i) {
    body += "<p class=\"t\">第" + std::to_string(i) + "段 text&nbsp;here <b>b</b></p>\r\n\r\n";
    want += "\r\n第" + std::to_string(i) + "段texthereb";
  }
  // The last paragraph ends in three line breaks; the blank-line pattern
  // leaves the CR of the first of them.
  want += "\r";
  std::string got;
  ImageSources sources;
  OnSmallStack([&] { got = CleanBody(body, true, sources, ::sources::Classic().cleaning); });
  EXPECT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want);
}

TEST(ContentCleaning, HostileMarkupEndsAsAnEmptyBodyInsteadOfHanging) {
  // Every "<" without a ">" after it makes the tag pattern scan to the end:
  // quadratic work that the step budget cuts short.
  std::string body(50000, '<');
  const std::string got = CleanHtml(body, ::sources::Classic().cleaning);
  EXPECT_TRUE(got.empty());
}

}  // namespace
