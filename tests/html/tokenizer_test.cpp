#include "html/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/encoding.h"

namespace html {
namespace {

using namespace std::string_view_literals;

// The tokens of a page, one after another, separated by '|': a start tag as
// <name a="v"> (with a "/" before ">" when written self-closed), an end tag
// as </name>, a comment as <!--text-->, a text as it was decoded.
std::string Tokens(std::string_view page) {
  Tokenizer tokenizer(page);
  Token token;
  std::string out;
  for (int guard = 0; guard < 10000; ++guard) {
    tokenizer.Next(token);
    if (token.type == TokenType::kEnd) return out;
    if (!out.empty()) out += '|';
    switch (token.type) {
      case TokenType::kStartTag:
        out += "<" + token.name;
        for (const Attribute& a : token.attributes) out += " " + a.name + "=\"" + a.value + "\"";
        out += token.selfClosing ? "/>" : ">";
        break;
      case TokenType::kEndTag: out += "</" + token.name + ">"; break;
      case TokenType::kComment: out += "<!--" + token.text + "-->"; break;
      case TokenType::kText: out += token.text; break;
      case TokenType::kEnd: break;
    }
  }
  return out + "|(no end)";
}

struct Case {
  std::string_view page;
  std::string tokens;
};

void ExpectTokens(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) EXPECT_EQ(Tokens(c->page), c->tokens) << c->page;
}
template <size_t N>
void ExpectTokens(const Case (&cases)[N]) {
  ExpectTokens(cases, cases + N);
}

TEST(Tokenizer, TagsAndAttributesInEveryWritingPagesUse) {
  const Case cases[] = {
      {"<DIV Class=A>x</Div>", "<div class=\"A\">|x|</div>"},
      {"<p\tid=a\nclass='b c'\r\ntitle=\"d\">", "<p id=\"a\" class=\"b c\" title=\"d\">"},
      {"<input disabled value = 3 checked>", "<input disabled=\"\" value=\"3\" checked=\"\">"},
      {"<br/><br /><img src=a.jpg/>", "<br/>|<br/>|<img src=\"a.jpg/\">"},
      {"<a href=\"x\"title='y'>", "<a href=\"x\" title=\"y\">"},
      // the first of duplicate names counts
      {"<div id=a ID=b id=c>", "<div id=\"a\">"},
      // '=' or a quote where a name begins is part of the name
      {"<div =a \"b\">", "<div =a=\"\" \"b\"=\"\">"},
      {"<a href=x>>", "<a href=\"x\">|>"},
      {"<div<p>", "<div<p>"},
      {"<a b='>'>t", "<a b=\">\">|t"},
      {"<a b=\"1\nline\">", "<a b=\"1\nline\">"},
      // an end tag's attributes and slash are read and ignored
      {"</div class=x/>", "</div>"},
      // only an ASCII letter after '<' opens a tag
      {"<\xD6\xD0 x=\xCE\xC4>", "<\xD6\xD0 x=\xCE\xC4>"},
  };
  ExpectTokens(cases);
}

TEST(Tokenizer, ManyAttributesKeepTheFirstOfEachName) {
  // Thousands of attributes on one tag, every name twice: the first of each
  // is kept in order, and the tag is read without comparing every pair.
  std::string page = "<div";
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 30000; ++i) page += " a" + std::to_string(i) + "=" + std::to_string(round);
  }
  page += "><p x=1 x=2 y=3>";
  Tokenizer tokenizer(page);
  Token token;
  tokenizer.Next(token);
  ASSERT_EQ(token.attributes.size(), 30000u);
  EXPECT_EQ(token.attributes[0].name, "a0");
  EXPECT_EQ(token.attributes[29999].name, "a29999");
  for (const Attribute& a : token.attributes) ASSERT_EQ(a.value, "0") << a.name;
  // The next tag starts afresh.
  tokenizer.Next(token);
  ASSERT_EQ(token.attributes.size(), 2u);
  EXPECT_EQ(token.attributes[0].value, "1");
  EXPECT_EQ(token.attributes[1].name, "y");
}

