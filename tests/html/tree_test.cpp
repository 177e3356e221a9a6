#include "html/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/encoding.h"
#include "core/page_limit.h"

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
  const std::string euro = core::WideToGb18030(u"\u20AC");
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

struct TreeCase {
  std::string_view page;
  std::string tree;
};

template <size_t N>
void ExpectTrees(const TreeCase (&cases)[N]) {
  for (const TreeCase& c : cases) EXPECT_EQ(Outline(ParseDocument(c.page)), c.tree) << c.page;
}

// A page up to the largest we accept is read; one byte more gives the root
// alone. The filler is one comment, so the tokenizer passes it at once.
TEST(ParseDocument, PagesBeyondTheLargestAcceptedGiveNoTree) {
  const std::string head = "<p>x</p><!--";
  const std::string tail = "-->";
  std::string page = head + std::string(core::kLargestPageBytes - head.size() - tail.size(), ' ') + tail;
  EXPECT_EQ(Outline(ParseDocument(page)), "<p>x</p>");
  page.insert(head.size(), 1, ' ');
  EXPECT_EQ(ParseDocument(page).Size(), 1);
}

TEST(ParseDocument, ImpliedEndsOfParagraphsListsCellsAndOptions) {
  const TreeCase cases[] = {
      // an open p ends at the next block, list item or table, not at inline markup
      {"<p>a<ul><li>b</ul>", "<p>a</p><ul><li>b</li></ul>"},
      {"<p>a<span>b<div>c", "<p>a<span>b</span></p><div>c</div>"},
      {"<p>a<b>b</b><img src=i>c<p>d", "<p>a<b>b</b><img src=i>c</p><p>d</p>"},
      {"<p>a<h2>b</h2>c", "<p>a</p><h2>b</h2>c"},
      {"<p>a<hr>b", "<p>a</p><hr>b"},
      {"<p>a<li>b", "<p>a</p><li>b</li>"},
      {"<p>a<table><tr><td>b<p>c<div>d</table>e",
       "<p>a</p><table><tr><td>b<p>c</p><div>d</div></td></tr></table>e"},
      // a cell's p ends with its cell, not by a block outside the table
      {"<table><tr><td><p>a<td>b</table>", "<table><tr><td><p>a</p></td><td>b</td></tr></table>"},
      {"<p>a<table><tr><td>b</td></tr></table>c", "<p>a</p><table><tr><td>b</td></tr></table>c"},
      // list items: the next item closes the open one and what is inside it,
      // but never an item of an outer list
      {"<li>a<li>b", "<li>a</li><li>b</li>"},
      {"<ul><li><p>a<li>b</ul>", "<ul><li><p>a</p></li><li>b</li></ul>"},
      {"<ul><li>a<div><li>b</div></ul>", "<ul><li>a<div></div></li><li>b</li></ul>"},
      {"<ol><li>a<ol><li>b<li>c</ol><li>d</ol>",
       "<ol><li>a<ol><li>b</li><li>c</li></ol></li><li>d</li></ol>"},
      // cells and rows, with and without row groups
      {"<table><td>a<td>b</table>", "<table><td>a</td><td>b</td></table>"},
      {"<table><tr><th>a<td>b<tr><th>c</table>", "<table><tr><th>a</th><td>b</td></tr><tr><th>c</th></tr></table>"},
      {"<table><thead><tr><td>a<tbody><tr><td>b<tfoot><tr><td>c</table>",
       "<table><thead><tr><td>a</td></tr></thead><tbody><tr><td>b</td></tr></tbody>"
       "<tfoot><tr><td>c</td></tr></tfoot></table>"},
      {"<table><tr><td><div>a<tr><td>b</table>", "<table><tr><td><div>a</div></td></tr><tr><td>b</td></tr></table>"},
      // a cell of an inner table ends only what lies inside that table
      {"<table><tr><td>a<table><tr><td>b<td>c</table>d<td>e</table>",
       "<table><tr><td>a<table><tr><td>b</td><td>c</td></tr></table>d</td><td>e</td></tr></table>"},
      // options and option groups
      {"<select><option>a<optgroup><option>b<optgroup><option>c</select>",
       "<select><option>a</option><optgroup><option>b</option></optgroup><optgroup><option>c</option>"
       "</optgroup></select>"},
      {"<select><option>a<option>b", "<select><option>a</option><option>b</option></select>"},
  };
  ExpectTrees(cases);
}

