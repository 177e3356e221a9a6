// A compiled pattern that can be run over many subjects: what RegexObject
// and the HTML cleaner share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regex/matcher.h"

namespace regex {

struct Program;

class Regex {
 public:
  Regex();
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  // False when the pattern is invalid; the object then matches nothing.
  // `plain` leaves out every scanning hint (see CompilePattern): the same
  // matches, found the slow way, for tests of the fast paths.
  bool Compile(std::string_view pattern, bool ignoreCase = false, bool multiline = true,
               bool plain = false);
  bool IsValid() const { return program_ != nullptr; }
  // Capture groups, not counting the whole match.
  int Groups() const;

  // The matches in `subject` (all of them when `global`, else the first),
  // appended to `captures` as 2 * (Groups() + 1) byte offsets per match; -1
  // marks a group that took no part. kNoMatch only for an invalid pattern.
  Status Execute(std::string_view subject, bool global, std::vector<std::int32_t>& captures) const;

  // The number of matches in `subject` (every one, as Execute with `global`
  // finds them), without keeping their offsets.
  Status Count(std::string_view subject, std::size_t& count) const;

  // `subject` with its matches replaced by `replacement` ($1..$99, $&, $`,
  // $', $$). On kLimitHit `out` is empty.
  Status Replace(std::string_view subject, std::string_view replacement, bool global,
                 std::string& out) const;

 private:
  Status Delete(std::string_view subject, bool global, std::string& out) const;
  std::unique_ptr<Program> program_;
};

// Appends `replacement` with its $ references filled in for one match
// (`captures` points at that match's 2 * (groups + 1) offsets).
void ExpandReplacement(std::string_view replacement, std::string_view subject,
                       const std::int32_t* captures, int groups, std::string& out);

}  // namespace regex
