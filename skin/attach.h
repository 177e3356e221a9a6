// Attaching a skin through the engine's "SkinH_AttachRes" export, and the
// program-wide copy of the skin data.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "skin/memory_module.h"

namespace skin {

// Calls the export at `address` with the six 32-bit arguments of
// SkinH_AttachRes; the Windows tree calls the engine, tests record.
using AttachCall = std::uint32_t (*)(Address address, const std::uint8_t* skin,
                                     std::uint32_t size, const char* password, std::int32_t hue,
                                     std::int32_t saturation, std::int32_t brightness);

// Stores a copy of the skin in `skinData` (dropping the previous copy), then
// calls the engine's attach export with the caller's own bytes: the pointer
// the caller passed, its byte count, the password or null when it is empty,
// and the three adjustments. The engine's answer is not examined. False when
// the engine has no attach export (no call is made then).
bool AttachSkinWith(const MemoryModule& engine, const std::uint8_t* skin, std::uint32_t size,
                    const core::Text& password, std::int32_t hue, std::int32_t saturation,
                    std::int32_t brightness, core::Bytes& skinData, AttachCall call);

}  // namespace skin
