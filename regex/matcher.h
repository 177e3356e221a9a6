// Runs a compiled program over one subject: a backtracking matcher whose
// stack lives on the heap and whose work is counted against a step budget.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "regex/byte_scan.h"
#include "regex/program.h"

namespace regex {

enum class Status { kMatch, kNoMatch, kLimitHit };

// The step budget of one execution (all the matches of one subject): enough
// for every pattern of the program to run linear-time work with a wide
// margin, small enough that catastrophic backtracking ends in about a second.
inline constexpr std::int64_t kBaseSteps = 1 << 20;
inline constexpr std::int64_t kStepsPerByte = 1000;
// The backtracking stack's limit in frames (16 bytes each).
inline constexpr std::size_t kBaseFrames = 1 << 22;
inline constexpr std::size_t kFramesPerByte = 1;
// Subjects beyond this are refused (positions are kept in 32 bits).
inline constexpr std::size_t kMaxSubject = 0x7FFFFFF0u;

class Matcher {
 public:
  Matcher(const Program& program, std::string_view subject);

  // The first match that begins at or after `from` (a character boundary).
  // After kMatch, Captures() holds 2 * (groups + 1) byte offsets, -1 for a
  // group that took no part, until the next call. The budget is shared by
  // all calls on one Matcher.
  Status Find(std::size_t from);
  const std::int32_t* Captures() const { return caps_.data(); }
  // Steps spent so far by all calls, and the budget they draw on.
  std::int64_t StepsUsed() const { return budget_ - steps_; }
  std::int64_t Budget() const { return budget_; }

  // The length of the character at `pos` (1 at the end).
  std::size_t CharLength(std::size_t pos) const {
    return pos < n_ ? core::Gb18030CharLength(s_ + pos, s_ + n_) : 1;
  }

 private:
  enum FrameKind : std::uint32_t {
    kBranch, kRestoreCapture, kRestoreCounter, kRestoreMark, kLookPositive, kLookNegative,
    kGreedyLoop, kLazyLoop,
  };
  struct Frame {
    FrameKind kind;
    std::uint32_t pc;
    std::uint32_t a;
    std::uint32_t b;
  };

  bool Run(std::size_t start);  // false: no match here (or the limit was hit)
  bool Push(FrameKind kind, std::uint32_t pc, std::uint32_t a, std::uint32_t b) {
    if (stack_.size() >= frameLimit_) {
      limitHit_ = true;
      return false;
    }
    stack_.push_back(Frame{kind, pc, a, b});
    return true;
  }
  // True when `pos` is inside a character of several bytes.
  bool IsInside(std::size_t pos);
  // Previous character of the boundary `pos` (> 0).
  Char PrevChar(std::size_t pos);
  std::size_t PrevCharStart(std::size_t pos);
  // True when `pos` begins a character, given that `known` <= pos does.
  bool IsBoundaryFrom(std::size_t pos, std::size_t known) const {
    // A byte that cannot stand inside a character always begins one.
    return pos >= n_ || !core::CanBeInsideChar(s_[pos]) || IsBoundaryAfterRun(pos, known);
  }
  bool IsBoundaryAfterRun(std::size_t pos, std::size_t known) const;
  // The first character boundary after `pos` (< n_), given that `known` <= pos is one.
  std::size_t BoundaryAfter(std::size_t pos, std::size_t known) const;
  // The first position at or after `q` whose byte can begin a match, or n_.
  std::size_t SkipToFirstByte(std::size_t q);
  // With Program::secondRuns: the first position at or after `q` whose byte
  // and the next can begin a match, or n_.
  std::size_t SkipToFirstPair(std::size_t q) const;
  // Where a run of a class with few stop bytes that begins at `from` ends.
  std::size_t RunEnd(std::size_t from, const ClassStops& stops) const;
  // For a lazy loop of a class that takes every character (or every one but
  // "\n") followed by the byte loop.f: the first place at or after `next`
  // (a boundary the loop has reached) where that byte begins a character,
  // with only characters of the class before it; false when there is none.
  bool ScanLazyTo(const Inst& loop, std::size_t next, std::size_t& q) const;
  bool AtBol(std::size_t pos) const;
  bool AtEol(std::size_t pos) const;
  bool AtWordBoundary(std::size_t pos);
  bool BackrefAt(std::size_t& pos, int group);
  void SetLoopCapture(std::uint32_t group, std::size_t end);

  const Program& p_;
  const char* Chars() const { return reinterpret_cast<const char*>(s_); }
  const unsigned char* s_;
  std::size_t n_;
  std::int64_t budget_;
  std::int64_t steps_;  // left of the budget; below zero once the limit is hit
  std::size_t frameLimit_;
  bool limitHit_ = false;
  // Starts passed over by their second byte; once there are many, the scan
  // looks for both bytes together (Program::secondRuns).
  int secondMisses_ = 0;
  // The block of the last scan for first bytes: starts that follow each
  // other closely (line ends, tags) are read from its mask instead of by a
  // new scan each.
  ScanBlock firstBlock_;
  std::vector<Frame> stack_;
  std::vector<std::uint32_t> looks_;  // stack indexes of the open lookaheads
  std::vector<std::int32_t> caps_;
  std::vector<std::uint32_t> counters_;
  std::vector<std::uint32_t> marks_;
  std::vector<std::uint8_t> inside_;  // built on first need: 1 bit per byte
};

}  // namespace regex
