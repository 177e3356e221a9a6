// A window of the tests' own, built like the program's main window: group
// boxes holding radio boxes, check boxes, edit boxes and push buttons.
#pragma once

#include <windows.h>

namespace skin_test {

enum ControlId : int {
  kKeywordsGroup = 100,
  kKeywords,
  kOptionsGroup,
  kTitleGroup,
  kRadioKeyword,
  kRadioTitle,
  kCheckImages,
  kMinLength,
  kStartButton,
  kPauseButton,
  kLogGroup,
  kLog,
};

struct TestWindowOptions {
  bool attach = true;             // calls skin::AttachSkin in WM_CREATE
  bool attachBeforeControls = false;
};

struct TestWindow {
  HWND window = nullptr;
  int clicks[kLog + 1] = {};  // BN_CLICKED per control id
  HWND Control(int id) const;
  ~TestWindow();
};

// Creates and shows the window at 0, 0 (away from the pointer of the
// virtual screen) and paints it.
bool CreateTestWindow(TestWindow& w, const TestWindowOptions& options);

// Dispatches the messages that are waiting.
void PumpMessages();

// The colour of a client pixel of `window`, as the screen shows it.
COLORREF ClientPixel(HWND window, int x, int y);

// GDI objects the process holds: GetGuiResources where the system counts
// them, else the handle slots taken, found by filling the table.
long GdiObjectsInUse();

}  // namespace skin_test
