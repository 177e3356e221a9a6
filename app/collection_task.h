// One collection pass: the dated output folder, the hot keywords, one article
// per keyword, and "任务完成" at the end.
#pragma once

#include <functional>

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
  // Collects the article of one keyword into the output folder.
  std::function<void(const Text& keyword, const Text& outputFolder)> collectArticle;
  // Shows a message and returns when the user dismissed it.
  std::function<void(const Text& message)> showMessage;
  // Creates one directory level; failures are the later writes' business.
  std::function<void(const Text& path)> createDirectory;
};

// The output folder of a pass from the program's directory and the date.
Text OutputFolderFor(const Text& runDirectory, const core::DateTime& date);

// Runs one pass and returns its output folder. Between its steps and between
// keywords it passes a safe point; a stopped pass returns there, showing nothing.
Text CollectionTask(const Text& runDirectory, core::WindowOps& window,
                    core::SafePoints& safePoints, const PassServices& services);

}  // namespace app
