// The real window under Wine, in process: its controls against the form,
// the keep-images box, the commands against a pass that records its
// progress, and closing during a pass. Message boxes are found, read and
// dismissed by a watcher thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "app/collection_task.h"
#include "app/main_window_win32.h"
#include "core/encoding.h"

namespace {

using app::ControlKind;
using app::ControlSpec;
using app::MainWindow;
using core::Control;
using core::Text;

std::wstring Wide(const Text& gbk) {
  const core::Wide w = core::Gb18030ToWide(gbk);
  return std::wstring(w.begin(), w.end());
}

Text WindowText(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  const std::wstring w(buffer);
  return core::WideToGb18030(core::Wide(w.begin(), w.end()));
}

std::wstring WideCaption(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

// Runs the thread's messages until `done` or the limit (then false).
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 20000) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start > limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

// Finds every box captioned "信息：", keeps its text and presses OK.
class BoxWatcher {
 public:
  BoxWatcher() : thread_([this] { Run(); }) {}
  ~BoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  core::TextArray Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  size_t Count() { return Texts().size(); }

 private:
  void Run() {
    const std::wstring caption = Wide(app::kMessageBoxCaption);
    while (!stop_) {
      HWND box = FindWindowW(L"#32770", caption.c_str());
      if (box && IsWindowVisible(box)) {
        // Recorded before the box goes, so a caller it returns to sees it.
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
      }
      Sleep(10);
    }
  }
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  core::TextArray texts_;
  std::thread thread_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // A destroyed main window posts WM_QUIT, which would end the next
    // message box's loop at once.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
  static bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

TEST_F(MainWindowTest, ControlsMatchTheForm) {
  MainWindow window(app::MainWindowConfig{});
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  HWND main = window.Handle();
  EXPECT_EQ(WindowText(main), "热点文章采集");
  RECT outer;
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 50);
  EXPECT_EQ(outer.right - outer.left, 666);
  EXPECT_EQ(outer.bottom - outer.top, 492);

  for (const ControlSpec& c : app::MainWindowControls()) {
    SCOPED_TRACE(c.name);
    HWND h = window.ControlHandle(c.id);
    ASSERT_NE(h, nullptr);
    HWND parent = c.parent == app::kNoParent ? main : window.ControlHandle(c.parent);
    EXPECT_EQ(GetParent(h), parent);
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
    if (c.kind == ControlKind::MultiLineEdit && c.id == app::k编辑框1) {
      EXPECT_EQ(WindowText(h), "【采集日志】\r\n");
    } else {
      EXPECT_EQ(WindowText(h), c.caption);
    }
    EXPECT_TRUE(IsWindowEnabled(h));
    EXPECT_TRUE(IsWindowVisible(h));

    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    switch (c.kind) {
      case ControlKind::GroupBox:
        EXPECT_STREQ(cls, L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
      case ControlKind::Label: EXPECT_STREQ(cls, L"Static"); break;
      case ControlKind::Edit:
        EXPECT_STREQ(cls, L"Edit");
        EXPECT_FALSE(style & ES_MULTILINE);
        break;
      case ControlKind::MultiLineEdit:
        EXPECT_STREQ(cls, L"Edit");
        EXPECT_TRUE(style & ES_MULTILINE);
        break;
      case ControlKind::Radio: EXPECT_EQ(style & BS_TYPEMASK, BS_AUTORADIOBUTTON); break;
      case ControlKind::Check: EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX); break;
      case ControlKind::Button: EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON); break;
    }
    // After the created handler: one radio per group, no check box.
    const bool checkedAtStart = c.id == app::k单选框_GBK || c.id == app::k单选框_关键词 ||
                                c.id == app::k单选框_元图片;
    if (c.kind == ControlKind::Radio || c.kind == ControlKind::Check) {
      EXPECT_EQ(Checked(h), checkedAtStart);
    }
  }

