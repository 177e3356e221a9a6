#include "regex/regex.h"

#include <cstring>

#include "regex/program.h"

namespace regex {

Regex::Regex() = default;
Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::Compile(std::string_view pattern, bool ignoreCase, bool multiline, bool plain) {
  auto program = std::make_unique<Program>();
  if (!CompilePattern(pattern, ignoreCase, multiline, *program, plain)) {
    program_.reset();
    return false;
  }
  program_ = std::move(program);
  return true;
}

int Regex::Groups() const { return program_ ? program_->groups : 0; }

namespace {

// Runs the matches one after the other; after an empty match the search
// moves on by one character.
template <typename OnMatch>
Status ForEachMatch(const Program& program, std::string_view subject, bool global,
                    OnMatch&& onMatch) {
  if (subject.size() > kMaxSubject) return Status::kLimitHit;
  Matcher matcher(program, subject);
  std::size_t from = 0;
  bool any = false;
  while (from <= subject.size()) {
    const Status status = matcher.Find(from);
    if (status == Status::kLimitHit) return status;
    if (status == Status::kNoMatch) break;
    any = true;
    const std::int32_t* caps = matcher.Captures();
    onMatch(caps);
    if (!global) break;
    const std::size_t end = std::size_t(caps[1]);
    if (end == std::size_t(caps[0])) {
      if (end >= subject.size()) break;
      from = end + matcher.CharLength(end);
    } else {
      from = end;
    }
  }
  return any ? Status::kMatch : Status::kNoMatch;
}

}  // namespace

Status Regex::Execute(std::string_view subject, bool global,
                      std::vector<std::int32_t>& captures) const {
  if (!program_) return Status::kNoMatch;
  const size_t width = 2 * (program_->groups + 1);
  return ForEachMatch(*program_, subject, global, [&](const std::int32_t* caps) {
    captures.insert(captures.end(), caps, caps + width);
  });
}

Status Regex::Count(std::string_view subject, std::size_t& count) const {
  count = 0;
  if (!program_) return Status::kNoMatch;
  return ForEachMatch(*program_, subject, true, [&](const std::int32_t*) { ++count; });
}

namespace {

// Copies `n` bytes. The pieces between nearby matches are short, and the C
// runtime's memmove (under Wine) spends longer getting ready than copying them.
inline char* CopyPiece(char* to, const char* from, std::size_t n) {
  if (n > 32) {
    std::memcpy(to, from, n);
    return to + n;
  }
  for (; n >= 4; n -= 4, to += 4, from += 4) {
    std::uint32_t word;
    std::memcpy(&word, from, 4);
    std::memcpy(to, &word, 4);
  }
  switch (n) {
    case 3: to[2] = from[2]; [[fallthrough]];
    case 2: to[1] = from[1]; [[fallthrough]];
    case 1: to[0] = from[0];
  }
  return to + n;
}

}  // namespace

// Deleting every match, the cleaning's common case: the result is never
// longer than the subject, so it is written into place (over what `out`
// held, which a chain of deletions hands back large enough).
Status Regex::Delete(std::string_view subject, bool global, std::string& out) const {
  if (out.size() < subject.size()) out.resize(subject.size());
  char* const base = &out[0];
  char* to = base;
  std::size_t copied = 0;
  const Status status = ForEachMatch(*program_, subject, global, [&](const std::int32_t* caps) {
    to = CopyPiece(to, subject.data() + copied, std::size_t(caps[0]) - copied);
    copied = std::size_t(caps[1]);
  });
  if (status == Status::kLimitHit) {
    out.clear();
    return status;
  }
  to = CopyPiece(to, subject.data() + copied, subject.size() - copied);
  out.resize(std::size_t(to - base));
  return status;
}

Status Regex::Replace(std::string_view subject, std::string_view replacement, bool global,
                      std::string& out) const {
  if (program_ && replacement.empty()) return Delete(subject, global, out);
  out.clear();
  if (!program_) {
    out.assign(subject);
    return Status::kNoMatch;
  }
  const bool plain = replacement.find('$') == std::string_view::npos;
  std::size_t copied = 0;
  const int groups = program_->groups;
  const Status status = ForEachMatch(*program_, subject, global, [&](const std::int32_t* caps) {
    out.append(subject.data() + copied, std::size_t(caps[0]) - copied);
    if (plain) {
      out.append(replacement.data(), replacement.size());
    } else {
      ExpandReplacement(replacement, subject, caps, groups, out);
    }
    copied = std::size_t(caps[1]);
  });
  if (status == Status::kLimitHit) {
    out.clear();
    return status;
  }
  out.append(subject.data() + copied, subject.size() - copied);
  return status;
}

void ExpandReplacement(std::string_view replacement, std::string_view subject,
                       const std::int32_t* captures, int groups, std::string& out) {
  auto group = [&](int g) {
    const std::int32_t b = captures[2 * g], e = captures[2 * g + 1];
    if (b >= 0 && e >= b) out.append(subject.data() + b, std::size_t(e - b));
  };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const std::size_t n = replacement.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = replacement[i];
    if (const std::size_t length = core::CharLengthAt(replacement, i); length > 1) {
      out.append(replacement.data() + i, length);
      i += length - 1;
      continue;
    }
    if (c != '$' || i + 1 >= n) {
      out.push_back(c);
      continue;
    }
    const char next = replacement[i + 1];
    if (next == '$') {
      out.push_back('$');
      ++i;
    } else if (next == '&') {
      group(0);
      ++i;
    } else if (next == '`') {
      out.append(subject.data(), std::size_t(captures[0]));
      ++i;
    } else if (next == '\'') {
      out.append(subject.data() + captures[1], subject.size() - std::size_t(captures[1]));
      ++i;
    } else if (digit(next)) {
      // Two digits when they name a group, else one; $0 and groups beyond the
      // pattern's stay as written.
      int number = next - '0';
      std::size_t used = 1;
      if (i + 2 < n && digit(replacement[i + 2])) {
        const int two = number * 10 + (replacement[i + 2] - '0');
        if (two >= 1 && two <= groups) {
          number = two;
          used = 2;
        }
      }
      if (number >= 1 && number <= groups) {
        group(number);
        i += used;
      } else {
        out.push_back('$');
      }
    } else {
      out.push_back('$');
    }
  }
}

}  // namespace regex
