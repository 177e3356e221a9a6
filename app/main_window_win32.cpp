#include "app/main_window_win32.h"

#include "app/collection_task.h"
#include <shellapi.h>

#include "core/encoding.h"
#include "core/file_system.h"
#include "skin/skin.h"

namespace app {
namespace {

const wchar_t kWindowClass[] = L"HotArticlesMainWindow";
// Window calls of the worker, serviced on the window thread.
constexpr UINT kServiceMessage = WM_APP + 1;
// Starts the pass of --auto once the message loop runs.
constexpr UINT kAutoStartMessage = WM_APP + 2;
// A pass of --auto has ended: the window closes.
constexpr UINT kPassEndedMessage = WM_APP + 3;

std::wstring Wide(const Text& gbk) {
  const core::Wide w = core::Gb18030ToWide(gbk);
  return std::wstring(w.begin(), w.end());
}

Text Gbk(const std::wstring& wide) { return core::WideToGb18030(core::Wide(wide.begin(), wide.end())); }

WNDPROC g_buttonProc = nullptr;  // the system's procedure of the BUTTON class

}  // namespace

// --- window operations ---

struct WindowService::Request {
  enum Op { kRead, kReplace, kAppend, kIsChecked, kSetChecked, kSetDisabled, kProgress };
  Request(Op o, core::Control c) : op(o), control(c) {}
  Op op;
  core::Control control;
  const Text* text = nullptr;
  bool flag = false;
  Text textOut;
  bool flagOut = false;
  int keyword = 0, keywords = 0, saved = 0;
  const PassControl* pass = nullptr;
};

void WindowService::Send(Request& request) {
  request.pass = pass_;
  // A window that is gone answers 0 at once and the request keeps its empty results.
  if (window_) SendMessageW(window_, kServiceMessage, 0, reinterpret_cast<LPARAM>(&request));
}

Text WindowService::ReadText(core::Control control) {
  Request r(Request::kRead, control);
  Send(r);
  return r.textOut;
}

void WindowService::ReplaceText(core::Control control, const Text& text) {
  Request r(Request::kReplace, control);
  r.text = &text;
  Send(r);
}

void WindowService::AppendText(core::Control control, const Text& text) {
  Request r(Request::kAppend, control);
  r.text = &text;
  Send(r);
}

bool WindowService::IsChecked(core::Control control) {
  Request r(Request::kIsChecked, control);
  Send(r);
  return r.flagOut;
}

void WindowService::SetChecked(core::Control control, bool checked) {
  Request r(Request::kSetChecked, control);
  r.flag = checked;
  Send(r);
}

void WindowService::SetDisabled(core::Control control, bool disabled) {
  Request r(Request::kSetDisabled, control);
  r.flag = disabled;
  Send(r);
}

void WindowService::ShowProgress(int keyword, int keywords, int saved) {
  Request r(Request::kProgress, core::Control::编辑框1);
  r.keyword = keyword;
  r.keywords = keywords;
  r.saved = saved;
  Send(r);
}

void ServiceWindowRequest(MainWindow& main, void* raw) {
  auto& r = *static_cast<WindowService::Request*>(raw);
  // Checked here, on the thread where stop is given, so no call of a stopped
  // pass slips through between its check and its effect.
  if (r.pass && r.pass->IsStopped()) return;
  if (r.op == WindowService::Request::kProgress) {
    main.progress_ = {r.keyword, r.keywords, r.saved};
    main.UpdateCaption();
    return;
  }
  const int id = ControlIdOf(r.control);
  HWND control = main.ControlHandle(id);
  if (!control) return;
  switch (r.op) {
    case WindowService::Request::kRead: {
      const int length = GetWindowTextLengthW(control);
      std::wstring buffer(size_t(length) + 1, L'\0');
      const int got = GetWindowTextW(control, &buffer[0], length + 1);
      buffer.resize(size_t(got > 0 ? got : 0));
      r.textOut = Gbk(buffer);
      break;
    }
    case WindowService::Request::kReplace:
      SetWindowTextW(control, Wide(*r.text).c_str());
      break;
    case WindowService::Request::kAppend: {
      const int length = GetWindowTextLengthW(control);
      SendMessageW(control, EM_SETSEL, WPARAM(length), LPARAM(length));
      SendMessageW(control, EM_SCROLLCARET, 0, 0);
      SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(*r.text).c_str()));
      if (main.config_.echoLog && r.control == core::Control::编辑框1) {
        const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out && out != INVALID_HANDLE_VALUE) {
          const Text utf8 = core::GbkToUtf8(*r.text);
          DWORD written = 0;
          WriteFile(out, utf8.data(), DWORD(utf8.size()), &written, nullptr);
        }
      }
      break;
    }
    case WindowService::Request::kIsChecked:
      r.flagOut = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
      break;
    case WindowService::Request::kSetChecked:
      // A radio that is set clears the others of its group, as a click would.
      if (r.flag && RadioGroupOf(id) != 0) {
        for (const ControlSpec& c : MainWindowControls()) {
          if (c.id != id && c.kind == ControlKind::Radio && c.parent == RadioGroupOf(id)) {
            SendMessageW(main.ControlHandle(c.id), BM_SETCHECK, BST_UNCHECKED, 0);
          }
        }
      }
      SendMessageW(control, BM_SETCHECK, r.flag ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case WindowService::Request::kSetDisabled:
      EnableWindow(control, !r.flag);
      break;
  }
}

