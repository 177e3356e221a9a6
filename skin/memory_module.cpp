#include "skin/memory_module.h"

#include <cstring>
#include <string>

namespace skin {
namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;           // "MZ"
constexpr std::uint32_t kNtSignature = 0x00004550;    // "PE\0\0"
constexpr std::uint16_t kFileExecutableImage = 0x0002;
constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::uint32_t kDirectoryExport = 0;
constexpr std::uint32_t kDirectoryImport = 1;
constexpr std::uint32_t kDirectoryBaseReloc = 5;
constexpr std::uint16_t kRelocHighLow = 3;
constexpr std::uint32_t kImportByOrdinal = 0x80000000;
constexpr std::uint32_t kProcessAttach = 1;
constexpr std::uint32_t kProcessDetach = 0;

// Offsets inside the NT headers (from e_lfanew).
constexpr std::uint32_t kNumberOfSections = 4 + 2;
constexpr std::uint32_t kCharacteristics = 4 + 18;
constexpr std::uint32_t kOptional = 4 + 20;
constexpr std::uint32_t kAddressOfEntryPoint = kOptional + 16;
constexpr std::uint32_t kImageBase = kOptional + 28;
constexpr std::uint32_t kSectionAlignment = kOptional + 32;
constexpr std::uint32_t kSizeOfImage = kOptional + 56;
constexpr std::uint32_t kDataDirectories = kOptional + 96;

// The one bounds helper: true when [offset, offset + size) lies inside a span
// of `total` bytes. Written so that it cannot overflow.
bool Within(std::uint64_t total, std::uint64_t offset, std::uint64_t size) {
  return size <= total && offset <= total - size;
}

// Checked little-endian reads from a buffer or a mapped region.
struct View {
  const std::uint8_t* data;
  std::uint64_t size;

  bool U16(std::uint64_t offset, std::uint16_t& value) const {
    if (!Within(size, offset, 2)) return false;
    value = std::uint16_t(data[offset] | data[offset + 1] << 8);
    return true;
  }
  bool U32(std::uint64_t offset, std::uint32_t& value) const {
    if (!Within(size, offset, 4)) return false;
    value = std::uint32_t(data[offset]) | std::uint32_t(data[offset + 1]) << 8 |
            std::uint32_t(data[offset + 2]) << 16 | std::uint32_t(data[offset + 3]) << 24;
    return true;
  }
  // The zero-terminated string at `offset`, or null when it does not end
  // inside the view.
  const char* String(std::uint64_t offset) const {
    if (offset >= size) return nullptr;
    const void* end = std::memchr(data + offset, 0, size - offset);
    return end ? reinterpret_cast<const char*>(data + offset) : nullptr;
  }
};

void Write32(std::uint8_t* at, std::uint32_t value) {
  at[0] = std::uint8_t(value);
  at[1] = std::uint8_t(value >> 8);
  at[2] = std::uint8_t(value >> 16);
  at[3] = std::uint8_t(value >> 24);
}

struct DataDirectory {
  std::uint32_t virtualAddress = 0;
  std::uint32_t size = 0;
};

struct Headers {
  std::uint32_t nt = 0;  // e_lfanew
  std::uint16_t numberOfSections = 0;
  std::uint16_t characteristics = 0;
  std::uint32_t addressOfEntryPoint = 0;
  std::uint32_t imageBase = 0;
  std::uint32_t sectionAlignment = 0;
  std::uint32_t sizeOfImage = 0;
  DataDirectory directories[16];

