// The program-wide skin under Windows or Wine: the attach call as the engine
// sees it, the engine painting a window like the main window, message boxes,
// and no GDI objects lost.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "skin/embedded.h"
#include "skin/engine/skinh.h"
#include "skin/engine_host.h"
#include "skin/she_format.h"
#include "skin/skin.h"
#include "tests/skin/dlls/recorder.h"
#include "tests/skin/pe_image.h"
#include "tests/skin/test_window_win32.h"

namespace skin_test {
extern const std::uint8_t k_recorder_dll[];
extern const std::uint32_t k_recorder_dllSize;
}  // namespace skin_test

namespace {

using namespace skin_test;

std::string Reasons() {
  char buffer[64] = "";
  const DWORD n = GetEnvironmentVariableA("SKIN_TEST_REASONS", buffer, sizeof buffer);
  SetEnvironmentVariableA("SKIN_TEST_REASONS", nullptr);
  return n < sizeof buffer ? std::string(buffer, n) : std::string();
}

skin::SkinTheme EmbeddedTheme() {
  skin::SkinTheme theme = skin::DefaultSkinTheme();
  EXPECT_TRUE(skin::ParseSkinFile(skin::kSkinFile, skin::kSkinFileSize, theme));
  return theme;
}

// Runs first: the recorder is mapped as the engine and nothing is skinned.
TEST(SkinWine, AttachPassesTheEmbeddedSkinAndANullPassword) {
  Reasons();
  ASSERT_TRUE(skin::StartSkinEngineFrom(k_recorder_dll, k_recorder_dllSize));
  EXPECT_EQ(Reasons(), "1");
  const auto recorded = reinterpret_cast<RecordedFunction>(
      std::uintptr_t(skin::SkinEngine()->FindExport("Recorded")));
  ASSERT_NE(recorded, nullptr);

  EXPECT_TRUE(skin::AttachSkin());
  const RecordedAttach& r = *recorded();
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.skin, skin::kSkinFile) << "a pointer into the constant data";
  EXPECT_EQ(r.size, skin::kSkinFileSize);
  EXPECT_EQ(r.password, nullptr);
  EXPECT_EQ(r.hue, 0);
  EXPECT_EQ(r.saturation, 0);
  EXPECT_EQ(r.brightness, 0);
  EXPECT_EQ(skin::SkinData(), core::Bytes(skin::kSkinFile, skin::kSkinFile + skin::kSkinFileSize));

  skin::StopSkinEngine();
  EXPECT_TRUE(skin::SkinData().empty());
  EXPECT_EQ(skin::SkinEngine(), nullptr);
  // Not unloaded: no detach, and the engine's data is still there.
  EXPECT_EQ(Reasons(), "");
  EXPECT_EQ(recorded()->calls, 1);
}

// Maps the embedded engine unless it is the one mapped already. A build
// without an engine (HOT_SKIN_ENGINE off) must refuse, and skips the rest.
#define REQUIRE_ENGINE()                                                       \
  do {                                                                         \
    if (skin::kSkinEngineImageSize == 0) {                                     \
      EXPECT_FALSE(skin::StartSkinEngine());                                   \
      GTEST_SKIP() << "built without a skin engine";                           \
    }                                                                          \
    const skin::MemoryModule* engine = skin::SkinEngine();                     \
    if (!engine || engine->FindExport("Recorded") || !engine->FindExport(SKINH_ATTACH_RES_NAME)) { \
      ASSERT_TRUE(skin::StartSkinEngine());                                    \
    }                                                                          \
  } while (false)

std::vector<std::string> g_importedDlls;

skin::Address RecordImport(const char* dll, const char*, std::uint32_t) {
  std::string name(dll);
  CharUpperBuffA(&name[0], DWORD(name.size()));
  g_importedDlls.push_back(name);
  return 0x7F001000u;
}

