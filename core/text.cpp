#include "core/text.h"

#include <algorithm>
#include <climits>
#include <cstring>

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
  const bool secondByteDecides = what.size() > 1 && CharLengthAt(what, 0) == 1;
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
    if (secondByteDecides) {
      // The byte after a single-byte first character, compared as EqualsAt
      // would (folding leaves bytes above ASCII as they are).
      if (AsciiUpper(text[pos + 1]) != AsciiUpper(what[1])) {
        ++pos;
        continue;
      }
    }
    if ((onBoundary || walker.IsBoundary(pos)) && EqualsAt(text, pos, what, true)) return pos;
    ++pos;
  }
  return std::string_view::npos;
}

}  // namespace

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
