// The main window: its controls, the command handlers, and the window
// operations it services for the worker.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/pass_control.h"
#include "app/pass_runner.h"
#include "app/window_layout.h"
#include "core/window_ops.h"

namespace app {

// The body of one pass, given the pass's control and its view of the window.
// It runs on the worker thread and must not keep references to the window
// object: after a close the worker may outlive it.
using PassBody = std::function<void(PassControl& control, core::WindowOps& window)>;

struct MainWindowConfig {
  bool quiet = false;    // show no message boxes
  bool autoRun = false;  // start one pass at once; close the window when it ends
  bool echoLog = false;  // every log line also goes to standard output
  PassBody pass;
  // The folder 打开文件夹 opens, asked at each click (empty: the button does nothing).
  std::function<Text()> folderToOpen;
  // Shows a folder in Explorer; empty: OpenInExplorer.
  std::function<void(const Text& folder)> openFolder;
};

// Creates the folder when it is missing, then shows it in Explorer; false
// when Explorer could not be started.
bool OpenInExplorer(const Text& folder);

// The window operations of one pass. Each call is handed to the window
// thread and waits for it; once the pass is stopped the window thread drops
// its calls (reads then give empty values), so a stopped worker that wakes
// up late never touches the window. Without a pass nothing is dropped.
class WindowService : public core::WindowOps {
 public:
  // `pass` (may be null) must outlive the calls.
  WindowService(HWND window, const PassControl* pass) : window_(window), pass_(pass) {}
  Text ReadText(core::Control control) override;
  void ReplaceText(core::Control control, const Text& text) override;
  void AppendText(core::Control control, const Text& text) override;
  bool IsChecked(core::Control control) override;
  void SetChecked(core::Control control, bool checked) override;
  void SetDisabled(core::Control control, bool disabled) override;
  void ShowProgress(int keyword, int keywords, int saved) override;

  struct Request;  // one call, as the window thread services it

 private:
  void Send(Request& request);
  HWND window_;
  const PassControl* pass_;
};

// A message box as every message of the program is shown: caption "信息：",
// OK only, task-modal, no owner. Returns when it is dismissed.
void ShowInfoMessage(const Text& message);

// Waits until `done` holds or `limitMs` passed, servicing the window calls
// of other threads meanwhile (so a worker waiting on the window never
// deadlocks with this thread). False on time-out.
bool WaitServicingWindowCalls(const std::function<bool()>& done, DWORD limitMs);

class MainWindow {
 public:
  explicit MainWindow(MainWindowConfig config);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates and shows the window (its created handler runs meanwhile).
  bool Create(HINSTANCE instance, int showCommand);
  HWND Handle() const { return window_; }
  HWND ControlHandle(int id) const;
  PassRunner& Runner() { return runner_; }
  // The window operations on the window thread itself.
  core::WindowOps& Ops() { return ops_; }

  // The command handlers.
  void OnStart();
  void OnPause();
  void OnContinue();
  void OnStop();
  void OnKeepImagesClicked();
  void OnOpenFolder();
  // Appends a line to the collection log.
  void Log(const Text& line);

  // How long closing waits for a running pass to reach a safe point.
  static constexpr DWORD kCloseWaitMs = 5000;
  // How long pause waits for the worker to hold before it says so anyway
  // (a worker inside a long step holds at its next safe point).
  static constexpr DWORD kPauseWaitMs = 2000;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK GroupBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void OnCommand(int id, int code);
  void OnClose();
  void Message(const Text& text) const;
  // The caption from the pass's last progress and whether it is paused.
  void UpdateCaption();
  friend void ServiceWindowRequest(MainWindow& main, void* request);

  MainWindowConfig config_;
  HWND window_ = nullptr;
  HFONT keywordFont_ = nullptr;
  HFONT controlFont_ = nullptr;
  PassRunner runner_;
  WindowService ops_{nullptr, nullptr};
  struct Progress {
    int keyword = 0, keywords = 0, saved = 0;
  } progress_;
};

}  // namespace app
