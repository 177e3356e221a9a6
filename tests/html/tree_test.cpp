#include "html/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/encoding.h"

namespace html {
namespace {

// The tree written back as markup: every element with its end tag (none for
// void elements), attributes in source order, texts as they were decoded.
std::string Outline(const Document& doc) {
  std::string out;
  int n = doc.At(Document::kRoot).firstChild;
  while (n >= 0) {
    const Node& node = doc.At(n);
    if (node.isText) {
      out += doc.Text(n);
    } else {
      out += "<" + std::string(doc.TagName(n));
      for (const char* name : {"id", "class", "src", "href", "a", "b"}) {
        if (doc.HasAttribute(n, name)) out += " " + std::string(name) + "=" + std::string(doc.Attribute(n, name));
      }
      out += ">";
    }
    if (node.firstChild >= 0) {
      n = node.firstChild;
      continue;
    }
    // Close this element and every ancestor whose last child this was.
    for (;;) {
      const Node& done = doc.At(n);
      const std::string name(doc.TagName(n));
      const bool isVoid = name == "br" || name == "img" || name == "hr" || name == "meta" || name == "input";
      if (!done.isText && !isVoid) out += "</" + name + ">";
      if (done.nextSibling >= 0) {
        n = done.nextSibling;
        break;
      }
      n = done.parent;
      if (n <= Document::kRoot) return out;
    }
  }
  return out;
}

TEST(ParseDocument, ConstructsOfRealPages) {
  using namespace std::string_view_literals;
  const std::string euro = core::WideToGbk(u"\u20AC");
  const struct {
    std::string_view page;
    std::string tree;
  } cases[] = {
      // implied ends
      {"<p>a<p>b<div>c</div>", "<p>a</p><p>b</p><div>c</div>"},
      {"<ul><li>a<li>b<ul><li>c</ul><li>d</ul>", "<ul><li>a</li><li>b<ul><li>c</li></ul></li><li>d</li></ul>"},
      {"<table><tr><td>a<td>b<tr><td>c</table>x",
       "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>x"},
      {"<table><tr><td><table><tr><td>in</table>out</table>",
       "<table><tr><td><table><tr><td>in</td></tr></table>out</td></tr></table>"},
      {"<select><option>a<option>b</select>", "<select><option>a</option><option>b</option></select>"},
      {"<dl><dt>a<dd>b<dt>c</dl>", "<dl><dt>a</dt><dd>b</dd><dt>c</dt></dl>"},
      {"<h1>a<h2>b</h2>", "<h1>a</h1><h2>b</h2>"},
      {"<a href=x>1<a href=y>2</a>", "<a href=x>1</a><a href=y>2</a>"},
      // void elements, stray and cross-scope end tags
      {"<p>a<br>b<img src=i.jpg>c</br>d", "<p>a<br>b<img src=i.jpg>c<br>d</p>"},
      {"</span></div>a</p>b", "a<p></p>b"},
      {"<div><table><tr><td>a</div>b</td></tr></table>c</div>",
       "<div><table><tr><td>ab</td></tr></table>c</div>"},
      {"<div/>a", "<div>a</div>"},
      // a "self-closed" button stays open, as in browsers, but not past its block
      {"<div><form><button/></form>a</div>b", "<div><form><button></button></form>a</div>b"},
      {"<svg><path/>a</svg>", "<svg><path></path>a</svg>"},
      {"<html><head><title>t</title></head><body class=b>x</body></html>y", "<title>t</title>xy"},
      // attributes: unquoted, duplicate, without value, references
      {"<div id=a class = 'x y' id=b a>t</div>", "<div id=a class=x y a=>t</div>"},
      {"<a href=\"?a=1&amp;b=2&copy=3\">t</a>", "<a href=?a=1&b=2&copy=3>t</a>"},
      {"<div a=\"x\"b='y'>t</div>", "<div a=x b=y>t</div>"},
      // references in text
      {"a&amp;b&lt;&gt;&quot;&#65;&#x42;&nbsp;&unknown;&", "a&b<>\"AB &unknown;&"},
      {"&#128;&#x20AC;", euro + euro},  // the first by its Windows-1252 meaning
      // raw text, comments and declarations
      {"<script>if (a<b) x='</div>';</script>t", "<script>if (a<b) x='</div>';</script>t"},
      {"<style>p{}</STYLE >t", "<style>p{}</style>t"},
      {"<title>a &amp; b</title>", "<title>a & b</title>"},
      {"<title>no end<p>text", "<title>no end</title><p>text</p>"},
      {"<!DOCTYPE html><!-- c -->a<!-->b<?xml x?>c", "abc"},
      {"a<!-- never closed -><p>b</p>", "a<p>b</p>"},
      {"a<!-- x --><!-- y -><p>b", "a<p>b</p>"},
      {"a < b <3 </ x>c", "a < b <3 c"},
      // NUL bytes, cut-off tags, bytes of no valid encoding
      {"a\0b<d\0iv>c"sv, "ab<div>c</div>"},
      {"a<div class=\"x", "a"},
      {"\xFF\xFE<p>\x81</p>\xC3\x28", "\xFF\xFE<p>\x81</p>\xC3("},
      // the wrapper of archived pages is an element like any other
      {"<text id=\"u\" encoding=\"gb2312\"><p>a</p></text>", "<text id=u><p>a</p></text>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Outline(ParseDocument(c.page)), c.tree) << c.page;
  }
}

TEST(ParseDocument, DeepNestingAndBigPagesInLinearWork) {
  std::string page;
  for (int i = 0; i < 100000; ++i) page += "<div><span>";
  page += "x";
  for (int i = 0; i < 100000; ++i) page += "</i></div>";
  const Document doc = ParseDocument(page);
  EXPECT_EQ(doc.Size(), 200002);
  // A million stray end tags beside 100 000 open elements.
  std::string stray(100000 * 6, ' ');
  for (size_t i = 0; i < stray.size(); i += 6) stray.replace(i, 6, "<div> ");
  for (int i = 0; i < 1000000; ++i) stray += "</b>";
  EXPECT_EQ(ParseDocument(stray).Size(), 100000 * 2 + 1);
}

}  // namespace
}  // namespace html
