#include "core/cut.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(TextBetween, MarkersStartAndCase) {
  EXPECT_EQ(TextBetween("x<a>hello</a>y", "<a>", "</a>"), "hello");
  EXPECT_EQ(TextBetween("<a></a>", "<a>", "</a>"), "");
  // A right marker only before the left one does not count.
  EXPECT_EQ(TextBetween("</a> <a>text", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("no markers", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("<a>1</a><a>2</a>", "<a>", "</a>", 2), "2");
  EXPECT_EQ(TextBetween("<A>x</A>", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("<A>x</A>", "<a>", "</a>", 1, true), "x");
  // The placeholder stands for a double quote.
  EXPECT_EQ(TextBetween("href = \"http://a/b\" x", "href = #引号", "#引号"), "http://a/b");
  EXPECT_EQ(TextBetween("say \"hi\"", "#引号", "#引号"), "hi");
}

TEST(FindAllBetween, EveryItemContinuingAfterLeftMarker) {
  TextArray items{"stale"};
  EXPECT_EQ(FindAllBetween("<img a><img b>", "<img", ">", items), 2);
  EXPECT_EQ(items, (TextArray{" a", " b"}));
  // The search goes on after each left marker, so nested markers give
  // overlapping items.
  EXPECT_EQ(FindAllBetween("<<a>b>", "<", ">", items), 2);
  EXPECT_EQ(items, (TextArray{"<a", "a"}));
  EXPECT_EQ(FindAllBetween("<IMG SRC=\"x\">", "<img src=\"", "\">", items, true), 1);
  EXPECT_EQ(items, (TextArray{"x"}));
  EXPECT_EQ(FindAllBetween("<img a", "<img", ">", items), 0);
  EXPECT_TRUE(items.empty());
}

TEST(TextAfterLast, PartAfterLastDelimiter) {
  EXPECT_EQ(TextAfterLast("http://h/a/b.jpg?x=1", "/"), "b.jpg?x=1");
  EXPECT_EQ(TextAfterLast("http://h/a/", "/"), "");
  EXPECT_EQ(TextAfterLast("noslash", "/"), "");
  EXPECT_EQ(TextAfterLast("a::b::c", "::"), "c");
}

}  // namespace
}  // namespace core
