// A process in which no skin is ever attached: without an engine, and with an
// engine given a bad skin file, the window keeps the plain look and works.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/embedded.h"
#include "skin/engine/skinh.h"
#include "skin/engine_host.h"
#include "skin/skin.h"
#include "tests/skin/test_window_win32.h"

namespace {

using namespace skin_test;

void ExpectPlainAndWorking(const char* what, bool attach) {
  TestWindow w;
  TestWindowOptions options;
  options.attach = attach;
  ASSERT_TRUE(CreateTestWindow(w, options)) << what;
  EXPECT_EQ(ClientPixel(w.window, 3, 200), GetSysColor(COLOR_BTNFACE)) << what;
  EXPECT_EQ(ClientPixel(w.Control(kKeywords), 200, 200), GetSysColor(COLOR_WINDOW)) << what;
  SendMessageW(w.Control(kStartButton), BM_CLICK, 0, 0);
  SendMessageW(w.Control(kCheckImages), BM_CLICK, 0, 0);
  EXPECT_EQ(w.clicks[kStartButton], 1) << what;
  EXPECT_EQ(SendMessageW(w.Control(kCheckImages), BM_GETCHECK, 0, 0), BST_CHECKED) << what;
}

TEST(SkinPlain, NoEngineKeepsThePlainLook) {
  EXPECT_FALSE(skin::StartSkinEngineFrom(nullptr, 0));
  EXPECT_FALSE(skin::AttachSkin());
  ExpectPlainAndWorking("no engine", true);
  skin::StopSkinEngine();
  EXPECT_FALSE(skin::AttachSkin()) << "after the stop";
}

TEST(SkinPlain, BadSkinFileLeavesTheWindowAsItIs) {
  if (skin::kSkinEngineImageSize == 0) GTEST_SKIP() << "built without a skin engine";
  ASSERT_TRUE(skin::StartSkinEngine());
  const auto attach = reinterpret_cast<SkinHAttachResFunction>(
      std::uintptr_t(skin::SkinEngine()->FindExport(SKINH_ATTACH_RES_NAME)));
  ASSERT_NE(attach, nullptr);
  unsigned char bad[512];
  ASSERT_LE(skin::kSkinFileSize, sizeof bad);
  memcpy(bad, skin::kSkinFile, skin::kSkinFileSize);
  bad[4] = 2;  // a major version the engine does not know
  EXPECT_EQ(attach(bad, skin::kSkinFileSize, nullptr, 0, 0, 0), 0);
  EXPECT_EQ(attach(skin::kSkinFile, 15, nullptr, 0, 0, 0), 0);
  ExpectPlainAndWorking("bad skin file", false);
  skin::StopSkinEngine();
}

}  // namespace
