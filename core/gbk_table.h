// GBK <-> UTF-16 by lookup tables taken once from the platform's own code
// page 936 converter. Every article page goes from UTF-8 into GBK, and the
// general converter (iconv natively, WideCharToMultiByte under Windows)
// cost more than all the page's cleaning; the tables give the same answers
// for the characters they hold and hand everything else to the platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

class GbkTable {
 public:
  // The tables of this process, built on first use (thread-safe).
  static const GbkTable& Get();

  // Decodes GBK into `out`. False when the text holds a byte sequence the
  // table does not cover (a lone lead byte, an unassigned pair, 0x80, 0xFF):
  // the caller then converts the whole text through the platform.
  bool Decode(std::string_view gbk, std::u16string& out) const;
  // Encodes into GBK, appending to `out`. Runs of characters the table
  // lacks (those without a GBK pair, lone surrogates) go through the
  // platform, which gives them its replacement or best-fit bytes.
  void Encode(std::u16string_view wide, std::string& out) const;

  // Converts UTF-8 into GBK, appending to `out`, with the same result as
  // Utf8ToUtf16 followed by Encode: well-formed characters the table holds
  // go straight across, and each stretch up to the next ASCII byte that
  // holds anything else takes that longer way.
  void FromUtf8(std::string_view utf8, std::string& out) const;

  // How many pairs the tables hold (21 886 for Windows' code page 936).
  int PairCount() const { return pairs_; }

 private:
  GbkTable();
  static constexpr int kTrails = 0xFF - 0x40;  // trail bytes 0x40..0xFE
  static int PairIndex(unsigned char lead, unsigned char trail) {
    return (lead - 0x81) * kTrails + (trail - 0x40);
  }

  bool asciiSame_ = false;           // bytes 0x00..0x7F are U+0000..U+007F
  char16_t decode_[126 * kTrails];   // 0: not covered
  std::uint16_t encode_[0x10000];    // lead << 8 | trail, 0: not covered
  int pairs_ = 0;
};

}  // namespace core
