// The program's regular-expression object: compile a pattern, run it over a
// subject once, then read the matches by 1-based index or replace them.
//
// Dialect: VBScript-style (ES3) patterns with lazy quantifiers, (?:...),
// (?=...), (?!...), backreferences, counted repetition, classes; "." matches
// anything but "\n"; \w \d \b are ASCII; \s is [ \f\n\r\t\v]; ignoring case
// folds ASCII letters only. Matching works on GBK characters, never inside a
// double-byte character.
#pragma once

#include <memory>

#include "core/text.h"

namespace regex {

using core::Text;

class Program;  // the compiled pattern
struct MatchResult;

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // Compiles `pattern` and finds its matches in `subject` (all of them when
  // `global`, else the first). With `quoteMarkers` every "#引号" in the
  // pattern stands for one double quote. False when the pattern is invalid or
  // the execution hit its step limit; every accessor is then empty.
  bool Create(const Text& pattern, const Text& subject, bool ignoreCase = true,
              bool multiline = true, bool global = true, bool quoteMarkers = false);

  // The pattern as given to the last Create (after the quote markers were
  // replaced), whether or not it compiled; "" before Create.
  Text GetPattern() const;
  // The subject with its matches replaced ($1..$99, $&, $`, $', $$).
  Text Replace(const Text& replacement) const;
  int MatchCount() const;
  // "" when out of range.
  Text MatchText(int index) const;
  // "" when out of range or when the group took no part in the match.
  Text SubMatchText(int index, int group) const;
  // The number of capture groups; 0 when there is no match.
  int SubMatchCount() const;
  // True when the last Create failed because the execution ran out of its
  // step budget (catastrophic backtracking), not because the pattern was
  // invalid.
  bool LimitHit() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace regex