// The engine runs from memory with our loader: system DLLs only, and no TLS
// directory (the loader runs no TLS callbacks).
TEST(SkinEngineImage, ImportsSystemDllsOnlyAndHasNoTls) {
  if (skin::kSkinEngineImageSize == 0) GTEST_SKIP() << "built without a skin engine";
  FakePlatform platform;
  skin::MemoryModule engine(platform);
  g_importedDlls.clear();
  ASSERT_TRUE(engine.Load(skin::kSkinEngineImage, skin::kSkinEngineImageSize, RecordImport, 0));
  EXPECT_FALSE(g_importedDlls.empty());
  for (const std::string& dll : g_importedDlls) {
    EXPECT_TRUE(dll == "KERNEL32.DLL" || dll == "USER32.DLL" || dll == "GDI32.DLL") << dll;
  }
  const std::uint32_t nt = Get32(skin::kSkinEngineImage + 60);
  EXPECT_EQ(Get32(skin::kSkinEngineImage + nt + 24 + 96 + 8 * 9 + 4), 0u) << "TLS directory";
  EXPECT_NE(engine.FindExport(SKINH_ATTACH_RES_NAME), 0u);
}

struct Probe {
  const char* what;
  int control;  // 0: the main window's client area
  int x, y;
  skin::SkinColour colour;
};

// Points where the skin's colours show: window background, group box
// inside, edit box inside, button face.
const Probe kProbes[] = {
    {"window background", 0, 3, 200, skin::kWindowBackground},
    {"group box inside", kKeywordsGroup, 4, 30, skin::kGroupBoxBackground},
    {"edit box inside", kKeywords, 200, 200, skin::kEditBackground},
    {"button face", kStartButton, 6, 6, skin::kButtonNormal},
};

void ExpectSkinned(const TestWindow& w, const char* what) {
  const skin::SkinTheme theme = EmbeddedTheme();
  for (const Probe& p : kProbes) {
    HWND target = p.control ? w.Control(p.control) : w.window;
    EXPECT_EQ(ClientPixel(target, p.x, p.y), theme.colours[p.colour]) << what << ": " << p.what;
  }
}

// Clicks reach the window exactly as without a skin.
void ExpectCommandsWork(TestWindow& w, const char* what) {
  SendMessageW(w.Control(kStartButton), BM_CLICK, 0, 0);
  SendMessageW(w.Control(kPauseButton), BM_CLICK, 0, 0);
  SendMessageW(w.Control(kPauseButton), BM_CLICK, 0, 0);
  SendMessageW(w.Control(kCheckImages), BM_CLICK, 0, 0);
  SendMessageW(w.Control(kRadioTitle), BM_CLICK, 0, 0);
  EXPECT_EQ(w.clicks[kStartButton], 1) << what;
  EXPECT_EQ(w.clicks[kPauseButton], 2) << what;
  EXPECT_EQ(SendMessageW(w.Control(kCheckImages), BM_GETCHECK, 0, 0), BST_CHECKED) << what;
  EXPECT_EQ(SendMessageW(w.Control(kRadioTitle), BM_GETCHECK, 0, 0), BST_CHECKED) << what;
  EXPECT_EQ(SendMessageW(w.Control(kRadioKeyword), BM_GETCHECK, 0, 0), BST_UNCHECKED) << what;
  SetWindowTextW(w.Control(kMinLength), L"120");
  wchar_t text[16] = L"";
  GetWindowTextW(w.Control(kMinLength), text, 16);
  EXPECT_STREQ(text, L"120") << what;
}

TEST(SkinWine, EngineSkinsTheWindowAndChangesNoBehaviour) {
  REQUIRE_ENGINE();
  struct Case {
    const char* what;
    bool attachBeforeControls;
  };
  const Case cases[] = {
      {"controls created before the attach", false},
      {"controls created after the attach", true},
  };
  for (const Case& c : cases) {
    TestWindow w;
    TestWindowOptions options;
    options.attachBeforeControls = c.attachBeforeControls;
    ASSERT_TRUE(CreateTestWindow(w, options)) << c.what;
    ExpectSkinned(w, c.what);
    ExpectCommandsWork(w, c.what);
  }
}

