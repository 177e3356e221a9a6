// Characters as the engine sees them, and sets of them.
//
// The engine walks GBK text by characters, by the rule of core/text.h: a
// lead byte 0x81..0xFE takes a valid second byte with it, every other byte is
// a character of its own. A character's value is lead * 256 + trail for a
// pair, else the byte itself (so 0x80..0xFF for a lone high byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/text.h"

namespace regex {

using Char = std::uint32_t;
// A value no character of a text has: an escape naming a character that GBK
// lacks compiles to it, so it never matches.
inline constexpr Char kNoChar = 0x10000;

// The character at `pos` (which must be below `size`); `length` gets its
// byte count.
inline Char DecodeAt(const unsigned char* s, std::size_t size, std::size_t pos,
                     std::size_t& length) {
  const unsigned char b = s[pos];
  if (b < 0x81 || !core::IsLeadByte(b) || pos + 1 >= size || !core::IsTrailByte(s[pos + 1])) {
    length = 1;
    return b;
  }
  length = 2;
  return Char(b) << 8 | s[pos + 1];
}

inline bool IsWordChar(Char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
inline bool IsAsciiLetter(Char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline Char FoldAscii(Char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// The GBK value of a UTF-16 code unit, or kNoChar when GBK lacks it.
Char GbkFromUnicode(std::uint16_t unit);
// The UTF-16 code unit of a character value, or 0xFFFF when it is not one.
std::uint16_t UnicodeFromGbk(Char c);

// A set of characters: a bitmap of the ASCII characters, and for the others
// either "all", "none" or a full bitmap of the 16-bit values.
class CharClass {
 public:
  CharClass() = default;
  CharClass(const CharClass& other) { *this = other; }
  CharClass& operator=(const CharClass& other);
  CharClass(CharClass&&) = default;
  CharClass& operator=(CharClass&&) = default;

  bool Test(Char c) const {
    if (c < 0x80) return (ascii_[c >> 6] >> (c & 63)) & 1;
    if (c >= 0x10000) return false;
    if (high_) return (high_[c >> 6] >> (c & 63)) & 1;
    return allHigh_;
  }
  void Add(Char c);
  // Every character whose Unicode value lies in [low, high].
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
  // When the set takes every character of two bytes and every byte of 0x80
  // and above: the ASCII characters it lacks, if at most `room`, written to
  // `out`; their count. -1 for any other set.
  int MissingAscii(unsigned char* out, int room) const;

 private:
  void MakeBitmap();
  std::uint64_t ascii_[2] = {0, 0};
  bool allHigh_ = false;
  std::unique_ptr<std::uint64_t[]> high_;  // 1024 words when present
};

}  // namespace regex