  std::uint64_t SectionTable() const { return std::uint64_t(nt) + kNtHeadersSize; }
  std::uint64_t HeaderCopySize() const {
    return SectionTable() + std::uint64_t(kSectionHeaderSize) * numberOfSections;
  }
  bool IsDll() const { return (characteristics & kFileDll) != 0; }
};

// The DOS and NT headers: "MZ", NT headers inside the view, the PE signature.
bool ReadHeaders(const View& v, Headers& h) {
  std::uint16_t magic = 0;
  std::uint32_t signature = 0;
  if (v.size < kDosHeaderSize || !v.U16(0, magic) || magic != kDosMagic) return false;
  if (!v.U32(60, h.nt) || !Within(v.size, h.nt, kNtHeadersSize)) return false;
  if (!v.U32(h.nt, signature) || signature != kNtSignature) return false;
  // Everything below lies inside the 248 bytes just checked.
  v.U16(h.nt + kNumberOfSections, h.numberOfSections);
  v.U16(h.nt + kCharacteristics, h.characteristics);
  v.U32(h.nt + kAddressOfEntryPoint, h.addressOfEntryPoint);
  v.U32(h.nt + kImageBase, h.imageBase);
  v.U32(h.nt + kSectionAlignment, h.sectionAlignment);
  v.U32(h.nt + kSizeOfImage, h.sizeOfImage);
  for (std::uint32_t i = 0; i < 16; ++i) {
    v.U32(h.nt + kDataDirectories + 8 * i, h.directories[i].virtualAddress);
    v.U32(h.nt + kDataDirectories + 8 * i + 4, h.directories[i].size);
  }
  return true;
}

// The header checks a buffer must pass before anything is allocated.
bool CheckImageHeaders(const View& image, Headers& h) {
  return ReadHeaders(image, h) && (h.characteristics & kFileExecutableImage) != 0 &&
         image.size >= h.HeaderCopySize();
}

// The fields of one section header that the loader uses; 0 where unreadable.
struct SectionHeader {
  std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0;
};

SectionHeader ReadSectionHeader(const View& image, const Headers& h, std::uint32_t i) {
  const std::uint64_t at = h.SectionTable() + std::uint64_t(kSectionHeaderSize) * i;
  SectionHeader s;
  image.U32(at + 8, s.virtualSize);
  image.U32(at + 12, s.virtualAddress);
  image.U32(at + 16, s.rawSize);
  image.U32(at + 20, s.rawPointer);
  return s;
}

// SizeOfImage, raised to cover every section; 0 when the image is malformed.
std::uint32_t ImageSize(const View& image, const Headers& h) {
  std::uint64_t size = h.sizeOfImage;
  for (std::uint32_t i = 0; i < h.numberOfSections; ++i) {
    const SectionHeader section = ReadSectionHeader(image, h, i);
    const std::uint32_t virtualSize = section.virtualSize, virtualAddress = section.virtualAddress,
                        rawSize = section.rawSize;
    // AlignUp divides by the alignment: an image without one cannot be laid out.
    if (h.sectionAlignment == 0) return 0;
    const std::uint64_t end =
        AlignUp(std::uint64_t(virtualAddress) + (virtualSize > rawSize ? virtualSize : rawSize),
                h.sectionAlignment);
    if (end > size) size = end;
  }
  return size > kMaxImageSize ? 0 : std::uint32_t(size);
}

// The mapping under construction; released on every way out but success.
class Mapping {
 public:
  explicit Mapping(ModulePlatform& platform) : platform_(platform) {}
  ~Mapping() {
    if (region_.memory) platform_.Release(region_);
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  bool Allocate(Address preferred, std::uint32_t size) {
    // A preferred base whose region would run past the top of the 32-bit
    // address space is never asked for: every address in the image is base
    // plus an offset, and such a sum would wrap around to low memory.
    if (std::uint64_t(preferred) + size <= 0x100000000ull) region_ = platform_.Allocate(preferred, size, false);
    if (!region_.memory) region_ = platform_.Allocate(preferred, size, true);
    region_.size = size;
    return region_.memory != nullptr;
  }
  Region Keep() {
    Region kept = region_;
    region_ = Region{};
    return kept;
  }
  const Region& region() const { return region_; }
  View view() const { return View{region_.memory, region_.size}; }

 private:
  ModulePlatform& platform_;
  Region region_;
};

bool CopySections(const View& image, const Headers& h, const Region& r) {
  std::memcpy(r.memory, image.data, size_t(h.HeaderCopySize()));
  for (std::uint32_t i = 0; i < h.numberOfSections; ++i) {
    const SectionHeader section = ReadSectionHeader(image, h, i);
    const std::uint32_t virtualAddress = section.virtualAddress, rawSize = section.rawSize,
                        rawPointer = section.rawPointer;
    if (rawSize == 0 || virtualAddress == 0) continue;
    if (!Within(image.size, rawPointer, rawSize) || !Within(r.size, virtualAddress, rawSize)) {
      return false;
    }
    std::memcpy(r.memory + virtualAddress, image.data + rawPointer, rawSize);
  }
  return true;
}

bool ApplyRelocations(const Headers& h, const Region& r) {
  const DataDirectory& dir = h.directories[kDirectoryBaseReloc];
  if (dir.size == 0) return true;
  const View v{r.memory, r.size};
  // Applied even when the image sits at its preferred base, where it adds 0.
  const std::uint32_t delta = r.address - h.imageBase;
  std::uint64_t block = dir.virtualAddress;
  // The walk ends at a block with VirtualAddress 0, as the blocks' own
  // terminator, or where the region ends exactly.
  while (block != r.size) {
    std::uint32_t page = 0, blockSize = 0;
    if (!v.U32(block, page) || !v.U32(block + 4, blockSize)) return false;
    if (page == 0 || blockSize < 8) break;
    const std::uint64_t entries = (blockSize - 8) / 2;
    if (!Within(r.size, block + 8, entries * 2)) return false;
    for (std::uint64_t e = 0; e < entries; ++e) {
      std::uint16_t entry = 0;
      v.U16(block + 8 + 2 * e, entry);
      if (entry >> 12 != kRelocHighLow) continue;
      const std::uint64_t target = std::uint64_t(page) + (entry & 0x0FFF);
      std::uint32_t value = 0;
      if (!v.U32(target, value)) return false;
      Write32(r.memory + target, value + delta);
    }
    block += blockSize;
  }
  return true;
}

bool ResolveImports(ModulePlatform& platform, const Headers& h, const Region& r,
                    ImportResolver resolver, std::uint32_t resolverParam) {
  const DataDirectory& dir = h.directories[kDirectoryImport];
  if (dir.virtualAddress == 0) return true;
  const View v{r.memory, r.size};
  for (std::uint64_t descriptor = dir.virtualAddress;; descriptor += kImportDescriptorSize) {
    std::uint32_t nameOffset = 0, firstThunk = 0;
    if (!Within(r.size, descriptor, kImportDescriptorSize)) return false;
    v.U32(descriptor + 12, nameOffset);
    v.U32(descriptor + 16, firstThunk);
    if (firstThunk == 0) return true;
    const char* dllName = v.String(nameOffset);
    if (!dllName) return false;
    void* module = platform.LoadModule(dllName);
    for (std::uint64_t slot = firstThunk;; slot += 4) {
      std::uint32_t thunk = 0;
      if (!v.U32(slot, thunk)) return false;
      if (thunk == 0) break;
      std::string ordinalText;
      const char* functionName = nullptr;
      std::uint16_t ordinal = 0;
      if (thunk & kImportByOrdinal) {
        ordinal = std::uint16_t(thunk & 0xFFFF);
        ordinalText = std::to_string(ordinal);
        functionName = ordinalText.c_str();
      } else {
        functionName = v.String(std::uint64_t(thunk) + 2);  // past the hint
        if (!functionName) return false;
      }
      Address address = resolver ? resolver(dllName, functionName, resolverParam) : 0;
      // A DLL that did not load leaves its functions to the resolver alone.
      if (address == 0 && module) {
        address = platform.ProcAddress(module, ordinalText.empty() ? functionName : nullptr,
                                          ordinal);
      }
      if (address == 0) return false;
      Write32(r.memory + slot, address);
    }
  }
}

}  // namespace

bool MemoryModule::Load(const std::uint8_t* image, std::size_t size, ImportResolver resolver,
                        std::uint32_t resolverParam) {
  if (region_.memory) Free();
  region_ = Region{};

  const View buffer{image, image ? size : 0};
  Headers h;
  if (!CheckImageHeaders(buffer, h)) return false;
  const std::uint32_t imageSize = ImageSize(buffer, h);
  if (imageSize == 0 || imageSize < h.HeaderCopySize()) return false;

  Mapping mapping(*platform_);
  if (!mapping.Allocate(h.imageBase, imageSize)) return false;
  const Region& r = mapping.region();
  if (!CopySections(buffer, h, r) || !ApplyRelocations(h, r) ||
      !ResolveImports(*platform_, h, r, resolver, resolverParam)) {
    return false;
  }
  if (h.IsDll() && h.addressOfEntryPoint != 0) {
    // An entry point outside the image would run whatever lies there.
    if (h.addressOfEntryPoint >= r.size) return false;
    const Address entry = r.address + h.addressOfEntryPoint;
    if (platform_->CallEntryPoint(entry, kProcessAttach) == 0) {
      platform_->CallEntryPoint(entry, kProcessDetach);
      return false;
    }
  }
  region_ = mapping.Keep();
  return true;
}

bool MemoryModule::Free() {
  if (!region_.memory) return true;
  Headers h;
  if (!ReadHeaders(View{region_.memory, region_.size}, h)) return false;
  if (h.IsDll() && h.addressOfEntryPoint != 0 && h.addressOfEntryPoint < region_.size) {
    platform_->CallEntryPoint(region_.address + h.addressOfEntryPoint, kProcessDetach);
  }
  if (platform_->Release(region_)) region_ = Region{};
  return region_.memory == nullptr;
}

Address MemoryModule::FindExport(const core::Text& name) const {
  if (!region_.memory) return 0;
  const View v{region_.memory, region_.size};
  Headers h;
  if (!ReadHeaders(v, h)) return 0;
  const DataDirectory& dir = h.directories[kDirectoryExport];
  if (dir.size == 0 || !Within(v.size, dir.virtualAddress, kExportDirectorySize)) return 0;
  std::uint32_t base = 0, functionCount = 0, nameCount = 0, functions = 0, names = 0,
                ordinals = 0;
  v.U32(dir.virtualAddress + 16, base);
  v.U32(dir.virtualAddress + 20, functionCount);
  v.U32(dir.virtualAddress + 24, nameCount);
  v.U32(dir.virtualAddress + 28, functions);
  v.U32(dir.virtualAddress + 32, names);
  v.U32(dir.virtualAddress + 36, ordinals);

  // The address of function `index`, 0 when there is none or it lies outside
  // the image.
  auto function = [&](std::uint64_t index) -> Address {
    std::uint32_t offset = 0;
    if (index >= functionCount || !v.U32(functions + 4 * index, offset)) return 0;
    if (offset == 0 || offset >= v.size) return 0;
    return region_.address + offset;
  };

  const int number = core::TextToInt(name);
  if (core::IntToText(number) == name) {
    const std::int64_t index = std::int64_t(number) - std::int64_t(base);
    return index < 0 ? 0 : function(std::uint64_t(index));
  }
  // Each name is read through its own AddressOfNames entry: linkers may put
  // other strings (a forwarder's target) between the names.
  if (!Within(v.size, names, 4ull * nameCount) || !Within(v.size, ordinals, 2ull * nameCount)) {
    return 0;
  }
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    std::uint32_t nameOffset = 0;
    std::uint16_t ordinal = 0;
    v.U32(names + 4ull * i, nameOffset);
    v.U16(ordinals + 2ull * i, ordinal);
    const char* candidate = v.String(nameOffset);
    if (!candidate || name != candidate) continue;
    if (const Address address = function(ordinal)) return address;
  }
  return 0;
}

Address MemoryModule::EntryPoint() const {
  if (!region_.memory) return 0;
  Headers h;
  if (!ReadHeaders(View{region_.memory, region_.size}, h)) return 0;
  return region_.address + h.addressOfEntryPoint;
}

}  // namespace skin