  // Every caption fits its control on one line in the font it is drawn
  // with (a label too narrow wraps; a radio's or check box's text is cut).
  for (const ControlSpec& c : app::MainWindowControls()) {
    if (c.kind != ControlKind::Label && c.kind != ControlKind::Radio && c.kind != ControlKind::Check &&
        c.kind != ControlKind::Button) {
      continue;
    }
    SCOPED_TRACE(c.name);
    HWND h = window.ControlHandle(c.id);
    const std::wstring text = WideCaption(h);
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    // A radio's or check box's mark and its gap come before the text; a
    // button's edges and focus frame take a few pixels on each side.
    const int mark = c.kind == ControlKind::Label    ? 0
                     : c.kind == ControlKind::Button ? 2 * (GetSystemMetrics(SM_CXEDGE) + 3)
                                                     : GetSystemMetrics(SM_CXMENUCHECK) + 4;
    EXPECT_LE(size.cx + mark, c.width) << "text " << size.cx << " px";
    EXPECT_LE(size.cy, c.height);
  }

  HFONT font = reinterpret_cast<HFONT>(
      SendMessageW(window.ControlHandle(app::k编辑框_热点关键词), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW lf = {};
  ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfHeight, -14);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
  EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
  EXPECT_EQ(std::wstring(lf.lfFaceName), Wide("微软雅黑"));
}

TEST_F(MainWindowTest, RadioGroupsAndKeepImagesBox) {
  MainWindow window(app::MainWindowConfig{});
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  HWND keep = window.ControlHandle(app::k选择框_保留图片);
  HWND original = window.ControlHandle(app::k单选框_元图片);
  HWND local = window.ControlHandle(app::k单选框_图片本地化);

  // Clicking a radio clears only the others of its own group box.
  Click(window.ControlHandle(app::k单选框_UTF8));
  EXPECT_TRUE(Checked(window.ControlHandle(app::k单选框_UTF8)));
  EXPECT_FALSE(Checked(window.ControlHandle(app::k单选框_GBK)));
  EXPECT_TRUE(Checked(window.ControlHandle(app::k单选框_关键词)));
  EXPECT_TRUE(Checked(original));
  Click(window.ControlHandle(app::k单选框_关键词加标题));
  EXPECT_FALSE(Checked(window.ControlHandle(app::k单选框_关键词)));
  EXPECT_TRUE(Checked(window.ControlHandle(app::k单选框_UTF8)));

  // Unchecked at start, yet the picture radios are enabled until a click.
  EXPECT_FALSE(Checked(keep));
  EXPECT_TRUE(IsWindowEnabled(original) && IsWindowEnabled(local));
  Click(keep);
  EXPECT_TRUE(Checked(keep));
  EXPECT_TRUE(IsWindowEnabled(original) && IsWindowEnabled(local));
  Click(keep);
  EXPECT_FALSE(Checked(keep));
  EXPECT_FALSE(IsWindowEnabled(original));
  EXPECT_FALSE(IsWindowEnabled(local));
  Click(keep);
  EXPECT_TRUE(IsWindowEnabled(original) && IsWindowEnabled(local));
}

// 打开文件夹 asks for the folder at each click and hands it to Explorer.
TEST_F(MainWindowTest, OpenFolderButtonOpensTheFolderOfTheMoment) {
  app::MainWindowConfig config;
  core::TextArray opened;
  Text folder = "C:\\run\\采集文章";
  config.folderToOpen = [&] { return folder; };
  config.openFolder = [&](const Text& f) { opened.push_back(f); };
  MainWindow window(config);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  HWND button = window.ControlHandle(app::k按钮_打开文件夹);
  ASSERT_NE(button, nullptr);
  Click(button);
  folder = "C:\\run\\采集文章\\2026年12月6日21时2分13秒";
  Click(button);
  EXPECT_EQ(opened, (core::TextArray{"C:\\run\\采集文章", "C:\\run\\采集文章\\2026年12月6日21时2分13秒"}));
}

TEST_F(MainWindowTest, CommandsWithoutAPassOnlyShowTheirMessages) {
  BoxWatcher boxes;
  MainWindow window(app::MainWindowConfig{});
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  Click(window.ControlHandle(app::k按钮_暂停));
  Click(window.ControlHandle(app::k按钮_继续));
  Click(window.ControlHandle(app::k按钮_停止));
  EXPECT_EQ(boxes.Texts(), (core::TextArray{"已暂停", "已停止"}));
  EXPECT_EQ(window.Runner().Current(), nullptr);
}

// A pass whose harvest puts many keywords in the box and whose collector
// logs each one, so the test can watch it move, hold and stop.
struct RecordingPass {
  std::atomic<int> collected{0};
  std::atomic<bool> messageShown{false};
  int keywords = 400;

