#include "regex/char_class.h"

#include <algorithm>
#include <cstring>
#include <vector>


namespace regex {
namespace {

bool IsPairValue(Char c) { return core::IsLeadByte(c >> 8) && core::IsTrailByte(c & 0xFF); }

}  // namespace

Char GbkFromUnicode(std::uint32_t codePoint) {
  if (codePoint < 0x80) return codePoint;
  char bytes[4];
  const std::size_t k = core::Gb18030Encode(codePoint, bytes);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
  if (k == 1) return b[0];
  if (k == 2) return Char(b[0]) << 8 | b[1];
  if (k == 4) return kFourByteBase + core::Gb18030Pointer(b);
  return kNoChar;
}

std::uint32_t UnicodeFromGbk(Char c) {
  if (c < 0x80) return c;
  if (c >= kFourByteBase && c <= kFourByteLast) {
    const std::int32_t cp = core::Gb18030FourByteCodePoint(c - kFourByteBase);
    return cp < 0 ? kNoUnicode : std::uint32_t(cp);
  }
  if (c < 0x8000 || c > 0xFFFF || !IsPairValue(c)) return kNoUnicode;
  const unsigned trail = c & 0xFF;
  return core::kGb18030Pairs[((c >> 8) - 0x81) * 190 + (trail - (trail < 0x7F ? 0x40 : 0x41))];
}

CharClass& CharClass::operator=(const CharClass& other) {
  if (this == &other) return *this;
  ascii_[0] = other.ascii_[0];
  ascii_[1] = other.ascii_[1];
  allHigh_ = other.allHigh_;
  four_ = other.four_;
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
  // Within the four-byte values: this minus other = not (not this or other).
  CharClass either;
  either.four_ = Complement(four_);
  for (const auto& r : other.four_) either.AddFourByte(r.first, r.second);
  four_ = Complement(either.four_);
  if (!keep.high_ && !high_) {
    allHigh_ = allHigh_ && keep.allHigh_;
    return;
  }
  MakeBitmap();
  keep.MakeBitmap();
  for (int i = 2; i < 1024; ++i) high_[i] &= keep.high_[i];
}

int CharClass::Kind() const {
  if (high_ || !allHigh_ || !AllFourByte()) return 0;
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
  if (c >= kFourByteBase) {
    if (c <= kFourByteLast) AddFourByte(c, c);
  } else if (c < 0x80) {
    ascii_[c >> 6] |= std::uint64_t(1) << (c & 63);
  } else if (c < 0x10000 && !(allHigh_ && !high_)) {
    MakeBitmap();
    high_[c >> 6] |= std::uint64_t(1) << (c & 63);
  }
}

void CharClass::AddUnicodeRange(std::uint32_t low, std::uint32_t high) {
  for (std::uint32_t c = low; c <= high && c < 0x80; ++c) Add(c);
  if (high < 0x80) return;
  // Four-byte characters: the part of each run of the table that falls in
  // the range, and the supplementary planes in order.
  for (int i = 0; i + 1 < core::kGb18030RangeCount; ++i) {
    const core::Gb18030Range& run = core::kGb18030Ranges[i];
    const std::uint32_t length = core::kGb18030Ranges[i + 1].pointer - run.pointer;
    const std::uint32_t from = std::max(low, run.codePoint);
    const std::uint32_t to = std::min(high, run.codePoint + length - 1);
    if (from <= to) {
      AddFourByte(kFourByteBase + run.pointer + (from - run.codePoint),
                  kFourByteBase + run.pointer + (to - run.codePoint));
    }
  }
  if (high >= 0x10000) {
    const std::uint32_t from = std::max(low, 0x10000u), to = std::min(high, 0x10FFFFu);
    if (from <= to) {
      AddFourByte(kFourByteBase + core::kGb18030SupplementaryPointer + (from - 0x10000),
                  kFourByteBase + core::kGb18030SupplementaryPointer + (to - 0x10000));
    }
  }
  if (allHigh_ && !high_) return;
  MakeBitmap();
  for (std::uint32_t v = 0x8000; v <= 0xFFFF; ++v) {
    if (!IsPairValue(v)) continue;
    const std::uint32_t u = UnicodeFromGbk(v);
    if (u >= low && u <= high) high_[v >> 6] |= std::uint64_t(1) << (v & 63);
  }
}

void CharClass::AddClass(const CharClass& other) {
  ascii_[0] |= other.ascii_[0];
  ascii_[1] |= other.ascii_[1];
  for (const auto& r : other.four_) AddFourByte(r.first, r.second);
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
  four_.assign(1, {kFourByteBase, kFourByteLast});
}

void CharClass::Negate() {
  ascii_[0] = ~ascii_[0];
  ascii_[1] = ~ascii_[1];
  four_ = Complement(four_);
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
  for (const auto& r : four_) {
    for (unsigned b = FirstByteOf(r.first); b <= FirstByteOf(r.second); ++b) bytes[b] = true;
  }
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
  if (high_ || !allHigh_ || !AllFourByte()) return -1;
  int count = 0;
  for (Char c = 0; c < 0x80; ++c) {
    if (Test(c)) continue;
    if (count == room) return -1;
    out[count++] = static_cast<unsigned char>(c);
  }
  return count;
}

bool CharClass::HasAnyHigh() const {
  if (!four_.empty()) return true;
  if (!high_) return allHigh_;
  for (int i = 2; i < 1024; ++i) {
    if (high_[i]) return true;
  }
  return false;
}

bool CharClass::HasFourByte(Char c) const {
  auto after = std::upper_bound(four_.begin(), four_.end(), c,
                                [](Char v, const std::pair<Char, Char>& r) { return v < r.first; });
  return after != four_.begin() && c <= (after - 1)->second;
}

void CharClass::AddFourByte(Char low, Char high) {
  Ranges merged;
  merged.reserve(four_.size() + 1);
  bool placed = false;
  for (const auto& r : four_) {
    if (r.second + 1 < low) {
      merged.push_back(r);
    } else if (high + 1 < r.first) {
      if (!placed) merged.emplace_back(low, high);
      placed = true;
      merged.push_back(r);
    } else {
      low = std::min(low, r.first);
      high = std::max(high, r.second);
    }
  }
  if (!placed) merged.emplace_back(low, high);
  four_ = std::move(merged);
}

CharClass::Ranges CharClass::Complement(const Ranges& ranges) {
  Ranges out;
  Char next = kFourByteBase;
  for (const auto& r : ranges) {
    if (r.first > next) out.emplace_back(next, r.first - 1);
    next = r.second + 1;
  }
  if (next <= kFourByteLast) out.emplace_back(next, kFourByteLast);
  return out;
}

}  // namespace regex
