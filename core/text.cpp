#include "core/text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace core {

Text TextFromBytes(std::string_view bytes) {
  if (bytes.empty()) return Text();
  const char* zero = FindByte(bytes.data(), bytes.size(), '\0');
  const size_t n = zero ? size_t(zero - bytes.data()) : bytes.size();
  return Text(bytes.data(), n);
}

Text TextFromBytes(const Bytes& bytes) {
  return TextFromBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Bytes BytesFromText(std::string_view text) { return Bytes(text.begin(), text.end()); }

Text ToUpperAscii(std::string_view text) {
  Text out(text);
  for (size_t i = 0; i < out.size();) {
    const size_t n = CharLengthAt(out, i);
    if (n == 1) out[i] = AsciiUpper(out[i]);
    i += n;
  }
  return out;
}

namespace {

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) size_t FindBytePairAvx2(const char* s, size_t n, char a1, char a2, char b1,
                                                        char b2) {
  const __m256i va1 = _mm256_set1_epi8(a1), va2 = _mm256_set1_epi8(a2);
  const __m256i vb1 = _mm256_set1_epi8(b1), vb2 = _mm256_set1_epi8(b2);
  size_t i = 0;
  for (; i + 33 <= n; i += 32) {
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i a = _mm256_or_si256(_mm256_cmpeq_epi8(first, va1), _mm256_cmpeq_epi8(first, va2));
    if (!_mm256_movemask_epi8(a)) continue;
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 1));
    const __m256i b = _mm256_or_si256(_mm256_cmpeq_epi8(second, vb1), _mm256_cmpeq_epi8(second, vb2));
    const unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(a, b)));
    if (mask) return i + size_t(__builtin_ctz(mask));
  }
  return i;  // where the rest begins (no hit before it)
}
const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

// Walks character boundaries forward; positions handed to it must not go back.
class BoundaryWalker {
 public:
  BoundaryWalker(std::string_view text, size_t from) : text_(text), next_(from) {}
  // True when `pos` begins a character.
  bool IsBoundary(size_t pos) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text_.data());
    while (next_ < pos) {
      // An ASCII byte on a boundary is a whole character: skip runs of them
      // a word at a time, since pages are mostly ASCII markup.
      size_t i = next_;
      while (pos - i >= 8 && EightAscii(data + i)) i += 8;
      while (i < pos && data[i] < 0x80) ++i;
      next_ = i;
      if (next_ < pos) next_ += CharLengthAt(text_, next_);
    }
    return next_ == pos;
  }

 private:
  std::string_view text_;
  size_t next_;
};

// Compares `what` with the text at `at` (which must leave room for it),
// folding ASCII letters only outside characters of several bytes.
bool EqualsAt(std::string_view text, size_t at, std::string_view what, bool ignoreCase) {
  if (!ignoreCase) return std::memcmp(text.data() + at, what.data(), what.size()) == 0;
  for (size_t j = 0; j < what.size();) {
    const size_t n = CharLengthAt(text, at + j);
    if (n == 1) {
      if (AsciiUpper(text[at + j]) != AsciiUpper(what[j])) return false;
    } else if (std::memcmp(text.data() + at + j, what.data() + j, std::min(n, what.size() - j)) != 0) {
      return false;
    }
    j += n;
  }
  return true;
}

// As EqualsAt ignoring case, for an all-ASCII `what`: a byte of the text
// above ASCII can never equal one of it, so the bytes compare folded one by
// one without reading the text's characters.
bool EqualsAsciiFolded(const char* at, std::string_view what) {
  for (size_t j = 0; j < what.size(); ++j) {
    if (AsciiUpper(at[j]) != AsciiUpper(what[j])) return false;
  }
  return true;
}

