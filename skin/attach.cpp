#include "skin/attach.h"

#include "skin/engine/skinh.h"

namespace skin {

bool AttachSkinWith(const MemoryModule& engine, const std::uint8_t* skin, std::uint32_t size,
                    const core::Text& password, std::int32_t hue, std::int32_t saturation,
                    std::int32_t brightness, core::Bytes& skinData, AttachCall call) {
  core::Bytes().swap(skinData);
  if (skin && size) skinData.assign(skin, skin + size);
  const Address attach = engine.FindExport(SKINH_ATTACH_RES_NAME);
  if (attach == 0) return false;
  // The engine gets the caller's bytes, not the copy: for the embedded skin
  // they are constant data that live as long as the process.
  call(attach, skin, size, password.empty() ? nullptr : password.c_str(), hue, saturation,
       brightness);
  return true;
}

}  // namespace skin
