#include "core/declared_charset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The declaration a page makes at its start, wherever the page came from
// (the network or a saved file); the window is the caller's.
TEST(DeclaredCharset, OnlyDeclaringTagsInsideTheWindow) {
  struct Case {
    const char* name;
    std::string page;
    size_t window;
    std::string charset;
  };
  const Case cases[] = {
      {"plain meta", "<html><meta charset=utf-8>", 1024, "utf-8"},
      {"http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">", 1024, "gb2312"},
      {"a quote after the equals sign", "<meta content=\"text/html; charset=\"gb2312\">", 1024, "gb2312"},
      {"capitals, kept as written", "<META CONTENT=\"text/html; CHARSET=UTF-8\">", 1024, "UTF-8"},
      {"blanks around the equals sign", "<meta charset = 'big5' >", 1024, "big5"},
      {"a line break inside the tag", "<meta\ncharset=utf-8>", 1024, "utf-8"},
      {"an XML declaration", "<?xml version=\"1.0\" encoding=\"GBK\"?>", 1024, "GBK"},
      {"the archive wrapper", "<text id=\"x\" encoding=\"gb2312\">", 1024, "gb2312"},
      {"a script's charset is its own", "<script charset=\"big5\" src=a.js></script>", 1024, ""},
      {"the script's, then the page's", "<script charset=big5></script><meta charset=utf-8>", 1024, "utf-8"},
      {"text outside a tag", "<p>charset=big5</p>", 1024, ""},
      {"the word without an equals sign", "<meta name=\"charsetx\" charset=gbk>", 1024, "gbk"},
      {"an empty value", "<meta charset=\"\">", 1024, ""},
      {"a tag that only starts with meta", "<metadata charset=big5>", 1024, ""},
      {"none", "<html><body>no declaration</body></html>", 1024, ""},
      {"beyond the window", std::string(1100, ' ') + "<meta charset=big5>", 1024, ""},
      {"just inside the window", std::string(1000, ' ') + "<meta charset=big5>", 1024, "big5"},
      {"the key cut by the window", "<meta charset=big5>", 12, ""},
      {"the page ends at the equals sign", "<meta charset=", 1024, ""},
      {"empty", "", 1024, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(core::DeclaredCharset(c.page, c.window), c.charset) << c.name;
}

}  // namespace
