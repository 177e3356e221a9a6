// Reads mutated ".SHE" skin files and adjusts the colours with values taken
// from the input: a bad file leaves the theme as it was, colours stay colours.
#include <cstdint>
#include <cstring>

#include "skin/she_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  skin::SkinTheme theme = skin::DefaultSkinTheme();
  const skin::SkinTheme before = theme;
  const bool good = skin::ParseSkinFile(data, std::uint32_t(size), theme);
  if (!good && std::memcmp(&theme, &before, sizeof theme) != 0) __builtin_trap();
  std::int32_t adjust[3] = {0, 0, 0};
  if (size >= 12) std::memcpy(adjust, data + size - 12, 12);
  skin::AdjustSkinTheme(theme, adjust[0], adjust[1], adjust[2]);
  for (std::uint32_t colour : theme.colours) {
    if (colour > 0xFFFFFF) __builtin_trap();
  }
  return 0;
}
