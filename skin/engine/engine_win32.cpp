// Our skin engine, built as its own DLL (SkinH_EL.dll) and carried inside the
// program. It runs from memory, mapped by the program's own loader: no module
// handle, no C or C++ runtime, no TLS and no static constructors, so every
// global here is plain constant-initialised data.
//
// It paints by subclassing: each window of a known kind gets our window
// procedure in front of its own, which answers the colour and background
// messages with the skin's colours and paints push buttons and group boxes
// itself. Everything else, input included, goes to the window's own
// procedure untouched, so no control behaves differently.
#include <windows.h>

#include "skin/engine/skinh.h"
#include "skin/she_format.h"

// The compiler may emit calls to these for structure copies and zeroing.
extern "C" void* memset(void* to, int value, size_t size) {
  volatile unsigned char* p = static_cast<unsigned char*>(to);
  while (size--) *p++ = static_cast<unsigned char>(value);
  return to;
}
extern "C" void* memcpy(void* to, const void* from, size_t size) {
  volatile unsigned char* p = static_cast<unsigned char*>(to);
  const unsigned char* q = static_cast<const unsigned char*>(from);
  while (size--) *p++ = *q++;
  return to;
}

namespace {

using skin::SkinColour;

enum Kind : int { kUnskinned, kFrame, kPushButton, kGroupBox, kCheckBox, kEdit };

const wchar_t kPropProc[] = L"SkinH.Proc";
const wchar_t kPropKind[] = L"SkinH.Kind";
const wchar_t kPropHot[] = L"SkinH.Hot";

skin::SkinTheme g_theme;
HBRUSH g_brush[skin::kSkinColourCount];
bool g_attached;
DWORD g_thread;
HHOOK g_cbtHook;
HWINEVENTHOOK g_eventHook;

LRESULT CALLBACK SkinProc(HWND, UINT, WPARAM, LPARAM);

COLORREF Colour(SkinColour c) { return g_theme.colours[c]; }

bool ClassIs(HWND window, const wchar_t* name) {
  wchar_t buffer[64];
  if (!GetClassNameW(window, buffer, 64)) return false;
  return lstrcmpiW(buffer, name) == 0;
}

Kind KindOf(HWND window) {
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  if (ClassIs(window, L"Button")) {
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        return kPushButton;
      case BS_GROUPBOX:
        return kGroupBox;
      case BS_OWNERDRAW:
        return kUnskinned;
      default:
        return kCheckBox;
    }
  }
  if (ClassIs(window, L"Edit")) return kEdit;
  if (ClassIs(window, L"#32770")) return kFrame;
  if (!(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION) return kFrame;
  return kUnskinned;
}

Kind KindFromProp(HWND window) {
  return static_cast<Kind>(reinterpret_cast<INT_PTR>(GetPropW(window, kPropKind)));
}

// Puts our procedure in front of the window's own, once.
void SkinWindow(HWND window) {
  if (!window || GetPropW(window, kPropProc)) return;
  const Kind kind = KindOf(window);
  if (kind == kUnskinned) return;
  if (!SetPropW(window, kPropKind, reinterpret_cast<HANDLE>(INT_PTR(kind)))) return;
  const LONG_PTR old =
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SkinProc));
  if (!old) {
    RemovePropW(window, kPropKind);
    return;
  }
  SetPropW(window, kPropProc, reinterpret_cast<HANDLE>(old));
}

void Unskin(HWND window) {
  const HANDLE old = GetPropW(window, kPropProc);
  if (!old) return;
  if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SkinProc)) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  }
  RemovePropW(window, kPropProc);
  RemovePropW(window, kPropKind);
  RemovePropW(window, kPropHot);
}

BOOL CALLBACK SkinChild(HWND window, LPARAM) {
  SkinWindow(window);
  return TRUE;
}

