// Builds small 32-bit PE images in memory for the loader's tests and fuzzer,
// and a fake platform that maps them into ordinary memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/memory_module.h"

namespace skin_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(v >> 8);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
inline void PutString(Bytes& b, std::size_t at, const std::string& s) {
  if (b.size() < at + s.size() + 1) b.resize(at + s.size() + 1);
  std::memcpy(b.data() + at, s.c_str(), s.size() + 1);
}
inline std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

struct Section {
  std::uint32_t virtualAddress = 0x1000;
  std::uint32_t virtualSize = 0;  // 0: the data's size
  Bytes data;
  std::uint32_t rawPointer = 0;  // 0: laid out by the builder
};

// A DLL image: headers at offset 0, sections at file-aligned offsets.
struct PeBuilder {
  std::uint32_t lfanew = 64;
  std::uint16_t characteristics = 0x2102;  // DLL, 32-bit machine, executable
  std::uint32_t imageBase = 0x10000000;
  std::uint32_t entryPoint = 0;
  std::uint32_t sectionAlignment = 0x1000;
  std::uint32_t fileAlignment = 0x200;
  std::uint32_t sizeOfImage = 0;  // 0: covers the sections
  std::uint32_t directories[16][2] = {};
  std::vector<Section> sections;

  void Directory(int index, std::uint32_t rva, std::uint32_t size) {
    directories[index][0] = rva;
    directories[index][1] = size;
  }

  Bytes Build() const {
    Bytes out;
    Put16(out, 0, 0x5A4D);
    Put32(out, 60, lfanew);
    const std::size_t nt = lfanew;
    Put32(out, nt, 0x00004550);
    Put16(out, nt + 4, 0x014C);
    Put16(out, nt + 6, std::uint16_t(sections.size()));
    Put16(out, nt + 20, 224);
    Put16(out, nt + 22, characteristics);
    const std::size_t opt = nt + 24;
    Put16(out, opt, 0x010B);
    Put32(out, opt + 16, entryPoint);
    Put32(out, opt + 28, imageBase);
    Put32(out, opt + 32, sectionAlignment);
    Put32(out, opt + 36, fileAlignment);
    std::uint32_t image = sizeOfImage;
    if (image == 0) {
      image = sectionAlignment;
      for (const Section& s : sections) {
        const std::uint32_t vs = s.virtualSize ? s.virtualSize : std::uint32_t(s.data.size());
        const std::uint32_t end = s.virtualAddress + vs;
        const std::uint32_t a = sectionAlignment ? sectionAlignment : 1;
        image = std::max(image, (end + a - 1) / a * a);
      }
    }
    Put32(out, opt + 56, image);
    const std::size_t table = nt + 248;
    const std::size_t headers = table + 40 * sections.size();
    Put32(out, opt + 60, std::uint32_t((headers + fileAlignment - 1) / fileAlignment * fileAlignment));
    Put32(out, opt + 92, 16);
    for (int i = 0; i < 16; ++i) {
      Put32(out, opt + 96 + 8 * i, directories[i][0]);
      Put32(out, opt + 100 + 8 * i, directories[i][1]);
    }
    std::size_t raw = (headers + fileAlignment - 1) / fileAlignment * fileAlignment;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const Section& s = sections[i];
      const std::size_t at = table + 40 * i;
      PutString(out, at, ".s" + std::to_string(i));
      Put32(out, at + 8, s.virtualSize ? s.virtualSize : std::uint32_t(s.data.size()));
      Put32(out, at + 12, s.virtualAddress);
      Put32(out, at + 16, std::uint32_t(s.data.size()));
      const std::size_t pointer = s.rawPointer ? s.rawPointer : raw;
      Put32(out, at + 20, std::uint32_t(pointer));
      if (out.size() < pointer + s.data.size()) out.resize(pointer + s.data.size());
      if (!s.data.empty()) std::memcpy(out.data() + pointer, s.data.data(), s.data.size());
      raw = std::max(raw, (pointer + s.data.size() + fileAlignment - 1) / fileAlignment * fileAlignment);
    }
    return out;
  }
};

// Maps images into heap blocks (ASan sees any access outside them) at
// addresses of its own choosing, and records what the loader asked for.
class FakePlatform final : public skin::ModulePlatform {
 public:
  struct EntryCall {
    skin::Address entry;
    std::uint32_t reason;
  };

  // Addresses that are "taken": an allocation there fails.
  std::vector<skin::Address> taken;
  skin::Address anywhere = 0x30000000;
  std::uint32_t largestAllocation = 64u * 1024 * 1024;
  // DLL name -> exports by name or by "#ordinal".
  std::map<std::string, std::map<std::string, skin::Address>> dlls;
  std::uint32_t entryResult = 1;

  std::vector<EntryCall> entryCalls;
  std::vector<std::string> loadedDlls;
  int allocations = 0;
  int releases = 0;

  skin::Region Allocate(skin::Address preferred, std::uint32_t size, bool any) override {
    skin::Region r;
    if (size > largestAllocation) return r;
    skin::Address at = any ? anywhere : preferred;
    for (skin::Address t : taken) {
      if (t == at) return r;
    }
    if (at == 0 || live_.count(at)) return r;
    auto block = std::make_unique<std::uint8_t[]>(size);  // zero-filled
    r.memory = block.get();
    r.address = at;
    r.size = size;
    live_[at] = std::move(block);
    ++allocations;
    if (any) anywhere += 0x01000000;
    return r;
  }

  bool Release(const skin::Region& region) override {
    auto it = live_.find(region.address);
    if (it == live_.end() || it->second.get() != region.memory) return false;
    live_.erase(it);
    ++releases;
    return true;
  }

  void* LoadModule(const char* name) override {
    loadedDlls.push_back(name);
    auto it = dlls.find(name);
    return it == dlls.end() ? nullptr : &it->second;
  }

  skin::Address ProcAddress(void* module, const char* name, std::uint16_t ordinal) override {
    auto& exports = *static_cast<std::map<std::string, skin::Address>*>(module);
    auto it = exports.find(name ? std::string(name) : "#" + std::to_string(ordinal));
    return it == exports.end() ? 0 : it->second;
  }

  std::uint32_t CallEntryPoint(skin::Address entry, std::uint32_t reason) override {
    entryCalls.push_back({entry, reason});
    return entryResult;
  }

  std::size_t LiveRegions() const { return live_.size(); }
  // The host memory behind a mapped address.
  std::uint8_t* Memory(skin::Address address) {
    auto it = live_.find(address);
    return it == live_.end() ? nullptr : it->second.get();
  }

 private:
  std::map<skin::Address, std::unique_ptr<std::uint8_t[]>> live_;
};

}  // namespace skin_test