bool IsAllAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// 0-based position of the first boundary-aligned occurrence at or after
// `from`, or npos.
size_t FindIndex(std::string_view text, std::string_view what, size_t from, bool ignoreCase) {
  if (what.empty()) return from < text.size() ? from : std::string_view::npos;
  if (what.size() > text.size()) return std::string_view::npos;
  BoundaryWalker walker(text, from);
  // Only some bytes may stand inside a character, so a text beginning with
  // any other ("<", "&", a blank) needs no walk.
  const bool onBoundary = !CanBeInsideChar(what[0]);
  const size_t last = text.size() - what.size();
  if (what.size() >= 2 && CharLengthAt(what, 0) == 1) {
    // A one-byte first character: the candidates are where its byte and the
    // next one both stand (in either case when folding; bytes above ASCII
    // fold to themselves).
    const char a1 = ignoreCase ? AsciiUpper(what[0]) : what[0], a2 = ignoreCase ? AsciiLower(what[0]) : what[0];
    const char b1 = ignoreCase ? AsciiUpper(what[1]) : what[1], b2 = ignoreCase ? AsciiLower(what[1]) : what[1];
    const bool ascii = ignoreCase && IsAllAscii(what);
    for (size_t pos = from; pos <= last;) {
      // The window ends where the last candidate's second byte stands.
      const char* hit = FindBytePair(text.data() + pos, last - pos + 2, a1, a2, b1, b2);
      if (!hit) return std::string_view::npos;
      pos = size_t(hit - text.data());
      const bool equal = !ignoreCase ? EqualsAt(text, pos, what, false)
                         : ascii     ? EqualsAsciiFolded(text.data() + pos, what)
                                     : EqualsAt(text, pos, what, true);
      if (equal && (onBoundary || walker.IsBoundary(pos))) return pos;
      ++pos;
    }
    return std::string_view::npos;
  }
  if (!ignoreCase) {
    size_t pos = from;
    while (pos <= last) {
      const char* hit = FindByte(text.data() + pos, last - pos + 1, what[0]);
      if (!hit) return std::string_view::npos;
      pos = size_t(hit - text.data());
      if (EqualsAt(text, pos, what, false) && (onBoundary || walker.IsBoundary(pos))) return pos;
      ++pos;
    }
    return std::string_view::npos;
  }
  const char first = what[0];
  const bool firstIsLetter = AsciiUpper(first) != AsciiLower(first);
  const char* const kNone = text.data() + text.size();  // that case does not occur again
  const char* upper = nullptr;                           // not looked for yet
  const char* lower = nullptr;
  for (size_t pos = from; pos <= last;) {
    const char* base = text.data() + pos;
    const size_t span = last - pos + 1;
    const char* hit;
    if (firstIsLetter) {
      // Each case's next occurrence is looked for again only once passed,
      // so a letter whose other case is rare does not rescan the rest.
      if (upper != kNone && (!upper || upper < base)) upper = FindByte(base, span, AsciiUpper(first));
      if (lower != kNone && (!lower || lower < base)) lower = FindByte(base, span, AsciiLower(first));
      const char* a = upper == kNone ? nullptr : upper;
      const char* b = lower == kNone ? nullptr : lower;
      if (!a) upper = kNone;
      if (!b) lower = kNone;
      hit = !a ? b : !b ? a : (a < b ? a : b);
    } else {
      hit = FindByte(base, span, first);
    }
    if (!hit) return std::string_view::npos;
    pos = size_t(hit - text.data());
    if ((onBoundary || walker.IsBoundary(pos)) && EqualsAt(text, pos, what, true)) return pos;
    ++pos;
  }
  return std::string_view::npos;
}

}  // namespace

const char* FindBytePair(const char* s, size_t n, char a1, char a2, char b1, char b2) {
  if (n < 2) return nullptr;
  size_t i = 0;
#if defined(__x86_64__) && defined(__GNUC__)
  if (kHasAvx2) {
    i = FindBytePairAvx2(s, n, a1, a2, b1, b2);
    if (i + 33 <= n) return s + i;  // a hit (the rest is shorter than a block)
  }
#endif
#if defined(__SSE2__)
  const __m128i va1 = _mm_set1_epi8(a1), va2 = _mm_set1_epi8(a2);
  const __m128i vb1 = _mm_set1_epi8(b1), vb2 = _mm_set1_epi8(b2);
  for (; i + 17 <= n; i += 16) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
    const __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(first, va1), _mm_cmpeq_epi8(first, va2)),
                                      _mm_or_si128(_mm_cmpeq_epi8(second, vb1), _mm_cmpeq_epi8(second, vb2)));
    const int mask = _mm_movemask_epi8(hit);
    if (mask) return s + i + __builtin_ctz(unsigned(mask));
  }
#endif
  for (; i + 1 < n; ++i) {
    if ((s[i] == a1 || s[i] == a2) && (s[i + 1] == b1 || s[i + 1] == b2)) return s + i;
  }
  return nullptr;
}