// A top-level window and everything inside it, repainted in the skin.
void SkinTree(HWND top) {
  SkinWindow(top);
  EnumChildWindows(top, SkinChild, 0);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

BOOL CALLBACK SkinTop(HWND window, LPARAM) {
  SkinTree(window);
  return TRUE;
}

BOOL CALLBACK UnskinChild(HWND window, LPARAM) {
  Unskin(window);
  return TRUE;
}

BOOL CALLBACK UnskinTop(HWND window, LPARAM) {
  EnumChildWindows(window, UnskinChild, 0);
  Unskin(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRUE;
}

void Redraw(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

// The colours a window gives the child that asks (WM_CTLCOLOR*).
LRESULT ControlColour(HWND window, Kind kind, HDC dc, HWND child) {
  SkinColour background = kind == kGroupBox ? skin::kGroupBoxBackground : skin::kWindowBackground;
  SkinColour text = kind == kGroupBox ? skin::kGroupBoxText : skin::kWindowText;
  if (child && child != window && ClassIs(child, L"Edit")) {
    background = skin::kEditBackground;
    text = skin::kEditText;
  }
  SetTextColor(dc, Colour(text));
  SetBkColor(dc, Colour(background));
  return reinterpret_cast<LRESULT>(g_brush[background]);
}

void FillClient(HWND window, HDC dc, SkinColour colour) {
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, g_brush[colour]);
}

// Keeps a parent's painting off its children (group boxes hold controls).
void ExcludeChildren(HWND window, HDC dc) {
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  }
}

void FrameWidth(HDC dc, RECT r, HBRUSH brush, int width) {
  for (int i = 0; i < width; ++i) {
    FrameRect(dc, &r, brush);
    InflateRect(&r, -1, -1);
  }
}

void PaintButton(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  RECT r;
  GetClientRect(window, &r);
  const LRESULT state = SendMessageW(window, BM_GETSTATE, 0, 0);
  const bool pressed = (state & BST_PUSHED) != 0;
  const bool hot = GetPropW(window, kPropHot) != nullptr;
  const bool enabled = IsWindowEnabled(window) != FALSE;
  const bool isDefault = (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const SkinColour face = pressed ? skin::kButtonPressed : hot ? skin::kButtonHot : skin::kButtonNormal;
  const int border = g_theme.metrics[skin::kBorderWidth] + (isDefault ? 1 : 0);
  const int radius = g_theme.metrics[skin::kButtonCornerRadius];

  // The parent's colour shows in the rounded corners.
  FillRect(dc, &r, g_brush[skin::kWindowBackground]);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, g_brush[skin::kButtonBorder]);
  RoundRect(dc, r.left, r.top, r.right + 1, r.bottom + 1, 2 * radius, 2 * radius);
  SelectObject(dc, g_brush[face]);
  RoundRect(dc, r.left + border, r.top + border, r.right - border + 1, r.bottom - border + 1,
            2 * radius, 2 * radius);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);

  wchar_t text[256];
  const int length = GetWindowTextW(window, text, 256);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Colour(enabled ? skin::kButtonText : skin::kDisabledText));
  RECT textRect = r;
  if (pressed) OffsetRect(&textRect, 1, 1);
  DrawTextW(dc, text, length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (oldFont) SelectObject(dc, oldFont);
  if (GetFocus() == window && !(SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT focus = r;
    InflateRect(&focus, -(border + 2), -(border + 2));
    DrawFocusRect(dc, &focus);
  }
  EndPaint(window, &ps);
}

void PaintGroupBox(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  ExcludeChildren(window, dc);
  RECT r;
  GetClientRect(window, &r);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  wchar_t text[256];
  const int length = GetWindowTextW(window, text, 256);
  SIZE line = {0, 0};
  GetTextExtentPoint32W(dc, L"Ag", 2, &line);

  FillRect(dc, &r, g_brush[skin::kGroupBoxBackground]);
  RECT frame = r;
  frame.top += line.cy / 2;
  FrameWidth(dc, frame, g_brush[skin::kGroupBoxBorder], g_theme.metrics[skin::kBorderWidth]);
  if (length > 0) {
    SIZE extent = {0, 0};
    GetTextExtentPoint32W(dc, text, length, &extent);
    RECT gap = {6, 0, 6 + extent.cx + 4, line.cy};
    FillRect(dc, &gap, g_brush[skin::kGroupBoxBackground]);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(IsWindowEnabled(window) ? skin::kGroupBoxText : skin::kDisabledText));
    TextOutW(dc, 8, 0, text, length);
  }
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

// The edit box's frame in the skin's border colour, over the system's.
void PaintEditFrame(HWND window) {
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  if (!(style & WS_BORDER) && !(exStyle & WS_EX_CLIENTEDGE)) return;
  HDC dc = GetWindowDC(window);
  if (!dc) return;
  RECT r;
  GetWindowRect(window, &r);
  OffsetRect(&r, -r.left, -r.top);
  FrameRect(dc, &r, g_brush[skin::kEditBorder]);
  if (exStyle & WS_EX_CLIENTEDGE) {
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, g_brush[skin::kEditBackground]);
  }
  ReleaseDC(window, dc);
}