void ShowInfoMessage(const Text& message) {
  MessageBoxW(nullptr, Wide(message).c_str(), Wide(kMessageBoxCaption).c_str(),
              MB_OK | MB_TASKMODAL);
}

bool WaitServicingWindowCalls(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) return false;
    const DWORD slice = limitMs - elapsed < 20 ? limitMs - elapsed : 20;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_SENDMESSAGE);
    MSG msg;
    // Peeking delivers the messages other threads sent; nothing is removed.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// --- the window ---

MainWindow::MainWindow(MainWindowConfig config) : config_(std::move(config)) {}

MainWindow::~MainWindow() {
  if (window_) DestroyWindow(window_);
  if (keywordFont_) DeleteObject(keywordFont_);
  if (controlFont_) DeleteObject(controlFont_);
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kWindowClass, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) return false;
  }
  HWND window = CreateWindowExW(0, kWindowClass, Wide(kWindowTitle).c_str(),
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight, nullptr,
                                nullptr, instance, this);
  if (!window) return false;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  if (config_.autoRun) PostMessageW(window, kAutoStartMessage, 0, 0);
  return true;
}

HWND MainWindow::ControlHandle(int id) const {
  if (!window_ || id == 0) return nullptr;
  // Controls sit inside group boxes, so look below the top level too.
  for (const ControlSpec& c : MainWindowControls()) {
    if (c.id != id) continue;
    HWND parent = c.parent == kNoParent ? window_ : ControlHandle(c.parent);
    return parent ? GetDlgItem(parent, id) : nullptr;
  }
  return nullptr;
}

void MainWindow::CreateControls() {
  keywordFont_ = CreateFontW(kKeywordFontHeight, 0, 0, 0, kKeywordFontWeight, FALSE, FALSE, FALSE,
                             GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             Wide(kKeywordFontName).c_str());
  controlFont_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, Wide("宋体").c_str());
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  int lastRadioGroup = 0;
  for (const ControlSpec& c : MainWindowControls()) {
    const wchar_t* cls = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (c.kind) {
      case ControlKind::GroupBox: style |= BS_GROUPBOX; break;
      case ControlKind::Label: cls = L"STATIC"; style |= SS_LEFT; break;
      case ControlKind::Edit:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::MultiLineEdit:
        cls = L"EDIT";
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Radio:
        style |= BS_AUTORADIOBUTTON;
        // The first radio of each group box starts its exclusive group.
        if (c.parent != lastRadioGroup) style |= WS_GROUP | WS_TABSTOP;
        lastRadioGroup = c.parent;
        break;
      case ControlKind::Check: style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
      case ControlKind::Button: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    }
    HWND parent = c.parent == kNoParent ? window_ : ControlHandle(c.parent);
    HWND control = CreateWindowExW(exStyle, cls, Wide(c.caption).c_str(), style, c.left, c.top,
                                   c.width, c.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                                   nullptr);
    if (!control) continue;
    SendMessageW(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(c.id == k编辑框_热点关键词 ? keywordFont_ : controlFont_),
                 FALSE);
    if (c.kind == ControlKind::MultiLineEdit) {
      // Lift the 32K character default limit: the log and the keyword list grow.
      SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
    }
    if (c.kind == ControlKind::GroupBox) {
      // Group boxes parent other controls; their notifications go to the window.
      WNDPROC old = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupBoxProc)));
      if (!g_buttonProc) g_buttonProc = old;
    }
  }
}

