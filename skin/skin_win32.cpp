// The program-wide skin engine: mapped from the embedded image at start,
// attached from the main window's window-created handler, dropped at exit.
#include <windows.h>

#include <memory>

#include "skin/attach.h"
#include "skin/embedded.h"
#include "skin/engine/skinh.h"
#include "skin/engine_host.h"
#include "skin/skin.h"

namespace skin {
namespace {

std::unique_ptr<MemoryModule> g_engine;
core::Bytes g_skinData;

std::uint32_t CallAttachExport(Address address, const std::uint8_t* skin, std::uint32_t size,
                               const char* password, std::int32_t hue, std::int32_t saturation,
                               std::int32_t brightness) {
  const auto attach = reinterpret_cast<SkinHAttachResFunction>(std::uintptr_t(address));
  return std::uint32_t(attach(skin, size, password, hue, saturation, brightness));
}

}  // namespace

bool StartSkinEngineFrom(const std::uint8_t* image, std::uint32_t size) {
  // Dropping an earlier object leaves its engine mapped, as at exit.
  g_engine = std::make_unique<MemoryModule>(SystemModulePlatform());
  return image && size && g_engine->Load(image, size);
}

const MemoryModule* SkinEngine() { return g_engine.get(); }

const core::Bytes& SkinData() { return g_skinData; }

bool StartSkinEngine() { return StartSkinEngineFrom(kSkinEngineImage, kSkinEngineImageSize); }

bool AttachSkin() {
  if (!g_engine) return false;
  return AttachSkinWith(*g_engine, kSkinFile, kSkinFileSize, core::Text(), 0, 0, 0, g_skinData,
                        CallAttachExport);
}

void StopSkinEngine() {
  core::Bytes().swap(g_skinData);
  g_engine.reset();
}

}  // namespace skin
