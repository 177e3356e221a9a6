#include "regex/regex_object.h"

#include <cstdint>
#include <vector>

#include "core/cut.h"
#include "regex/regex.h"

namespace regex {

struct RegexObject::State {
  Regex regex;
  Text pattern;
  Text subject;
  bool global = true;
  bool executed = false;  // the last Create produced a match collection
  bool limitHit = false;
  std::vector<std::int32_t> captures;  // 2 * (groups + 1) per match
};

RegexObject::RegexObject() : state_(std::make_unique<State>()) {}
RegexObject::~RegexObject() = default;

bool RegexObject::Create(const Text& pattern, const Text& subject, bool ignoreCase,
                         bool multiline, bool global, bool quoteMarkers) {
  State& s = *state_;
  s = State();
  const Text effective =
      quoteMarkers ? core::ReplaceAll(pattern, core::kQuotePlaceholder, "\"") : pattern;
  s.pattern = effective;  // kept even when it does not compile
  if (!s.regex.Compile(effective, ignoreCase, multiline)) return false;
  s.subject = subject;
  s.global = global;
  const Status status = s.regex.Execute(s.subject, global, s.captures);
  if (status == Status::kLimitHit) {
    s.captures.clear();
    s.limitHit = true;
    return false;
  }
  s.executed = true;
  return true;
}

Text RegexObject::GetPattern() const { return state_->pattern; }

Text RegexObject::Replace(const Text& replacement) const {
  const State& s = *state_;
  if (!s.executed) return Text();
  // The matches are those found by Create; replacing them needs no new run.
  const int width = 2 * (s.regex.Groups() + 1);
  Text out;
  out.reserve(s.subject.size());
  std::size_t copied = 0;
  for (std::size_t m = 0; m + width <= s.captures.size(); m += width) {
    const std::int32_t* caps = s.captures.data() + m;
    out.append(s.subject, copied, std::size_t(caps[0]) - copied);
    ExpandReplacement(replacement, s.subject, caps, s.regex.Groups(), out);
    copied = std::size_t(caps[1]);
  }
  out.append(s.subject, copied, Text::npos);
  return out;
}

int RegexObject::MatchCount() const {
  const State& s = *state_;
  if (!s.executed) return 0;
  return int(s.captures.size() / (2 * (s.regex.Groups() + 1)));
}

Text RegexObject::MatchText(int index) const {
  const State& s = *state_;
  if (index < 1 || index > MatchCount()) return Text();
  const std::int32_t* caps = s.captures.data() + std::size_t(index - 1) * 2 * (s.regex.Groups() + 1);
  return s.subject.substr(std::size_t(caps[0]), std::size_t(caps[1] - caps[0]));
}

Text RegexObject::SubMatchText(int index, int group) const {
  const State& s = *state_;
  if (index < 1 || index > MatchCount() || group < 1 || group > s.regex.Groups()) return Text();
  const std::int32_t* caps = s.captures.data() + std::size_t(index - 1) * 2 * (s.regex.Groups() + 1);
  const std::int32_t b = caps[2 * group], e = caps[2 * group + 1];
  if (b < 0 || e < b) return Text();
  return s.subject.substr(std::size_t(b), std::size_t(e - b));
}

int RegexObject::SubMatchCount() const {
  return MatchCount() > 0 ? state_->regex.Groups() : 0;
}

bool RegexObject::LimitHit() const { return state_->limitHit; }

}  // namespace regex
