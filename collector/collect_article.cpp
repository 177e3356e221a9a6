#include "collector/collect_article.h"

#include <utility>

#include "collector/article_extraction.h"
#include "collector/article_files.h"
#include "collector/content_cleaning.h"
#include "collector/image_download.h"
#include "collector/image_markers.h"
#include "collector/search_results.h"
#include "core/encoding.h"
#include "core/file_system.h"
#include "html/extract.h"

namespace collector {
namespace {

using core::Control;

// The body's paragraphs as lines of plain text, the images kept, downloaded
// (their addresses read against the page's) and re-pointed as the options say
// at this moment. False when stopped.
bool PrepareBody(Text& body, const Text& pageAddress, const sources::CleaningRules& rules,
                 CollectorContext& context) {
  const bool keepImages = context.window.IsChecked(Control::选择框_保留图片);
  ImageSources imageSources;
  body = CleanBody(body, keepImages, imageSources, rules);
  if (keepImages && context.window.IsChecked(Control::单选框_图片本地化)) {
    if (!DownloadImages(body, context.outputFolder, pageAddress, context.fetchers.image,
                        context.safePoints)) {
      return false;
    }
    body = LocaliseImageRefs(body);
  }
  return true;
}

TitleMode ReadTitleMode(core::WindowOps& window) {
  if (window.IsChecked(Control::单选框_关键词)) return TitleMode::kKeyword;
  if (window.IsChecked(Control::单选框_关键词加标题)) return TitleMode::kKeywordAndTitle;
  return TitleMode::kTitle;
}

// Checks, names, writes and logs the cleaned article.
ArticleOutcome SaveArticle(const Text& keyword, const Text& title, const Text& body,
                           CollectorContext& context) {
  core::WindowOps& window = context.window;
  const int minimumLength = core::TextToInt(window.ReadText(Control::编辑框_线程1));
  if (!IsLongEnough(body, minimumLength)) return ArticleOutcome::kRejected;
  // The page's own title decides, whatever the title mode.
  if (title.empty()) return ArticleOutcome::kRejected;

  const Text fileTitle =
      SafeFileTitle(FileTitle(ReadTitleMode(window), keyword, title), context.outputFolder);
  bool written = false;
  const bool gbk = window.IsChecked(Control::单选框_GBK);
  // With neither encoding chosen nothing is written, and the log says so.
  if (gbk || window.IsChecked(Control::单选框_UTF8)) {
    if (!context.safePoints.Checkpoint()) return ArticleOutcome::kStopped;
    // A GBK file gets "?" for each character GBK lacks; UTF-8 keeps them all.
    const Text content = gbk ? core::GbkOnly(body) : core::GbkToUtf8(body);
    written = core::WriteWholeFile(ArticleFilePath(context.outputFolder, fileTitle), content);
  }
  window.AppendText(Control::编辑框1,
                    written ? SavedLogLine(fileTitle) : SaveFailedLogLine(fileTitle));
  return written ? ArticleOutcome::kSaved : ArticleOutcome::kSaveFailed;
}

}  // namespace

ArticleOutcome CollectArticle(const Text& keyword, CollectorContext& context) {
  const sources::Profile& profile = context.profile;
  if (!context.safePoints.Checkpoint()) return ArticleOutcome::kStopped;
  const Text resultPage = context.fetchers.searchPage(
      SearchUrl(context.searchAddress, keyword, profile.search.encoding));
  const Text link = FirstResultLink(resultPage, profile.search);
  if (link.empty()) return ArticleOutcome::kNoResult;

  if (!context.safePoints.Checkpoint()) return ArticleOutcome::kStopped;
  const Text page = ArticlePageText(context.fetchers.articlePage(link), profile.article.percentDecode);
  ArticleCut article = CutArticle(page, profile.article);
  if (article.layout == 0 && profile.article.fallback) {
    // A page of no known layout: the general extractor finds its article in
    // the page without the texts the rules remove (so none leaves an empty
    // paragraph behind), and the body then goes through the same cleaning.
    Text cleaned = page;
    for (const Text& text : profile.article.removed) cleaned = core::ReplaceAll(cleaned, text, "");
    html::Extracted found = html::ExtractArticle(cleaned);
    article.title = std::move(found.title);
    article.body = std::move(found.body);
  }
  // A stop during the fetch ends the keyword here, before any image or file.
  if (!context.safePoints.Checkpoint()) return ArticleOutcome::kStopped;

  if (!PrepareBody(article.body, link, profile.cleaning, context)) return ArticleOutcome::kStopped;
  return SaveArticle(keyword, article.title, article.body, context);
}

void ArticleTally::Add(ArticleOutcome outcome) {
  if (outcome == ArticleOutcome::kStopped) return;
  ++keywords;
  if (outcome == ArticleOutcome::kSaved) {
    ++saved;
  } else {
    ++failed;
  }
}

Text ArticleTally::SummaryLine() const {
  return "本次采集：关键词" + core::IntToText(keywords) + "个，保存文章" + core::IntToText(saved) +
         "篇，失败" + core::IntToText(failed) + "篇\r\n";
}

}  // namespace collector
