#include "core/text.h"
#include "fuzz/fuzz_input.h"
#include "http/headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto p = FuzzParts(data, size, 2);
  const http::Text merged = http::MergeCookies(p[0], p[1]);
  if (merged != p[0]) __builtin_trap();  // the old-cookie variable holds the result
  for (const http::Text& item : core::Split(merged, "; ")) {
    if (core::EndsWith(item, "=deleted")) __builtin_trap();  // removed cookies never survive
  }
  return 0;
}
