#include "regex/char_class.h"

#include <cstring>
#include <vector>

#include "core/encoding.h"

namespace regex {
namespace {

// Unicode value of every double-byte GBK value, built once when a class first
// names a range beyond ASCII (ranges are Unicode ranges, GBK order differs).
struct GbkTable {
  std::vector<std::uint16_t> unicode;  // indexed by the 16-bit value; 0xFFFF: none
  GbkTable() : unicode(0x10000, 0xFFFF) {
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      std::string row;
      std::vector<unsigned> values;
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        row.push_back(char(lead));
        row.push_back(char(trail));
        values.push_back(lead << 8 | trail);
      }
      core::Wide wide = core::GbkToWide(row);
      if (wide.size() == values.size()) {
        for (size_t i = 0; i < values.size(); ++i) Set(values[i], wide[i]);
      } else {
        for (unsigned v : values) {
          const char pair[2] = {char(v >> 8), char(v & 0xFF)};
          core::Wide one = core::GbkToWide(std::string_view(pair, 2));
          if (one.size() == 1) Set(v, one[0]);
        }
      }
    }
  }
  void Set(unsigned value, char16_t unit) {
    if (unit != 0xFFFD && !(unit >= 0xD800 && unit <= 0xDFFF)) unicode[value] = unit;
  }
};

const GbkTable& Table() {
  static const GbkTable table;
  return table;
}

}  // namespace

Char GbkFromUnicode(std::uint16_t unit) {
  if (unit < 0x80) return unit;
  const core::Text gbk = core::WideToGbk(core::Wide(1, char16_t(unit)));
  if (gbk.size() == 2) {
    const Char value = Char(static_cast<unsigned char>(gbk[0])) << 8 |
                       static_cast<unsigned char>(gbk[1]);
    // The converter writes "?" for a missing character; a real one maps back.
    if (UnicodeFromGbk(value) == unit) return value;
  }
  return kNoChar;
}

std::uint16_t UnicodeFromGbk(Char c) {
  if (c < 0x80) return std::uint16_t(c);
  if (c < 0x8000 || c > 0xFFFF) return 0xFFFF;
  return Table().unicode[c];
}

CharClass& CharClass::operator=(const CharClass& other) {
  if (this == &other) return *this;
  ascii_[0] = other.ascii_[0];
  ascii_[1] = other.ascii_[1];
  allHigh_ = other.allHigh_;
  high_.reset();
  if (other.high_) {
    high_.reset(new std::uint64_t[1024]);
    std::memcpy(high_.get(), other.high_.get(), 1024 * sizeof(std::uint64_t));
  }
  return *this;
}

void CharClass::Subtract(const CharClass& other) {
  CharClass keep(other);
  keep.Negate();
  ascii_[0] &= keep.ascii_[0];
  ascii_[1] &= keep.ascii_[1];
  if (!keep.high_ && !high_) {
    allHigh_ = allHigh_ && keep.allHigh_;
    return;
  }
  MakeBitmap();
  keep.MakeBitmap();
  for (int i = 2; i < 1024; ++i) high_[i] &= keep.high_[i];
}

int CharClass::Kind() const {
  if (high_ || !allHigh_) return 0;
  const std::uint64_t all = ~std::uint64_t(0);
  if (ascii_[1] != all) return 0;
  if (ascii_[0] == all) return 2;
  if (ascii_[0] == (all & ~(std::uint64_t(1) << '\n'))) return 1;
  return 0;
}

void CharClass::MakeBitmap() {
  if (high_) return;
  high_.reset(new std::uint64_t[1024]);
  std::memset(high_.get(), allHigh_ ? 0xFF : 0, 1024 * sizeof(std::uint64_t));
  // The ASCII part lives in ascii_; keep the bitmap's low words clear.
  high_[0] = high_[1] = 0;
}

void CharClass::Add(Char c) {
  if (c < 0x80) {
    ascii_[c >> 6] |= std::uint64_t(1) << (c & 63);
  } else if (c < 0x10000 && !(allHigh_ && !high_)) {
    MakeBitmap();
    high_[c >> 6] |= std::uint64_t(1) << (c & 63);
  }
}

void CharClass::AddUnicodeRange(std::uint32_t low, std::uint32_t high) {
  for (std::uint32_t c = low; c <= high && c < 0x80; ++c) Add(c);
  if (high < 0x80) return;
  if (allHigh_ && !high_) return;
  const GbkTable& table = Table();
  MakeBitmap();
  for (std::uint32_t v = 0x8000; v <= 0xFFFF; ++v) {
    const std::uint16_t u = table.unicode[v];
    if (u != 0xFFFF && u >= low && u <= high) high_[v >> 6] |= std::uint64_t(1) << (v & 63);
  }
}

void CharClass::AddClass(const CharClass& other) {
  ascii_[0] |= other.ascii_[0];
  ascii_[1] |= other.ascii_[1];
  if (other.high_) {
    if (allHigh_ && !high_) return;
    MakeBitmap();
    for (int i = 2; i < 1024; ++i) high_[i] |= other.high_[i];
  } else if (other.allHigh_) {
    AddAllHigh();
  }
}

void CharClass::AddAllHigh() {
  high_.reset();
  allHigh_ = true;
}

void CharClass::Negate() {
  ascii_[0] = ~ascii_[0];
  ascii_[1] = ~ascii_[1];
  if (high_) {
    for (int i = 2; i < 1024; ++i) high_[i] = ~high_[i];
  } else {
    allHigh_ = !allHigh_;
  }
}

void CharClass::FoldCase() {
  for (Char c = 'A'; c <= 'Z'; ++c) {
    if (Test(c) || Test(c + 32)) {
      Add(c);
      Add(c + 32);
    }
  }
}

void CharClass::FirstBytes(bool* bytes) const {
  for (Char c = 0; c < 0x80; ++c) bytes[c] = bytes[c] || Test(c);
  if (!high_) {
    if (allHigh_) {
      for (int b = 0x80; b < 0x100; ++b) bytes[b] = true;
    }
    return;
  }
  // Lone lead bytes (values 0x80-0xFF) and lead bytes of pairs.
  for (Char c = 0x80; c < 0x100; ++c) bytes[c] = bytes[c] || Test(c);
  for (Char lead = 0x80; lead < 0x100; ++lead) {
    if (bytes[lead]) continue;
    for (Char w = lead << 2; w < (lead + 1) << 2; ++w) {
      if (high_[w]) {
        bytes[lead] = true;
        break;
      }
    }
  }
}

int CharClass::MissingAscii(unsigned char* out, int room) const {
  if (high_ || !allHigh_) return -1;
  int count = 0;
  for (Char c = 0; c < 0x80; ++c) {
    if (Test(c)) continue;
    if (count == room) return -1;
    out[count++] = static_cast<unsigned char>(c);
  }
  return count;
}

bool CharClass::HasAnyHigh() const {
  if (!high_) return allHigh_;
  for (int i = 2; i < 1024; ++i) {
    if (high_[i]) return true;
  }
  return false;
}

}  // namespace regex