  app::PassBody Body() {
    return [this](app::PassControl& control, core::WindowOps& window) {
      app::PassServices s;
      s.createDirectory = [](const Text&) {};
      s.networkDate = [] { return core::DateTime{2026, 12, 6, 21, 2, 13}; };
      s.harvestHotKeywords = [&] {
        Text list;
        for (int i = 1; i <= keywords; ++i) list += "关键词" + core::IntToText(i) + "\r\n";
        window.ReplaceText(Control::编辑框_热点关键词, list);
      };
      s.collectArticle = [&](const Text& keyword, const Text&) {
        window.AppendText(Control::编辑框1, keyword + "\r\n");
        ++collected;
        Sleep(2);
        return true;
      };
      s.showMessage = [&](const Text& m) {
        control.MarkEnded();
        messageShown = true;
        app::ShowInfoMessage(m);
      };
      app::CollectionTask("C:\\unused", window, control, s);
    };
  }
};

TEST_F(MainWindowTest, StartPausePauseContinueContinueStop) {
  BoxWatcher boxes;
  RecordingPass pass;
  app::MainWindowConfig config;
  config.pass = pass.Body();
  MainWindow window(config);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  HWND log = window.ControlHandle(app::k编辑框1);

  Click(window.ControlHandle(app::k按钮_开始));
  ASSERT_TRUE(PumpUntil([&] { return pass.collected >= 3; }));
  const auto control = window.Runner().Current();
  ASSERT_NE(control, nullptr);
  Click(window.ControlHandle(app::k按钮_开始));  // ignored while running
  EXPECT_EQ(window.Runner().Current(), control);

  Click(window.ControlHandle(app::k按钮_暂停));
  EXPECT_EQ(boxes.Texts(), core::TextArray{"已暂停"});
  EXPECT_TRUE(control->IsHeld());
  const int heldAt = pass.collected;
  const Text progress = "热点文章采集 - 关键词 " + core::IntToText(heldAt) + "/400，已保存 " +
                        core::IntToText(heldAt) + " 篇";
  EXPECT_EQ(WindowText(window.Handle()), progress + "，已暂停");
  const int logLength = GetWindowTextLengthW(log);
  Click(window.ControlHandle(app::k按钮_暂停));
  EXPECT_EQ(control->PauseLevel(), 2);
  Click(window.ControlHandle(app::k按钮_开始));  // ignored while paused
  EXPECT_EQ(window.Runner().Current(), control);
  Click(window.ControlHandle(app::k按钮_继续));
  PumpFor(150);
  EXPECT_EQ(pass.collected, heldAt) << "one continue after two pauses let the pass go on";
  EXPECT_EQ(GetWindowTextLengthW(log), logLength);
  EXPECT_EQ(WindowText(window.Handle()), progress + "，已暂停");

  Click(window.ControlHandle(app::k按钮_继续));
  ASSERT_TRUE(PumpUntil([&] { return pass.collected > heldAt + 2; }));
  const Text running = WindowText(window.Handle());
  EXPECT_EQ(running.rfind("热点文章采集 - 关键词 ", 0), 0u) << running;
  EXPECT_EQ(core::Find(running, "已暂停"), -1) << running;

  Click(window.ControlHandle(app::k按钮_停止));
  ASSERT_TRUE(PumpUntil([&] { return control->IsEnded(); }));
  const int stoppedAt = pass.collected;
  const Text logAtStop = WindowText(log);
  PumpFor(150);
  EXPECT_EQ(pass.collected, stoppedAt);
  EXPECT_EQ(GetWindowTextLengthW(log), int(Wide(logAtStop).size()));
  EXPECT_LT(stoppedAt, pass.keywords);
  EXPECT_FALSE(pass.messageShown);
  EXPECT_EQ(boxes.Texts(), (core::TextArray{"已暂停", "已暂停", "已停止"}));
  EXPECT_EQ(WindowText(window.Handle()), "热点文章采集");

  // The log holds the keywords in order, each once. The line of the keyword
  // in hand at the stop may be missing: its window call came after the stop
  // and was dropped.
  const core::TextArray lines = core::Split(WindowText(log), "\r\n");
  ASSERT_GE(lines.size(), 2u);
  const int logged = int(lines.size()) - 1;
  EXPECT_TRUE(logged == stoppedAt || logged == stoppedAt - 1) << logged << " " << stoppedAt;
  EXPECT_EQ(lines[0], "【采集日志】");
  for (int i = 1; i <= logged; ++i) EXPECT_EQ(lines[i], "关键词" + core::IntToText(i));

  // After a stop, start begins a new pass at once.
  Click(window.ControlHandle(app::k按钮_开始));
  EXPECT_NE(window.Runner().Current(), control);
  window.Runner().Stop();
  ASSERT_TRUE(PumpUntil([&] { return !window.Runner().IsBusy(); }));
}

TEST_F(MainWindowTest, FinishedPassSaysSoAndTakesNoMoreCommands) {
  BoxWatcher boxes;
  RecordingPass pass;
  pass.keywords = 3;
  app::MainWindowConfig config;
  config.pass = pass.Body();
  MainWindow window(config);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  Click(window.ControlHandle(app::k按钮_开始));
  ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1; }));
  EXPECT_EQ(boxes.Texts(), core::TextArray{"任务完成"});
  EXPECT_EQ(pass.collected, 3);
  EXPECT_EQ(WindowText(window.Handle()), "热点文章采集");
  const auto control = window.Runner().Current();
  ASSERT_TRUE(PumpUntil([&] { return !window.Runner().IsBusy(); }));
  Click(window.ControlHandle(app::k按钮_暂停));
  Click(window.ControlHandle(app::k按钮_停止));
  EXPECT_EQ(control->PauseLevel(), 0);
  EXPECT_FALSE(control->IsStopped());
  EXPECT_EQ(boxes.Texts(), (core::TextArray{"任务完成", "已暂停", "已停止"}));
}

