#include "html/picture_source.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "html/tokenizer.h"

namespace html {
namespace {

// The picture source of the first tag of `tag`, read with the tokenizer.
std::string SourceOf(const std::string& tag) {
  Tokenizer tokenizer(tag);
  Token token;
  tokenizer.Next(token);
  std::map<std::string, std::string, std::less<>> values;
  for (const Attribute& a : token.attributes) values[a.name] = a.value;
  return std::string(PictureSource([&](std::string_view name) -> std::string_view {
    const auto found = values.find(name);
    return found == values.end() ? std::string_view() : std::string_view(found->second);
  }));
}

TEST(PictureSourceTest, PlainSourceElseTheFirstLazyAttributeElseTheStandIn) {
  const struct {
    const char* tag;
    const char* source;
  } cases[] = {
      {R"(<img src="//q6.itc.cn/a.jpeg">)", "//q6.itc.cn/a.jpeg"},
      // A lazy attribute never overrides a real src.
      {R"(<img src="/a.jpg" data-src="/b.jpg">)", "/a.jpg"},
      // The served sohu form: no src at all.
      {R"(<img max-width="600" data-src="JcRkTpNXwLw=">)", "JcRkTpNXwLw="},
      {R"(<img src="" data-original="/o.png">)", "/o.png"},
      {R"(<img src="data:image/gif;base64,R0lG" data-lazy-src="/l.png">)", "/l.png"},
      {R"(<img SRC="DATA:image/png;base64,AAAA" DATA-SRC="/up.png">)", "/up.png"},
      // The lazy attributes are tried in the list's order, skipping empty and data: ones.
      {R"(<img src="/blank.gif" data-src="" data-original="data:x" data-lazy-src="/3.jpg" file="/f.jpg">)", "/3.jpg"},
      // A stand-in with no real source behind it is still the tag's picture; a data: URI is not.
      {R"(<img src="/img/Loading.GIF">)", "/img/Loading.GIF"},
      {R"(<img src="data:image/gif;base64,R0lG">)", ""},
      {R"(<img alt="x">)", ""},
      // The attribute name is read whole: "xdata-src" is not "data-src", "data-srcset" neither.
      {R"(<img xdata-src="/x.jpg" data-srcset="/s.jpg 2x">)", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SourceOf(c.tag), c.source) << c.tag;
}

TEST(PictureSourceTest, PlaceholderWordsInAnyCase) {
  EXPECT_TRUE(IsPlaceholderSource(""));
  EXPECT_TRUE(IsPlaceholderSource("data:image/png;base64,"));
  EXPECT_TRUE(IsPlaceholderSource("https://s.example/static/Placeholder.png"));
  EXPECT_TRUE(IsPlaceholderSource("/i/spacer.gif"));
  EXPECT_FALSE(IsPlaceholderSource("https://inews.gtimg.com/news_bt/OvXh/641"));
  EXPECT_FALSE(IsPlaceholderSource("https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2Fa.png"));
}

}  // namespace
}  // namespace html
