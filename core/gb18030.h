// GB18030, the program's text encoding, read and written as browsers do.
//
// Every GBK character keeps its two bytes (a lead 0x81..0xFE, a trail
// 0x40..0x7E or 0x80..0xFE) and the single byte 0x80 is the euro sign; every
// other Unicode character takes four bytes: a lead 0x81..0xFE, 0x30..0x39,
// 0x81..0xFE, 0x30..0x39. The tables come from a trusted decoder
// (tools/gen_gb18030_tables.js); the supplementary planes follow from
// 0x90308130 in order, so they need no table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

inline constexpr int kGb18030PairCount = 126 * 190;
inline constexpr int kGb18030RangeCount = 209;
// The number of four-byte sequences (valid or not) and where the
// supplementary planes begin among them.
inline constexpr std::uint32_t kGb18030FourByteCount = 126 * 10 * 126 * 10;
inline constexpr std::uint32_t kGb18030SupplementaryPointer = 189000;

// A run of four-byte sequences whose code points rise one by one, from
// `pointer` (the sequence's number) and `codePoint` to the next run.
struct Gb18030Range {
  std::uint32_t pointer;
  std::uint32_t codePoint;
};
// The code point of each pair by its number (lead - 0x81) * 190 + trail index.
extern const std::uint16_t kGb18030Pairs[kGb18030PairCount];
// The runs below the supplementary planes, by pointer, with an end marker.
extern const Gb18030Range kGb18030Ranges[kGb18030RangeCount];

// The number of the four-byte sequence at `p` (which holds four bytes of
// that form).
inline std::uint32_t Gb18030Pointer(const unsigned char* p) {
  return ((std::uint32_t(p[0] - 0x81) * 10 + (p[1] - 0x30)) * 126 + (p[2] - 0x81)) * 10 + (p[3] - 0x30);
}
// The code point of a four-byte sequence's number, or -1 when none has it.
std::int32_t Gb18030FourByteCodePoint(std::uint32_t pointer);

// Writes the bytes of `codePoint` to `out` (room for four) and returns their
// count: 0 when it has none (a surrogate, U+E5E5, beyond U+10FFFF) and, when
// `gbkOnly`, for every character that needs four bytes.
std::size_t Gb18030Encode(std::uint32_t codePoint, char* out, bool gbkOnly = false);

// Decodes into UTF-16, appending to `out`. Each ill-formed sequence becomes
// one U+FFFD, as browsers read it.
void Gb18030ToUtf16(std::string_view bytes, std::u16string& out);
// Encodes UTF-16, appending to `out`; a character without bytes (a lone
// surrogate, and any four-byte one when `gbkOnly`) becomes "?".
void Utf16ToGb18030(std::u16string_view wide, std::string& out, bool gbkOnly = false);
// UTF-8 straight into GB18030, appending to `out`: the same bytes as
// Utf8ToUtf16 followed by Utf16ToGb18030.
void Utf8ToGb18030(std::string_view utf8, std::string& out);

}  // namespace core