// Closing while the worker keeps calling the window: the close stops the
// pass, services the worker's calls while it waits, and never deadlocks.
TEST_F(MainWindowTest, CloseDuringAPassStopsItWithoutDeadlock) {
  std::atomic<int> calls{0};
  app::MainWindowConfig config;
  config.pass = [&calls](app::PassControl& control, core::WindowOps& window) {
    while (control.Checkpoint()) {
      window.ReadText(Control::编辑框_热点关键词);
      window.AppendText(Control::编辑框1, "x");
      ++calls;
    }
  };
  MainWindow window(config);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  Click(window.ControlHandle(app::k按钮_开始));
  ASSERT_TRUE(PumpUntil([&] { return calls > 10; }));
  const auto control = window.Runner().Current();
  SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(window.Handle(), nullptr) << "the window was not destroyed";
  EXPECT_TRUE(control->IsEnded());
  EXPECT_TRUE(control->IsStopped());
}

// A stopped worker's window calls are dropped on the window thread: reads
// come back empty and writes change nothing.
TEST_F(MainWindowTest, StoppedPassNoLongerTouchesTheWindow) {
  MainWindow window(app::MainWindowConfig{});
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  app::PassControl control;
  app::WindowService live(window.Handle(), &control);
  live.ReplaceText(Control::编辑框_热点关键词, "甲\r\n乙");
  EXPECT_EQ(live.ReadText(Control::编辑框_热点关键词), "甲\r\n乙");
  live.AppendText(Control::编辑框1, "一行\r\n");
  EXPECT_EQ(live.ReadText(Control::编辑框1), "【采集日志】\r\n一行\r\n");
  live.SetChecked(Control::选择框_过滤重复, true);
  EXPECT_TRUE(live.IsChecked(Control::选择框_过滤重复));

  control.Stop();
  live.ReplaceText(Control::编辑框_热点关键词, "丙");
  live.AppendText(Control::编辑框1, "又一行\r\n");
  live.SetChecked(Control::选择框_过滤重复, false);
  EXPECT_EQ(live.ReadText(Control::编辑框_热点关键词), "");
  EXPECT_FALSE(live.IsChecked(Control::选择框_过滤重复));
  EXPECT_EQ(window.Ops().ReadText(Control::编辑框_热点关键词), "甲\r\n乙");
  EXPECT_EQ(window.Ops().ReadText(Control::编辑框1), "【采集日志】\r\n一行\r\n");
  EXPECT_TRUE(window.Ops().IsChecked(Control::选择框_过滤重复));
}

}  // namespace
