#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/encoding.h"
#include "regex/matcher.h"

namespace {

using regex::RegexObject;

struct Options {
  bool ignoreCase = true;
  bool multiline = true;
  bool global = true;
};
constexpr Options kDefault{};
constexpr Options kCase{false, true, true};
constexpr Options kNoMultiline{true, false, true};
constexpr Options kFirstOnly{true, true, false};

std::vector<std::string> AllMatches(const RegexObject& re) {
  std::vector<std::string> out;
  for (int i = 1; i <= re.MatchCount(); ++i) out.push_back(re.MatchText(i));
  return out;
}

struct MatchRow {
  const char* pattern;
  std::string subject;
  Options options;
  std::vector<std::string> matches;
};

TEST(RegexDialect, EachFeatureFindsTheStatedMatches) {
  const MatchRow rows[] = {
      // literals, dot, classes
      {"abc", "xabcyabc", kDefault, {"abc", "abc"}},
      {"a.c", "abc a\nc a\rc", kDefault, {"abc", "a\rc"}},
      {"[a-c]+", "xxabcabdz", kDefault, {"abcab"}},
      {"[^a-c ]+", "ab de cf", kDefault, {"de", "f"}},
      {"[-a]+", "a-a b", kDefault, {"a-a"}},
      {"[a-]+", "-a-", kDefault, {"-a-"}},
      {"[^]", "ab", kDefault, {"a", "b"}},
      {"\\d+", "a12b345", kDefault, {"12", "345"}},
      {"\\D+", "a12b", kDefault, {"a", "b"}},
      {"\\w+", "foo_1 bar", kDefault, {"foo_1", "bar"}},
      {"\\W+", "ab, cd", kDefault, {", "}},
      {"\\s+", "a \t\f\v\r\nb", kDefault, {" \t\f\v\r\n"}},
      {"\\S+", "ab cd", kDefault, {"ab", "cd"}},
      {"[\\d.]+", "v1.25 x", kDefault, {"1.25"}},
      {"[\\s\\S]+", "a\nb", kDefault, {"a\nb"}},
      // a start is passed over by the byte after its first character only
      // when that byte cannot go on the match
      {"<p.*?>", "<<p>x<P a><", kDefault, {"<p>", "<P a>"}},
      {"<\\s*b", "< <b <\tb<", kDefault, {"<b", "<\tb"}},
      {"a中", "aa中a", kCase, {"a中"}},
      {"x(?:y|)", "xz xy", kDefault, {"x", "xy"}},
      {"x\\1(y)", "xy", kCase, {"xy"}},
      {"a$", "aba", kNoMultiline, {"a"}},
      // escapes
      {"\\x41\\u0042", "AB", kCase, {"AB"}},
      {"\\cJ", "a\nb", kDefault, {"\n"}},
      {"\\=\\&\\/\\.", "=&/.", kDefault, {"=&/."}},
      {"\\t\\v\\f", "\t\v\f", kDefault, {"\t\v\f"}},
      {"\\0", std::string("a\0b", 3), kDefault, {std::string(1, '\0')}},
      {"[\\b]", "a\bb", kDefault, {"\b"}},
      // quantifiers
      {"a{2}", "aaaaa", kDefault, {"aa", "aa"}},
      {"a{2,}", "aaaaa a", kDefault, {"aaaaa"}},
      {"a{2,3}", "aaaaa", kDefault, {"aaa", "aa"}},
      {"a{,2}", "a{,2}", kDefault, {"a{,2}"}},
      {"x{", "x{", kDefault, {"x{"}},
      {"a+?", "aaa", kDefault, {"a", "a", "a"}},
      {"a*?b", "aab", kDefault, {"aab"}},
      {"<.*?>", "<a><b>", kDefault, {"<a>", "<b>"}},
      {"<.*>", "<a><b>", kDefault, {"<a><b>"}},
      {"(?:ab)+", "ababxab", kDefault, {"abab", "ab"}},
      {"(?:ab){2,3}?", "ababab", kDefault, {"abab"}},
      {"(a|ab)(c|bcd)", "abcd", kDefault, {"abcd"}},
      {"a|b|", "ab", kDefault, {"a", "b", ""}},
      // anchors and boundaries
      {"^a", "a\na\ra", kDefault, {"a", "a", "a"}},
      {"^a", "a\na", kNoMultiline, {"a"}},
      {"a$", "a\na\r\na", kDefault, {"a", "a", "a"}},
      {"a$", "a\na", kNoMultiline, {"a"}},
      {"\\bab\\b", "ab cab ab_ ab", kDefault, {"ab", "ab"}},
      {"\\Bb\\B", "abc b", kDefault, {"b"}},
      // lookahead
      {"a(?=b)", "ac ab", kDefault, {"a"}},
      {"a(?!b)", "ab ac", kDefault, {"a"}},
      {"(?!a)\\w+", "Abc", kDefault, {"bc"}},
      {"(?!a)\\w+", "Abc", kCase, {"Abc"}},
      {"(?:x|y)+|z", "xyzy", kDefault, {"xy", "z", "y"}},
      {"((?![\\r\\n])\\s)+", "a \t b\r\n c", kDefault, {" \t ", " "}},
      {"(?=(a+))a*b\\1", "baaabac", kDefault, {"aba"}},
      // backreferences
      {"(a)\\1", "aa ab", kDefault, {"aa"}},
      {"(\\w)\\1", "aA bb", kDefault, {"aA", "bb"}},
      {"(\\w)\\1", "aA bb", kCase, {"bb"}},
      {"\\1(a)", "aa", kDefault, {"a", "a"}},
      // case
      {"<p.*?>", "<P class=x>", kDefault, {"<P class=x>"}},
      {"<p.*?>", "<P class=x>", kCase, {}},
      {"[a-c]", "ABC", kDefault, {"A", "B", "C"}},
      {"[^a]", "Ab", kDefault, {"b"}},
      // empty matches move on by one character
      {"x*", "ab", kDefault, {"", "", ""}},
      {"(?:^\\r|\\n$)", "\r\na\r\n\r\nb", kDefault, {"\r", "\n", "\r"}},
      // global off
      {"a", "aaa", kFirstOnly, {"a"}},
      // empty iterations of a loop end it
      {"(a*)*b", "aab", kDefault, {"aab"}},
      {"(a|)+b", "aab", kDefault, {"aab"}},
      {"(?:a?)*?c", "aac", kDefault, {"aac"}},
  };
  for (const MatchRow& row : rows) {
    RegexObject re;
    ASSERT_TRUE(re.Create(row.pattern, row.subject, row.options.ignoreCase,
                          row.options.multiline, row.options.global))
        << row.pattern;
    EXPECT_EQ(AllMatches(re), row.matches) << row.pattern << " on " << row.subject;
  }
}

struct GroupRow {
  const char* pattern;
  const char* subject;
  std::vector<std::string> groups;  // of the first match
};

TEST(RegexDialect, CaptureGroupsHoldTheirLastIteration) {
  const GroupRow rows[] = {
      {"(a)(b)?(c)", "ac", {"a", "", "c"}},
      {"(\\w)+", "abc", {"c"}},
      {"(.|[\\r\\n])*?x", "ab\nx", {"\n"}},
      {"(.|[\\r\\n])*?x", "x", {""}},
      {"(a|b)*", "abba", {"a"}},
      {"(a*)+", "b", {""}},
      {"(?:(a)|b)c", "bc", {""}},
      {"href_top\\=.*?>(.*?)</a>", "<a href_top=\"1\">热点 一</a>", {"热点 一"}},
      {"(\\d+)-(\\d+)", "10-20", {"10", "20"}},
      {"((a)|(b))+", "ab", {"b", "a", "b"}},
  };
  for (const GroupRow& row : rows) {
    RegexObject re;
    ASSERT_TRUE(re.Create(row.pattern, row.subject)) << row.pattern;
    ASSERT_GE(re.MatchCount(), 1) << row.pattern;
    ASSERT_EQ(re.SubMatchCount(), int(row.groups.size())) << row.pattern;
    for (size_t g = 0; g < row.groups.size(); ++g) {
      EXPECT_EQ(re.SubMatchText(1, int(g + 1)), row.groups[g]) << row.pattern << " group " << g + 1;
    }
  }
}

TEST(RegexDialect, InvalidPatternsFailCreateAndLeaveEveryAccessorEmpty) {
  const char* patterns[] = {"(a",  "a)", "*a", "a**", "a{2}*", "[a",  "[z-a]",   "a{3,2}",
                            "(?<x)", "(?", "\\", "a|*", "+",     "(?:", "x{2}{3}", "^*"};
  for (const char* pattern : patterns) {
    RegexObject re;
    EXPECT_FALSE(re.Create(pattern, "aaa")) << pattern;
    EXPECT_FALSE(re.LimitHit()) << pattern;
    EXPECT_EQ(re.MatchCount(), 0) << pattern;
    EXPECT_EQ(re.MatchText(1), "") << pattern;
    EXPECT_EQ(re.SubMatchCount(), 0) << pattern;
    EXPECT_EQ(re.GetPattern(), pattern);
    EXPECT_EQ(re.Replace("x"), "") << pattern;
  }
}

struct ReplaceRow {
  const char* pattern;
  const char* subject;
  const char* replacement;
  Options options;
  const char* result;
};

TEST(RegexDialect, ReplacementsFillInTheirReferences) {
  const ReplaceRow rows[] = {
      {"(a)(b)", "xaby", "[$2$1]", kDefault, "x[ba]y"},
      {"b", "abc", "[$`|$'|$&|$$]", kDefault, "a[a|c|b|$]c"},
      {"(a)", "a", "$0$2$10$01", kDefault, "$0$2a0a"},
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10$9", kDefault, "ji"},
      {"a", "aXa", "", kDefault, "X"},
      {"a", "aXa", "b", kFirstOnly, "bXa"},
      {"(x)?a", "a", "[$1]", kDefault, "[]"},
      {"(?:^\\r|\\n$)", "\r\na\r\n\r\nb\r\n\r\n\r\nc", "", kDefault, "\na\r\nb\r\nc"},
      {"x*", "ab", "-", kDefault, "-a-b-"},
      {"$", "a", "$", kDefault, "a$"},
      {"中", "中文中", "$&$&", kDefault, "中中文中中"},
  };
  for (const ReplaceRow& row : rows) {
    RegexObject re;
    ASSERT_TRUE(re.Create(row.pattern, row.subject, row.options.ignoreCase,
                          row.options.multiline, row.options.global))
        << row.pattern;
    EXPECT_EQ(re.Replace(row.replacement), row.result) << row.pattern;
  }
}

TEST(RegexObject, IndexesOutsideTheMatchesGiveEmptyText) {
  RegexObject re;
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.MatchText(1), "");
  EXPECT_EQ(re.GetPattern(), "");
  ASSERT_TRUE(re.Create("(b)", "abab"));
  EXPECT_EQ(re.MatchCount(), 2);
  EXPECT_EQ(re.MatchText(0), "");
  EXPECT_EQ(re.MatchText(3), "");
  EXPECT_EQ(re.MatchText(-1), "");
  EXPECT_EQ(re.SubMatchText(1, 0), "");
  EXPECT_EQ(re.SubMatchText(1, 2), "");
  EXPECT_EQ(re.SubMatchText(3, 1), "");
  EXPECT_EQ(re.SubMatchText(2, 1), "b");
  EXPECT_EQ(re.GetPattern(), "(b)");
  // A valid pattern without matches still succeeds.
  ASSERT_TRUE(re.Create("z", "abab"));
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.SubMatchCount(), 0);
  EXPECT_EQ(re.Replace("x"), "abab");
}

