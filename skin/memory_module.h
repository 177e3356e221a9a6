// Maps a 32-bit Windows DLL image held in a byte buffer into the process and
// runs it, without a file on disk and without the system loader: header
// checks, one region for the whole image, headers and sections copied, base
// relocations applied, imports resolved, the entry point called. Afterwards
// exports are found by name or ordinal.
//
// The image is read as hostile input: every read and write of a structure is
// checked against the buffer or the mapped region, and an image that would
// lead outside them is malformed (Load fails with nothing left allocated,
// FindExport gives 0). TLS callbacks, delay-load and bound imports and
// section protections are not handled; the region stays read-write-execute.
//
// The platform calls sit behind ModulePlatform, so the PE logic runs natively
// on ordinary memory in the tests; the Windows tree uses SystemModulePlatform.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"

namespace skin {

// An address in the 32-bit process that runs the image.
using Address = std::uint32_t;

// Memory that the platform handed out for one image: where the loader writes
// (memory) and the address the image sees itself at (address). On Windows the
// two are the same; a fake platform may place the image at any address.
struct Region {
  std::uint8_t* memory = nullptr;
  Address address = 0;
  std::uint32_t size = 0;
};

// Optional import resolver: (DLL name, function name or decimal ordinal text,
// resolverParam) -> the function's address, or 0 to fall back on the DLL's
// own export.
using ImportResolver = Address (*)(const char* dllName, const char* functionName,
                                   std::uint32_t param);

class ModulePlatform {
 public:
  virtual ~ModulePlatform() = default;
  // A zero-filled, read-write-execute region of `size` bytes at `preferred`,
  // or at `anywhere`; memory null when it cannot be had.
  virtual Region Allocate(Address preferred, std::uint32_t size, bool anywhere) = 0;
  virtual bool Release(const Region& region) = 0;
  // A loaded module's handle, or null. Modules are never released.
  virtual void* LoadModule(const char* name) = 0;
  // The export by name, or by ordinal when name is null; 0 when missing.
  virtual Address ProcAddress(void* module, const char* name, std::uint16_t ordinal) = 0;
  // Calls entry(null instance, reason, null) and returns its result.
  virtual std::uint32_t CallEntryPoint(Address entry, std::uint32_t reason) = 0;
};

// VirtualAlloc, VirtualFree, LoadLibraryA, GetProcAddress (Windows tree only).
ModulePlatform& SystemModulePlatform();

// Fixed sizes of the PE structures this loader reads.
inline constexpr std::uint32_t kDosHeaderSize = 64;
inline constexpr std::uint32_t kNtHeadersSize = 248;  // signature, file and optional header
inline constexpr std::uint32_t kSectionHeaderSize = 40;
inline constexpr std::uint32_t kImportDescriptorSize = 20;
inline constexpr std::uint32_t kExportDirectorySize = 40;
// The largest image this loader maps; a bigger one is taken as malformed.
inline constexpr std::uint32_t kMaxImageSize = 256u * 1024 * 1024;

// alignment × floor((value + alignment − 1) / alignment), in 64 bits so that
// it cannot wrap; alignment must not be 0.
inline std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
  return alignment * ((value + alignment - 1) / alignment);
}

// One mapped image. Copies share the image; destroying an object leaves the
// image mapped (the program keeps its skin engine until the process ends).
class MemoryModule {
 public:
  explicit MemoryModule(ModulePlatform& platform) : platform_(&platform) {}

  // A new object with the same mapped image.
  MemoryModule Copy() const { return *this; }

  // Maps `image` (after freeing an image this object holds). True when an
  // image is mapped afterwards.
  bool Load(const std::uint8_t* image, std::size_t size, ImportResolver resolver = nullptr,
            std::uint32_t resolverParam = 0);
  bool Load(const core::Bytes& image, ImportResolver resolver = nullptr,
            std::uint32_t resolverParam = 0) {
    return Load(image.data(), image.size(), resolver, resolverParam);
  }

  // Detaches (entry point with reason 0) and releases the image. True when
  // the object holds no image afterwards.
  bool Free();

  // An export by name, or by ordinal when `name` is the exact decimal text of
  // a number ("5", not "05"); 0 when not found. Forwarders are not resolved.
  Address FindExport(const core::Text& name) const;

  // Base address plus AddressOfEntryPoint; 0 when nothing is mapped.
  Address EntryPoint() const;

  // The base address, 0 when nothing is mapped.
  Address Handle() const { return region_.address; }

 private:
  ModulePlatform* platform_;
  Region region_;
};

}  // namespace skin
