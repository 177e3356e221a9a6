#include "collector/collect_article.h"

#include <set>

#include "collector/article_choice.h"
#include "collector/article_extraction.h"
#include "collector/article_files.h"
#include "collector/content_cleaning.h"
#include "collector/image_download.h"
#include "collector/image_markers.h"
#include "collector/search_results.h"
#include "core/encoding.h"
#include "core/file_system.h"

namespace collector {
namespace {

using core::Control;

// An answer with this status or above is an error page, not results.
constexpr int kFirstErrorStatus = 400;

// The body's paragraphs as lines of plain text, the images kept, downloaded
// (their addresses read against the page's) and re-pointed as the options say
// at this moment; `site` holds the key of encrypted picture addresses. False
// when stopped.
bool PrepareBody(Text& body, const Text& pageAddress, const sources::NewsSite& site,
                 const sources::CleaningRules& rules, CollectorContext& context) {
  const bool keepImages = context.window.IsChecked(Control::选择框_保留图片);
  ImageSources imageSources;
  PictureRules pictures;
  pictures.lazySources = rules.servedPictures;
  if (rules.servedPictures) pictures.imageKey = site.imageKey;
  int leftOut = 0;
  body = CleanBody(body, keepImages, imageSources, rules, pictures, &leftOut);
  if (leftOut > 0) context.window.AppendText(Control::编辑框1, PicturesLeftOutLogLine(leftOut, pageAddress));
  if (keepImages && context.window.IsChecked(Control::单选框_图片本地化)) {
    PictureNames names;
    if (!DownloadImages(body, context.outputFolder, pageAddress, context.fetchers.image,
                        context.safePoints, rules.servedPictures ? &names : nullptr)) {
      return false;
    }
    body = LocaliseImageRefs(body, rules.servedPictures ? &names : nullptr);
  }
  return true;
}

TitleMode ReadTitleMode(core::WindowOps& window) {
  if (window.IsChecked(Control::单选框_关键词)) return TitleMode::kKeyword;
  if (window.IsChecked(Control::单选框_关键词加标题)) return TitleMode::kKeywordAndTitle;
  return TitleMode::kTitle;
}

// Checks, names, writes and logs the cleaned article; `miss` says why
// nothing was written when the article was rejected.
ArticleOutcome SaveArticle(const Text& keyword, const Text& title, const Text& body,
                           CollectorContext& context, Miss& miss) {
  core::WindowOps& window = context.window;
  const int minimumLength = core::TextToInt(window.ReadText(Control::编辑框_线程1));
  if (!IsLongEnough(body, minimumLength)) {
    miss = body.empty() ? Miss::kNoBody : Miss::kTooShort;
    return ArticleOutcome::kRejected;
  }
  // The page's own title decides, whatever the title mode.
  if (title.empty()) {
    miss = Miss::kNoTitle;
    return ArticleOutcome::kRejected;
  }

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

void NoteMiss(Miss& miss, Miss step) {
  if (step > miss) miss = step;
}

// Fetches, cuts, cleans and saves the article at `link` of `site`.
ArticleOutcome CollectFrom(const Text& keyword, const Text& link, const sources::NewsSite& site,
                           CollectorContext& context, Miss& miss) {
  const sources::Profile& profile = context.profile;
  if (!context.safePoints.Checkpoint()) return ArticleOutcome::kStopped;
  const Fetched answer = context.fetchers.articlePage(link);
  // An error page (404, 500, ...) is no article, whatever its markup holds.
  const Text page =
      answer.IsErrorStatus() ? Text() : ArticlePageText(answer.body, profile.article.percentDecode);
  ArticleCut article = ReadArticle(page, profile.article);
  // A stop during the fetch ends the keyword here, before any image or file.
  if (!context.safePoints.Checkpoint()) return ArticleOutcome::kStopped;
  if (page.empty()) {
    miss = Miss::kNotDownloaded;
    return ArticleOutcome::kRejected;
  }

  if (!PrepareBody(article.body, link, site, profile.cleaning, context)) return ArticleOutcome::kStopped;
  return SaveArticle(keyword, article.title, article.body, context, miss);
}

}  // namespace

Text MissLogLine(const Text& keyword, Miss miss) {
  const char* reason = "";
  switch (miss) {
    case Miss::kNone:
    case Miss::kSearchFailed: reason = "搜索请求失败"; break;
    case Miss::kNoResult: reason = "搜索无结果"; break;
    case Miss::kNotOnSite: reason = "搜索结果中没有该网站的文章"; break;
    case Miss::kUnrelated: reason = "搜索结果与关键词无关"; break;
    case Miss::kVerification: reason = "所有搜索引擎都要求验证"; break;
    case Miss::kNotDownloaded: reason = "文章页面下载失败"; break;
    case Miss::kNoBody: reason = "文章页面中找不到正文"; break;
    case Miss::kNoTitle: reason = "文章页面中找不到标题"; break;
    case Miss::kTooShort: reason = "正文太短"; break;
    case Miss::kAlreadySaved: reason = "文章已采集（同一网址）"; break;
  }
  return "未采集“" + keyword + "”：" + reason + "\r\n";
}

Text PicturesLeftOutLogLine(int count, const Text& articleAddress) {
  return "图片地址无法解密，已略去" + core::IntToText(count) + "张：" + articleAddress + "\r\n";
}

Text VerificationLogLine(const Text& engineLabel) {
  return "搜索引擎要求验证：" + engineLabel + "，本次不再使用\r\n";
}

ArticleOutcome CollectArticle(const Text& keyword, CollectorContext& context) {
  const sources::Profile& profile = context.profile;
  const sources::SearchRules& rules = profile.search;
  Miss miss = Miss::kNone;
  ArticleOutcome outcome = ArticleOutcome::kNoResult;
  std::set<Text> passedOver;  // this keyword's articles fetched and rejected
  // Each engine is asked site by site, and a new search is made only when
  // an answer led to no article. An engine that fails or asks for
  // verification gives way to the next; one that led to an article that was
  // rejected ends the keyword when its sites are done.
  for (const Text& name : rules.order) {
    const sources::Engine* engine = sources::FindEngine(rules, name);
    if (!engine || context.session.IsResting(name)) continue;
    bool ledToArticle = false;
    for (const sources::NewsSite& site : rules.sites) {
      if (!context.safePoints.Checkpoint() || !context.session.AwaitTurn(name, rules.intervalSeconds)) {
        return ArticleOutcome::kStopped;
      }
      const SearchAnswer answer = context.fetchers.searchPage(
          SearchUrl(SearchAddress(*engine, site.host), keyword, engine->encoding), *engine);
      if (IsVerificationPage(answer, engine->verification)) {
        context.session.Rest(name);
        context.window.AppendText(Control::编辑框1, VerificationLogLine(engine->label));
        break;
      }
      // An error page is no answer: its engine would fail for the next site too.
      if (answer.page.empty() || answer.status >= kFirstErrorStatus) {
        context.session.CountFailure(name);
        NoteMiss(miss, Miss::kSearchFailed);
        break;
      }
      const std::vector<SearchResult> results = ReadResults(answer.page, *engine);
      if (results.empty()) {
        NoteMiss(miss, Miss::kNoResult);
        continue;
      }
      // Cut rules and a result pattern give the first link as it stands.
      ArticleChoice choice{Choice::kChosen, results.front().link, &site};
      if (ReadsBlocks(*engine)) choice = ChooseArticle(results, keyword, rules, passedOver);
      if (choice.choice != Choice::kChosen) {
        NoteMiss(miss, choice.choice == Choice::kUnrelated ? Miss::kUnrelated : Miss::kNotOnSite);
        continue;
      }
      const Text address = ArticleAddress(choice.link, rules);
      if (profile.oneFilePerArticle && context.session.WasSaved(address)) {
        NoteMiss(miss, Miss::kAlreadySaved);
        outcome = ArticleOutcome::kRejected;
        break;
      }
      Miss articleMiss = Miss::kNone;
      outcome = CollectFrom(keyword, choice.link, *choice.site, context, articleMiss);
      if (outcome == ArticleOutcome::kSaved) {
        if (profile.oneFilePerArticle) context.session.NoteSaved(address);
        context.session.CountSaved(choice.site->host);
      }
      if (outcome != ArticleOutcome::kRejected) return outcome;  // saved, failed write or stopped
      NoteMiss(miss, articleMiss);
      passedOver.insert(address);
      ledToArticle = true;
    }
    if (ledToArticle || miss == Miss::kAlreadySaved) break;
  }
  // No engine was asked for this keyword: every one rests.
  if (miss == Miss::kNone) {
    bool resting = false;
    for (const Text& name : rules.order) resting = resting || context.session.IsResting(name);
    miss = resting ? Miss::kVerification : Miss::kNoResult;
  }
  if (profile.explainMisses) context.window.AppendText(Control::编辑框1, MissLogLine(keyword, miss));
  return outcome;
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