TEST(RegexObject, QuoteMarkersStandForADoubleQuoteOnlyWhenAskedFor) {
  const std::string subject = "<a href=\"x\">#引号</a>";
  RegexObject literal;
  ASSERT_TRUE(literal.Create("#引号", subject));
  EXPECT_EQ(AllMatches(literal), std::vector<std::string>{"#引号"});
  RegexObject quoted;
  ASSERT_TRUE(quoted.Create("href=#引号(.*?)#引号", subject, true, true, true, true));
  EXPECT_EQ(quoted.SubMatchText(1, 1), "x");
  EXPECT_EQ(quoted.GetPattern(), "href=\"(.*?)\"");
  EXPECT_FALSE(quoted.Create("(#引号", subject, true, true, true, true));
  EXPECT_EQ(quoted.GetPattern(), "(\"");
}

TEST(RegexObject, RecreatingReplacesEverythingHeld) {
  RegexObject re;
  ASSERT_TRUE(re.Create("(a)", "aa"));
  EXPECT_FALSE(re.Create("(", "aa"));
  EXPECT_EQ(re.MatchCount(), 0);
  ASSERT_TRUE(re.Create("b", "bab", false, true, false));
  EXPECT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.Replace("c"), "cab");
}

// Double-byte characters: a match never starts or ends inside one, even where
// the second byte equals an ASCII character (GBK 0xB0 0x61 holds "a" second).
TEST(RegexGbk, MatchesWorkOnWholeCharacters) {
  const std::string pair = "\xB0\x61";
  const std::string bs = "\x81\x5C";
  struct Row {
    const char* pattern;
    std::string subject;
    std::vector<std::string> matches;
  } rows[] = {
      {"a", pair + "a", {"a"}},
      {"\\\\", bs + "\\", {"\\"}},
      {".", pair, {pair}},
      {"[^x]", pair + "x", {pair}},
      {"\\w+", pair + "ab", {"ab"}},
      {"\\ba", pair + "a", {"a"}},
      {"a\\b", "a" + pair, {"a"}},
      {"中文", "一中文二", {"中文"}},
      {"[中文]+", "一中文二", {"中文"}},
      {"[一-龥]+", "ab中文cd", {"中文"}},
      {"\\u4e2d", "文中", {"中"}},
      {"[^\\u4e2d]+", "中文", {"文"}},
      {"\\s+", "a　b", {}},  // the full-width blank is not white space
      {"<[^>]+>", pair + "<b>", {"<b>"}},
      {"^.", "中\n文", {"中", "文"}},
      {"x*", "中", {"", ""}},
  };
  for (const Row& row : rows) {
    RegexObject re;
    ASSERT_TRUE(re.Create(row.pattern, row.subject)) << row.pattern;
    EXPECT_EQ(AllMatches(re), row.matches) << row.pattern;
  }
}

