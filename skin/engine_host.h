// The program-wide engine behind skin.h, reachable by the Windows tests,
// which map engines of their own (a recorder, the real one, none).
#pragma once

#include <cstdint>

#include "core/text.h"
#include "skin/memory_module.h"

namespace skin {

// StartSkinEngine with another image: creates the program-wide MemoryModule
// (replacing one from an earlier start without unloading its engine) and maps
// `image` into it. False when nothing was mapped.
bool StartSkinEngineFrom(const std::uint8_t* image, std::uint32_t size);

// The program-wide engine object; null before the start and after the stop.
const MemoryModule* SkinEngine();

// The program's copy of the last attached skin (empty after the stop).
const core::Bytes& SkinData();

}  // namespace skin
