#include "core/gb18030.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/utf8.h"

namespace core {
namespace {

// The reverse of the tables, built once: the pair of each BMP code point
// (the first pair wins where two decode alike) and the four-byte runs by
// code point.
class Encoder {
 public:
  static const Encoder& Get() {
    static const Encoder* encoder = new Encoder();  // kept for the life of the process
    return *encoder;
  }
  // lead << 8 | trail, or 0.
  std::uint16_t Pair(std::uint32_t codePoint) const { return pairs_[codePoint]; }
  // The four-byte pointer of a BMP code point that has no pair, or -1.
  std::int32_t FourBytePointer(std::uint32_t codePoint) const {
    auto after = std::upper_bound(runs_.begin(), runs_.end(), codePoint,
                                  [](std::uint32_t c, const Run& r) { return c < r.codePoint; });
    if (after == runs_.begin()) return -1;
    const Run& run = *(after - 1);
    if (codePoint - run.codePoint >= run.length) return -1;
    return std::int32_t(run.pointer + (codePoint - run.codePoint));
  }

 private:
  struct Run {
    std::uint32_t codePoint, pointer, length;
  };
  Encoder() : pairs_(0x10000, 0) {
    for (int i = kGb18030PairCount - 1; i >= 0; --i) {
      const unsigned trail = unsigned(i % 190);
      pairs_[kGb18030Pairs[i]] = std::uint16_t((0x81 + i / 190) << 8 | (trail + (trail < 0x3F ? 0x40 : 0x41)));
    }
    for (int i = 0; i + 1 < kGb18030RangeCount; ++i) {
      const Gb18030Range& r = kGb18030Ranges[i];
      runs_.push_back(Run{r.codePoint, r.pointer, kGb18030Ranges[i + 1].pointer - r.pointer});
    }
    std::sort(runs_.begin(), runs_.end(), [](const Run& a, const Run& b) { return a.codePoint < b.codePoint; });
  }
  std::vector<std::uint16_t> pairs_;
  std::vector<Run> runs_;
};

bool IsDigit(unsigned char c) { return c >= 0x30 && c <= 0x39; }
bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Grows `out` so that `room` bytes fit at `to`; returns `to` in the new buffer.
char* Reserve(std::string& out, char* to, size_t room) {
  const size_t used = size_t(to - out.data());
  if (out.size() - used < room) out.resize(std::max(out.size() * 2, used + room));
  return &out[0] + used;
}

}  // namespace

std::int32_t Gb18030FourByteCodePoint(std::uint32_t pointer) {
  if (pointer >= kGb18030SupplementaryPointer) {
    const std::uint32_t cp = 0x10000 + (pointer - kGb18030SupplementaryPointer);
    return cp <= 0x10FFFF ? std::int32_t(cp) : -1;
  }
  if (pointer >= kGb18030Ranges[kGb18030RangeCount - 1].pointer) return -1;
  const Gb18030Range* after =
      std::upper_bound(kGb18030Ranges, kGb18030Ranges + kGb18030RangeCount, pointer,
                       [](std::uint32_t p, const Gb18030Range& r) { return p < r.pointer; });
  const Gb18030Range& run = *(after - 1);  // the first run starts at pointer 0
  return std::int32_t(run.codePoint + (pointer - run.pointer));
}

std::size_t Gb18030Encode(std::uint32_t cp, char* out, bool gbkOnly) {
  if (cp < 0x80) {
    out[0] = char(cp);
    return 1;
  }
  if (cp == 0x20AC) {  // the euro sign keeps GBK's single byte
    out[0] = char(0x80);
    return 1;
  }
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  std::int32_t pointer;
  if (cp < 0x10000) {
    const Encoder& encoder = Encoder::Get();
    if (const std::uint16_t pair = encoder.Pair(cp)) {
      out[0] = char(pair >> 8);
      out[1] = char(pair & 0xFF);
      return 2;
    }
    if (gbkOnly) return 0;
    pointer = encoder.FourBytePointer(cp);
    if (pointer < 0) return 0;
  } else {
    if (gbkOnly) return 0;
    pointer = std::int32_t(kGb18030SupplementaryPointer + (cp - 0x10000));
  }
  const std::uint32_t p = std::uint32_t(pointer);
  out[0] = char(0x81 + p / 12600);
  out[1] = char(0x30 + p / 1260 % 10);
  out[2] = char(0x81 + p / 10 % 126);
  out[3] = char(0x30 + p % 10);
  return 4;
}

void Gb18030ToUtf16(std::string_view bytes, std::u16string& out) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n;) {
    const unsigned char b = s[i];
    if (b < 0x80) {
      out.push_back(char16_t(b));
      ++i;
      continue;
    }
    if (b == 0x80) {
      out.push_back(u'\x20AC');
      ++i;
      continue;
    }
    // A sequence cut short by the end of the text is one error.
    if (b == 0xFF || i + 1 >= n) {
      out.push_back(u'\xFFFD');
      i = b == 0xFF ? i + 1 : n;
      continue;
    }
    const unsigned char b2 = s[i + 1];
    if (IsDigit(b2)) {
      if (i + 2 >= n || (IsLead(s[i + 2]) && i + 3 >= n)) {
        out.push_back(u'\xFFFD');
        i = n;
        continue;
      }
      if (!IsLead(s[i + 2]) || !IsDigit(s[i + 3])) {
        // Only the lead is taken; the bytes after it are read again.
        out.push_back(u'\xFFFD');
        ++i;
        continue;
      }
      const std::int32_t cp = Gb18030FourByteCodePoint(Gb18030Pointer(s + i));
      AppendUtf16(cp < 0 ? 0xFFFD : std::uint32_t(cp), out);
      i += 4;
      continue;
    }
    if ((b2 >= 0x40 && b2 <= 0x7E) || (b2 >= 0x80 && b2 <= 0xFE)) {
      out.push_back(char16_t(kGb18030Pairs[(b - 0x81) * 190 + (b2 - (b2 < 0x7F ? 0x40 : 0x41))]));
      i += 2;
      continue;
    }
    // A bad second byte is read again when it is ASCII.
    out.push_back(u'\xFFFD');
    i += b2 < 0x80 ? 1 : 2;
  }
}