TEST(RegexGbk, AStrayLeadByteIsACharacterOfItsOwn) {
  struct Row {
    const char* pattern;
    std::string subject;
    std::vector<std::string> matches;
  } rows[] = {
      {"<p>", "\x81<p>", {"<p>"}},
      {"&nbsp;", "\x81&nbsp;", {"&nbsp;"}},
      {"\\s", "\x81 ", {" "}},
      {"\\?", "\xFE?", {"?"}},
      {"<P>", "\xFF<p>", {"<p>"}},
      {".", "\x80" "A", {"\x80", "A"}},
      {"[^<]+", "\x81<p>", {"\x81", "p>"}},
      {"[^x]*<", "a\x81<b", {"a\x81<"}},   // giving back to the "<"
      {".*?>", "\x81>x", {"\x81>"}},
      {"<", "\x81\x81\x81<", {"<"}},
      {"A", "\x81\x81\x81" "A", {}},      // the last lead byte pairs with "A"
      {"^x", "\x81\nx", {"x"}},
      {"x*", "\x81<", {"", "", ""}},
      {"(\x81<)\\1", "\x81<\x81<", {"\x81<\x81<"}},
  };
  for (const Row& row : rows) {
    RegexObject re;
    re.Create(row.pattern, row.subject);
    EXPECT_EQ(AllMatches(re), row.matches) << row.pattern << " in " << row.subject;
  }
}

