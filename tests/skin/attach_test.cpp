// Attaching a skin through the engine's export, with the engine mapped by the
// fake platform and the export call recorded.
#include "skin/attach.h"

#include <gtest/gtest.h>

#include "skin/embedded.h"
#include "tests/skin/pe_image.h"

namespace {

using skin::Address;
using skin_test::Bytes;
using skin_test::PeBuilder;
using skin_test::Put16;
using skin_test::Put32;
using skin_test::PutString;

// An engine image whose only export is `name`, at RVA 0x1010.
Bytes Engine(const std::string& name) {
  Bytes data(0x200, 0);
  Put32(data, 0x00 + 16, 1);
  Put32(data, 0x00 + 20, 1);
  Put32(data, 0x00 + 24, 1);
  Put32(data, 0x00 + 28, 0x1080);
  Put32(data, 0x00 + 32, 0x1090);
  Put32(data, 0x00 + 36, 0x10A0);
  Put32(data, 0x80, 0x1010);
  Put32(data, 0x90, 0x1100);
  Put16(data, 0xA0, 0);
  PutString(data, 0x100, name);
  PeBuilder pe;
  pe.entryPoint = 0x1004;
  pe.sections.push_back({0x1000, 0, data, 0});
  pe.Directory(0, 0x1000, 40);
  return pe.Build();
}

struct Call {
  int count = 0;
  Address address = 0;
  const std::uint8_t* skin = nullptr;
  std::uint32_t size = 0;
  const char* password = nullptr;
  std::int32_t hue = 0, saturation = 0, brightness = 0;
};
Call g_call;

std::uint32_t Record(Address address, const std::uint8_t* skin, std::uint32_t size,
                     const char* password, std::int32_t hue, std::int32_t saturation,
                     std::int32_t brightness) {
  g_call = {g_call.count + 1, address, skin, size, password, hue, saturation, brightness};
  return 0;  // not examined
}

TEST(AttachSkin, CallsTheExportWithTheCallersBytes) {
  skin_test::FakePlatform platform;
  skin::MemoryModule engine(platform);
  ASSERT_TRUE(engine.Load(Engine("SkinH_AttachRes")));
  const Bytes first = {'.', 'S', 'H', 'E', 1, 2, 3};
  core::Bytes skinData = {9, 9};
  struct Case {
    const char* what;
    const std::uint8_t* skin;
    std::uint32_t size;
    core::Text password;
    int hue, saturation, brightness;
  };
  const Case cases[] = {
      {"empty password passes null", first.data(), std::uint32_t(first.size()), "", 0, 0, 0},
      {"password and adjustments", first.data(), 4, "secret", -30, 20, -100},
      {"the embedded skin file", skin::kSkinFile, skin::kSkinFileSize, "", 0, 0, 0},
  };
  for (const Case& c : cases) {
    g_call = Call{};
    EXPECT_TRUE(skin::AttachSkinWith(engine, c.skin, c.size, c.password, c.hue, c.saturation,
                                     c.brightness, skinData, Record))
        << c.what;
    EXPECT_EQ(g_call.count, 1) << c.what;
    EXPECT_EQ(g_call.address, 0x10001010u) << c.what;
    EXPECT_EQ(g_call.skin, c.skin) << c.what << ": the caller's bytes, not the copy";
    EXPECT_EQ(g_call.size, c.size) << c.what;
    if (c.password.empty()) {
      EXPECT_EQ(g_call.password, nullptr) << c.what;
    } else {
      ASSERT_NE(g_call.password, nullptr) << c.what;
      EXPECT_STREQ(g_call.password, c.password.c_str()) << c.what;
    }
    EXPECT_EQ(g_call.hue, c.hue) << c.what;
    EXPECT_EQ(g_call.saturation, c.saturation) << c.what;
    EXPECT_EQ(g_call.brightness, c.brightness) << c.what;
    EXPECT_EQ(skinData, core::Bytes(c.skin, c.skin + c.size)) << c.what;
    EXPECT_NE(skinData.data(), c.skin) << c.what;
  }
}

TEST(AttachSkin, NoCallWithoutTheExport) {
  struct Case {
    const char* what;
    Bytes image;  // empty: nothing mapped
  };
  const Case cases[] = {
      {"no engine mapped", {}},
      {"export in another case", Engine("skinh_attachres")},
      {"another export", Engine("SkinH_Attach")},
  };
  for (const Case& c : cases) {
    skin_test::FakePlatform platform;
    skin::MemoryModule engine(platform);
    if (!c.image.empty()) {
      ASSERT_TRUE(engine.Load(c.image)) << c.what;
    }
    g_call = Call{};
    core::Bytes skinData = {1};
    const Bytes bytes = {'.', 'S', 'H', 'E'};
    EXPECT_FALSE(skin::AttachSkinWith(engine, bytes.data(), 4, "", 0, 0, 0, skinData, Record))
        << c.what;
    EXPECT_EQ(g_call.count, 0) << c.what;
    EXPECT_EQ(skinData, core::Bytes(bytes)) << c.what << ": the copy is kept all the same";
  }
}

}  // namespace
