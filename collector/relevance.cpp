#include "collector/relevance.h"

#include <algorithm>

namespace collector {
namespace {

bool IsAsciiWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A character of two or more bytes outside the symbol rows (lead bytes
// 0xA1-0xA9: punctuation, full-width forms, box drawing).
bool IsChineseChar(const Text& text, size_t at, size_t length) {
  if (length < 2) return false;
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  return length > 2 || lead < 0xA1 || lead > 0xA9;
}

// The text with its ASCII letters lower-case (bytes of Chinese characters
// untouched).
Text Folded(const Text& text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = core::CharLengthAt(text, i);
    if (length == 1) {
      out.push_back(core::AsciiLower(text[i]));
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

}  // namespace

TextArray KeywordTerms(const Text& keyword) {
  TextArray terms;
  const auto add = [&terms](const Text& term) {
    if (std::find(terms.begin(), terms.end(), term) == terms.end()) terms.push_back(term);
  };
  const Text text = Folded(keyword);
  Text word;
  size_t previous = Text::npos;  // the Chinese character just before, if any
  for (size_t i = 0; i < text.size();) {
    const size_t length = core::CharLengthAt(text, i);
    if (length == 1 && IsAsciiWordChar(text[i])) {
      word.push_back(text[i]);
    } else if (!word.empty()) {
      add(word);
      word.clear();
    }
    if (IsChineseChar(text, i, length)) {
      if (previous != Text::npos) add(text.substr(previous, i + length - previous));
      previous = i;
    } else {
      previous = Text::npos;
    }
    i += length;
  }
  if (!word.empty()) add(word);
  return terms;
}

int RelevancePercent(const Text& keyword, const Text& text) {
  const TextArray terms = KeywordTerms(keyword);
  if (terms.empty()) return 100;
  const Text haystack = Folded(text);
  size_t found = 0;
  for (const Text& term : terms) {
    // A term found inside a longer ASCII word ("ai" in "said") does not count.
    bool present = false;
    for (size_t at = haystack.find(term); at != Text::npos && !present;
         at = haystack.find(term, at + 1)) {
      const bool ascii = IsAsciiWordChar(term[0]);
      // A match must start on a character boundary of the haystack.
      bool boundary = true;
      for (size_t i = 0; i < at;) {
        const size_t length = core::CharLengthAt(haystack, i);
        if (i + length > at) {
          boundary = i == at;
          break;
        }
        i += length;
      }
      if (!boundary) continue;
      present = !ascii || ((at == 0 || !IsAsciiWordChar(haystack[at - 1])) &&
                           (at + term.size() >= haystack.size() ||
                            !IsAsciiWordChar(haystack[at + term.size()])));
    }
    if (present) ++found;
  }
  return int(found * 100 / terms.size());
}

}  // namespace collector
