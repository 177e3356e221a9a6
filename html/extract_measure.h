// What the extractor's phases read off text and tags: lengths, commas and
// sentence ends of GBK text, which elements are blocks, and the tell-tale
// words of class names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text.h"

namespace html::extraction {

using core::IsAsciiBlank;

struct TextMeasure {
  int units = 0;    // ASCII non-blanks once, double-byte characters kWideCharUnits times
  int commas = 0;   // ',' and the Chinese commas
  int stops = 0;    // sentence ends: . ! ? ; and their Chinese forms
  int requestCues = 0;  // phrases of consent and sign-up requests
  int legalCues = 0;    // phrases of footers: rights, terms, addresses, phones

  void Add(const TextMeasure& m) {
    units += m.units;
    commas += m.commas;
    stops += m.stops;
    requestCues += m.requestCues;
    legalCues += m.legalCues;
  }
};

TextMeasure Measure(std::string_view text);
// Measure() with the request and footer phrases counted too; `scratch` is
// reused between calls to hold the lower-cased text.
TextMeasure MeasureWithCues(std::string_view text, std::string& scratch);
// True when cues of one kind are many and close together: the text is that
// kind of text, not an article that mentions it once.
bool CuesDominate(int cues, int units);
std::string Lower(std::string_view text);

// True when one of the lower-case words of `list` is part of the lower-case `names`.
template <size_t N>
bool NamesMatch(std::string_view names, const std::string_view (&list)[N]) {
  for (const std::string_view word : list) {
    if (names.find(word) != std::string_view::npos) return true;
  }
  return false;
}

// Elements that start a paragraph of their own when written out.
bool IsBlock(std::uint32_t tag);
// Elements whose contents are never article text.
bool IsNeverContent(std::uint32_t tag);

}  // namespace html::extraction
