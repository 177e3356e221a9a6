// Our engine against the installed VBScript.RegExp class: the same table of
// patterns, subjects and options through both, comparing match values,
// sub-matches and replacements. Rows where the installed class departs from
// our dialect are listed apart and checked against the dialect.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "regex/regex_object.h"
#include "tests/regex/vbscript_regexp_win32.h"

namespace {

struct Row {
  const char* pattern;
  std::string subject;
  bool ignoreCase = true;
  bool multiline = true;
  bool global = true;
  const char* replacement = "<$&|$1>";
};

// Global rows must not be able to match empty: the installed class runs out
// of memory on those.
const std::vector<Row>& Table() {
  static const std::vector<Row> rows = {
      {"abc", "xabcyABC"},
      {"abc", "xabcyABC", false},
      {"a.c", "abc a\nc axc"},
      {"[a-c]+", "xxabcabdz"},
      {"[^a-c ]+", "ab de cf"},
      {"[-a]+", "a-a b"},
      {"\\d+", "a12b345"},
      {"\\D+", "a12b"},
      {"\\w+", "foo_1 bar"},
      {"\\W+", "ab, cd"},
      {"\\s+", "a \t\f\r\nb"},
      {"\\S+", "ab cd"},
      {"[\\d.]+", "v1.25 x"},
      {"[\\s\\S]+", "a\nb"},
      {"\\x41\\u0042", "AB ab", false},
      {"\\cJ", "a\nb"},
      {"\\=\\&\\/\\.", "=&/."},
      {"a{2}", "aaaaa"},
      {"a{2,}", "aaaaa a"},
      {"a{2,3}", "aaaaa"},
      {"a+?", "aaa"},
      {"a*?b", "aab"},
      {"<.*?>", "<a><b>"},
      {"<.*>", "<a><b>"},
      {"(?:ab)+", "ababxab"},
      {"(?:ab){2,3}?", "ababab"},
      {"(a|ab)(c|bcd)", "abcd"},
      {"^a", "a\na\ra"},
      {"^a", "a\na", true, false},
      {"a$", "a\na\r\na"},
      {"a$", "a\na", true, false},
      {"\\bab\\b", "ab cab ab_ ab"},
      {"\\Bb\\B", "abc b"},
      {"a(?=b)", "ac ab"},
      {"a(?!b)", "ab ac"},
      {"((?![\\r\\n])\\s)+", "a \t b\r\n c"},
      {"(?=(a+))a*b\\1", "baaabac"},
      {"(a)\\1", "aa ab"},
      {"(\\w)\\1", "aA bb"},
      {"(\\w)\\1", "aA bb", false},
      {"<p.*?>", "<P class=x><p>"},
      {"<p.*?>", "<P class=x><p>", false},
      {"[a-c]", "ABC"},
      {"[^a]", "Ab"},
      {"(a)(b)?(c)", "ac abc"},
      {"(\\w)+", "abc de"},
      {"(.|[\\r\\n])*?x", "ab\nx"},
      {"(\\d+)-(\\d+)", "10-20 3-4", true, true, true, "$2-$1"},
      {"(a)(b)", "xaby", true, true, true, "[$2$1]"},
      {"b", "abc", true, true, true, "[$`|$'|$&|$$]"},
      {"(a)", "a", true, true, true, "$0$2$10$01"},
      {"(x)?a", "a", true, true, true, "[$1]"},
      {"(?:^\\r|\\n$)", "\r\na\r\n\r\nb\r\n\r\n\r\nc", true, true, true, ""},
      {"a", "aXa", true, true, false, "b"},
      {"x*", "ab", true, true, false, "-"},
      {"中文", "一中文二中文"},
      {"[一-龥]+", "ab中文cd"},
      {"\\u4e2d", "文中"},
      {"href_top\\=.*?>(.*?)</a>", "<a href_top=\"1\">热点一</a><a href_top=\"2\">二</a>"},
      {"<\\s*style[^>]*>(.|[\\r\\n])*?<\\s*\\/style[^>]*>", "a<style>\r\nx{}\r\n</style>b<STYLE>y</STYLE>",
       false, true, true, ""},
      {"<\\s*script[^>]*>(.|[\\r\\n])*?<\\s*\\/script[^>]*>", "a<script src=x>\r\nf('<p>')</script>b", false,
       true, true, ""},
      {"<\\/?[^>]+>", "<p class=\"x\">a</p><br/>b", false, true, true, ""},
      {"\\&[a-z]+;", "a&nbsp;b&AMP;c&#8220;", false, true, true, ""},
  };
  return rows;
}

// Where the installed class (Wine's, measured) departs from our dialect: "."
// also refuses "\r", and \s also takes the full-width blank U+3000.
struct KnownDifference {
  Row row;
  std::vector<std::string> dialect;  // the matches our dialect gives
};
const std::vector<KnownDifference>& KnownDifferences() {
  static const std::vector<KnownDifference> rows = {
      {{"a.c", "a\rc"}, {"a\rc"}},
      {{"\\s+", "a　b"}, {}},
  };
  return rows;
}

std::string Show(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out.push_back(char(c));
    }
  }
  return out;
}

