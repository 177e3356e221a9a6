#include "regex/matcher.h"

#include <cstring>

#include "core/text.h"
#include "regex/byte_scan.h"

namespace regex {

Matcher::Matcher(const Program& program, std::string_view subject)
    : p_(program),
      s_(reinterpret_cast<const unsigned char*>(subject.data())),
      n_(subject.size()),
      budget_(kBaseSteps + kStepsPerByte * std::int64_t(subject.size())),
      steps_(budget_),
      frameLimit_(kBaseFrames + kFramesPerByte * subject.size()),
      caps_(2 * (program.groups + 1), -1),
      counters_(program.counters, 0),
      marks_(program.positions, 0) {}

bool Matcher::IsInside(std::size_t pos) {
  if (inside_.empty()) {
    inside_.assign(n_ / 8 + 1, 0);
    for (std::size_t i = 0; i < n_;) {
      const std::size_t length = core::Gb18030CharLength(s_ + i, s_ + n_);
      for (std::size_t k = i + 1; k < i + length; ++k) inside_[k >> 3] |= std::uint8_t(1u << (k & 7));
      i += length;
    }
  }
  return (inside_[pos >> 3] >> (pos & 7)) & 1;
}

std::size_t Matcher::PrevCharStart(std::size_t pos) {
  if (pos == 1) return 0;
  // The byte before a boundary ends a character of several bytes only as
  // the second byte of a pair or the last of four.
  const unsigned char last = s_[pos - 1];
  if (!core::CanBeInsideChar(last)) return pos - 1;
  if (core::IsFourByteDigit(last)) {
    if (pos < 4 || !core::IsLeadByte(s_[pos - 2]) || !core::IsFourByteDigit(s_[pos - 3]) ||
        !core::IsLeadByte(s_[pos - 4])) {
      return pos - 1;
    }
  } else if (!core::IsLeadByte(s_[pos - 2])) {
    return pos - 1;
  }
  std::size_t start = pos - 1;
  while (start > 0 && IsInside(start)) --start;
  return start;
}

Char Matcher::PrevChar(std::size_t pos) {
  const std::size_t start = PrevCharStart(pos);
  std::size_t length;
  return DecodeAt(s_, n_, start, length);
}


std::size_t Matcher::RunEnd(std::size_t from, const ClassStops& stops) const {
  if (stops.count == 0) return n_;
  for (std::size_t known = from;;) {
    const std::size_t q = FindAnyOf(s_, known, n_, stops.bytes, stops.count);
    if (q >= n_ || IsBoundaryFrom(q, known)) return q;
    known = BoundaryAfter(q, known);  // q is inside a character
  }
}

std::size_t Matcher::SkipToFirstPair(std::size_t q) const {
  return FindPairOf(s_, q, n_, p_.firstByteList, p_.fewFirstBytes, p_.secondRuns);
}

std::size_t Matcher::SkipToFirstByte(std::size_t q) {
  if (p_.fewFirstBytes > 0) {
    const ScanBlock& b = firstBlock_;
    if (q >= b.start && q - b.start < b.width) {
      const std::uint32_t rest = b.mask >> (q - b.start);
      if (rest) return q + std::size_t(__builtin_ctz(rest));
      q = b.start + b.width;
    }
    return FindAnyOf(s_, q, n_, p_.firstByteList, p_.fewFirstBytes, firstBlock_);
  }
  // Four lookups per test, so the loop branches once per four bytes.
  const bool* first = p_.firstBytes;
  while (n_ - q >= 4 && !(first[s_[q]] | first[s_[q + 1]] | first[s_[q + 2]] | first[s_[q + 3]])) {
    q += 4;
  }
  while (q < n_ && !first[s_[q]]) ++q;
  return q;
}

std::size_t Matcher::BoundaryAfter(std::size_t pos, std::size_t known) const {
  while (known <= pos) known += core::Gb18030CharLength(s_ + known, s_ + n_);
  return known;
}

bool Matcher::IsBoundaryAfterRun(std::size_t pos, std::size_t known) const {
  // A byte other than a lead or a digit always ends a character (as one of
  // its own or the second of a pair), so the character boundaries are read
  // forward from the start of the run of such bytes before `pos`.
  std::size_t i = pos;
  while (i > known && (core::IsLeadByte(s_[i - 1]) || core::IsFourByteDigit(s_[i - 1]))) --i;
  while (i < pos) i += core::Gb18030CharLength(s_ + i, s_ + n_);
  return i == pos;
}

bool Matcher::AtBol(std::size_t pos) const {
  if (pos == 0) return true;
  if (!p_.multiline) return false;
  // A CR or LF is never the second byte of a character.
  const unsigned char last = s_[pos - 1];
  return last == '\r' || last == '\n';
}

bool Matcher::AtEol(std::size_t pos) const {
  if (pos >= n_) return true;
  return p_.multiline && (s_[pos] == '\r' || s_[pos] == '\n');
}

bool Matcher::AtWordBoundary(std::size_t pos) {
  const bool before = pos > 0 && s_[pos - 1] < 0x80 && IsWordChar(PrevChar(pos));
  const bool after = pos < n_ && IsWordChar(s_[pos]);
  return before != after;
}

bool Matcher::BackrefAt(std::size_t& pos, int group) {
  const std::int32_t begin = caps_[2 * group], end = caps_[2 * group + 1];
  if (begin < 0 || end < 0) return true;  // a group that took no part matches empty
  const std::size_t length = std::size_t(end - begin);
  if (n_ - pos < length) return false;
  // The comparison is charged by its length, matched or not: a long capture
  // compared again at every backtrack would otherwise run far past the budget.
  steps_ -= std::int64_t(length);
  const unsigned char* want = s_ + begin;
  const unsigned char* have = s_ + pos;
  if (!p_.ignoreCase) {
    if (std::memcmp(want, have, length) != 0) return false;
  } else {
    for (std::size_t i = 0; i < length; ++i) {
      const std::size_t n = core::Gb18030CharLength(want + i, want + length);
      if (n > 1) {
        if (std::memcmp(want + i, have + i, n) != 0) return false;
        i += n - 1;
      } else if (FoldAscii(want[i]) != FoldAscii(have[i])) {
        return false;
      }
    }
  }
  pos += length;
  return true;
}

void Matcher::SetLoopCapture(std::uint32_t group, std::size_t end) {
  caps_[2 * group] = std::int32_t(PrevCharStart(end));
  caps_[2 * group + 1] = std::int32_t(end);
}

// Inlined at both its uses: it runs once per backtrack of a lazy loop.
__attribute__((always_inline)) inline bool Matcher::ScanLazyTo(const Inst& loop, std::size_t next,
                                                             std::size_t& q) const {
  const int kind = p_.classKinds[loop.a];
  q = next;
  bool found = false;
  if (kind != 0) {
    std::size_t from = next;
    while (from < n_) {
      const char* hit = core::FindByte(Chars() + from, n_ - from, char(loop.f));
      if (!hit) break;
      q = std::size_t(hit - Chars());
      // A hit that is not a boundary is a second byte, so the byte
      // after it is one: no later check walks back past it.
      if (IsBoundaryFrom(q, from)) {
        found = true;
        break;
      }
      from = q + 1;
    }
    if (found && kind == 1) {
      // "." stops at a line feed that begins a character.
      std::size_t from2 = next;
      while (from2 < q) {
        const char* nl = core::FindByte(Chars() + from2, q - from2, '\n');
        if (!nl) break;
        const std::size_t r = std::size_t(nl - Chars());
        if (IsBoundaryFrom(r, from2)) {
          found = false;
          break;
        }
        from2 = r + 1;
      }
    }
  } else {
    const CharClass& set = p_.classes[loop.a];
    while (q < n_ && s_[q] != loop.f) {
      std::size_t len2;
      if (!set.Test(DecodeAt(s_, n_, q, len2))) break;
      q += len2;
    }
    found = q < n_ && s_[q] == loop.f;
  }
  return found;
}

// A scan for one byte is cheaper per byte than one for two, so the pair scan
// waits until the first byte alone has proved a poor filter.
constexpr int kPairScanAfter = 16;

Status Matcher::Find(std::size_t from) {
  std::size_t start = from;
  while (start <= n_) {
    if (!p_.anyStart) {
      // Skip to the next character that can begin a match.
      std::size_t q;
      for (;;) {
        if (start >= n_) return Status::kNoMatch;
        q = secondMisses_ >= kPairScanAfter ? SkipToFirstPair(start) : SkipToFirstByte(start);
        if (q >= n_) return Status::kNoMatch;
        if (!IsBoundaryFrom(q, start)) {
          start = BoundaryAfter(q, start);  // q is inside a character
          continue;
        }
        if (!p_.prefix.empty() &&
            (n_ - q < p_.prefix.size() ||
             std::memcmp(s_ + q, p_.prefix.data(), p_.prefix.size()) != 0)) {
          start = q + CharLength(q);
          continue;
        }
        if (p_.anyLineStartFirst && p_.lineStartFirst[s_[q]] && !AtBol(q)) {
          start = q + CharLength(q);
          continue;
        }
        if (p_.anyLineEndAfterFirst && s_[q] < 0x80 && p_.lineEndAfterFirst[s_[q]] && !AtEol(q + 1)) {
          start = q + 1;  // an ASCII byte is a whole character
          continue;
        }
        if (p_.hasSecondBytes && (q + 1 >= n_ || !p_.secondBytes[s_[q + 1]])) {
          if (p_.secondRuns.count > 0) ++secondMisses_;
          start = q + 1;  // the first character is one ASCII byte
          continue;
        }
        if (p_.decidedByFirst) {
          --steps_;
          caps_[0] = std::int32_t(q);
          caps_[1] = std::int32_t(q + 1);
          return Status::kMatch;
        }
        break;
      }
      start = q;
    }
    if (Run(start)) return Status::kMatch;
    if (limitHit_) return Status::kLimitHit;
    if (start >= n_) break;
    start += CharLength(start);
  }
  return Status::kNoMatch;
}

bool Matcher::Run(std::size_t start) {
  const Inst* code = p_.code.data();
  std::uint32_t pc = 0;
  std::size_t pos = start;
  stack_.clear();
  looks_.clear();
  // The whole match's two slots are set at kMatch; only groups need clearing.
  if (p_.groups > 0) std::fill(caps_.begin() + 2, caps_.end(), -1);

  for (;;) {
    if (--steps_ < 0) {
      limitHit_ = true;
      return false;
    }
    const Inst& in = code[pc];
    switch (in.op) {
      case Op::kByte:
        // At a character boundary an ASCII byte is a whole character.
        if (pos >= n_ || s_[pos] != in.a) goto fail;
        ++pos;
        ++pc;
        continue;
      case Op::kChar: {
        if (pos >= n_) goto fail;
        std::size_t length;
        if (DecodeAt(s_, n_, pos, length) != in.a) goto fail;
        pos += length;
        ++pc;
        continue;
      }
      case Op::kCharFold: {
        if (pos >= n_ || FoldAscii(s_[pos]) != in.a) goto fail;
        ++pos;
        ++pc;
        continue;
      }
      case Op::kString: {
        if (n_ - pos < in.b || std::memcmp(s_ + pos, p_.literals.data() + in.a, in.b) != 0) {
          goto fail;
        }
        pos += in.b;
        ++pc;
        continue;
      }
      case Op::kStringFold: {
        if (n_ - pos < in.b) goto fail;
        const char* lit = p_.literals.data() + in.a;
        const char* fold = p_.foldMask.data() + in.a;
        for (std::uint32_t i = 0; i < in.b; ++i) {
          const unsigned char have = s_[pos + i];
          if ((fold[i] ? FoldAscii(have) : have) != static_cast<unsigned char>(lit[i])) goto fail;
        }
        pos += in.b;
        ++pc;
        continue;
      }
      case Op::kAny: {
        if (pos >= n_ || s_[pos] == '\n') goto fail;
        pos += CharLength(pos);
        ++pc;
        continue;
      }
      case Op::kClass: {
        if (pos >= n_) goto fail;
        std::size_t length;
        if (!p_.classes[in.a].Test(DecodeAt(s_, n_, pos, length))) goto fail;
        pos += length;
        ++pc;
        continue;
      }
      case Op::kBol:
        if (!AtBol(pos)) goto fail;
        ++pc;
        continue;
      case Op::kEol:
        if (!AtEol(pos)) goto fail;
        ++pc;
        continue;
      case Op::kWordBoundary:
        if (!AtWordBoundary(pos)) goto fail;
        ++pc;
        continue;
      case Op::kNotWordBoundary:
        if (AtWordBoundary(pos)) goto fail;
        ++pc;
        continue;
      case Op::kJump:
        pc = in.a;
        continue;
      case Op::kSplit:
        if (!p_.CanBegin(in.d, pos, s_, n_)) {
          pc = in.a;
          continue;
        }
        if (!p_.CanBegin(in.c, pos, s_, n_)) {
          pc = in.b;
          continue;
        }
        if (!Push(kBranch, in.b, std::uint32_t(pos), 0)) return false;
        pc = in.a;
        continue;
      case Op::kSave:
        if (!Push(kRestoreCapture, 0, in.a, std::uint32_t(caps_[in.a]))) return false;
        caps_[in.a] = std::int32_t(pos);
        ++pc;
        continue;
      case Op::kBackref:
        if (!BackrefAt(pos, int(in.a))) goto fail;
        ++pc;
        continue;
      case Op::kLookahead:
        if (!Push(in.a ? kLookNegative : kLookPositive, in.b, std::uint32_t(pos), 0)) return false;
        looks_.push_back(std::uint32_t(stack_.size() - 1));
        ++pc;
        continue;
      case Op::kLookEnd: {
        const std::uint32_t at = looks_.back();
        looks_.pop_back();
        const Frame barrier = stack_[at];
        if (barrier.kind == kLookPositive) {
          // The lookahead is atomic: drop its choice points, keep the undo
          // records of what it captured.
          std::size_t keep = at;
          for (std::size_t i = at + 1; i < stack_.size(); ++i) {
            const FrameKind kind = stack_[i].kind;
            if (kind == kRestoreCapture || kind == kRestoreCounter || kind == kRestoreMark) {
              stack_[keep++] = stack_[i];
            }
          }
          stack_.resize(keep);
          pos = barrier.a;
          pc = barrier.pc;
          continue;
        }
        // A negative lookahead whose body matched: undo it all, then fail.
        while (stack_.size() > at + 1) {
          const Frame& f = stack_.back();
          if (f.kind == kRestoreCapture) caps_[f.a] = std::int32_t(f.b);
          else if (f.kind == kRestoreCounter) counters_[f.a] = f.b;
          else if (f.kind == kRestoreMark) marks_[f.a] = f.b;
          stack_.pop_back();
        }
        stack_.pop_back();
        goto fail;
      }
      case Op::kRepeatInit:
        if (!Push(kRestoreCounter, 0, in.a, counters_[in.a])) return false;
        counters_[in.a] = 0;
        ++pc;
        continue;
      case Op::kRepeatTest: {
        const std::uint32_t count = counters_[in.a];
        if (count < in.c) {
          ++pc;
        } else if (count >= in.d) {
          pc = in.b;
        } else if (in.greedy) {
          if (!Push(kBranch, in.b, std::uint32_t(pos), 0)) return false;
          ++pc;
        } else {
          if (!Push(kBranch, pc + 1, std::uint32_t(pos), 0)) return false;
          pc = in.b;
        }
        continue;
      }
      case Op::kRepeatInc: {
        std::uint32_t& count = counters_[in.a];
        if (count < in.c || in.d != kUnbounded) {
          if (!Push(kRestoreCounter, 0, in.a, count)) return false;
          ++count;
        }
        ++pc;
        continue;
      }
      case Op::kMarkPos:
        if (!Push(kRestoreMark, 0, in.a, marks_[in.a])) return false;
        marks_[in.a] = std::uint32_t(pos);
        ++pc;
        continue;
      case Op::kCheckPos:
        // An iteration beyond the minimum that matched empty ends the loop
        // as a failure, so empty iterations cannot repeat forever.
        if (marks_[in.a] == pos && (in.b == 0xFFFFFFFFu || counters_[in.b] >= in.c)) goto fail;
        ++pc;
        continue;
      case Op::kRunLoop: {
        const std::size_t end = RunEnd(pos, p_.classStops[in.a]);
        if (end == pos && in.c == 1) goto fail;
        steps_ -= std::int64_t(end - pos);
        pos = end;
        ++pc;
        continue;
      }
      case Op::kAsciiRun: {
        // Every byte taken is ASCII, so each is a whole character and the
        // run ends on a character boundary.
        const CharClass& set = p_.classes[in.a];
        std::size_t end = pos;
        while (end < n_ && s_[end] < 0x80 && set.Test(s_[end])) ++end;
        if (end == pos && in.c == 1) goto fail;
        steps_ -= std::int64_t(end - pos);
        pos = end;
        ++pc;
        continue;
      }
      case Op::kLazyTo: {
        // No iteration first, then straight on to the first place where
        // what follows can begin; the choice point takes it up from there.
        std::size_t q = pos;
        if (!(pos < n_ && s_[pos] == in.f) && !ScanLazyTo(in, pos, q)) {
          steps_ -= std::int64_t(q - pos);
          goto fail;
        }
        steps_ -= std::int64_t(q - pos);
        if (!Push(kLazyLoop, pc, std::uint32_t(q), 0)) return false;
        pos = q;
        ++pc;
        continue;
      }
      case Op::kOptionalChar: {
        if (pos < n_) {
          std::size_t length;
          if (p_.classes[in.a].Test(DecodeAt(s_, n_, pos, length))) {
            if (!Push(kBranch, pc + 1, std::uint32_t(pos), 0)) return false;
            pos += length;
          }
        }
        ++pc;
        continue;
      }
      case Op::kCharLoop: {
        const CharClass& set = p_.classes[in.a];
        const std::size_t runStart = pos;
        std::size_t p = pos, minPos = pos, lastStart = pos;
        std::uint32_t count = 0;
        const ClassStops& stops = p_.classStops[in.a];
        if (in.greedy && in.d == kUnbounded && in.c <= 1 && stops.count >= 0) {
          // The run ends at the first byte the class lacks; only whether it
          // took a character counts here.
          p = RunEnd(pos, stops);
          if (p > pos) {
            count = 1;
            minPos = pos + CharLength(pos);
            if (in.e) lastStart = PrevCharStart(p);
          }
        } else {
          const std::uint32_t want = in.greedy ? in.d : in.c;
          while (count < want && p < n_) {
            std::size_t length;
            if (!set.Test(DecodeAt(s_, n_, p, length))) break;
            lastStart = p;
            p += length;
            if (++count == in.c) minPos = p;
          }
        }
        steps_ -= std::int64_t((p - runStart));
        if (count < in.c) goto fail;
        if (in.c == 0) minPos = runStart;
        if (in.e) {
          if (!Push(kRestoreCapture, 0, 2 * in.e, std::uint32_t(caps_[2 * in.e]))) return false;
          if (!Push(kRestoreCapture, 0, 2 * in.e + 1, std::uint32_t(caps_[2 * in.e + 1]))) {
            return false;
          }
          if (count > 0) {
            caps_[2 * in.e] = std::int32_t(lastStart);
            caps_[2 * in.e + 1] = std::int32_t(p);
          }
        }
        if (in.greedy) {
          // When what follows begins with a character the loop cannot take,
          // no shorter run can be followed by it: nothing to give back.
          const bool hopeless = in.f >= 0 && in.f < 0x80 && !set.Test(Char(in.f));
          if (p > minPos && !hopeless &&
              !Push(kGreedyLoop, pc, std::uint32_t(p), std::uint32_t(minPos))) {
            return false;
          }
        } else if (count < in.d) {
          if (!Push(kLazyLoop, pc, std::uint32_t(p), count)) return false;
        }
        pos = p;
        ++pc;
        continue;
      }
      case Op::kMatch:
        caps_[0] = std::int32_t(start);
        caps_[1] = std::int32_t(pos);
        return true;
    }

  fail:
    for (;;) {
      if (stack_.empty()) return false;
      if (--steps_ < 0) {
        limitHit_ = true;
        return false;
      }
      Frame& f = stack_.back();
      switch (f.kind) {
        case kBranch:
          pc = f.pc;
          pos = f.a;
          stack_.pop_back();
          goto resume;
        case kRestoreCapture:
          caps_[f.a] = std::int32_t(f.b);
          stack_.pop_back();
          continue;
        case kRestoreCounter:
          counters_[f.a] = f.b;
          stack_.pop_back();
          continue;
        case kRestoreMark:
          marks_[f.a] = f.b;
          stack_.pop_back();
          continue;
        case kLookPositive:
          looks_.pop_back();
          stack_.pop_back();
          continue;
        case kLookNegative:
          // The body found no match: the negative lookahead holds.
          pc = f.pc;
          pos = f.a;
          looks_.pop_back();
          stack_.pop_back();
          goto resume;
        case kGreedyLoop: {
          const Inst& loop = code[f.pc];
          const std::size_t end = f.a, floor = f.b;
          std::size_t back;
          if (loop.f >= 0) {
            // Give back straight to the last place where what follows can begin.
            back = end;
            bool found = false;
            while (back > floor) {
              --back;
              if (s_[back] == loop.f &&
                  (back == floor || !core::CanBeInsideChar(s_[back]) || !IsInside(back))) {
                found = true;
                break;
              }
            }
            steps_ -= std::int64_t((end - back));
            if (!found) {
              stack_.pop_back();
              continue;
            }
          } else {
            back = PrevCharStart(end);
          }
          pc = f.pc + 1;
          pos = back;
          if (back > floor) {
            f.a = std::uint32_t(back);
            if (loop.e) SetLoopCapture(loop.e, back);
            goto resume;
          }
          stack_.pop_back();
          if (loop.e) {
            if (loop.c > 0) {
              SetLoopCapture(loop.e, back);
            } else {
              // No iteration left: the capture goes back to what it was.
              for (int k = 0; k < 2; ++k) {
                caps_[stack_.back().a] = std::int32_t(stack_.back().b);
                stack_.pop_back();
              }
            }
          }
          goto resume;
        }
        case kLazyLoop: {
          const Inst& loop = code[f.pc];
          const std::size_t at = f.a;
          if (f.b >= loop.d || at >= n_) {
            stack_.pop_back();
            continue;
          }
          std::size_t length;
          if (!p_.classes[loop.a].Test(DecodeAt(s_, n_, at, length))) {
            stack_.pop_back();
            continue;
          }
          std::size_t next = at + length;
          if (loop.f >= 0 && loop.d == kUnbounded && (next >= n_ || s_[next] != loop.f)) {
            // Run on to the next place where what follows can begin.
            std::size_t q;
            const bool found = ScanLazyTo(loop, next, q);
            steps_ -= std::int64_t((q - next));
            if (!found) {
              stack_.pop_back();
              continue;
            }
            next = q;
          }
          f.a = std::uint32_t(next);
          if (f.b < 0xFFFFFFFFu) ++f.b;
          if (loop.e) SetLoopCapture(loop.e, next);
          pc = f.pc + 1;
          pos = next;
          goto resume;
        }
      }
    }
  resume:;
  }
}

}  // namespace regex