void Utf16ToGb18030(std::u16string_view wide, std::string& out, bool gbkOnly) {
  const size_t start = out.size();
  out.resize(start + wide.size() * 2 + 8);
  char* to = &out[0] + start;
  for (size_t i = 0; i < wide.size(); ++i) {
    std::uint32_t cp = wide[i];
    if (cp < 0x80) {
      to = Reserve(out, to, 1);
      *to++ = char(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    }
    to = Reserve(out, to, 4);
    const size_t k = Gb18030Encode(cp, to, gbkOnly);
    if (k == 0) *to = '?';
    to += k ? k : 1;
  }
  out.resize(size_t(to - out.data()));
}

void Utf8ToGb18030(std::string_view utf8, std::string& out) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  const size_t start = out.size();
  out.resize(start + n + 8);
  char* to = &out[0] + start;
  size_t i = 0;
  while (i < n) {
    // ASCII a word at a time, then byte by byte.
    to = Reserve(out, to, 8);
    while (i + 8 <= n && size_t(out.data() + out.size() - to) >= 8) {
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      if (word & 0x8080808080808080ull) break;
      std::memcpy(to, s + i, 8);
      to += 8;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char c = s[i];
    to = Reserve(out, to, 4);
    if (c < 0x80) {
      *to++ = char(c);
      ++i;
      continue;
    }
    // A well-formed character goes straight across.
    std::uint32_t cp = 0;
    size_t len = 0;
    if (c >= 0xC2 && c <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
      cp = (c & 0x1Fu) << 6 | (s[i + 1] & 0x3Fu);
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) {
      cp = (c & 0x0Fu) << 12 | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu);
      if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) len = 3;  // not overlong, not a surrogate
    } else if (c >= 0xF0 && c <= 0xF4 && i + 3 < n && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80 &&
               (s[i + 3] & 0xC0) == 0x80) {
      cp = (c & 0x07u) << 18 | (s[i + 1] & 0x3Fu) << 12 | (s[i + 2] & 0x3Fu) << 6 | (s[i + 3] & 0x3Fu);
      if (cp >= 0x10000 && cp <= 0x10FFFF) len = 4;
    }
    if (len) {
      const size_t k = Gb18030Encode(cp, to);
      if (k == 0) *to = '?';
      to += k ? k : 1;
      i += len;
      continue;
    }
    // Anything ill-formed, up to the next ASCII byte (which always begins a
    // new character), takes the way through UTF-16 and its replacement rule.
    size_t j = i + 1;
    while (j < n && s[j] >= 0x80) ++j;
    std::string bytes;
    Utf16ToGb18030(Utf8ToUtf16(utf8.substr(i, j - i)), bytes);
    to = Reserve(out, to, bytes.size());
    std::memcpy(to, bytes.data(), bytes.size());
    to += bytes.size();
    i = j;
  }
  out.resize(size_t(to - out.data()));
}

}  // namespace core