TEST(SkinWine, ButtonStatesUseTheirColours) {
  REQUIRE_ENGINE();
  const skin::SkinTheme theme = EmbeddedTheme();
  TestWindow w;
  ASSERT_TRUE(CreateTestWindow(w, TestWindowOptions()));
  HWND button = w.Control(kStartButton);
  SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  PumpMessages();
  EXPECT_EQ(ClientPixel(button, 6, 6), theme.colours[skin::kButtonHot]) << "hot";
  SendMessageW(button, BM_SETSTATE, TRUE, 0);
  PumpMessages();
  EXPECT_EQ(ClientPixel(button, 6, 6), theme.colours[skin::kButtonPressed]) << "pressed";
  SendMessageW(button, BM_SETSTATE, FALSE, 0);
  SendMessageW(button, WM_MOUSELEAVE, 0, 0);
  PumpMessages();
  EXPECT_EQ(ClientPixel(button, 6, 6), theme.colours[skin::kButtonNormal]) << "normal again";
}

// Shows a message box on this thread or another and reads the colour of its
// background while it is up, then closes it.
COLORREF MessageBoxBackground(bool otherThread) {
  const wchar_t kCaption[] = L"Skin test box";
  std::atomic<bool> shown{false};
  auto show = [&] { MessageBoxW(nullptr, L"text", kCaption, MB_OK | MB_TASKMODAL); };
  std::thread shower;
  if (otherThread) shower = std::thread(show);
  COLORREF colour = CLR_INVALID;
  std::thread watcher([&] {
    for (int i = 0; i < 500; ++i) {
      HWND box = FindWindowW(L"#32770", kCaption);
      if (box && IsWindowVisible(box)) {
        Sleep(300);  // let it paint
        colour = ClientPixel(box, 2, 2);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        break;
      }
      Sleep(20);
    }
    shown = true;
  });
  if (otherThread) {
    // The attached thread keeps its message loop going meanwhile.
    while (!shown) PumpMessages();
    shower.join();
  } else {
    show();
  }
  watcher.join();
  return colour;
}

TEST(SkinWine, MessageBoxesWearTheSkin) {
  REQUIRE_ENGINE();
  const skin::SkinTheme theme = EmbeddedTheme();
  TestWindow w;
  ASSERT_TRUE(CreateTestWindow(w, TestWindowOptions()));
  EXPECT_EQ(MessageBoxBackground(false), theme.colours[skin::kWindowBackground])
      << "shown by the window's thread";
  EXPECT_EQ(MessageBoxBackground(true), theme.colours[skin::kWindowBackground])
      << "shown by another thread";
}

// Creates the window, works every painted state, closes it.
void WindowCycle() {
  TestWindow w;
  ASSERT_TRUE(CreateTestWindow(w, TestWindowOptions()));
  for (int id : {kStartButton, kPauseButton}) {
    HWND button = w.Control(id);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    SetFocus(button);
    EnableWindow(button, FALSE);
    EnableWindow(button, TRUE);
  }
  SendMessageW(w.Control(kCheckImages), BM_CLICK, 0, 0);
  SetWindowTextW(w.Control(kKeywordsGroup), L"Keywords");
  RedrawWindow(w.window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages();
}

TEST(SkinWine, SkinnedWindowLosesNoGdiObjects) {
  REQUIRE_ENGINE();
  // The first window fills the system's caches (fonts, DCs).
  WindowCycle();
  const long before = GdiObjectsInUse();
  for (int i = 0; i < 3; ++i) WindowCycle();
  const long after = GdiObjectsInUse();
  EXPECT_EQ(after, before) << "GDI objects before and after three skinned windows";
  EXPECT_GT(before, 0);
}

}  // namespace