TEST(ParseDocument, UnclosedAndMisnestedMarkupLosesNoText) {
  const TreeCase cases[] = {
      // everything still open at the end of the page ends there
      {"<div><ul><li>a<table><tr><td>b<p>c", "<div><ul><li>a<table><tr><td>b<p>c</p></td></tr></table></li></ul></div>"},
      {"<div>a<span>b", "<div>a<span>b</span></div>"},
      // an end tag closes what was opened inside its element
      {"<b><i>x</b>y</i>z", "<b><i>x</i></b>yz"},
      {"<div><span>a</div>b</span>", "<div><span>a</span></div>b"},
      {"<a href=x><div>b</a>c</div>", "<a href=x><div>b</div></a>c"},
      // end tags of what is not open are ignored
      {"a</div></span></li></td></tr></table>b", "ab"},
      {"<ul><li>a</ol>b</ul>c", "<ul><li>ab</li></ul>c"},
      // a row's end inside a cell ends the cell as well
      {"<table><tr><td>a</tr><tr><td>b</table>", "<table><tr><td>a</td></tr><tr><td>b</td></tr></table>"},
      // end tags of a table's parts do not reach out of the table
      {"<td>x<table><tr><td>a</table></td>y", "<td>x<table><tr><td>a</td></tr></table></td>y"},
      {"<div><table><tr><td>a</div></table>b", "<div><table><tr><td>a</td></tr></table>b</div>"},
      // a title left open ends at the next tag
      {"<title>t<p>a", "<title>t</title><p>a</p>"},
  };
  ExpectTrees(cases);
}

TEST(ParseDocument, VoidElementsHoldNothing) {
  const TreeCase cases[] = {
      {"<img src=a>b</img>c", "<img src=a>bc"},
      {"<br>a<br/>b</br>c", "<br>a<br>b<br>c"},
      {"<input>a<hr>b<meta>c", "<input>a<hr>b<meta>c"},
      {"<div><img src=a><img src=b></div>", "<div><img src=a><img src=b></div>"},
      // unknown names close themselves when written self-closed, not otherwise
      {"<o:p/>a<x-y>b</x-y>c", "<o:p></o:p>a<x-y>b</x-y>c"},
      {"<x-y>a<x-y>b", "<x-y>a<x-y>b</x-y></x-y>"},
  };
  ExpectTrees(cases);
}

TEST(Document, AttributesAndTagNames) {
  const Document doc = ParseDocument("<DIV Class=a ID=\"x\" hidden><Fancy-Tag data-x=1>t</fancy-tag></div>");
  ASSERT_EQ(doc.Size(), 4);
  EXPECT_EQ(doc.TagName(1), "div");
  EXPECT_EQ(doc.At(1).tag, KnownTag("div"));
  EXPECT_EQ(doc.Attribute(1, "class"), "a");
  EXPECT_EQ(doc.Attribute(1, "id"), "x");
  EXPECT_TRUE(doc.HasAttribute(1, "hidden"));
  EXPECT_EQ(doc.Attribute(1, "hidden"), "");
  EXPECT_FALSE(doc.HasAttribute(1, "style"));
  EXPECT_EQ(doc.TagName(2), "fancy-tag");
  EXPECT_EQ(KnownTag("fancy-tag"), std::uint32_t(kTagNone));
  EXPECT_GE(doc.At(2).tag, std::uint32_t(kTagCount));
  EXPECT_EQ(doc.Attribute(2, "data-x"), "1");
  EXPECT_EQ(doc.Text(3), "t");
  EXPECT_EQ(doc.At(3).parent, 2);
  // Elements have no text, texts have no attributes.
  EXPECT_EQ(doc.Text(1), "");
  EXPECT_FALSE(doc.HasAttribute(3, "class"));
  EXPECT_EQ(doc.TagName(Document::kRoot), "");
}

TEST(ParseDocument, ManyDistinctNamesAndTextsStayLinear) {
  // 50 000 distinct unknown tag names, each opened and closed, and texts
  // between them: every one keeps its own name, and the texts are joined
  // only where nothing stood between them.
  std::string page;
  for (int i = 0; i < 50000; ++i) {
    const std::string name = "t" + std::to_string(i);
    page += "<" + name + ">" + std::to_string(i) + "</" + name + ">|";
  }
  const Document doc = ParseDocument(page);
  ASSERT_EQ(doc.Size(), 1 + 50000 * 3);
  EXPECT_EQ(doc.TagName(1 + 3 * 49999), "t49999");
  EXPECT_EQ(doc.Text(2 + 3 * 49999), "49999");
  EXPECT_EQ(doc.Text(3 + 3 * 49999), "|");
  size_t textBytes = 0;
  for (int n = 0; n < doc.Size(); ++n) textBytes += doc.Text(n).size();
  EXPECT_LT(textBytes, page.size());
  // Text split only by comments and NUL bytes is one node.
  const Document joined = ParseDocument(std::string("<p>a<!-- x -->b\0c</p>", 21));
  ASSERT_EQ(joined.Size(), 3);
  EXPECT_EQ(joined.Text(2), "abc");
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