LRESULT CALLBACK MainWindow::GroupBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetAncestor(box, GA_ROOT), message, wParam, lParam);
  }
  return CallWindowProcW(g_buttonProc, box, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      ops_ = WindowService(window_, nullptr);
      CreateControls();
      skin::AttachSkin();
      ops_.SetChecked(core::Control::单选框_GBK, true);
      ops_.SetChecked(core::Control::单选框_关键词, true);
      ops_.SetChecked(core::Control::单选框_元图片, true);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == k透明标签1 || id == k透明标签3) {
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    }
    case kServiceMessage:
      ServiceWindowRequest(*this, reinterpret_cast<void*>(lParam));
      return 0;
    case kAutoStartMessage:
      OnStart();
      return 0;
    case kPassEndedMessage:
      if (config_.autoRun) DestroyWindow(window_);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      HWND window = window_;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      ops_ = WindowService(nullptr, nullptr);
      return DefWindowProcW(window, message, wParam, lParam);
    }
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case k按钮_开始: OnStart(); break;
    case k按钮_暂停: OnPause(); break;
    case k按钮_继续: OnContinue(); break;
    case k按钮_停止: OnStop(); break;
    case k选择框_保留图片: OnKeepImagesClicked(); break;
    case k按钮_打开文件夹: OnOpenFolder(); break;
  }
}

void MainWindow::OnStart() {
  if (!config_.pass) return;
  const PassBody pass = config_.pass;
  const HWND window = window_;
  const bool autoRun = config_.autoRun;
  // The body holds only copies: the worker may outlive this object after a close.
  runner_.Start([pass, window, autoRun](PassControl& control) {
    WindowService ops(window, &control);
    pass(control, ops);
    if (autoRun && !control.IsStopped()) PostMessageW(window, kPassEndedMessage, 0, 0);
  });
}

void MainWindow::OnPause() {
  if (runner_.Pause()) {
    const auto pass = runner_.Current();
    WaitServicingWindowCalls([&] { return pass->IsHeld(); }, kPauseWaitMs);
    UpdateCaption();
  }
  Message(kPausedMessage);
}

void MainWindow::OnContinue() {
  if (runner_.Continue()) UpdateCaption();
}

void MainWindow::OnStop() {
  runner_.Stop();
  progress_ = {};
  UpdateCaption();
  Message(kStoppedMessage);
}

void MainWindow::UpdateCaption() {
  if (!window_) return;
  const auto pass = runner_.Current();
  const bool paused = pass && !pass->IsStopped() && !pass->IsEnded() && pass->PauseLevel() > 0;
  SetWindowTextW(window_, Wide(PassCaption(progress_.keyword, progress_.keywords, progress_.saved, paused)).c_str());
}

void MainWindow::OnKeepImagesClicked() {
  const bool keep = ops_.IsChecked(core::Control::选择框_保留图片);
  ops_.SetDisabled(core::Control::单选框_元图片, !keep);
  ops_.SetDisabled(core::Control::单选框_图片本地化, !keep);
}

void MainWindow::OnOpenFolder() {
  if (!config_.folderToOpen) return;
  const Text folder = config_.folderToOpen();
  if (config_.openFolder) {
    config_.openFolder(folder);
  } else if (!OpenInExplorer(folder)) {
    Message("无法打开文件夹：" + folder);
  }
}

bool OpenInExplorer(const Text& folder) {
  core::CreateDirectoryLevel(folder);  // the folder of all passes, before the first pass
  // Above 32 is success; the lower values are error codes.
  const HINSTANCE result = ShellExecuteW(nullptr, L"open", Wide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void MainWindow::Log(const Text& line) { ops_.AppendText(core::Control::编辑框1, line + "\r\n"); }

void MainWindow::OnClose() {
  if (const auto pass = runner_.Current()) {
    pass->Stop();
    WaitServicingWindowCalls([&] { return pass->IsEnded(); }, kCloseWaitMs);
  }
  DestroyWindow(window_);
}

void MainWindow::Message(const Text& text) const {
  if (config_.quiet) return;
  ShowInfoMessage(text);
}

}  // namespace app
