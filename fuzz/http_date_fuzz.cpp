#include "core/date_time.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = FuzzParts(data, size, 1)[0];
  const core::DateTime dt = core::AddHours(core::HttpDateToDateTime(text), 8);
  if (dt.day < 1 || dt.day > core::DaysInMonth(dt.year, dt.month) || dt.hour > 23) __builtin_trap();
  core::DateText(dt);
  return 0;
}
