// The engine's fast paths (first-byte scans, start sets, loop stops and
// follow bytes, literal scans) against the plain backtracker: the same
// program compiled without any hint must find the very same matches, groups,
// counts and replacements, over many generated patterns and subjects.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "regex/regex.h"

namespace {

struct Random {
  std::uint64_t state;
  explicit Random(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
  unsigned Next(unsigned bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return unsigned(state % bound);
  }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Next(unsigned(N))];
  }
};

// Pieces of subjects: markup, entities, blanks and line ends, GBK pairs
// (one with an ASCII second byte), a four-byte character, stray lead bytes.
const char* const kSubjectPieces[] = {
    "<",   ">",    "/",  "p",   "P",     "<p>",      "</p>", "<P class=\"x\">", "<br/>", "</>",
    "<style>", "</style>", "<script>", "</ script >", "&",  ";",  "&nbsp;", "&amp;", "&#8220;",
    " ",   "\t",   "\r", "\n",  "\r\n",  "\r\n\r\n", "a",    "b",    "ab",   "z",   "0",  "9",
    "中",  "文",   "\xB0\x61", "\x81\x5C", "\x94\x39\xFC\x36", "\x81", "\xFE", "\x80", "\xFF",
    "x",   "{",    "}",  "-",   "_",     "=",  "\"",   "'",
};

std::string Subject(Random& r) {
  std::string s;
  const unsigned pieces = r.Next(24);
  for (unsigned i = 0; i < pieces; ++i) s += r.Pick(kSubjectPieces);
  return s;
}

// Atoms of patterns, each a valid pattern on its own.
const char* const kAtoms[] = {
    "a",  "b",  "p",  "<",  ">",   "/",   "\\/",  "&",  ";",  "x",  "中", "\\u4e2d", "\xB0\x61",
    "\\r", "\\n", "\\s", "\\S", "\\d", "\\w", "\\W", ".",  "[^>]", "[a-z]", "[^a-z ]", "[\\r\\n]",
    "[^\\r\\n]", "(?![\\r\\n])\\s", "[一-龥]", "[^<]", "\\b", "^", "$",  "\\B", "[ab]", "[^x]",
};
const char* const kQuantifiers[] = {"", "", "", "*", "+", "?", "*?", "+?", "??", "{2}", "{1,3}", "{0,2}?"};

std::string Pattern(Random& r, int depth) {
  std::string out;
  const unsigned items = 1 + r.Next(4);
  for (unsigned i = 0; i < items; ++i) {
    std::string atom;
    const unsigned kind = depth < 2 ? r.Next(10) : 0;
    if (kind == 7) {
      atom = "(" + Pattern(r, depth + 1) + ")";
    } else if (kind == 8) {
      atom = "(?:" + Pattern(r, depth + 1) + "|" + Pattern(r, depth + 1) + ")";
    } else if (kind == 9) {
      atom = std::string(r.Next(2) ? "(?=" : "(?!") + Pattern(r, depth + 1) + ")";
    } else {
      atom = r.Pick(kAtoms);
    }
    const char* q = r.Pick(kQuantifiers);
    // Anchors and boundaries take no quantifier.
    if (atom != "^" && atom != "$" && atom != "\\b" && atom != "\\B") atom += q;
    out += atom;
  }
  if (depth == 0 && r.Next(12) == 0) out += "\\1";
  return out;
}

struct Outcome {
  regex::Status status;
  std::vector<std::int32_t> captures;
  std::size_t count = 0;
  std::string deleted, replaced;
  bool limitHit = false;
};

Outcome RunAll(const regex::Regex& re, const std::string& subject, bool global) {
  Outcome o;
  o.status = re.Execute(subject, global, o.captures);
  o.limitHit = o.status == regex::Status::kLimitHit;
  if (o.limitHit) return o;  // the rest would run into the same budget
  if (re.Count(subject, o.count) == regex::Status::kLimitHit) o.limitHit = true;
  if (re.Replace(subject, "", global, o.deleted) == regex::Status::kLimitHit) o.limitHit = true;
  if (re.Replace(subject, "[$&|$1]", global, o.replaced) == regex::Status::kLimitHit) o.limitHit = true;
  return o;
}

