// Characters as the engine sees them, and sets of them.
//
// The engine walks GB18030 text by characters, by the rule of core/text.h: a
// lead byte 0x81..0xFE takes a valid second byte, or three bytes of the
// four-byte form, with it; every other byte is a character of its own. A
// character's value is lead * 256 + trail for a pair, kFourByteBase plus the
// sequence's number for four bytes, else the byte itself (so 0x80..0xFF for
// a lone high byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/gb18030.h"
#include "core/text.h"

namespace regex {

using Char = std::uint32_t;
// A value no character of a text has: an escape naming a character without
// bytes (a lone surrogate) compiles to it, so it never matches.
inline constexpr Char kNoChar = 0x10000;
// The values of four-byte characters, in the order of their bytes.
inline constexpr Char kFourByteBase = 0x20000;
inline constexpr Char kFourByteLast = kFourByteBase + core::kGb18030FourByteCount - 1;

// The character at `pos` (which must be below `size`); `length` gets its
// byte count.
inline Char DecodeAt(const unsigned char* s, std::size_t size, std::size_t pos,
                     std::size_t& length) {
  length = core::Gb18030CharLength(s + pos, s + size);
  if (length == 1) return s[pos];
  if (length == 2) return Char(s[pos]) << 8 | s[pos + 1];
  return kFourByteBase + core::Gb18030Pointer(s + pos);
}

// The bytes of a character value (not kNoChar), written to `out` (room for
// four); their count.
inline std::size_t EncodeChar(Char c, char* out) {
  if (c < 0x100) {
    out[0] = char(c);
    return 1;
  }
  if (c < kFourByteBase) {
    out[0] = char(c >> 8);
    out[1] = char(c & 0xFF);
    return 2;
  }
  const Char p = c - kFourByteBase;
  out[0] = char(0x81 + p / 12600);
  out[1] = char(0x30 + p / 1260 % 10);
  out[2] = char(0x81 + p / 10 % 126);
  out[3] = char(0x30 + p % 10);
  return 4;
}
inline unsigned char FirstByteOf(Char c) {
  char bytes[4];
  EncodeChar(c, bytes);
  return static_cast<unsigned char>(bytes[0]);
}

inline bool IsWordChar(Char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
inline bool IsAsciiLetter(Char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline Char FoldAscii(Char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// The character value of a code point, or kNoChar when it has no bytes.
Char GbkFromUnicode(std::uint32_t codePoint);
// The code point of a character value, or kNoUnicode when it is not one.
inline constexpr std::uint32_t kNoUnicode = 0xFFFFFFFFu;
std::uint32_t UnicodeFromGbk(Char c);

// A set of characters: a bitmap of the ASCII characters; for the others
// either "all", "none" or a full bitmap of the 16-bit values; and the
// four-byte characters as ranges of their values.
class CharClass {
 public:
  CharClass() = default;
  CharClass(const CharClass& other) { *this = other; }
  CharClass& operator=(const CharClass& other);
  CharClass(CharClass&&) = default;
  CharClass& operator=(CharClass&&) = default;

  bool Test(Char c) const {
    if (c < 0x80) return (ascii_[c >> 6] >> (c & 63)) & 1;
    if (c >= kFourByteBase) return HasFourByte(c);
    if (c >= 0x10000) return false;
    if (high_) return (high_[c >> 6] >> (c & 63)) & 1;
    return allHigh_;
  }
  void Add(Char c);
  // Every character whose code point lies in [low, high].
  void AddUnicodeRange(std::uint32_t low, std::uint32_t high);
  void AddClass(const CharClass& other);
  void AddAllHigh();
  void Negate();
  // Adds the other case of every ASCII letter in the set.
  void FoldCase();
  // Removes every character of `other`.
  void Subtract(const CharClass& other);
  // 2: every character; 1: every character but "\n"; 0: anything else.
  int Kind() const;
  // The bytes a character of the set can begin with (256 flags).
  void FirstBytes(bool* bytes) const;
  bool HasAnyHigh() const;
  // When the set takes every character of two or four bytes and every byte
  // of 0x80 and above: the ASCII characters it lacks, if at most `room`,
  // written to `out`; their count. -1 for any other set.
  int MissingAscii(unsigned char* out, int room) const;

 private:
  using Ranges = std::vector<std::pair<Char, Char>>;  // sorted, apart, inclusive
  void MakeBitmap();
  bool HasFourByte(Char c) const;
  void AddFourByte(Char low, Char high);
  bool AllFourByte() const {
    return four_.size() == 1 && four_[0].first == kFourByteBase && four_[0].second == kFourByteLast;
  }
  static Ranges Complement(const Ranges& ranges);
  std::uint64_t ascii_[2] = {0, 0};
  bool allHigh_ = false;
  std::unique_ptr<std::uint64_t[]> high_;  // 1024 words when present
  Ranges four_;
};

}  // namespace regex