TEST(RegexGbk, IgnoringCaseFoldsAsciiLettersOnly) {
  const std::string pairA = "\xB0\x41";  // second byte "A"
  const std::string pairLowerA = "\xB0\x61";
  RegexObject re;
  ASSERT_TRUE(re.Create(pairA, pairLowerA + pairA));
  EXPECT_EQ(AllMatches(re), std::vector<std::string>{pairA});
  ASSERT_TRUE(re.Create("(" + pairA + ")\\1", pairA + pairLowerA + pairA + pairA));
  EXPECT_EQ(AllMatches(re), std::vector<std::string>{pairA + pairA});
}

// Characters of four bytes (lead, digit, lead, digit): their digits are never
// digits of the text, and a match never starts, stops or gives back inside one.
TEST(RegexGb18030, FourByteCharactersAreWholeCharacters) {
  const std::string emoji = core::WideToGb18030(u"\U0001F600");  // 94 39 FC 36
  const std::string korean = core::WideToGb18030(u"\xD55C\xAD6D");
  const std::string copyright = core::WideToGb18030(u"\xA9"), tradeMark = core::WideToGb18030(u"\x2122");
  ASSERT_EQ(emoji, "\x94\x39\xFC\x36");
  struct Row {
    std::string pattern;
    std::string subject;
    std::vector<std::string> matches;
  } rows[] = {
      {"\\d", emoji + "7", {"7"}},
      {"\\d+", "1" + emoji + "2", {"1", "2"}},
      {"9", emoji, {}},
      {"9", emoji + "9", {"9"}},
      {".", emoji + "a", {emoji, "a"}},
      {"[^x]+", emoji + korean + "x", {emoji + korean}},
      {"[^<]+", emoji + "<", {emoji}},
      {"\\w+", "ab" + emoji + "cd", {"ab", "cd"}},
      {"\\b9", emoji + "9", {"9"}},
      {"6\\b", emoji, {}},
      {".*?9", emoji + "9", {emoji + "9"}},
      {".*9", emoji + "9" + emoji, {emoji + "9"}},   // gives back past the digits inside
      {"[^a]*6", emoji, {}},
      {"(.)\\1", emoji + emoji + "x", {emoji + emoji}},
      {"x*", emoji, {"", ""}},
      {emoji + "热搜", "x" + emoji + "热搜", {emoji + "热搜"}},
      {"[" + copyright + tradeMark + "]+", "a" + copyright + tradeMark + "b", {copyright + tradeMark}},
      {"\\u00a9", "a" + copyright, {copyright}},
      {"[\\uAC00-\\uD7A3]+", "x" + korean + "中", {korean}},
      {"[^\\x00-\\x7f]+", "a" + emoji + "中b", {emoji + "中"}},
      {"[^\\uAC00-\\uD7A3]+", korean + emoji + korean, {emoji}},
  };
  for (const Row& row : rows) {
    RegexObject re;
    ASSERT_TRUE(re.Create(row.pattern, row.subject)) << row.pattern;
    EXPECT_EQ(AllMatches(re), row.matches) << row.pattern << " in " << row.subject;
  }
  RegexObject re;
  ASSERT_TRUE(re.Create("a", "bab"));
  EXPECT_EQ(re.Replace(emoji + "$&"), "b" + emoji + "ab");
}

