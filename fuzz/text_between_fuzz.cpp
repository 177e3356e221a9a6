#include "core/cut.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto p = FuzzParts(data, size, 4);
  const int start = p[3].empty() ? 1 : int(static_cast<signed char>(p[3][0]));
  const core::Text cut = core::TextBetween(p[0], p[1], p[2], start, size & 1);
  if (cut.size() > p[0].size()) __builtin_trap();
  core::TextArray items;
  core::FindAllBetween(p[0], p[1], p[2], items, size & 2);
  core::TextAfterLast(p[0], p[1]);
  core::Split(p[0], p[1]);
  core::ReplaceAll(p[0], p[1], p[2], size & 4);
  core::Trim(p[0]);
  core::TextToInt(p[0]);
  return 0;
}
