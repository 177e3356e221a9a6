#include "fuzz/fuzz_input.h"
#include "http/headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string block = FuzzParts(data, size, 1)[0];
  const http::Text once = http::NormaliseHeaderNames(block);
  if (http::NormaliseHeaderNames(once) != once) __builtin_trap();  // a second pass changes nothing
  return 0;
}