TEST(Tokenizer, CharacterReferences) {
  const std::string zhong = "\xD6\xD0";  // U+4E2D in GBK
  const std::string euro = core::WideToGb18030(u"\u20AC");
  const std::string copy = core::WideToGb18030(u"\u00A9");
  const std::string ldquo = core::WideToGb18030(u"\u201C");
  const std::string replacement = core::WideToGb18030(u"\uFFFD");
  const Case cases[] = {
      {"&#20013;&#x4E2D;&#X4e2d;", zhong + zhong + zhong},
      {"&#65&#x42 c", "AB c"},  // no semicolon
      {"&#;&#x;&#xg;", "&#;&#x;&#xg;"},
      // zero, surrogates and values past U+10FFFF are the replacement character
      {"&#0;&#xD800;&#x110000;&#99999999999999;", replacement + replacement + replacement + replacement},
      {"&#128;&#x93;", euro + ldquo},  // C1 numbers by their Windows-1252 meaning
      {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
      {"&amp &lt,&copy;", "& <," + copy},
      {"&nbsp;&zwnj;&shy;x", " x"},  // a no-break space is a space; invisible ones vanish
      // the upper-case legacy names are known, and a legacy name is read
      // where it starts a longer run of letters
      {"&unknown; &AMP; &ampx", "&unknown; & &x"},
      {"&verylongnamethatisnoreference;", "&verylongnamethatisnoreference;"},
      {"a&", "a&"},
      {"&#x4E2D", zhong},
      {"&#x1F600;", core::WideToGb18030(u"\U0001F600")},  // outside the basic plane
      // in attributes: terminated ones are decoded; an unterminated name
      // followed by more of a URL stays as written
      // in a value a name without ";" is text before "=" or a letter, and a
      // character before anything else
      {"<a href=\"?a=1&amp;b=2&copy=3&lt\">", "<a href=\"?a=1&b=2&copy=3<\">"},
      {"<a title='&#20013;&#x4e2d&quot;'>", "<a title=\"" + zhong + zhong + "\"\">"},
      {"<a b=&amp;c>", "<a b=\"&c\">"},
  };
  ExpectTokens(cases);
}

TEST(Tokenizer, RawTextElementsEndOnlyAtTheirOwnEndTag) {
  const Case cases[] = {
      {"<script>if (a<b && c>d) x='</div>';</script>t",
       "<script>|if (a<b && c>d) x='</div>';|</script>|t"},
      {"<script>x</SCRIPT >y", "<script>|x|</script>|y"},
      {"<script>x</script/>y", "<script>|x|</script>|y"},
      {"<script>a</scripts>b</script>", "<script>|a</scripts>b|</script>"},
      {"<script>&amp;<!--</script>-->", "<script>|&amp;<!--|</script>|-->"},
      {"<style>p>a{}</style>", "<style>|p>a{}|</style>"},
      {"<script></script>", "<script>|</script>"},
      // title and textarea text holds references, but no tags
      {"<title>a &amp; <b>b</b></title>", "<title>|a & <b>b</b>|</title>"},
      {"<textarea>&lt;p&gt; <p></textarea>", "<textarea>|<p> <p>|</textarea>"},
      // a reference never reaches past the end tag
      {"<title>a&amp</title>", "<title>|a&|</title>"},
      // a script without an end runs to the end of the page; a title or a
      // textarea without one is read as markup
      {"<script>a<p>b", "<script>|a<p>b"},
      {"<title>a<p>b", "<title>|a|<p>|b"},
      {"<textarea>a<p>b</title>", "<textarea>|a|<p>|b|</title>"},
      // a self-closed script holds nothing; the markup after it is read
      {"<script src=a.js /><p>x", "<script src=\"a.js\"/>|<p>|x"},
      // an end tag of another raw-text element does not end this one
      {"<style>a</script>b</style>", "<style>|a</script>b|</style>"},
  };
  ExpectTokens(cases);
}

TEST(Tokenizer, CommentsDoctypeAndBogusComments) {
  const Case cases[] = {
      {"a<!-- c -->b", "a|<!-- c -->|b"},
      {"<!---->x", "<!---->|x"},
      {"<!-- a -- b --->x", "<!-- a -- b --->|x"},
      {"<!--<p>-->x", "<!--<p>-->|x"},
      // empty comments written short do not hide what follows
      {"<!-->a<!-- b -->c", "<!---->|a|<!-- b -->|c"},
      {"<!--->a<!-- b -->c", "<!---->|a|<!-- b -->|c"},
      // a comment never closed ends at its first '>', so it cannot swallow the page
      {"a<!-- never closed -><p>b", "a|<!-- never closed --->|<p>|b"},
      {"<!-- x --><!-- y -><p>b", "<!-- x -->|<!-- y --->|<p>|b"},
      {"a<!-- to the end", "a|<!-- to the end-->"},
      {"<!DOCTYPE html PUBLIC \"x\">a", "<!--DOCTYPE html PUBLIC \"x\"-->|a"},
      {"<?xml version=\"1.0\"?>a", "<!--xml version=\"1.0\"?-->|a"},
      {"<![CDATA[x]]>a", "<!--[CDATA[x]]-->|a"},
      {"</ x>a</3>b", "<!-- x-->|a|<!--3-->|b"},
      {"a</>b", "a|b"},
  };
  ExpectTokens(cases);
}

TEST(Tokenizer, StrayLessThanAndBadBytesAreText) {
  const Case cases[] = {
      {"a < b <3 <= c<", "a < b <3 <= c<"},
      {"1<2&&3>2", "1<2&&3>2"},
      // zero bytes are dropped everywhere
      {"a\0b<d\0iv c\0d=\"e\0f\">g</di\0v>"sv, "ab|<div cd=\"ef\">|g|</div>"},
      {"<script>a\0b</script>"sv, "<script>|ab|</script>"},
      // bytes of no valid GBK character pass as they are; a GBK trail byte
      // that is an ASCII letter or '[' does not open anything
      {"\x80\xFF\xD6<p>", "\x80\xFF\xD6|<p>"},
      {"\x81\x40\x81[\x81\x5C&amp;", "\x81\x40\x81[\x81\x5C&"},
  };
  ExpectTokens(cases);
}

TEST(Tokenizer, EndOfPageInEveryState) {
  // A tag cut off by the end of the page is dropped; text, comments and
  // references cut off are kept as far as they go.
  const Case cases[] = {
      {"a<", "a<"},
      {"a<d", "a"},
      {"a<div", "a"},
      {"a<div ", "a"},
      {"a<div b", "a"},
      {"a<div b ", "a"},
      {"a<div b=", "a"},
      {"a<div b=\"c", "a"},
      {"a<div b='c", "a"},
      {"a<div b=c", "a"},
      {"a<div /", "a"},
      {"a</", "a"},
      {"a</d", "a"},
      {"a</div", "a"},
      {"a<!", "a|<!---->"},
      {"a<!-", "a|<!----->"},
      {"a<!--", "a|<!---->"},
      {"a<!--x-", "a|<!--x--->"},
      {"a<?x", "a|<!--x-->"},
      {"a&", "a&"},
      {"a&#", "a&#"},
      {"a&#x", "a&#x"},
      {"a&am", "a&am"},
      {"a&amp", "a&"},
      {"a&#6", "a\x06"},
      {"<script>", "<script>"},
      {"<script>a", "<script>|a"},
      {"<script>a</scr", "<script>|a</scr"},
      {"<title>a&", "<title>|a&"},
  };
  ExpectTokens(cases);
}

}  // namespace
}  // namespace html
