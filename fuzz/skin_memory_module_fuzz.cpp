// Maps mutated DLL images with the fake platform: the loader must stay inside
// the buffer and the region (ASan), leave nothing allocated when it fails, and
// find exports only inside the image.
#include <cstdint>

#include "skin/memory_module.h"
#include "tests/skin/pe_image.h"

namespace {

// Every import resolves, so that mutated images get past the import step.
skin::Address AnyImport(const char*, const char*, std::uint32_t) { return 0x7F001000u; }

const char* const kNames[] = {"SkinH_AttachRes", "Add", "Twice", "Word", "0", "1", "2",
                              "3", "7", "05", "-1", "4294967295", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  skin_test::FakePlatform platform;
  platform.largestAllocation = 4u * 1024 * 1024;
  platform.entryResult = size % 2;  // refusing entry points too
  skin::MemoryModule module(platform);
  const bool withResolver = size % 3 != 0;
  if (!module.Load(data, size, withResolver ? AnyImport : nullptr, 0)) {
    if (platform.LiveRegions() != 0 || module.Handle() != 0) __builtin_trap();
    return 0;
  }
  const skin::Address base = module.Handle();
  // Exports lie inside the region, which is never larger than the platform allows.
  for (const char* name : kNames) {
    const skin::Address found = module.FindExport(name);
    if (found != 0 && (found < base || found - base >= platform.largestAllocation)) {
      __builtin_trap();
    }
  }
  module.EntryPoint();
  module.Free();
  return 0;
}