class VbScriptDifferential : public ::testing::Test {
 protected:
  vbscript::ComScope com_;
};

TEST_F(VbScriptDifferential, MatchesSubMatchesAndReplacementsAgree) {
  vbscript::RegExp probe;
  if (!probe.ok()) GTEST_SKIP() << "VBScript.RegExp is not installed";
  for (const Row& row : Table()) {
    SCOPED_TRACE(std::string(row.pattern) + " on " + Show(row.subject));
    vbscript::RegExp reference;
    ASSERT_TRUE(reference.Set(row.pattern, row.ignoreCase, row.global, row.multiline));
    std::vector<vbscript::Match> want;
    ASSERT_TRUE(reference.Execute(row.subject, want));
    regex::RegexObject ours;
    ASSERT_TRUE(ours.Create(row.pattern, row.subject, row.ignoreCase, row.multiline, row.global));
    ASSERT_EQ(ours.MatchCount(), int(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(Show(ours.MatchText(int(i + 1))), Show(want[i].value)) << "match " << i + 1;
      EXPECT_EQ(ours.SubMatchCount(), int(want[i].groups.size()));
      for (size_t g = 0; g < want[i].groups.size(); ++g) {
        EXPECT_EQ(Show(ours.SubMatchText(int(i + 1), int(g + 1))), Show(want[i].groups[g]))
            << "match " << i + 1 << " group " << g + 1;
      }
    }
    std::string replaced;
    ASSERT_TRUE(reference.Replace(row.subject, row.replacement, replaced));
    EXPECT_EQ(Show(ours.Replace(row.replacement)), Show(replaced)) << "replacement " << row.replacement;
  }
}

TEST_F(VbScriptDifferential, KnownDifferencesFollowOurDialect) {
  for (const KnownDifference& known : KnownDifferences()) {
    const Row& row = known.row;
    regex::RegexObject ours;
    ASSERT_TRUE(ours.Create(row.pattern, row.subject, row.ignoreCase, row.multiline, row.global));
    std::vector<std::string> got;
    for (int i = 1; i <= ours.MatchCount(); ++i) got.push_back(ours.MatchText(i));
    EXPECT_EQ(got, known.dialect) << row.pattern;
    vbscript::RegExp reference;
    std::vector<vbscript::Match> theirs;
    if (reference.ok() && reference.Set(row.pattern, row.ignoreCase, row.global, row.multiline) &&
        reference.Execute(row.subject, theirs)) {
      std::vector<std::string> values;
      for (const auto& m : theirs) values.push_back(m.value);
      std::printf("known difference %s on %s: installed class %s\n", row.pattern, Show(row.subject).c_str(),
                  values == known.dialect ? "now agrees" : "differs, as measured");
    }
  }
}

}  // namespace
