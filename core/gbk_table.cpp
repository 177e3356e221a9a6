#include "core/gbk_table.h"

#include <cstring>
#include <vector>

#include "core/encoding.h"
#include "core/utf8.h"

namespace core {
namespace {

// Splits `text` at every `separator`; the piece after the last one is dropped.
template <typename String>
std::vector<String> Pieces(const String& text, typename String::value_type separator) {
  std::vector<String> pieces;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == separator) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return pieces;
}

bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// Writes `bytes` at `to` inside `out`, first growing `out` so that `room`
// more bytes still fit after them; returns the position after them.
char* Put(std::string& out, char* to, const std::string& bytes, size_t room) {
  const size_t used = size_t(to - out.data());
  if (out.size() < used + bytes.size() + room) out.resize(used + bytes.size() + room);
  to = &out[0] + used;
  std::memcpy(to, bytes.data(), bytes.size());
  return to + bytes.size();
}

}  // namespace

const GbkTable& GbkTable::Get() {
  static const GbkTable* table = new GbkTable();  // kept for the life of the process
  return *table;
}

// Every pair is decoded, and every character that came out encoded again,
// in one platform call each way with "\n" after each item; a pair goes in
// the tables only when it makes the round trip (pair -> one character ->
// the same pair), so the tables never answer differently from the platform.
GbkTable::GbkTable() {
  std::memset(decode_, 0, sizeof decode_);
  std::memset(encode_, 0, sizeof encode_);

  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii.push_back(char(c));
  Wide asciiWide;
  if (!BytesToWide(ascii, kCodePageGbk, asciiWide) || asciiWide.size() != ascii.size()) return;
  for (size_t i = 0; i < ascii.size(); ++i) {
    if (asciiWide[i] != char16_t(ascii[i])) return;
  }
  asciiSame_ = true;

  std::vector<int> indices;
  std::string pairs;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (!IsTrail((unsigned char)trail)) continue;
      indices.push_back(PairIndex((unsigned char)lead, (unsigned char)trail));
      pairs.push_back(char(lead));
      pairs.push_back(char(trail));
      pairs.push_back('\n');
    }
  }
  Wide decoded;
  if (!BytesToWide(pairs, kCodePageGbk, decoded)) return;
  const std::vector<Wide> characters = Pieces(decoded, u'\n');
  if (characters.size() != indices.size()) return;  // a separator was taken in: no tables

  Wide candidates;
  std::vector<size_t> from;  // the pair number of each candidate
  for (size_t i = 0; i < characters.size(); ++i) {
    if (characters[i].size() != 1 || characters[i][0] < 0x80) continue;
    if (characters[i][0] >= 0xD800 && characters[i][0] <= 0xDFFF) continue;
    candidates.push_back(characters[i][0]);
    candidates.push_back(u'\n');
    from.push_back(i);
  }
  std::string encoded;
  if (!WideToBytes(candidates, kCodePageGbk, encoded)) return;
  const std::vector<std::string> back = Pieces(encoded, '\n');
  if (back.size() != from.size()) return;
  for (size_t k = 0; k < from.size(); ++k) {
    const size_t i = from[k];
    if (back[k] != pairs.substr(i * 3, 2)) continue;
    const unsigned char lead = (unsigned char)back[k][0], trail = (unsigned char)back[k][1];
    decode_[PairIndex(lead, trail)] = characters[i][0];
    encode_[characters[i][0]] = std::uint16_t(lead << 8 | trail);
    ++pairs_;
  }
}

bool GbkTable::Decode(std::string_view gbk, std::u16string& out) const {
  if (!asciiSame_) return false;
  const size_t start = out.size();
  out.resize(start + gbk.size());
  char16_t* to = &out[0] + start;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const unsigned char* const end = p + gbk.size();
  while (p < end) {
    if (*p < 0x80) {
      *to++ = *p++;
      continue;
    }
    if (*p == 0x80 || *p == 0xFF || end - p < 2 || !IsTrail(p[1])) return false;
    const char16_t c = decode_[PairIndex(p[0], p[1])];
    if (!c) return false;
    *to++ = c;
    p += 2;
  }
  out.resize(size_t(to - out.data()));
  return true;
}

void GbkTable::Encode(std::u16string_view wide, std::string& out) const {
  const size_t start = out.size();
  out.resize(start + wide.size() * 2);
  char* to = &out[0] + start;
  size_t i = 0;
  while (i < wide.size()) {
    const char16_t c = wide[i];
    if (c < 0x80 && asciiSame_) {
      *to++ = char(c);
      ++i;
      continue;
    }
    if (const std::uint16_t pair = encode_[c]) {
      *to++ = char(pair >> 8);
      *to++ = char(pair & 0xFF);
      ++i;
      continue;
    }
    // A run of characters the table lacks goes to the platform whole.
    size_t j = i + 1;
    while (j < wide.size() && !(wide[j] < 0x80 && asciiSame_) && !encode_[wide[j]]) ++j;
    std::string bytes;
    WideToBytes(Wide(wide.substr(i, j - i)), kCodePageGbk, bytes);
    to = Put(out, to, bytes, (wide.size() - j) * 2);
    i = j;
  }
  out.resize(size_t(to - out.data()));
}

void GbkTable::FromUtf8(std::string_view utf8, std::string& out) const {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  const size_t start = out.size();
  out.resize(start + n);  // never longer: each character shrinks or keeps its length
  char* to = &out[0] + start;
  size_t i = 0;
  while (i < n) {
    // ASCII a word at a time, then byte by byte.
    while (asciiSame_ && i + 8 <= n && EightAscii(s + i)) {
      std::memcpy(to, s + i, 8);
      to += 8;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char c = s[i];
    if (c < 0x80 && asciiSame_) {
      *to++ = char(c);
      ++i;
      continue;
    }
    // A well-formed two- or three-byte character with a pair in the table.
    std::uint32_t cp = 0;
    size_t len = 0;
    if (c >= 0xC2 && c <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
      cp = (c & 0x1Fu) << 6 | (s[i + 1] & 0x3Fu);
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) {
      cp = (c & 0x0Fu) << 12 | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu);
      if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) len = 3;  // not overlong, not a surrogate
    }
    if (len) {
      if (const std::uint16_t pair = encode_[cp]) {
        *to++ = char(pair >> 8);
        *to++ = char(pair & 0xFF);
        i += len;
        continue;
      }
    }
    // Anything else, up to the next ASCII byte (which always begins a new
    // character), takes the general way.
    size_t j = i + 1;
    while (j < n && s[j] >= 0x80) ++j;
    std::string bytes;
    Encode(Utf8ToUtf16(utf8.substr(i, j - i)), bytes);
    to = Put(out, to, bytes, n - j);
    i = j;
  }
  out.resize(size_t(to - out.data()));
}

}  // namespace core
