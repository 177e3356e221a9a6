#include "http/charset.h"

#include <gtest/gtest.h>

namespace http {
namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

Text Decode(const std::string& page) { return DecodePageText(B(page), core::TextFromBytes(B(page))); }

TEST(Charset, DeclarationInTheFirst1024Bytes) {
  struct Case {
    const char* name;
    std::string page;
    Text charset;
  } cases[] = {
      {"plain meta", "<html><meta charset=utf-8>", "utf-8"},
      {"http-equiv with quote", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=\"gb2312\">", "gb2312"},
      {"capitals", "<META CONTENT=\"text/html; CHARSET=UTF-8\">", "UTF-8"},
      {"on a later line of the tag", "<meta\ncharset=utf-8>", "utf-8"},
      {"none", "<html><body>no declaration</body></html>", ""},
      {"beyond 1024 bytes", std::string(1100, ' ') + "<meta charset=big5>", ""},
      {"just inside 1024 bytes", std::string(1000, ' ') + "<meta charset=big5>", "big5"},
  };
  for (const Case& c : cases) EXPECT_EQ(DeclaredCharset(c.page), c.charset) << c.name;
}

TEST(Charset, NamesToCodePages) {
  struct Case {
    Text name;
    unsigned codePage;
  } cases[] = {{"utf-8", 65001},      {"UTF8", 65001},          {"big5", 950},          {"GB18030", 936},
               {"gbk", 936},          {"Shift_JIS", 932},       {"euc-kr", 949},        {"euc-jp", 20932},
               {"iso-8859-1", 28591}, {"ISO-8859-15", 28605},   {"windows-1251", 1251}, {"windows-1258", 1258},
               {"koi8-r", 20866},     {"utf-16", 1200},         {"x-unknown", 0},       {"", 0},
               {"utf-8x", 0}};
  for (const Case& c : cases) EXPECT_EQ(CodePageOfCharset(c.name), c.codePage) << c.name;
}

TEST(Charset, PagesComeBackAsGbk) {
  const std::string utf8Page = "<meta charset=utf-8>\xE4\xB8\xAD\xE6\x96\x87";  // 中文 in UTF-8
  const std::string big5Page = "<meta charset=big5>\xA4\xA4\xA4\xE5";        // 中文 in Big5
  const std::string gbkPage = "<meta charset=gb2312>中文";
  struct Case {
    const char* name;
    std::string page;
    Text text;
  } cases[] = {
      {"utf-8", utf8Page, "<meta charset=utf-8>中文"},
      {"big5", big5Page, "<meta charset=big5>中文"},
      {"gb2312 kept byte for byte", gbkPage, gbkPage},
      {"no declaration kept", "\xE4\xB8\xAD", "\xE4\xB8\xAD"},
      {"unknown charset kept", "<meta charset=x-klingon>\xE4\xB8\xAD", "<meta charset=x-klingon>\xE4\xB8\xAD"},
      {"utf-8 byte-order mark dropped", "\xEF\xBB\xBF<html><meta charset=utf-8>a", "<html><meta charset=utf-8>a"},
      {"latin-1 e-acute is in GBK", "<meta charset=iso-8859-1>caf\xE9", "<meta charset=iso-8859-1>caf\xA8\xA6"},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(c.page), c.text) << c.name;

  // The whole body is converted, also past a zero byte; the text ends at the
  // first zero character all the same.
  std::string withZero = "<meta charset=utf-8>a";
  withZero += '\0';
  withZero += "b";
  EXPECT_EQ(Decode(withZero), "<meta charset=utf-8>a");
}

// A page that declares nothing is decoded by the caller's fallback; a
// declaration, or no fallback, leaves the fetched text as it was.
TEST(Charset, FallbackOnlyForUndeclaredPages) {
  const std::string json = "{\"w\":\"\xE4\xB8\xAD\"}";
  const std::string declared = "<meta charset=gbk>\xD6\xD0";
  struct Case {
    std::string body;
    const char* fallback;
    Text text;
  } cases[] = {
      {json, "utf-8", "{\"w\":\"中\"}"},
      {json, "", "fetched"},
      {declared, "utf-8", "fetched"},
      {json, "x-unknown", json},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodePageText(Bytes(c.body.begin(), c.body.end()), "fetched", c.fallback), c.text)
        << c.body << " " << c.fallback;
  }
}

}  // namespace
}  // namespace http
