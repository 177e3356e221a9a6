// Constant data generated at build time and linked into the program: the skin
// engine's DLL image (no bytes in a build without an engine) and the skin
// file it applies.
#pragma once

#include <cstdint>

namespace skin {

extern const std::uint8_t kSkinEngineImage[];
extern const std::uint32_t kSkinEngineImageSize;
extern const std::uint8_t kSkinFile[];
extern const std::uint32_t kSkinFileSize;

}  // namespace skin
