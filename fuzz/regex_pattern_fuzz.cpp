// Random patterns on random subjects: parse, run with the step budget,
// replace; every match must begin and end on a character boundary, and the
// fast paths must find what the plain backtracker finds.
#include <vector>

#include "core/text.h"
#include "fuzz/fuzz_input.h"
#include "regex/regex.h"
#include "regex/regex_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const auto p = FuzzParts(data, size, 3);
  const bool ignoreCase = size & 1, multiline = size & 2, global = size & 4;
  regex::Regex re;
  if (re.Compile(p[0], ignoreCase, multiline)) {
    std::vector<std::int32_t> caps;
    if (re.Execute(p[1], global, caps) != regex::Status::kLimitHit) {
      std::vector<bool> boundary(p[1].size() + 1, false);
      for (size_t i = 0; i < p[1].size(); i += core::CharLengthAt(p[1], i)) {
        boundary[i] = true;
      }
      boundary[p[1].size()] = true;
      for (std::int32_t at : caps) {
        if (at < -1 || at > std::int32_t(p[1].size())) __builtin_trap();
        if (at >= 0 && !boundary[size_t(at)]) __builtin_trap();
      }
      regex::Regex plain;
      if (!plain.Compile(p[0], ignoreCase, multiline, /*plain=*/true)) __builtin_trap();
      std::vector<std::int32_t> plainCaps;
      if (plain.Execute(p[1], global, plainCaps) != regex::Status::kLimitHit && plainCaps != caps) {
        __builtin_trap();
      }
    }
    std::string out;
    re.Replace(p[1], p[2], global, out);
  }
  regex::RegexObject object;
  if (object.Create(p[0], p[1], ignoreCase, multiline, global, size & 8)) {
    for (int i = 1; i <= object.MatchCount(); ++i) {
      for (int g = 1; g <= object.SubMatchCount(); ++g) object.SubMatchText(i, g);
    }
    object.Replace(p[2]);
  }
  return 0;
}
