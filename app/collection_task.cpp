#include "app/collection_task.h"

namespace app {

Text OutputFolderFor(const Text& runDirectory, const core::DateTime& date) {
  return runDirectory + kArticleRootName + core::DateText(date);
}

Text CollectionTask(const Text& runDirectory, core::WindowOps& window,
                    core::SafePoints& safePoints, const PassServices& services) {
  services.createDirectory(runDirectory + kArticleRootName);
  if (!safePoints.Checkpoint()) return Text();
  const core::DateTime date = services.networkDate();
  if (!safePoints.Checkpoint()) return Text();
  const Text outputFolder = OutputFolderFor(runDirectory, date);
  services.createDirectory(outputFolder);

  if (!safePoints.Checkpoint()) return outputFolder;
  services.harvestHotKeywords();
  if (!safePoints.Checkpoint()) return outputFolder;

  // The keyword box is the hand-over point; its lines are taken once, so
  // editing the box during the pass changes nothing for this pass.
  const core::TextArray keywords =
      core::Split(window.ReadText(core::Control::编辑框_热点关键词), kLineSeparator);
  for (const Text& keyword : keywords) {
    if (!safePoints.Checkpoint()) return outputFolder;
    services.collectArticle(keyword, outputFolder);
  }
  if (!safePoints.Checkpoint()) return outputFolder;
  services.showMessage(kPassDoneMessage);
  return outputFolder;
}

}  // namespace app
