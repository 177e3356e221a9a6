// Cutting texts by markers: the workhorse of page parsing and header reading.
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

// Inside a marker this stands for one double quote, so markers that hold
// quotes can be written without escaping.
inline constexpr std::string_view kQuotePlaceholder = "#引号";

// The text between the first `left` at or after `start` and the next `right`
// after it; empty when either is missing.
Text TextBetween(std::string_view text, std::string_view left, std::string_view right,
                 int start = 1, bool ignoreCase = false);

// Every text between a `left` and the next `right`; the search goes on from
// just after each `left`, not after the `right`. Returns the number of items.
int FindAllBetween(std::string_view text, std::string_view left, std::string_view right,
                   TextArray& items, bool ignoreCase = false);

// The part after the last occurrence of `delimiter`, or "" when it does not occur.
Text TextAfterLast(std::string_view text, std::string_view delimiter);

}  // namespace core
