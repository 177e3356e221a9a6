// Program start and end: the command line, the settings, the skin, the main
// window and its message loop, and the one exit routine.
#include <windows.h>
#include <shellapi.h>

#include "app/collection_pass_win32.h"
#include "app/collection_task.h"
#include "app/command_line.h"
#include "app/main_window_win32.h"
#include "app/settings.h"
#include "core/encoding.h"
#include "core/file_system.h"
#include "http/certificates.h"
#include "skin/skin.h"

namespace {

core::TextArray ProgramArguments() {
  core::TextArray arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i) {
    const std::wstring w(argv[i]);
    arguments.push_back(core::WideToGb18030(core::Wide(w.begin(), w.end())));
  }
  LocalFree(argv);
  return arguments;
}

void WriteStandardError(const core::Text& gbk) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!err || err == INVALID_HANDLE_VALUE) return;
  const core::Text utf8 = core::GbkToUtf8(gbk + "\r\n");
  DWORD written = 0;
  WriteFile(err, utf8.data(), DWORD(utf8.size()), &written, nullptr);
}

bool MentionsAuto(const core::TextArray& arguments) {
  for (const auto& a : arguments) {
    if (a == "--auto") return true;
  }
  return false;
}

// Run once at program end, after the window is gone.
void ExitRoutine() {
  skin::StopSkinEngine();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const core::TextArray arguments = ProgramArguments();
  app::CommandLine options;
  core::Text error;
  if (!app::ParseCommandLine(arguments, options, error)) {
    WriteStandardError(error);
    WriteStandardError(app::CommandLineUsage());
    if (!MentionsAuto(arguments)) app::ShowInfoMessage(error + "\r\n" + app::CommandLineUsage());
    return app::kBadCommandLineExitCode;
  }

  const core::Text runDirectory = core::ExecutableDirectory();
  core::TextArray settingsProblems;
  std::string settingsText;
  const core::Text settingsPath = runDirectory + app::kSettingsFileName;
  const bool settingsRead = core::ReadWholeFile(settingsPath, settingsText);
  if (!settingsRead) settingsText.clear();
  sources::Profile profile =
      app::LoadProfile(core::TextFromBytes(settingsText), options.profile, settingsProblems);
  if (!options.proxy.empty()) profile.proxy = options.proxy;
  // Classic keeps its log as it always was.
  if (profile.name != "classic") {
    // Unchecked certificates are said once, among the first lines.
    if (!profile.checkCertificates) settingsProblems.insert(settingsProblems.begin(), http::kCertificatesIgnoredLine);
    settingsProblems.insert(settingsProblems.begin(),
                            app::SettingsReadLine(settingsPath, settingsRead,
                                                  !settingsRead && core::FileExists(settingsPath + ".txt")));
  }

  skin::StartSkinEngine();

  app::MainWindowConfig config;
  config.quiet = options.autoRun;
  config.autoRun = options.autoRun;
  config.echoLog = options.autoRun;
  app::PassSetup setup;
  setup.runDirectory = runDirectory;
  setup.profile = profile;
  setup.quiet = options.autoRun;
  setup.collect = app::NetworkArticleCollector();
  setup.lastFolder = std::make_shared<app::LastPassFolder>();
  config.pass = app::MakeCollectionPass(setup);
  config.folderToOpen = [runDirectory, last = setup.lastFolder] {
    return app::FolderToOpen(runDirectory, last->Get(), core::DirectoryExists);
  };

  int exitCode = 0;
  bool workerLeft = false;
  {
    app::MainWindow window(config);
    if (!window.Create(instance, showCommand)) {
      ExitRoutine();
      return 1;
    }
    app::ApplyCommandLine(options, window.Ops());
    for (const auto& problem : settingsProblems) window.Log(problem);

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    exitCode = int(msg.wParam);
    workerLeft = window.Runner().IsBusy();
  }
  ExitRoutine();
  // A worker still blocked in an exchange after the close wait ends with the
  // process here, before any static object it might use is torn down.
  if (workerLeft) ExitProcess(UINT(exitCode));
  return exitCode;
}
