// The compiled form of a pattern: a flat list of instructions for the
// backtracking matcher, plus what the scanner needs to skip ahead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regex/byte_scan.h"
#include "regex/char_class.h"

namespace regex {

enum class Op : std::uint8_t {
  kChar,        // a: character value
  kByte,        // a: ASCII character (always one whole byte)
  kCharFold,    // a: lower-case ASCII letter, either case matches
  kString,      // a: offset in literals, b: byte length (whole characters)
  kStringFold,  // as kString; folded bytes are lower-case, fold flags in foldMask
  kAny,         // any character but "\n"
  kClass,       // a: class index
  kBol,
  kEol,
  kWordBoundary,
  kNotWordBoundary,
  kJump,   // a: target
  kSplit,  // a: tried first, b: tried on backtracking; c, d: their start byte sets
  kSave,   // a: capture slot
  kBackref,      // a: group
  kLookahead,    // a: 1 when negative, b: index after the matching kLookEnd
  kLookEnd,
  kRepeatInit,   // a: counter
  kRepeatTest,   // a: counter, b: exit, c: min, d: max, greedy
  kRepeatInc,    // a: counter, c: min, d: max
  kMarkPos,      // a: position register
  kCheckPos,     // a: position register, b: counter or -1, c: min
  kCharLoop,     // a: class index, c: min, d: max, e: group or 0, f: next byte or -1, greedy
  // Forms of kCharLoop with no capture that need less bookkeeping:
  kRunLoop,      // greedy, at most one required, no end, a class with stops; what follows
                 // begins with a byte the class lacks, so nothing is ever given back
  kOptionalChar, // greedy, zero or one: one choice point, back to the same place
  kAsciiRun,     // as kRunLoop for a class of ASCII characters only, read byte by byte
  kLazyTo,       // lazy, none required, no end, a class of every character (or every
                 // one but "\n") followed by the byte f: goes straight to that byte
  kMatch,
};

inline constexpr std::uint32_t kUnbounded = 0xFFFFFFFFu;

struct Inst {
  Op op;
  bool greedy = true;
  std::uint32_t a = 0, b = 0, c = 0, d = 0, e = 0;
  std::int32_t f = -1;
};

// The single-byte characters a class lacks, when it takes every other
// character and lacks at most four: a run of the class then ends only at one
// of those bytes, which a scan finds. `count` is -1 for any other class.
struct ClassStops {
  int count = -1;
  unsigned char bytes[4] = {};
};

struct Program {
  std::vector<Inst> code;
  std::vector<CharClass> classes;
  std::vector<std::uint8_t> classKinds;  // CharClass::Kind of each class
  std::vector<ClassStops> classStops;    // of each class
  // Sets of 256 bytes, four words each: the bytes a branch of a kSplit can
  // begin with (kUnbounded for a branch that may match empty or whose start
  // is unknown). A branch that cannot begin with the byte at hand is skipped
  // without a choice point.
  std::vector<std::uint64_t> startSets;
  bool CanBegin(std::uint32_t set, std::size_t pos, const unsigned char* s, std::size_t n) const {
    if (set == 0xFFFFFFFFu) return true;
    if (pos >= n) return false;
    const unsigned char c = s[pos];
    return (startSets[set + (c >> 6)] >> (c & 63)) & 1;
  }
  std::string literals;
  std::string foldMask;  // per byte of literals: 1 where the byte is folded
  int groups = 0;        // capture groups, not counting the whole match
  int counters = 0;
  int positions = 0;
  bool ignoreCase = false;
  bool multiline = false;
  // Scanning: a match can only begin with a byte flagged here, unless
  // `anyStart` (the pattern can match empty, or starts with a backreference).
  bool anyStart = true;
  bool firstBytes[256] = {};
  int singleFirstByte = -1;  // the only possible first byte, or -1
  // The possible first bytes when there are at most four of them (the
  // scanner then compares a block of bytes with each at once), else 0.
  int fewFirstBytes = 0;
  unsigned char firstByteList[4] = {};
  // The first bytes with which a match can only begin at a line start: a
  // start elsewhere is passed over without running the program.
  bool anyLineStartFirst = false;
  bool lineStartFirst[256] = {};
  // The ASCII first bytes with which a match must be followed at once by a
  // line end ("\n$"): a start whose next byte is not one is passed over.
  bool anyLineEndAfterFirst = false;
  bool lineEndAfterFirst[128] = {};
  // Every match is one ASCII character, decided by the checks above alone:
  // a start that passes them is a match, found without running the program.
  bool decidedByFirst = false;
  std::string prefix;        // a literal (case-sensitive) every match begins with
  // When every match begins with one ASCII character and something follows
  // it: the bytes that can follow (a start whose next byte is not flagged
  // is passed over without running the program).
  bool hasSecondBytes = false;
  bool secondBytes[256] = {};
  // When the first bytes are few and the second bytes are a few runs of
  // values (at most three, a minority of all bytes): the runs, as their
  // lowest byte and length less one. The scanner then looks for the two
  // bytes together, sixteen positions at a time.
  ByteRuns secondRuns;
};

// Parses and compiles `pattern`. False when the pattern is invalid. With
// `plain` the program carries none of the hints above (first bytes, prefix,
// start sets, loop stops and follow bytes): the matcher then tries every
// start and every choice one by one, the reference the fast paths are tested
// against.
bool CompilePattern(std::string_view pattern, bool ignoreCase, bool multiline, Program& out,
                    bool plain = false);

}  // namespace regex
