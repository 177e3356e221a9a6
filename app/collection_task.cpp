#include "app/collection_task.h"

#include "app/window_layout.h"

namespace app {

Text OutputFolderFor(const Text& runDirectory, const core::DateTime& date) {
  return runDirectory + kArticleRootName + core::DateText(date);
}

Text FolderToOpen(const Text& runDirectory, const Text& lastPassFolder,
                  const std::function<bool(const Text& path)>& directoryExists) {
  if (!lastPassFolder.empty() && directoryExists(lastPassFolder)) return lastPassFolder;
  Text root = runDirectory + kArticleRootName;
  root.pop_back();  // the separator after the folder's name
  return root;
}

Text PassCaption(int keyword, int keywords, int saved, bool paused) {
  Text caption = kWindowTitle;
  if (keywords > 0) {
    caption += " - 关键词 " + core::IntToText(keyword) + "/" + core::IntToText(keywords) + "，已保存 " +
               core::IntToText(saved) + " 篇";
    if (paused) caption += "，已暂停";
  } else if (paused) {
    caption += " - 已暂停";
  }
  return caption;
}

Text CollectionTask(const Text& runDirectory, core::WindowOps& window,
                    core::SafePoints& safePoints, const PassServices& services) {
  services.createDirectory(runDirectory + kArticleRootName);
  if (!safePoints.Checkpoint()) return Text();
  const core::DateTime date = services.networkDate();
  if (!safePoints.Checkpoint()) return Text();
  const Text outputFolder = OutputFolderFor(runDirectory, date);
  services.createDirectory(outputFolder);
  if (services.folderMade) services.folderMade(outputFolder);

  if (!safePoints.Checkpoint()) return outputFolder;
  services.harvestHotKeywords();
  if (!safePoints.Checkpoint()) return outputFolder;

  // The keyword box is the hand-over point; its lines are taken once, so
  // editing the box during the pass changes nothing for this pass.
  const core::TextArray keywords =
      core::Split(window.ReadText(core::Control::编辑框_热点关键词), kLineSeparator);
  const int count = int(keywords.size());
  int saved = 0;
  for (int i = 0; i < count; ++i) {
    if (!safePoints.Checkpoint()) return outputFolder;
    window.ShowProgress(i + 1, count, saved);
    if (services.collectArticle(keywords[size_t(i)], outputFolder)) ++saved;
    window.ShowProgress(i + 1, count, saved);
  }
  window.ShowProgress(0, 0, 0);
  if (!safePoints.Checkpoint()) return outputFolder;
  services.showMessage(kPassDoneMessage);
  return outputFolder;
}

}  // namespace app