// Messages after which the system's button procedure has painted the button
// or group box itself; the skinned look is painted again over it.
bool RepaintsButton(UINT message) {
  switch (message) {
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK SkinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC old = reinterpret_cast<WNDPROC>(GetPropW(window, kPropProc));
  if (!old) return DefWindowProcW(window, message, wParam, lParam);
  const Kind kind = KindFromProp(window);
  if (message == WM_NCDESTROY) {
    Unskin(window);
    return CallWindowProcW(old, window, message, wParam, lParam);
  }
  if (g_attached) {
    switch (message) {
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLOREDIT:
        if (kind == kFrame || kind == kGroupBox) {
          return ControlColour(window, kind, reinterpret_cast<HDC>(wParam),
                               reinterpret_cast<HWND>(lParam));
        }
        break;
      case WM_ERASEBKGND:
        if (kind == kFrame) {
          FillClient(window, reinterpret_cast<HDC>(wParam), skin::kWindowBackground);
          return 1;
        }
        if (kind == kPushButton || kind == kGroupBox) return 1;  // painted whole in WM_PAINT
        break;
      case WM_PAINT:
        if (kind == kPushButton) {
          PaintButton(window);
          return 0;
        }
        if (kind == kGroupBox) {
          PaintGroupBox(window);
          return 0;
        }
        break;
      case WM_NCPAINT:
        if (kind == kEdit) {
          const LRESULT result = CallWindowProcW(old, window, message, wParam, lParam);
          PaintEditFrame(window);
          return result;
        }
        break;
      case WM_MOUSEMOVE:
        if (kind == kPushButton && !GetPropW(window, kPropHot)) {
          TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
          if (TrackMouseEvent(&track)) {
            SetPropW(window, kPropHot, reinterpret_cast<HANDLE>(1));
            Redraw(window);
          }
        }
        break;
      case WM_MOUSELEAVE:
        if (kind == kPushButton) {
          RemovePropW(window, kPropHot);
          Redraw(window);
        }
        break;
      default:
        break;
    }
  }
  const LRESULT result = CallWindowProcW(old, window, message, wParam, lParam);
  if (g_attached && (kind == kPushButton || kind == kGroupBox) && RepaintsButton(message) &&
      IsWindow(window)) {
    Redraw(window);
  }
  return result;
}

// Windows the attached thread creates from now on.
LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_attached) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    SkinWindow(window);
    // Its parents too: a window that was being created when the skin was
    // attached may not have been found then.
    const HWND desktop = GetDesktopWindow();
    for (HWND p = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->hwndParent; p && p != desktop;
         p = GetAncestor(p, GA_PARENT)) {
      SkinWindow(p);
    }
  }
  return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

// Message boxes of the program's other threads (the collection pass shows
// one): reported to the attached thread, which skins them in passing.
void CALLBACK WinEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                           DWORD thread, DWORD) {
  if (!g_attached || event == EVENT_OBJECT_DESTROY || object != OBJID_WINDOW ||
      child != CHILDID_SELF || !window) {
    return;
  }
  if (thread == g_thread) return;
  const HWND root = GetAncestor(window, GA_ROOT);
  if (root && ClassIs(root, L"#32770")) SkinTree(root);
}

void ReleaseBrushes(HBRUSH* brushes) {
  for (int i = 0; i < skin::kSkinColourCount; ++i) {
    if (brushes[i]) DeleteObject(brushes[i]);
    brushes[i] = nullptr;
  }
}

void Detach() {
  g_attached = false;
  if (g_cbtHook) UnhookWindowsHookEx(g_cbtHook);
  if (g_eventHook) UnhookWinEvent(g_eventHook);
  g_cbtHook = nullptr;
  g_eventHook = nullptr;
  if (g_thread) EnumThreadWindows(g_thread, UnskinTop, 0);
  ReleaseBrushes(g_brush);
}

}  // namespace

extern "C" __declspec(dllexport) int SKINH_API SkinH_AttachRes(const unsigned char* skinBytes,
                                                               unsigned int size, const char*,
                                                               int hue, int saturation,
                                                               int brightness) {
  skin::SkinTheme theme = skin::DefaultSkinTheme();
  if (!skin::ParseSkinFile(skinBytes, size, theme)) return 0;
  skin::AdjustSkinTheme(theme, hue, saturation, brightness);
  HBRUSH fresh[skin::kSkinColourCount] = {};
  for (int i = 0; i < skin::kSkinColourCount; ++i) {
    fresh[i] = CreateSolidBrush(theme.colours[i]);
    if (!fresh[i]) {
      ReleaseBrushes(fresh);
      return 0;
    }
  }
  HBRUSH stale[skin::kSkinColourCount];
  for (int i = 0; i < skin::kSkinColourCount; ++i) {
    stale[i] = g_brush[i];
    g_brush[i] = fresh[i];
  }
  g_theme = theme;
  const DWORD thread = GetCurrentThreadId();
  if (g_thread != thread) {
    if (g_cbtHook) UnhookWindowsHookEx(g_cbtHook);
    if (g_eventHook) UnhookWinEvent(g_eventHook);
    g_cbtHook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, thread);
    g_eventHook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, WinEventProc,
                                  GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    g_thread = thread;
  }
  g_attached = true;
  EnumThreadWindows(thread, SkinTop, 0);
  ReleaseBrushes(stale);
  return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  // Unloading takes our window procedure away: hand every window back first.
  if (reason == DLL_PROCESS_DETACH) Detach();
  return TRUE;
}