struct Stats {
  int matched = 0, empty = 0;
} stats;

// Compares the two compilations of `pattern` on `subject`; false when they
// differ (the failure is reported).
bool SameResults(const std::string& pattern, bool ignoreCase, bool multiline, bool global,
                 const std::string& subject) {
  regex::Regex fast, plain;
  const bool valid = fast.Compile(pattern, ignoreCase, multiline);
  EXPECT_EQ(plain.Compile(pattern, ignoreCase, multiline, /*plain=*/true), valid) << pattern;
  if (!valid) return true;
  // The plain path spends more steps; a budget it alone exhausts says nothing.
  const Outcome b = RunAll(plain, subject, global);
  if (b.limitHit) return true;
  const Outcome a = RunAll(fast, subject, global);
  ++(a.captures.empty() ? stats.empty : stats.matched);
  const auto where = [&] {
    std::string escaped;
    for (unsigned char c : subject) {
      if (c >= 0x20 && c < 0x7F) {
        escaped += char(c);
      } else {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        escaped += hex;
      }
    }
    return "pattern " + pattern + (ignoreCase ? " (i)" : "") + (multiline ? " (m)" : "") +
           (global ? " (g)" : "") + " on \"" + escaped + "\"";
  };
  EXPECT_FALSE(a.limitHit) << where();
  EXPECT_EQ(a.status, b.status) << where();
  EXPECT_EQ(a.captures, b.captures) << where();
  EXPECT_EQ(a.count, b.count) << where();
  EXPECT_EQ(a.deleted, b.deleted) << where();
  EXPECT_EQ(a.replaced, b.replaced) << where();
  return !a.limitHit && a.status == b.status && a.captures == b.captures && a.count == b.count &&
         a.deleted == b.deleted && a.replaced == b.replaced;
}

TEST(RegexFastPaths, GeneratedPatternsMatchAsThePlainBacktrackerDoes) {
  Random r(23);
  int failures = 0, compared = 0;
  for (int i = 0; i < 2000 && failures < 10; ++i) {
    const std::string pattern = Pattern(r, 0);
    const bool ignoreCase = r.Next(2), multiline = r.Next(4) != 0, global = r.Next(5) != 0;
    for (int k = 0; k < 6 && failures < 10; ++k) {
      ++compared;
      if (!SameResults(pattern, ignoreCase, multiline, global, Subject(r))) ++failures;
    }
  }
  EXPECT_EQ(failures, 0) << "of " << compared;
  // The generator must give patterns that match, and patterns that do not.
  EXPECT_GT(stats.matched, compared / 4);
  EXPECT_GT(stats.empty, compared / 20);
}

// The cleaning's own patterns on generated markup, with the options the
// program runs them with.
TEST(RegexFastPaths, TheCleaningPatternsMatchAsThePlainBacktrackerDoes) {
  const struct {
    const char* pattern;
    bool ignoreCase;
  } rows[] = {
      {"<p.*?>", true},
      {"</p>", true},
      {"<\\s*style[^>]*>(.|[\\r\\n])*?<\\s*\\/style[^>]*>", false},
      {"<\\s*script[^>]*>(.|[\\r\\n])*?<\\s*\\/script[^>]*>", false},
      {"<\\/?[^>]+>", false},
      {"\\&[a-z]+;", false},
      {"((?![\\r\\n])\\s)+", false},
      {"(?:^\\r|\\n$)", true},
      {"href_top\\=.*?>(.*?)</a>", true},
      // one character qualified by line anchors, and shapes just beyond it
      {"^\\n|\\r$", false},
      {"(?:^a|[bc]$|<)", true},
      {"^\\n|\\n$", false},
      {"[^a-z]$", false},
      {"(^\\r)", false},
      {"^[\\r\\n]+", false},
  };
  Random r(7);
  for (const auto& row : rows) {
    int failures = 0;
    for (int i = 0; i < 1500 && failures < 5; ++i) {
      std::string subject;
      for (int k = 0; k < 3; ++k) subject += Subject(r);
      if (!SameResults(row.pattern, row.ignoreCase, true, true, subject)) ++failures;
    }
  }
}

}  // namespace