int Find(std::string_view text, std::string_view what, int start, bool ignoreCase) {
  if (start < 1) start = 1;
  const size_t from = size_t(start - 1);
  if (from > text.size()) return -1;
  const size_t at = FindIndex(text, what, from, ignoreCase);
  return at == std::string_view::npos ? -1 : int(at + 1);
}

int FindLast(std::string_view text, std::string_view what) {
  if (what.empty() || what.size() > text.size()) return -1;
  int found = -1;
  size_t from = 0;
  for (;;) {
    const size_t at = FindIndex(text, what, from, false);
    if (at == std::string_view::npos) return found;
    found = int(at + 1);
    from = at + CharLengthAt(text, at);
  }
}

Text ReplaceAll(std::string_view text, std::string_view what, std::string_view with, bool ignoreCase) {
  if (what.empty()) return Text(text);
  Text out;
  out.reserve(text.size());
  size_t from = 0;
  for (;;) {
    const size_t at = FindIndex(text, what, from, ignoreCase);
    if (at == std::string_view::npos) break;
    out.append(text.data() + from, at - from);
    out.append(with.data(), with.size());
    from = at + what.size();
  }
  out.append(text.data() + from, text.size() - from);
  return out;
}

TextArray Split(std::string_view text, std::string_view separator) {
  TextArray pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t from = 0;
  for (;;) {
    const size_t at = FindIndex(text, separator, from, false);
    if (at == std::string_view::npos) break;
    pieces.emplace_back(text.substr(from, at - from));
    from = at + separator.size();
  }
  if (from < text.size()) pieces.emplace_back(text.substr(from));
  return pieces;
}

Text Join(const TextArray& items, std::string_view separator) {
  Text out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out.append(separator);
    out.append(items[i]);
  }
  return out;
}

namespace {

// Length of the blank at `pos`: 1 for an ASCII blank, 2 for a full-width one, else 0.
size_t BlankAt(std::string_view text, size_t pos) {
  if (text[pos] == ' ') return 1;
  if (text.substr(pos, 2) == kFullWidthBlank) return 2;
  return 0;
}

}  // namespace

Text Trim(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t n = BlankAt(text, begin);
    if (!n) break;
    begin += n;
  }
  // Trailing blanks: walk characters so a full-width blank is recognised only
  // on a boundary, remembering where the final run of blanks begins.
  size_t end = begin;
  for (size_t pos = begin; pos < text.size();) {
    const size_t n = BlankAt(text, pos);
    const size_t step = n ? n : CharLengthAt(text, pos);
    pos += step;
    if (!n) end = pos;
  }
  return Text(text.substr(begin, end - begin));
}

Text RemoveBlanks(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t n = BlankAt(text, pos);
    if (n) {
      pos += n;
      continue;
    }
    const size_t step = CharLengthAt(text, pos);
    out.append(text.data() + pos, step);
    pos += step;
  }
  return out;
}

namespace {

// The ASCII form of the character at `pos` when it is a full-width digit,
// sign or blank, else the byte itself; `step` receives the character length.
char NarrowCharAt(std::string_view text, size_t pos, size_t& step) {
  const unsigned char c = text[pos];
  step = CharLengthAt(text, pos);
  if (c == 0xA3 && step == 2) {
    const unsigned char t = text[pos + 1];
    if (t >= 0xB0 && t <= 0xB9) return char('0' + (t - 0xB0));
    if (t == 0xAB) return '+';
    if (t == 0xAD) return '-';
    return '\x01';
  }
  if (c == 0xA1 && step == 2 && (unsigned char)text[pos + 1] == 0xA1) return ' ';
  return c >= 0x80 ? '\x01' : char(c);
}

}  // namespace

int TextToInt(std::string_view text) {
  size_t pos = 0;
  size_t step = 0;
  char c = 0;
  while (pos < text.size()) {
    c = NarrowCharAt(text, pos, step);
    if (c != ' ' && c != '\t') break;
    pos += step;
  }
  bool negative = false;
  if (pos < text.size()) {
    c = NarrowCharAt(text, pos, step);
    if (c == '+' || c == '-') {
      negative = c == '-';
      pos += step;
    }
  }
  long long value = 0;
  while (pos < text.size()) {
    c = NarrowCharAt(text, pos, step);
    if (c < '0' || c > '9') break;
    if (value <= (long long)INT_MAX + 1) value = value * 10 + (c - '0');
    pos += step;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

Text IntToText(long long value) { return std::to_string(value); }

int IndexOfText(const TextArray& items, std::string_view text) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) return int(i + 1);
  }
  return -1;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace core
