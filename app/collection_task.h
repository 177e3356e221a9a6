// One collection pass: the dated output folder, the hot keywords, one article
// per keyword, and "任务完成" at the end.
#pragma once

#include <functional>
#include <mutex>

#include "core/date_time.h"
#include "core/safe_points.h"
#include "core/text.h"
#include "core/window_ops.h"

namespace app {

using core::Text;

// The folder of all passes below the program's directory (separator on both sides).
inline constexpr char kArticleRootName[] = "\\采集文章\\";
// The caption of every message box, and the messages.
inline constexpr char kMessageBoxCaption[] = "信息：";
inline constexpr char kPassDoneMessage[] = "任务完成";
inline constexpr char kPausedMessage[] = "已暂停";
inline constexpr char kStoppedMessage[] = "已停止";
inline constexpr char kLineSeparator[] = "\r\n";

// What a pass needs from the rest of the program; the tests give fakes.
struct PassServices {
  // The date-time a web server reports, already shifted to local time.
  std::function<core::DateTime()> networkDate;
  // Refreshes the hot keyword box (and the history file).
  std::function<void()> harvestHotKeywords;
  // Collects the article of one keyword into the output folder; true when
  // an article was saved.
  std::function<bool(const Text& keyword, const Text& outputFolder)> collectArticle;
  // Shows a message and returns when the user dismissed it.
  std::function<void(const Text& message)> showMessage;
  // Creates one directory level; failures are the later writes' business.
  std::function<void(const Text& path)> createDirectory;
  // Told the pass's dated folder once it is made (optional).
  std::function<void(const Text& folder)> folderMade;
};

// The dated folder of the last pass: written by the worker that makes it,
// read by the window that opens it.
class LastPassFolder {
 public:
  void Set(const Text& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    folder_ = folder;
  }
  Text Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return folder_;
  }

 private:
  mutable std::mutex mutex_;
  Text folder_;
};

// The folder the 打开文件夹 button opens: the last pass's dated folder while
// it exists, else the folder of all passes (before any pass, or once the
// dated folder was removed), without a trailing separator.
Text FolderToOpen(const Text& runDirectory, const Text& lastPassFolder,
                  const std::function<bool(const Text& path)>& directoryExists);

// The output folder of a pass from the program's directory and the date.
Text OutputFolderFor(const Text& runDirectory, const core::DateTime& date);

// The window caption: the plain title, or with a pass's progress
// "热点文章采集 - 关键词 3/20，已保存 2 篇"; a paused pass adds "，已暂停"
// (" - 已暂停" before any keyword is in hand).
Text PassCaption(int keyword, int keywords, int saved, bool paused);

// Runs one pass and returns its output folder. Between its steps and between
// keywords it passes a safe point; a stopped pass returns there, showing nothing.
// The window is told the progress before and after each keyword, and that
// there is none once the keywords are done.
Text CollectionTask(const Text& runDirectory, core::WindowOps& window,
                    core::SafePoints& safePoints, const PassServices& services);

}  // namespace app
