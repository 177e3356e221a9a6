// The loader on real DLLs that the build makes with MinGW, under Windows or Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "skin/memory_module.h"
#include "tests/skin/pe_image.h"

namespace skin_test {
extern const std::uint8_t k_exports_dll[];
extern const std::uint32_t k_exports_dllSize;
extern const std::uint8_t k_refuse_dll[];
extern const std::uint32_t k_refuse_dllSize;
}  // namespace skin_test

namespace {

using skin::MemoryModule;
using skin_test::Bytes;

Bytes ExportsDll() {
  return Bytes(skin_test::k_exports_dll, skin_test::k_exports_dll + skin_test::k_exports_dllSize);
}

std::string Variable(const char* name) {
  char buffer[128] = "";
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// Entry reasons the test DLLs noted since the last call.
std::string TakeReasons() {
  const std::string reasons = Variable("SKIN_TEST_REASONS");
  const std::string instances = Variable("SKIN_TEST_INSTANCES");
  EXPECT_EQ(instances.find_first_not_of('0'), std::string::npos)
      << "the entry point gets a null instance handle";
  SetEnvironmentVariableA("SKIN_TEST_REASONS", nullptr);
  SetEnvironmentVariableA("SKIN_TEST_INSTANCES", nullptr);
  return reasons;
}

template <typename F>
F Function(const MemoryModule& m, const char* name) {
  return reinterpret_cast<F>(std::uintptr_t(m.FindExport(name)));
}

using IntInt = int (*)(int);
using IntIntInt = int (*)(int, int);
using IntVoid = int (*)();
using IntPtr = int* (*)();
using Words = const char* (*)(int);
using Upper = int (*)(const char*, char*);

TEST(MemoryModuleWine, ExportsByNameAndOrdinalOfARealDll) {
  TakeReasons();
  MemoryModule m(skin::SystemModulePlatform());
  ASSERT_TRUE(m.Load(ExportsDll()));
  EXPECT_EQ(TakeReasons(), "1");

  struct Case {
    const char* name;
    bool found;
  };
  const Case cases[] = {
      {"Add", true},      {"7", true},        {"Twice", true},   {"3", true},
      {"UpperLength", true}, {"Word", true},  {"9", true},       {"CounterAddress", true},
      {"add", false},     {"07", false},      {"6", false},      {"8", false},
      {"10", false},      {"0", false},       {"NoName", false}, {"Missing", false},
  };
  for (const Case& c : cases) EXPECT_EQ(m.FindExport(c.name) != 0, c.found) << c.name;

  EXPECT_EQ(m.FindExport("Add"), m.FindExport("7"));
  EXPECT_EQ(Function<IntIntInt>(m, "Add")(40, 2), 42);
  EXPECT_EQ(Function<IntIntInt>(m, "7")(1, 2), 3);
  // Names after the forwarder's target string still find their own code.
  EXPECT_EQ(Function<IntInt>(m, "Twice")(21), 42);
  EXPECT_EQ(Function<IntVoid>(m, "9")(), 99);
  char out[16] = "";
  EXPECT_EQ(Function<Upper>(m, "UpperLength")("abc", out), 3);
  EXPECT_STREQ(out, "ABC");
  EXPECT_NE(m.EntryPoint(), 0u);

  EXPECT_TRUE(m.Free());
  EXPECT_EQ(TakeReasons(), "0");
  EXPECT_EQ(m.Handle(), 0u);
  EXPECT_EQ(m.FindExport("Add"), 0u);
}

TEST(MemoryModuleWine, RelocatedWhenThePreferredBaseIsTaken) {
  const Bytes image = ExportsDll();
  const std::uint32_t nt = skin_test::Get32(image.data() + 60);
  const std::uint32_t imageBase = skin_test::Get32(image.data() + nt + 24 + 28);
  const std::uint32_t imageSize = skin_test::Get32(image.data() + nt + 24 + 56);
  void* squatter = VirtualAlloc(reinterpret_cast<void*>(std::uintptr_t(imageBase)), imageSize,
                                MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_EQ(squatter, reinterpret_cast<void*>(std::uintptr_t(imageBase)));

  MemoryModule m(skin::SystemModulePlatform());
  ASSERT_TRUE(m.Load(image));
  EXPECT_NE(m.Handle(), imageBase);
  const std::uintptr_t low = m.Handle(), high = low + imageSize;
  const auto counter = reinterpret_cast<std::uintptr_t>(Function<IntPtr>(m, "CounterAddress")());
  EXPECT_GE(counter, low);
  EXPECT_LT(counter, high);
  EXPECT_EQ(*Function<IntPtr>(m, "CounterAddress")(), 5);
  EXPECT_STREQ(Function<Words>(m, "Word")(1), "beta");
  EXPECT_EQ(Function<IntIntInt>(m, "Add")(2, 2), 4);
  EXPECT_TRUE(m.Free());
  VirtualFree(squatter, 0, MEM_RELEASE);
  TakeReasons();
}

int WINAPI FakeLength(const char*) { return 42; }

skin::Address Resolver(const char* dll, const char* function, std::uint32_t param) {
  if (param == 7 && lstrcmpiA(dll, "KERNEL32.dll") == 0 && lstrcmpA(function, "lstrlenA") == 0) {
    return skin::Address(reinterpret_cast<std::uintptr_t>(&FakeLength));
  }
  return 0;
}

TEST(MemoryModuleWine, ResolverReplacesAnImport) {
  MemoryModule m(skin::SystemModulePlatform());
  ASSERT_TRUE(m.Load(ExportsDll(), Resolver, 7));
  char out[16] = "";
  EXPECT_EQ(Function<Upper>(m, "UpperLength")("abc", out), 42);
  EXPECT_STREQ(out, "ABC") << "user32 still comes from the system";
  EXPECT_TRUE(m.Free());
  TakeReasons();
}

TEST(MemoryModuleWine, RefusingEntryPointAndImageWithoutTheDllFlag) {
  TakeReasons();
  MemoryModule m(skin::SystemModulePlatform());
  EXPECT_FALSE(m.Load(skin_test::k_refuse_dll, skin_test::k_refuse_dllSize));
  EXPECT_EQ(TakeReasons(), "10") << "attach refused, then detach before the release";
  EXPECT_EQ(m.Handle(), 0u);

  Bytes image = ExportsDll();
  const std::uint32_t nt = skin_test::Get32(image.data() + 60);
  image[nt + 22 + 1] &= ~0x20;  // IMAGE_FILE_DLL is bit 13 of Characteristics
  ASSERT_TRUE(m.Load(image));
  EXPECT_EQ(TakeReasons(), "") << "no entry call without the DLL flag";
  EXPECT_EQ(Function<IntIntInt>(m, "Add")(5, 6), 11);
  EXPECT_TRUE(m.Free());
  EXPECT_EQ(TakeReasons(), "");
}

TEST(MemoryModuleWine, LoadingAgainDetachesTheFirstImage) {
  TakeReasons();
  MemoryModule m(skin::SystemModulePlatform());
  ASSERT_TRUE(m.Load(ExportsDll()));
  ASSERT_TRUE(m.Load(ExportsDll()));
  EXPECT_EQ(TakeReasons(), "101");
  {
    MemoryModule copy = m.Copy();
    EXPECT_EQ(copy.Handle(), m.Handle());
  }
  // The copy went without unloading anything.
  EXPECT_EQ(TakeReasons(), "");
  EXPECT_EQ(Function<IntIntInt>(m, "Add")(1, 1), 2);
  EXPECT_TRUE(m.Free());
  EXPECT_EQ(TakeReasons(), "0");
}

}  // namespace
