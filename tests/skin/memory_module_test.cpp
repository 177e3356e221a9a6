// The loader's PE logic on images built in memory, mapped by a fake platform.
#include "skin/memory_module.h"

#include <gtest/gtest.h>

#include "tests/skin/pe_image.h"

namespace {

using skin::Address;
using skin::MemoryModule;
using skin_test::Bytes;
using skin_test::FakePlatform;
using skin_test::Get32;
using skin_test::PeBuilder;
using skin_test::Put16;
using skin_test::Put32;
using skin_test::PutString;

constexpr std::uint32_t kSection = 0x1000;  // RVA of the one section the tests use
constexpr std::uint32_t kBase = 0x10000000;

// A DLL with one section of `size` bytes at RVA 0x1000 and its entry point in it.
PeBuilder Dll(Bytes data = Bytes(0x400, 0)) {
  PeBuilder pe;
  pe.entryPoint = kSection + 0x10;
  pe.sections.push_back({kSection, 0, std::move(data), 0});
  return pe;
}

TEST(MemoryModuleHeaders, MalformedHeadersFailWithoutAllocating) {
  const Bytes good = Dll().Build();
  struct Case {
    const char* what;
    Bytes image;
  };
  std::vector<Case> cases;
  cases.push_back({"63 bytes", Bytes(good.begin(), good.begin() + 63)});
  {
    Bytes b = good;
    b[0] = 'Z';
    cases.push_back({"no MZ", b});
  }
  {
    Bytes b = good;
    Put32(b, 60, std::uint32_t(b.size() - 247));
    cases.push_back({"NT headers past the end", b});
  }
  {
    Bytes b = good;
    Put32(b, 60, 0xFFFFFFF0u);
    cases.push_back({"e_lfanew that wraps", b});
  }
  {
    Bytes b = good;
    b[64 + 2] = 'X';
    cases.push_back({"no PE signature", b});
  }
  {
    PeBuilder pe = Dll();
    pe.characteristics = 0x2100;
    cases.push_back({"not executable", pe.Build()});
  }
  {
    Bytes b = good;
    b.resize(64 + 248 + 39);
    cases.push_back({"section table cut", b});
  }
  {
    PeBuilder pe;  // no sections and a size of 0
    pe.sizeOfImage = 0;
    pe.sectionAlignment = 0x1000;
    Bytes b = pe.Build();
    Put32(b, 64 + 24 + 56, 0);
    cases.push_back({"image size 0", b});
  }
  {
    PeBuilder pe = Dll();
    pe.sectionAlignment = 0;
    pe.sizeOfImage = 0x2000;
    cases.push_back({"section alignment 0", pe.Build()});
  }
  {
    PeBuilder pe = Dll();
    pe.sections[0].virtualAddress = 0xFFFFF000u;
    pe.sizeOfImage = 0x2000;
    cases.push_back({"section beyond 4 GiB", pe.Build()});
  }
  {
    PeBuilder pe = Dll();
    pe.sizeOfImage = 0x100;  // smaller than the headers it must hold
    pe.sections.clear();
    cases.push_back({"region smaller than the headers", pe.Build()});
  }
  for (const Case& c : cases) {
    FakePlatform platform;
    MemoryModule module(platform);
    EXPECT_FALSE(module.Load(c.image)) << c.what;
    EXPECT_EQ(platform.allocations, 0) << c.what;
    EXPECT_EQ(module.Handle(), 0u) << c.what;
  }
  FakePlatform platform;
  MemoryModule module(platform);
  EXPECT_TRUE(module.Load(good)) << "the unmodified image";
}

TEST(MemoryModuleMapping, HeadersSectionsAndEntryPoint) {
  Bytes data(0x300, 0);
  PutString(data, 0x20, "section bytes");
  PeBuilder pe = Dll(data);
  // A second section with no raw data stays zero-filled; its size counts.
  pe.sections.push_back({0x3000, 0x2500, {}, 0});
  pe.sizeOfImage = 0x2000;  // smaller than the sections need
  Bytes image = pe.Build();
  // Bytes after the section table but inside SizeOfHeaders are not copied.
  const std::size_t headerCopy = 64 + 248 + 2 * 40;
  image[headerCopy] = 0xAB;

  FakePlatform platform;
  MemoryModule module(platform);
  ASSERT_TRUE(module.Load(image));
  EXPECT_EQ(module.Handle(), kBase);
  EXPECT_EQ(module.EntryPoint(), kBase + kSection + 0x10);
  std::uint8_t* m = platform.Memory(kBase);
  EXPECT_EQ(0, std::memcmp(m, image.data(), headerCopy));
  EXPECT_EQ(m[headerCopy], 0) << "header copy stops at the section table";
  EXPECT_STREQ(reinterpret_cast<char*>(m + kSection + 0x20), "section bytes");
  ASSERT_EQ(platform.entryCalls.size(), 1u);
  EXPECT_EQ(platform.entryCalls[0].entry, kBase + kSection + 0x10);
  EXPECT_EQ(platform.entryCalls[0].reason, 1u);

  // The module of the second section is 0x3000 + 0x2500 aligned: 0x6000.
  module.Free();
  FakePlatform sized;
  sized.largestAllocation = 0x5FFF;
  MemoryModule small(sized);
  EXPECT_FALSE(small.Load(image)) << "the image needs 0x6000 bytes";
  sized.largestAllocation = 0x6000;
  EXPECT_TRUE(small.Load(image));
}

TEST(MemoryModuleMapping, EntryPointRules) {
  struct Case {
    const char* what;
    std::uint16_t characteristics;
    std::uint32_t entry;
    std::uint32_t entryResult;
    bool loads;
    std::vector<std::uint32_t> reasons;
  };
  const Case cases[] = {
      {"DLL whose entry accepts", 0x2102, kSection + 0x10, 1, true, {1}},
      {"DLL whose entry refuses", 0x2102, kSection + 0x10, 0, false, {1, 0}},
      {"image without the DLL flag", 0x0102, kSection + 0x10, 0, true, {}},
      {"DLL without an entry point", 0x2102, 0, 0, true, {}},
      {"entry point outside the image", 0x2102, 0x00100000, 1, false, {}},
  };
  for (const Case& c : cases) {
    PeBuilder pe = Dll();
    pe.characteristics = c.characteristics;
    pe.entryPoint = c.entry;
    FakePlatform platform;
    platform.entryResult = c.entryResult;
    MemoryModule module(platform);
    EXPECT_EQ(module.Load(pe.Build()), c.loads) << c.what;
    std::vector<std::uint32_t> reasons;
    for (const auto& call : platform.entryCalls) {
      EXPECT_EQ(call.entry, kBase + c.entry) << c.what;
      reasons.push_back(call.reason);
    }
    EXPECT_EQ(reasons, c.reasons) << c.what;
    EXPECT_EQ(platform.LiveRegions(), c.loads ? 1u : 0u) << c.what;
    EXPECT_EQ(module.Handle(), c.loads ? kBase : 0u) << c.what;
  }
}

// A section with a relocation block at 0x200 whose entries are given.
PeBuilder WithRelocations(const std::vector<std::uint16_t>& entries, std::uint32_t page = kSection,
                          std::uint32_t blockSize = 0) {
  Bytes data(0x400, 0);
  Put32(data, 0x00, 0x10000100);  // pointers the image holds to itself
  Put32(data, 0x04, 0x10000200);
  Put32(data, 0x08, 0xFFFFFFF0);
  Put32(data, 0x200, page);
  Put32(data, 0x204, blockSize ? blockSize : std::uint32_t(8 + 2 * entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) Put16(data, 0x208 + 2 * i, entries[i]);
  PeBuilder pe = Dll(data);
  pe.Directory(5, kSection + 0x200, 8 + 2 * std::uint32_t(entries.size()));
  return pe;
}

TEST(MemoryModuleRelocations, DeltaAddedToHighLowEntriesOnly) {
  struct Case {
    const char* what;
    bool preferredTaken;
    std::vector<std::uint16_t> entries;
    std::uint32_t blockSize;
    std::uint32_t expected[3];
  };
  // Moved from 0x10000000 to 0x30000000: delta 0x20000000.
  const Case cases[] = {
      {"at the preferred base the delta is 0", false, {0x3000, 0x3004, 0x3008}, 0,
       {0x10000100, 0x10000200, 0xFFFFFFF0}},
      {"moved: every HIGHLOW entry", true, {0x3000, 0x3004}, 0,
       {0x30000100, 0x30000200, 0xFFFFFFF0}},
      {"sum wraps modulo 2^32", true, {0x3008}, 0, {0x10000100, 0x10000200, 0x1FFFFFF0}},
      {"padding and other types change nothing", true, {0x0000, 0x1004, 0xA008, 0x3000}, 0,
       {0x30000100, 0x10000200, 0xFFFFFFF0}},
      {"block size below 8 ends the walk", true, {0x3000}, 4,
       {0x10000100, 0x10000200, 0xFFFFFFF0}},
  };
  for (const Case& c : cases) {
    PeBuilder pe = WithRelocations(c.entries, kSection, c.blockSize);
    FakePlatform platform;
    if (c.preferredTaken) platform.taken.push_back(kBase);
    MemoryModule module(platform);
    ASSERT_TRUE(module.Load(pe.Build())) << c.what;
    const std::uint8_t* m = platform.Memory(module.Handle());
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(Get32(m + kSection + 4 * i), c.expected[i]) << c.what << ", value " << i;
    }
  }
}

TEST(MemoryModuleRelocations, BlocksThatLeaveTheRegionAreMalformed) {
  struct Case {
    const char* what;
    PeBuilder pe;
  };
  std::vector<Case> cases;
  // Target page near the end: offset 0xFFE of the last page crosses it.
  cases.push_back({"target straddles the region end", WithRelocations({0x3FFE}, 0x1000)});
  cases.push_back({"target page far outside", WithRelocations({0x3000}, 0x7FFF0000)});
  cases.push_back({"entries run past the region", WithRelocations({0x3000}, kSection, 0x7FFFFFF0)});
  {
    PeBuilder pe = WithRelocations({0x3000});
    pe.Directory(5, 0x00100000, 8);
    cases.push_back({"directory outside the region", pe});
  }
  {
    // No terminating block: the next block header straddles the region end.
    Bytes data(0x1000, 0);
    Put32(data, 0xFF0, kSection);
    Put32(data, 0xFF4, 12);
    Put32(data, 0xFFC, kSection);
    PeBuilder pe = Dll(data);
    pe.Directory(5, kSection + 0xFF0, 12);
    cases.push_back({"block walks off the end", pe});
  }
  for (Case& c : cases) {
    for (bool moved : {false, true}) {
      FakePlatform platform;
      if (moved) platform.taken.push_back(kBase);
      MemoryModule module(platform);
      EXPECT_FALSE(module.Load(c.pe.Build())) << c.what << (moved ? " (moved)" : "");
      EXPECT_EQ(platform.LiveRegions(), 0u) << c.what;
      EXPECT_TRUE(platform.entryCalls.empty()) << c.what;
    }
  }
}

TEST(MemoryModuleRelocations, BlockEndingExactlyAtTheRegionEndIsTheLast) {
  // The relocation data fills the last bytes of the image: no terminator follows.
  Bytes data(0x1000, 0);
  Put32(data, 0, 0x10000010);
  Put32(data, 0x1000 - 12, kSection);
  Put32(data, 0x1000 - 8, 12);
  Put16(data, 0x1000 - 4, 0x3000);
  PeBuilder pe = Dll(data);
  pe.Directory(5, kSection + 0x1000 - 12, 12);
  FakePlatform platform;
  platform.taken.push_back(kBase);
  MemoryModule module(platform);
  ASSERT_TRUE(module.Load(pe.Build()));
  EXPECT_EQ(Get32(platform.Memory(module.Handle()) + kSection), 0x30000010u);
}

// Imports of "one.dll": a function by name and one by ordinal 7.
PeBuilder WithImports(const std::string& dll = "one.dll") {
  Bytes data(0x400, 0);
  // descriptor at 0x100, terminator at 0x114; IAT at 0x200; names at 0x300
  Put32(data, 0x100 + 12, kSection + 0x300);
  Put32(data, 0x100 + 16, kSection + 0x200);
  Put32(data, 0x200, kSection + 0x320);
  Put32(data, 0x204, 0x80000007);
  Put32(data, 0x208, 0);
  PutString(data, 0x300, dll);
  PutString(data, 0x322, "Alpha");
  PeBuilder pe = Dll(data);
  pe.Directory(1, kSection + 0x100, 40);
  return pe;
}

struct ResolverLog {
  std::vector<std::string> calls;
  std::map<std::string, Address> answers;
};
ResolverLog* g_resolver = nullptr;

Address Resolver(const char* dll, const char* function, std::uint32_t param) {
  const std::string key = std::string(dll) + "!" + function + "@" + std::to_string(param);
  g_resolver->calls.push_back(key);
  auto it = g_resolver->answers.find(key);
  return it == g_resolver->answers.end() ? 0 : it->second;
}

TEST(MemoryModuleImports, ResolverFirstThenTheDllsOwnExports) {
  struct Case {
    const char* what;
    bool dllLoads;
    std::map<std::string, Address> dllExports;
    bool useResolver;
    std::map<std::string, Address> resolverAnswers;
    bool loads;
    Address slots[2];
  };
  const Case cases[] = {
      {"system exports only", true, {{"Alpha", 0xA1}, {"#7", 0xB7}}, false, {}, true, {0xA1, 0xB7}},
      {"resolver wins", true, {{"Alpha", 0xA1}, {"#7", 0xB7}}, true,
       {{"one.dll!Alpha@42", 0xC1}, {"one.dll!7@42", 0xC7}}, true, {0xC1, 0xC7}},
      {"resolver answers 0: fall back", true, {{"Alpha", 0xA1}, {"#7", 0xB7}}, true,
       {{"one.dll!7@42", 0xC7}}, true, {0xA1, 0xC7}},
      {"DLL missing, resolver has all", false, {}, true,
       {{"one.dll!Alpha@42", 0xC1}, {"one.dll!7@42", 0xC7}}, true, {0xC1, 0xC7}},
      {"DLL missing, no resolver", false, {}, false, {}, false, {}},
      {"function missing everywhere", true, {{"Alpha", 0xA1}}, true, {}, false, {}},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    if (c.dllLoads) platform.dlls["one.dll"] = c.dllExports;
    ResolverLog log;
    log.answers = c.resolverAnswers;
    g_resolver = &log;
    MemoryModule module(platform);
    const bool loaded = module.Load(WithImports().Build(), c.useResolver ? Resolver : nullptr, 42);
    EXPECT_EQ(loaded, c.loads) << c.what;
    EXPECT_EQ(platform.loadedDlls, std::vector<std::string>{"one.dll"}) << c.what;
    if (c.useResolver) {
      ASSERT_FALSE(log.calls.empty()) << c.what;
      EXPECT_EQ(log.calls[0], "one.dll!Alpha@42") << c.what;
    }
    if (c.loads) {
      const std::uint8_t* m = platform.Memory(module.Handle());
      EXPECT_EQ(Get32(m + kSection + 0x200), c.slots[0]) << c.what;
      EXPECT_EQ(Get32(m + kSection + 0x204), c.slots[1]) << c.what;
      EXPECT_EQ(platform.entryCalls.size(), 1u) << c.what;
    } else {
      EXPECT_EQ(platform.LiveRegions(), 0u) << c.what;
      EXPECT_TRUE(platform.entryCalls.empty()) << c.what;
    }
  }
  g_resolver = nullptr;
}

TEST(MemoryModuleImports, TablesThatLeaveTheRegionAreMalformed) {
  struct Case {
    const char* what;
    std::size_t at;  // offset in the section to patch
    std::uint32_t value;
  };
  const Case cases[] = {
      {"descriptor outside", 0, 0},  // patched through the directory below
      {"DLL name outside", 0x100 + 12, 0x00200000},
      {"IAT outside", 0x100 + 16, 0x7FFFFFFC},
      {"hint-name outside", 0x200, 0x00FFFFFE},
      {"hint-name wraps", 0x200, 0x7FFFFFFF},
  };
  for (const Case& c : cases) {
    PeBuilder pe = WithImports();
    if (c.at == 0) {
      pe.Directory(1, 0x2000 - 10, 20);
    } else {
      Put32(pe.sections[0].data, c.at, c.value);
    }
    FakePlatform platform;
    platform.dlls["one.dll"] = {{"Alpha", 0xA1}, {"#7", 0xB7}};
    MemoryModule module(platform);
    EXPECT_FALSE(module.Load(pe.Build())) << c.what;
    EXPECT_EQ(platform.LiveRegions(), 0u) << c.what;
  }
  // A DLL name that runs to the end of the region without a terminator.
  PeBuilder pe = WithImports();
  Bytes& d = pe.sections[0].data;
  d.resize(0x1000, 'x');
  Put32(d, 0x100 + 12, kSection + 0xFF0);
  FakePlatform platform;
  MemoryModule module(platform);
  EXPECT_FALSE(module.Load(pe.Build())) << "unterminated DLL name";
  EXPECT_TRUE(platform.loadedDlls.empty());
}

// Exports: Base 3, four functions (the third empty), names pointing at
// functions 1, 0, 2 and 9 (out of range) written in a scattered order with a
// forwarder-like string between them.
PeBuilder WithExports() {
  Bytes data(0x400, 0);
  const std::size_t dir = 0x100;
  Put32(data, dir + 16, 3);   // Base
  Put32(data, dir + 20, 4);   // NumberOfFunctions
  Put32(data, dir + 24, 4);   // NumberOfNames
  Put32(data, dir + 28, kSection + 0x200);
  Put32(data, dir + 32, kSection + 0x220);
  Put32(data, dir + 36, kSection + 0x240);
  Put32(data, 0x200, kSection + 0x10);
  Put32(data, 0x204, kSection + 0x20);
  Put32(data, 0x208, 0);
  Put32(data, 0x20C, kSection + 0x40);
  PutString(data, 0x300, "Beta");
  PutString(data, 0x305, "KERNEL32.Forwarded");
  PutString(data, 0x318, "Gamma");
  PutString(data, 0x31E, "Empty");
  PutString(data, 0x324, "05");
  Put32(data, 0x220, kSection + 0x300);
  Put32(data, 0x224, kSection + 0x318);
  Put32(data, 0x228, kSection + 0x31E);
  Put32(data, 0x22C, kSection + 0x324);
  Put16(data, 0x240, 1);
  Put16(data, 0x242, 0);
  Put16(data, 0x244, 2);
  Put16(data, 0x246, 3);
  PeBuilder pe = Dll(data);
  pe.Directory(0, kSection + dir, 40);
  return pe;
}

TEST(MemoryModuleExports, NameAndOrdinalLookup) {
  FakePlatform platform;
  MemoryModule module(platform);
  ASSERT_TRUE(module.Load(WithExports().Build()));
  const Address f0 = kBase + kSection + 0x10, f1 = kBase + kSection + 0x20,
                f3 = kBase + kSection + 0x40;
  struct Case {
    const char* name;
    Address expected;
  };
  const Case cases[] = {
      {"Beta", f1},
      {"Gamma", f0},  // past the forwarder string: read through its own entry
      {"05", f3},     // a leading zero makes it a name
      {"beta", 0},    // case-sensitive
      {"Bet", 0},
      {"Empty", 0},   // function entry 0
      {"3", f0},      // ordinal 3 = index 0
      {"4", f1},
      {"5", 0},       // empty entry
      {"6", f3},
      {"7", 0},       // index 4 = NumberOfFunctions
      {"2", 0},       // below Base
      {"-1", 0},
      {"", 0},
      {"KERNEL32.Forwarded", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(module.FindExport(c.name), c.expected) << c.name;
}

TEST(MemoryModuleExports, TablesOutsideTheImageGiveZero) {
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"names table runs out", 0x100 + 24, 0x10000000},
      {"ordinals table outside", 0x100 + 36, 0x7FFFFFF0},
      {"functions table outside", 0x100 + 28, 0x00FFFFF0},
      {"function address outside", 0x204, 0x00F00000},
      {"name string outside", 0x220, 0x00FFFFFF},
  };
  for (const Case& c : cases) {
    PeBuilder pe = WithExports();
    Put32(pe.sections[0].data, c.at, c.value);
    FakePlatform platform;
    MemoryModule module(platform);
    ASSERT_TRUE(module.Load(pe.Build())) << c.what;
    EXPECT_EQ(module.FindExport("Beta"), 0u) << c.what;
  }
  PeBuilder pe = WithExports();
  pe.Directory(0, 0x2000 - 20, 40);
  FakePlatform platform;
  MemoryModule module(platform);
  ASSERT_TRUE(module.Load(pe.Build()));
  EXPECT_EQ(module.FindExport("Beta"), 0u) << "export directory straddles the end";
  EXPECT_EQ(module.FindExport("3"), 0u);
}

TEST(MemoryModuleLifecycle, FreeReloadCopyAndDestroy) {
  FakePlatform platform;
  {
    MemoryModule module(platform);
    EXPECT_TRUE(module.Free()) << "nothing mapped";
    EXPECT_EQ(module.EntryPoint(), 0u);
    EXPECT_EQ(module.FindExport("Beta"), 0u);
    ASSERT_TRUE(module.Load(WithExports().Build()));
    // Loading again detaches and releases the first image before mapping.
    ASSERT_TRUE(module.Load(WithExports().Build()));
    ASSERT_EQ(platform.entryCalls.size(), 3u);
    EXPECT_EQ(platform.entryCalls[1].reason, 0u);
    EXPECT_EQ(platform.releases, 1);
    EXPECT_EQ(platform.LiveRegions(), 1u);

    MemoryModule copy = module.Copy();
    EXPECT_EQ(copy.Handle(), module.Handle());
    EXPECT_EQ(copy.FindExport("Beta"), module.FindExport("Beta"));
    EXPECT_TRUE(copy.Free());
    EXPECT_EQ(platform.entryCalls.back().reason, 0u);
    EXPECT_EQ(copy.Handle(), 0u);
    EXPECT_EQ(platform.LiveRegions(), 0u);
  }
  {
    MemoryModule module(platform);
    ASSERT_TRUE(module.Load(WithExports().Build()));
    // Headers overwritten in memory: the image can no longer be recognised
    // and is left alone.
    platform.Memory(module.Handle())[0] = 0;
    const std::size_t calls = platform.entryCalls.size();
    EXPECT_FALSE(module.Free());
    EXPECT_EQ(platform.entryCalls.size(), calls);
    EXPECT_NE(module.Handle(), 0u);
    platform.Memory(module.Handle())[0] = 'M';
  }
  // Destroying the object left the image mapped and attached.
  EXPECT_EQ(platform.LiveRegions(), 1u);
  EXPECT_EQ(platform.entryCalls.back().reason, 1u);
}

}  // namespace