TEST(RegexLimits, CatastrophicBacktrackingEndsAsAFailedExecution) {
  const std::string subject(50000, 'a');
  const char* patterns[] = {"(a*)*b", "(a|aa)+b", "(a+)+b", "(?:a|a)*c", "(a+)\\1*b"};
  for (const char* pattern : patterns) {
    RegexObject re;
    EXPECT_FALSE(re.Create(pattern, subject)) << pattern;
    EXPECT_TRUE(re.LimitHit()) << pattern;
    EXPECT_EQ(re.MatchCount(), 0) << pattern;
    EXPECT_EQ(re.Replace(""), "") << pattern;
  }
}

TEST(RegexLimits, ABackreferencePaysForEveryByteItCompares) {
  // The capture is one literal, a single step; comparing it again is not.
  const std::string capture = "b" + std::string(500, 'a');
  const std::string pattern = "(" + capture + ")\\1";
  const struct {
    std::string subject;
    regex::Status status;
  } rows[] = {
      {capture + capture, regex::Status::kMatch},
      {capture + capture.substr(0, 500) + "c", regex::Status::kNoMatch},
  };
  for (const auto& row : rows) {
    regex::Program program;
    ASSERT_TRUE(regex::CompilePattern(pattern, false, true, program));
    regex::Matcher matcher(program, row.subject);
    EXPECT_EQ(matcher.Find(0), row.status);
    EXPECT_GE(matcher.StepsUsed(), std::int64_t(capture.size()));
  }
}

TEST(RegexLimits, DeeplyNestedPatternsAreRefusedNotOverflowed) {
  RegexObject re;
  EXPECT_FALSE(re.Create(std::string(5000, '(') + "a" + std::string(5000, ')'), "a"));
  EXPECT_FALSE(re.LimitHit());
  ASSERT_TRUE(re.Create(std::string(50, '(') + "a" + std::string(50, ')'), "a"));
  EXPECT_EQ(re.SubMatchText(1, 50), "a");
}

TEST(RegexLimits, LongSubjectsRunWithoutDeepRecursion) {
  std::string big = "<style>" + std::string(4 << 20, 'x') + "</style>tail";
  RegexObject re;
  ASSERT_TRUE(re.Create("<\\s*style[^>]*>(.|[\\r\\n])*?<\\s*\\/style[^>]*>", big, false));
  ASSERT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.Replace(""), "tail");
  ASSERT_TRUE(re.Create("(?:xx)+", big));
  EXPECT_EQ(re.MatchText(1).size(), size_t(4 << 20));
  ASSERT_TRUE(re.Create("(ab)*c", std::string(1 << 20, 'a') + "abababc"));
  EXPECT_EQ(re.MatchText(1), "abababc");
}

}  // namespace
