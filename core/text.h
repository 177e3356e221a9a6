// The program's text types and the basic text operations every subsystem uses.
//
// Text is GB18030: an ASCII character is one byte, a GBK character (every
// Chinese character of everyday use) two, any other character four. A lead
// byte 0x81..0xFE takes a second byte 0x40..0xFE other than 0x7F with it, or
// three more of the form 0x30..0x39, 0x81..0xFE, 0x30..0x39; the bytes after
// a lead never start a match and are never case-folded. Every other byte is
// a character of its own (0x80 is the euro sign; a stray lead byte before
// "<" or a blank does not swallow it). Positions and lengths are bytes;
// positions are 1-based, -1 means "not found".
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace core {

// GB18030 text. Holds no zero byte (Text made from Bytes stops at the first one).
using Text = std::string;
// A length-counted buffer that may hold zero bytes.
using Bytes = std::vector<std::uint8_t>;
// An array of texts. The program's algorithms count items from 1; the
// container is an ordinary vector, so item n is at index n - 1.
using TextArray = std::vector<Text>;

// The full-width blank U+3000.
inline constexpr std::string_view kFullWidthBlank = "\xA1\xA1";

// The bytes up to the first zero byte (all of them when there is none).
Text TextFromBytes(const Bytes& bytes);
Text TextFromBytes(std::string_view bytes);
Bytes BytesFromText(std::string_view text);

// True when the eight bytes at `s` are all ASCII (pages are mostly ASCII
// markup, so runs of it are skipped or copied a word at a time).
inline bool EightAscii(const void* s) {
  std::uint64_t word;
  std::memcpy(&word, s, 8);
  return (word & 0x8080808080808080ull) == 0;
}

// The first `c` in the `n` bytes at `s`, or nullptr: memchr natively; in the
// Windows build sixteen bytes at a time with SSE2, else a word at a time
// (the C runtime's memchr under Wine goes byte by byte).
inline const char* FindByte(const char* s, size_t n, char c) {
#if !defined(_WIN32)
  // Natively the C library's search, which picks the widest vectors there are.
  return static_cast<const char*>(std::memchr(s, c, n));
#endif
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i want = _mm_set1_epi8(c);
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, want));
    if (mask) return s + i + __builtin_ctz(unsigned(mask));
  }
#else
  const std::uint32_t spread = 0x01010101u * static_cast<unsigned char>(c);
  for (; i + 8 <= n; i += 8) {
    std::uint32_t a, b;
    std::memcpy(&a, s + i, 4);
    std::memcpy(&b, s + i + 4, 4);
    a ^= spread;
    b ^= spread;
    // A zero byte in a or b (one that equalled c) sets its high bit here.
    if (((a - 0x01010101u) & ~a & 0x80808080u) | ((b - 0x01010101u) & ~b & 0x80808080u)) break;
  }
#endif
  for (; i < n; ++i) {
    if (s[i] == c) return s + i;
  }
  return nullptr;
}

// The first position p < n - 1 where s[p] is `a1` or `a2` and s[p + 1] is
// `b1` or `b2`, or nullptr: a two-byte prefilter for a text search (each
// pair of one byte in either case, or twice the same byte). It tests 32 or
// 16 positions at once where the processor allows.
const char* FindBytePair(const char* s, size_t n, char a1, char a2, char b1, char b2);

// True when the byte can begin a character of two or four bytes (it does
// when the right bytes follow).
inline bool IsLeadByte(unsigned char c) { return unsigned(c - 0x81) < 0x7Eu; }
// True when the byte can be the second byte of a two-byte character.
inline bool IsTrailByte(unsigned char c) { return unsigned(c - 0x40) < 0xBFu && c != 0x7F; }
// True when the byte can be the second or the last byte of a four-byte character.
inline bool IsFourByteDigit(unsigned char c) { return unsigned(c - 0x30) < 10u; }
// True when the byte can stand inside a character of two or four bytes (so
// any other byte begins a character wherever it is).
inline bool CanBeInsideChar(unsigned char c) { return IsTrailByte(c) || IsFourByteDigit(c); }

// The byte length (1, 2 or 4) of the character that begins at `p`, given the
// end of the text (`p` < `end`).
inline size_t Gb18030CharLength(const unsigned char* p, const unsigned char* end) {
  if (*p < 0x81 || *p == 0xFF || end - p < 2) return 1;
  if (IsTrailByte(p[1])) return 2;
  return (IsFourByteDigit(p[1]) && end - p >= 4 && IsLeadByte(p[2]) && IsFourByteDigit(p[3])) ? 4 : 1;
}
inline size_t Gb18030CharLength(const char* p, const char* end) {
  return Gb18030CharLength(reinterpret_cast<const unsigned char*>(p),
                           reinterpret_cast<const unsigned char*>(end));
}
// The byte length of the character at `pos` (< text.size()).
inline size_t CharLengthAt(std::string_view text, size_t pos) {
  return Gb18030CharLength(text.data() + pos, text.data() + text.size());
}

// The blanks of markup and of the cleaning: space, tab, LF, CR and form feed.
inline bool IsAsciiBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// The value of a hex digit (either letter case), or -1.
inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiUpper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ASCII letters upper-cased, characters of several bytes untouched.
Text ToUpperAscii(std::string_view text);

// The 1-based position of the first occurrence of `what` at or after `start`
// (values below 1 count as 1), or -1. `start` is taken as a character
// boundary; a match never begins inside a character of several bytes. An empty `what` is found at `start` of a non-empty text.
int Find(std::string_view text, std::string_view what, int start = 1, bool ignoreCase = false);

// The 1-based position of the last occurrence of `what` that begins on a
// character boundary, or -1.
int FindLast(std::string_view text, std::string_view what);

// Every occurrence of `what` replaced by `with`, left to right, without
// overlap. An empty `what` leaves the text unchanged.
Text ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                bool ignoreCase = false);

// The pieces between separators. An empty piece between two adjacent
// separators counts; one empty piece at the very end is dropped; empty text
// gives no pieces. An empty separator gives the whole text as one piece.
TextArray Split(std::string_view text, std::string_view separator);

// Items joined with the separator between them.
Text Join(const TextArray& items, std::string_view separator);

// Leading and trailing ASCII blanks and full-width blanks removed.
Text Trim(std::string_view text);

// Every ASCII blank and full-width blank removed.
Text RemoveBlanks(std::string_view text);

// Leading blanks skipped, an optional sign, the decimal digits up to the
// first other character. Full-width digits and signs count as ASCII. No
// digits gives 0; values beyond the int range saturate.
int TextToInt(std::string_view text);

// Decimal text of a number.
Text IntToText(long long value);

// The 1-based index of the first item equal to `text` byte for byte, or -1.
int IndexOfText(const TextArray& items, std::string_view text);

// True when `text` ends with `suffix`.
bool EndsWith(std::string_view text, std::string_view suffix);
bool StartsWith(std::string_view text, std::string_view prefix);

}  // namespace core
