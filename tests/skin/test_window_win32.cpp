#include "tests/skin/test_window_win32.h"

#include <vector>

#include "skin/skin.h"

namespace skin_test {
namespace {

const wchar_t kClass[] = L"SkinTestMainWindow";
const wchar_t kForwardProp[] = L"SkinTest.Forward";
TestWindowOptions g_options;

// Group boxes pass their controls' notifications up to the main window.
LRESULT CALLBACK ForwardProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto old = reinterpret_cast<WNDPROC>(GetPropW(group, kForwardProp));
  if (message == WM_COMMAND) {
    return SendMessageW(GetAncestor(group, GA_ROOT), message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(group, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropW(group, kForwardProp);
  }
  return CallWindowProcW(old, group, message, wParam, lParam);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
           int h, int id, DWORD exStyle = 0) {
  HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                           nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return c;
}

HWND Group(HWND parent, const wchar_t* text, int x, int y, int w, int h, int id) {
  HWND g = Child(parent, L"Button", text, BS_GROUPBOX, x, y, w, h, id);
  SetPropW(g, kForwardProp,
           reinterpret_cast<HANDLE>(
               SetWindowLongPtrW(g, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForwardProc))));
  return g;
}

HWND Find(HWND parent, int id);

void CreateControls(HWND window) {
  HWND keywords = Group(window, L"", 8, 0, 272, 336, kKeywordsGroup);
  Child(keywords, L"Edit", L"", ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 8, 40, 256, 272,
        kKeywords, WS_EX_CLIENTEDGE);
  HWND options = Group(window, L"", 280, 0, 376, 336, kOptionsGroup);
  HWND title = Group(options, L"Title ", 8, 16, 360, 64, kTitleGroup);
  Child(title, L"Button", L"Keyword", BS_AUTORADIOBUTTON, 24, 24, 80, 24, kRadioKeyword);
  Child(title, L"Button", L"Original", BS_AUTORADIOBUTTON, 136, 24, 80, 24, kRadioTitle);
  Child(options, L"Button", L"Images", BS_AUTOCHECKBOX, 32, 152, 80, 24, kCheckImages);
  Child(options, L"Edit", L"50", ES_AUTOHSCROLL, 96, 224, 72, 24, kMinLength, WS_EX_CLIENTEDGE);
  Child(options, L"Button", L"Start", BS_PUSHBUTTON, 8, 288, 80, 32, kStartButton);
  Child(options, L"Button", L"Pause", BS_PUSHBUTTON, 96, 288, 80, 32, kPauseButton);
  HWND log = Group(window, L"Log", 8, 336, 648, 128, kLogGroup);
  Child(log, L"Edit", L"[log]\r\n", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 8, 16, 632, 104,
        kLog, WS_EX_CLIENTEDGE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (g_options.attach && g_options.attachBeforeControls) skin::AttachSkin();
      CreateControls(window);
      if (g_options.attach && !g_options.attachBeforeControls) skin::AttachSkin();
      CheckRadioButton(Find(window, kTitleGroup), kRadioKeyword, kRadioTitle, kRadioKeyword);
      return 0;
    case WM_COMMAND: {
      auto* w = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      const int id = LOWORD(wParam);
      if (w && HIWORD(wParam) == BN_CLICKED && id > 0 && id <= kLog) ++w->clicks[id];
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND Find(HWND parent, int id) {
  if (HWND direct = GetDlgItem(parent, id)) return direct;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (HWND found = Find(c, id)) return found;
  }
  return nullptr;
}

}  // namespace

HWND TestWindow::Control(int id) const { return Find(window, id); }

TestWindow::~TestWindow() {
  if (window && IsWindow(window)) DestroyWindow(window);
  PumpMessages();
}

bool CreateTestWindow(TestWindow& w, const TestWindowOptions& options) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    registered = RegisterClassExW(&wc) != 0;
  }
  g_options = options;
  w.window = CreateWindowExW(0, kClass, L"Skin test", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0,
                             0, 666, 492, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w.window) return false;
  SetWindowLongPtrW(w.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&w));
  ShowWindow(w.window, SW_SHOW);
  UpdateWindow(w.window);
  PumpMessages();
  return true;
}

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

COLORREF ClientPixel(HWND window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

long GdiObjectsInUse() {
  const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counted > 0) return long(counted);
  std::vector<HBRUSH> brushes;
  brushes.reserve(70000);
  while (brushes.size() < 200000) {
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    if (!b) break;
    brushes.push_back(b);
  }
  for (HBRUSH b : brushes) DeleteObject(b);
  return 200000 - long(brushes.size());
}

}  // namespace skin_test
