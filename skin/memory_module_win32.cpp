// The loader's platform calls on Windows.
#include <windows.h>

#include "skin/memory_module.h"

namespace skin {
namespace {

using EntryFunction = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

class SystemPlatform final : public ModulePlatform {
 public:
  Region Allocate(Address preferred, std::uint32_t size, bool anywhere) override {
    void* at = anywhere ? nullptr : reinterpret_cast<void*>(std::uintptr_t(preferred));
    void* memory = VirtualAlloc(at, size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    // Without a preferred address (0) VirtualAlloc picks one itself; that is
    // the second attempt's job.
    if (!anywhere && memory && memory != at) {
      VirtualFree(memory, 0, MEM_RELEASE);
      memory = nullptr;
    }
    Region region;
    region.memory = static_cast<std::uint8_t*>(memory);
    region.address = Address(reinterpret_cast<std::uintptr_t>(memory));
    region.size = size;
    return region;
  }

  bool Release(const Region& region) override {
    return VirtualFree(region.memory, 0, MEM_RELEASE) != 0;
  }

  void* LoadModule(const char* name) override { return LoadLibraryA(name); }

  Address ProcAddress(void* module, const char* name, std::uint16_t ordinal) override {
    const char* which = name ? name : MAKEINTRESOURCEA(ordinal);
    return Address(reinterpret_cast<std::uintptr_t>(
        ::GetProcAddress(static_cast<HMODULE>(module), which)));
  }

  std::uint32_t CallEntryPoint(Address entry, std::uint32_t reason) override {
    const auto function = reinterpret_cast<EntryFunction>(std::uintptr_t(entry));
    return std::uint32_t(function(nullptr, reason, nullptr));
  }
};

}  // namespace

ModulePlatform& SystemModulePlatform() {
  static SystemPlatform platform;
  return platform;
}

}  // namespace skin
