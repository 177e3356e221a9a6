// CollectArticle driven end to end with fake pages, a fake window and fake
// safe points: which addresses are asked for, which files hold which bytes,
// which log lines appear.
#include "collector/collect_article.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <system_error>
#include <vector>

#include "collector/image_download.h"
#include "collector/image_markers.h"
#include "collector/search_results.h"
#include "core/encoding.h"
#include "core/file_system.h"
#include "sources/settings.h"

namespace collector {
namespace {

using core::Control;

class FakeWindow : public core::WindowOps {
 public:
  FakeWindow() {
    texts[Control::编辑框_线程1] = "5";
    checked[Control::单选框_原标题] = true;
    checked[Control::单选框_GBK] = true;
    checked[Control::单选框_元图片] = true;
  }
  Text ReadText(Control c) override { return texts[c]; }
  void ReplaceText(Control c, const Text& t) override { texts[c] = t; }
  void AppendText(Control c, const Text& t) override { texts[c] += t; }
  bool IsChecked(Control c) override { return checked[c]; }
  void SetChecked(Control c, bool on) override { checked[c] = on; }
  void SetDisabled(Control, bool) override {}
  void ShowProgress(int, int, int) override {}
  // Checks `on` among the radios of a group and clears the others.
  void Choose(std::initializer_list<Control> group, Control on) {
    for (Control c : group) checked[c] = (c == on);
  }
  Text Log() { return texts[Control::编辑框1]; }

  std::map<Control, Text> texts;
  std::map<Control, bool> checked;
};

// Stops the pass at the n-th checkpoint (never when n is 0).
class FakeSafePoints : public core::SafePoints {
 public:
  bool Checkpoint() override {
    ++calls;
    if (stopAt != 0 && calls >= stopAt) stopped = true;
    return !stopped;
  }
  bool IsStopped() const override { return stopped; }
  int stopAt = 0;
  int calls = 0;
  bool stopped = false;
};

// Removes a folder left by an earlier run, with everything in it.
void RemoveTree(const Text& path) {
  std::error_code error;
#ifdef _WIN32
  const core::Wide wide = core::Gb18030ToWide(path);
  std::filesystem::remove_all(std::filesystem::path(std::wstring(wide.begin(), wide.end())), error);
#else
  std::filesystem::remove_all(core::GbkToUtf8(core::ReplaceAll(path, "\\", "/")), error);
#endif
}

const Text kPrefix = "https://search.test/s?wd=site%3Anews.test%20";

// The classic profile asking the test's search host for the test's site.
sources::Profile TestClassic() {
  sources::Profile profile = sources::Classic();
  profile.search.engines[0].address = "https://search.test/s?wd=site%3A{site}%20";
  profile.search.sites[0].host = "news.test";
  return profile;
}

// A clock that never waits.
PassClock NoWaitClock() {
  return {[] { return std::int64_t(0); }, [](std::int64_t) { return true; }};
}

// A search page whose first result points at `link`.
Text ResultPage(const Text& link) {
  return "<div class=\"result c-container \" id=\"1\" srcid=\"1\"><h3><a href = \"" + link +
         "\" target=\"_blank\">";
}

// A layout 1 article in UTF-8, as the news site serves it.
std::string Layout1Article(const std::string& title, const std::string& body) {
  return core::GbkToUtf8("<html><script>var a = {title: \"" + title +
                         "\", x: 1};</script><article class=\"article\" id=\"mp-editor\">" + body +
                         "<p data-role=\"editor-name\">责任编辑：某</p></article></html>");
}

const std::string kImageBody =
    "<p>图一<img src=\"http://img.test/x/a.jpg\" alt=\"甲\"></p>"
    "<p>图二<img class=\"c\" src=\"http://img.test/y/b.png\"></p>"
    "<p>重复<img src=\"http://img.test/x/a.jpg\" alt=\"甲\"></p>"
    "<p>单引号<img src='http://img.test/s.gif'></p>"
    "<p>大写<IMG SRC=\"http://img.test/up.jpg\"></p>";

class CollectArticleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = core::ExecutableDirectory() + "\\采集测试_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RemoveTree(folder_);
    ASSERT_TRUE(core::CreateDirectoryLevel(folder_));
    fetchers_.searchPage = [this](const Text& url, const sources::Engine&) {
      const auto answer = answers_.find(url);
      if (answer != answers_.end()) {
        requested_.push_back(url);
        return answer->second;
      }
      // Served as UTF-8, handed on as the program's text, as the network's
      // fetcher decodes it.
      const std::string page = Fetch(url);
      return SearchAnswer{core::Utf8ToGbk(page), page.empty() ? 0 : 200, ""};
    };
    fetchers_.articlePage = [this](const Text& url) {
      const std::string page = Fetch(url);
      Fetched answer;
      answer.body.assign(page.begin(), page.end());
      const auto status = statuses_.find(url);
      answer.status = status != statuses_.end() ? status->second : page.empty() ? 0 : 200;
      const auto type = types_.find(url);
      if (type != types_.end()) answer.contentType = type->second;
      return answer;
    };
    fetchers_.image = fetchers_.articlePage;
  }

  std::string Fetch(const Text& url) {
    requested_.push_back(url);
    if (onFetch_) onFetch_(url);
    const auto it = pages_.find(url);
    return it == pages_.end() ? std::string() : it->second;
  }

  ArticleOutcome Collect(const Text& keyword) {
    CollectorContext context{window_, safePoints_, fetchers_, folder_, profile_, session_};
    return CollectArticle(keyword, context);
  }

  // Serves the search page of `keyword` pointing at `link`, and `article` at `link`.
  void Serve(const Text& keyword, const Text& link, const std::string& article) {
    pages_[SearchUrl(kPrefix, keyword)] = ResultPage(link);
    pages_[link] = article;
  }

  std::string FileContent(const Text& name) {
    std::string content;
    EXPECT_TRUE(core::ReadWholeFile(folder_ + "\\" + name, content)) << name;
    return content;
  }

  void UseLocalPictures() {
    window_.checked[Control::选择框_保留图片] = true;
    window_.Choose({Control::单选框_元图片, Control::单选框_图片本地化}, Control::单选框_图片本地化);
  }

  Text folder_;
  sources::Profile profile_ = TestClassic();
  SearchSession session_{NoWaitClock()};
  FakeWindow window_;
  FakeSafePoints safePoints_;
  Fetchers fetchers_;
  std::map<Text, std::string> pages_;
  std::map<Text, SearchAnswer> answers_;  // search answers other than a plain 200
  std::map<Text, int> statuses_;          // answers other than 200 (or 0 for nothing)
  std::map<Text, Text> types_;            // Content-Type values
  std::vector<Text> requested_;
  std::function<void(const Text&)> onFetch_;
};

TEST_F(CollectArticleTest, SearchesFetchesCleansWritesAndLogs) {
  Serve("热词", "http://news.test/a/1",
        Layout1Article("标题一", "<p>第一段 text</p>\r\n<p class=\"x\">第二段&nbsp;</P>"
                                 "<style>p{}</style>返回搜狐，查看更多"));
  EXPECT_EQ(Collect("热词"), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_,
            (std::vector<Text>{kPrefix + "%E7%83%AD%E8%AF%8D", "http://news.test/a/1"}));
  EXPECT_EQ(FileContent("标题一.txt"), "第一段text\r\n第二段");
  EXPECT_EQ(window_.Log(), "标题一====采集完成！\r\n");
  EXPECT_FALSE(core::DirectoryExists(folder_ + "/pic"));
}

TEST_F(CollectArticleTest, TitleModesAndEncodings) {
  struct Case {
    Control titleMode;
    Control encoding;
    Text fileName;
    std::string content;
  };
  const Case cases[] = {
      {Control::单选框_原标题, Control::单选框_GBK, "标题.txt", "正文内容"},
      {Control::单选框_关键词, Control::单选框_GBK, "关键.txt", "正文内容"},
      {Control::单选框_关键词加标题, Control::单选框_UTF8, "关键,标题.txt", u8"正文内容"},
      {Control::单选框_原标题, Control::单选框_UTF8, "标题.txt", u8"正文内容"},
  };
  Serve("关键", "http://news.test/t", Layout1Article("标题", "<p>正文内容</p>"));
  for (const auto& c : cases) {
    window_.Choose({Control::单选框_关键词, Control::单选框_关键词加标题, Control::单选框_原标题},
                   c.titleMode);
    window_.Choose({Control::单选框_GBK, Control::单选框_UTF8}, c.encoding);
    EXPECT_EQ(Collect("关键"), ArticleOutcome::kSaved) << c.fileName;
    EXPECT_EQ(FileContent(c.fileName), c.content) << c.fileName;  // no byte-order mark
    core::RemoveFile(folder_ + "\\" + c.fileName);
  }
  EXPECT_EQ(window_.Log(),
            "标题====采集完成！\r\n关键====采集完成！\r\n关键,标题====采集完成！\r\n"
            "标题====采集完成！\r\n");
}

// Characters GBK lacks: an emoji keyword and title, and ©, ™ and Korean in
// the text. A UTF-8 file keeps every one and a file name holds them; a GBK
// file has "?" in their places. (These rules remove every blank.)
TEST_F(CollectArticleTest, CharactersOutsideGbkReachUtf8FilesAndFileNames) {
  const Text keyword = core::WideToGb18030(u"\U0001F600") + "热搜";
  const Text title = core::WideToGb18030(u"\xD55C\xAD6D\U0001F600") + "标题";
  const Text body = core::WideToGb18030(u"\xA9 2026 \x2122 \xD55C\xAD6D\xC5B4 ") + "正文";
  Serve(keyword, "http://news.test/k", Layout1Article(title, "<p>" + body + "</p>"));
  struct Case {
    Control titleMode;
    Control encoding;
    Text fileName;
    std::string content;
  } cases[] = {
      {Control::单选框_原标题, Control::单选框_UTF8, title + ".txt",
       u8"\u00A9" "2026\u2122\uD55C\uAD6D\uC5B4\u6B63\u6587"},
      {Control::单选框_关键词, Control::单选框_UTF8, keyword + ".txt",
       u8"\u00A9" "2026\u2122\uD55C\uAD6D\uC5B4\u6B63\u6587"},
      {Control::单选框_原标题, Control::单选框_GBK, title + ".txt", "?2026????正文"},
  };
  for (const Case& c : cases) {
    window_.Choose({Control::单选框_关键词, Control::单选框_关键词加标题, Control::单选框_原标题},
                   c.titleMode);
    window_.Choose({Control::单选框_GBK, Control::单选框_UTF8}, c.encoding);
    EXPECT_EQ(Collect(keyword), ArticleOutcome::kSaved) << c.fileName;
    EXPECT_EQ(FileContent(c.fileName), c.content) << c.fileName;
    EXPECT_TRUE(core::RemoveFile(folder_ + "\\" + c.fileName)) << c.fileName;
  }
  // The keyword reaches the search as UTF-8.
  EXPECT_EQ(requested_.front(), kPrefix + "%F0%9F%98%80%E7%83%AD%E6%90%9C");
  EXPECT_EQ(window_.Log(), title + "====采集完成！\r\n" + keyword + "====采集完成！\r\n" + title +
                               "====采集完成！\r\n");
}

TEST_F(CollectArticleTest, RejectedArticlesWriteAndLogNothing) {
  struct Case {
    const char* what;
    std::string article;  // "" serves nothing: a failed fetch
    Text minimum;
  };
  const Case cases[] = {
      {"failed article fetch", "", "-1"},
      {"no layout", core::GbkToUtf8("<html><title>x-搜狐新闻</title><p>正文</p></html>"), "-1"},
      {"no title",
       core::GbkToUtf8("<article class=\"article\" id=\"mp-editor\"><p>很长的正文</p>"
                       "<p data-role=\"editor-name\">"),
       "0"},
      {"body of exactly the minimum", Layout1Article("题", "<p>12345</p>"), "5"},
      {"minimum not a number counts as 0, empty body", Layout1Article("题", "<p> </p>"), "abc"},
  };
  for (const auto& c : cases) {
    pages_.clear();
    Serve("k", "http://news.test/r", c.article);
    if (c.article.empty()) pages_.erase("http://news.test/r");
    window_.texts[Control::编辑框_线程1] = c.minimum;
    EXPECT_EQ(Collect("k"), ArticleOutcome::kRejected) << c.what;
  }
  EXPECT_EQ(window_.Log(), "");
  EXPECT_FALSE(core::FileExists(folder_ + "\\题.txt"));

  // One byte over the minimum passes; a full-width minimum counts as its number.
  window_.texts[Control::编辑框_线程1] = "４";
  Serve("k", "http://news.test/r", Layout1Article("题", "<p>12345</p>"));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("题.txt"), "12345");
}

TEST_F(CollectArticleTest, PageOfNoLayoutGoesToTheGeneralExtractorOnlyWhenTheProfileSaysSo) {
  const std::string page = core::GbkToUtf8(
      "<html><title>无版式文章_某新闻网</title><ul><li><a href=/a>首页</a><li><a href=/b>新闻</a></ul>"
      "<div class=\"story\"><p>第一段，记者今天在现场看到，工作人员正在忙碌。</p>"
      "<p>第二段，有关部门表示，相关工作将持续进行，确保按期完成。</p>返回搜狐，查看更多</div></html>");
  Serve("k", "http://news.test/n", page);
  const sources::Profile fallbackOff = TestClassic();
  sources::Profile fallbackOn = TestClassic();
  fallbackOn.article.fallback = true;
  const sources::Profile* const profiles[] = {&fallbackOff, &fallbackOn};
  for (const sources::Profile* profile : profiles) {
    CollectorContext context{window_, safePoints_, fetchers_, folder_, *profile, session_};
    const bool on = profile->article.fallback;
    EXPECT_EQ(CollectArticle("k", context), on ? ArticleOutcome::kSaved : ArticleOutcome::kRejected);
    EXPECT_EQ(core::FileExists(folder_ + "\\无版式文章.txt"), on);
  }
  EXPECT_EQ(FileContent("无版式文章.txt"),
            "第一段，记者今天在现场看到，工作人员正在忙碌。\r\n第二段，有关部门表示，相关工作将持续进行，确保按期完成。");
  EXPECT_EQ(window_.Log(), "无版式文章====采集完成！\r\n");
}

TEST_F(CollectArticleTest, NoResultLinkMeansNoArticleFetch) {
  pages_[SearchUrl(kPrefix, "k")] =
      "<div class=\"result c-container \" id=\"1\"><a href=\"http://news.test/x\" "
      "target=\"_blank\">";
  EXPECT_EQ(Collect("k"), ArticleOutcome::kNoResult);
  EXPECT_EQ(Collect("missing"), ArticleOutcome::kNoResult);  // failed search fetch
  EXPECT_EQ(requested_,
            (std::vector<Text>{SearchUrl(kPrefix, "k"), SearchUrl(kPrefix, "missing")}));
  EXPECT_EQ(window_.Log(), "");
}

TEST_F(CollectArticleTest, UnsafeTitlesAreWrittenUnderTheirSafeFormInsideTheFolder) {
  Serve("k", "http://news.test/u", Layout1Article("../a/b\\c:d?*<e>|", "<p>正文内容</p>"));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("..／a／b＼c：d？＊＜e＞｜.txt"), "正文内容");
  EXPECT_EQ(window_.Log(), "..／a／b＼c：d？＊＜e＞｜====采集完成！\r\n");
}

TEST_F(CollectArticleTest, AFailedWriteIsLoggedAsAFailure) {
  const Text existing = folder_;
  folder_ += "\\不存在的目录";
  Serve("k", "http://news.test/f", Layout1Article("标题", "<p>正文内容</p>"));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaveFailed);
  EXPECT_EQ(window_.Log(), "标题====保存失败！\r\n");
  EXPECT_FALSE(core::FileExists(folder_ + "\\标题.txt"));

  // With no encoding chosen nothing is written, and the log does not claim otherwise.
  folder_ = existing;
  window_.checked[Control::单选框_GBK] = false;
  window_.checked[Control::单选框_UTF8] = false;
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaveFailed);
  EXPECT_FALSE(core::FileExists(folder_ + "\\标题.txt"));
  EXPECT_EQ(window_.Log(), "标题====保存失败！\r\n标题====保存失败！\r\n");
}

TEST_F(CollectArticleTest, KeptImagesWithTheirOwnAddresses) {
  window_.checked[Control::选择框_保留图片] = true;
  Serve("k", "http://news.test/i", Layout1Article("图", kImageBody));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("图.txt"),
            "图一<img src=\"http://img.test/x/a.jpg\">\r\n"
            "图二<img src=\"http://img.test/y/b.png\">\r\n"
            "重复<img src=\"http://img.test/x/a.jpg\">\r\n"
            // read by attribute, a single-quoted src is an address like any other
            "单引号<img src=\"http://img.test/s.gif\">\r\n"
            "大写");
  EXPECT_EQ(requested_.size(), 2u);  // search and article, no image
  EXPECT_FALSE(core::DirectoryExists(folder_ + "/pic"));
}

TEST_F(CollectArticleTest, LocalPicturesAreDownloadedAndPointedAt) {
  UseLocalPictures();
  Serve("k", "http://news.test/i", Layout1Article("图", kImageBody));
  pages_["http://img.test/x/a.jpg"] = std::string("JPEG\0a", 6);
  pages_["http://img.test/y/b.png"] = "PNG b";
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("图.txt"),
            "图一<img src=\"/pic/a.jpg\">\r\n"
            "图二<img src=\"/pic/b.png\">\r\n"
            "重复<img src=\"/pic/a.jpg\">\r\n"
            "单引号<img src=\"/pic/s.gif\">\r\n"
            "大写");
  EXPECT_EQ(std::vector<Text>(requested_.begin() + 2, requested_.end()),
            (std::vector<Text>{"http://img.test/x/a.jpg", "http://img.test/y/b.png",
                               "http://img.test/x/a.jpg", "http://img.test/s.gif"}));
  EXPECT_EQ(FileContent("pic/a.jpg"), std::string("JPEG\0a", 6));
  EXPECT_EQ(FileContent("pic/b.png"), "PNG b");
}

TEST_F(CollectArticleTest, PictureAddressesWithoutSchemeOrHostAreReadAgainstThePage) {
  UseLocalPictures();
  Serve("k", "https://news.test/a/1?x=2",
        Layout1Article("相对", "<p>图<img src=\"//img.test/r.png\">根<img src=\"/s.png\"></p>"));
  pages_["https://img.test/r.png"] = "R";
  pages_["https://news.test/s.png"] = "S";
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("pic/r.png"), "R");
  EXPECT_EQ(FileContent("pic/s.png"), "S");
  EXPECT_EQ(FileContent("相对.txt"), "图<img src=\"/pic/r.png\">根<img src=\"/pic/s.png\">");

  struct Case {
    const char* src;
    const char* page;
    const char* address;
  };
  const Case cases[] = {
      {"//img.test/a.png", "http://news.test/a", "http://img.test/a.png"},
      {"/b.png", "http://news.test:8080", "http://news.test:8080/b.png"},
      {"/b.png", "https://news.test#top", "https://news.test/b.png"},
      {"http://img.test/c.png", "https://news.test/a", "http://img.test/c.png"},
      {"d.png", "https://news.test/a/", "d.png"},
      {"//img.test/e.png", "no scheme", "//img.test/e.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(ImageAddress(c.src, c.page), c.address) << c.src << " " << c.page;
}

TEST_F(CollectArticleTest, AFailedPictureFetchNeverReplacesASavedPicture) {
  UseLocalPictures();
  Serve("k", "http://news.test/i", Layout1Article("图", kImageBody));
  // a.jpg arrives once, then its host fails for the duplicate tag; b.png
  // fails but a picture of that name exists from an earlier pass.
  pages_["http://img.test/x/a.jpg"] = "JPEG a";
  onFetch_ = [this](const Text& url) {
    if (url == "http://img.test/y/b.png") pages_.erase("http://img.test/x/a.jpg");
  };
  ASSERT_TRUE(core::CreateDirectoryLevel(folder_ + "/pic"));
  ASSERT_TRUE(core::WriteWholeFile(folder_ + "/pic/b.png", "PNG old"));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("pic/a.jpg"), "JPEG a");
  EXPECT_EQ(FileContent("pic/b.png"), "PNG old");

  // With no file of the name, a failed fetch still leaves the empty file the tag names.
  pages_.erase("http://img.test/x/a.jpg");
  ASSERT_TRUE(core::RemoveFile(folder_ + "/pic/a.jpg"));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_TRUE(core::FileExists(folder_ + "/pic/a.jpg"));
  EXPECT_EQ(FileContent("pic/a.jpg"), "");
}

TEST_F(CollectArticleTest, PictureNamesWithAQueryAreStoredAndPointedAtUnderOneSafeName) {
  UseLocalPictures();
  Serve("k", "http://news.test/q",
        Layout1Article("查询", "<p>图<img src=\"http://img.test/p.jpg?w=1&h=2\"></p>"));
  pages_["http://img.test/p.jpg?w=1&h=2"] = "JPG";
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  const Text name = ImageFileName("http://img.test/p.jpg?w=1&h=2");
  EXPECT_EQ(core::Find(name, "?"), -1);
  EXPECT_EQ(FileContent("pic/" + name), "JPG");
  EXPECT_EQ(FileContent("查询.txt"), "图<img src=\"/pic/" + name + "\">");
}

TEST_F(CollectArticleTest, PictureFolderIsMadeEvenWithoutImages) {
  UseLocalPictures();
  Serve("k", "http://news.test/n", Layout1Article("无图", "<p>正文内容</p>"));
  EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
  EXPECT_TRUE(core::DirectoryExists(folder_ + "/pic"));
  EXPECT_EQ(requested_.size(), 2u);
}

TEST_F(CollectArticleTest, OptionsAreReadWhenEachStepRuns) {
  // The user switches to UTF-8, keyword titles and a higher minimum while
  // the article is being fetched.
  Serve("关键", "http://news.test/o", Layout1Article("标题", "<p>正文内容</p>"));
  onFetch_ = [this](const Text& url) {
    if (url != "http://news.test/o") return;
    window_.Choose({Control::单选框_GBK, Control::单选框_UTF8}, Control::单选框_UTF8);
    window_.Choose({Control::单选框_关键词, Control::单选框_原标题}, Control::单选框_关键词);
    window_.texts[Control::编辑框_线程1] = "100";
  };
  EXPECT_EQ(Collect("关键"), ArticleOutcome::kRejected);  // 8 bytes is not over 100
  onFetch_ = [this](const Text& url) {
    if (url == "http://news.test/o") window_.texts[Control::编辑框_线程1] = "0";
  };
  EXPECT_EQ(Collect("关键"), ArticleOutcome::kSaved);
  EXPECT_EQ(FileContent("关键.txt"), u8"正文内容");
}

TEST_F(CollectArticleTest, StopEndsTheKeywordAndNothingIsFetchedOrWrittenAfterIt) {
  UseLocalPictures();
  Serve("k", "http://news.test/s", Layout1Article("停", kImageBody));
  pages_["http://img.test/x/a.jpg"] = "A";
  struct Case {
    int stopAt;  // the checkpoint that reports the stop
    size_t requests;
  };
  // Checkpoints: 1 before the search, 2 before the article, 3 after it,
  // 4 before the first image's fetch, 5 before its write (a stop during
  // the first image's download), 6 before the second image's fetch.
  const Case cases[] = {{1, 0}, {2, 1}, {3, 2}, {5, 3}, {6, 3}};
  for (const auto& c : cases) {
    requested_.clear();
    safePoints_ = FakeSafePoints();
    safePoints_.stopAt = c.stopAt;
    EXPECT_EQ(Collect("k"), ArticleOutcome::kStopped) << c.stopAt;
    EXPECT_EQ(requested_.size(), c.requests) << c.stopAt;
    EXPECT_EQ(core::FileExists(folder_ + "/pic/a.jpg"), c.stopAt == 6) << c.stopAt;
    EXPECT_FALSE(core::FileExists(folder_ + "\\停.txt")) << c.stopAt;
    core::RemoveFile(folder_ + "/pic/a.jpg");
  }
  EXPECT_EQ(window_.Log(), "");
}

// --- today's search: several engines, the site's articles, reasons ---------

// The current profile asking test hosts for the test site, without pacing.
sources::Profile TestCurrent() {
  sources::Profile profile = sources::Current();
  for (sources::Engine& engine : profile.search.engines) {
    engine.address = sources::ReplaceHost(engine.address, engine.name + ".test");
  }
  profile.search.sites = {{"news.test", "^/a/\\d+_\\d+"}};
  profile.search.intervalSeconds = 0;
  return profile;
}

Text EngineUrl(const sources::Profile& profile, const char* engine, const Text& keyword,
               const Text& site = "news.test") {
  return SearchUrl(SearchAddress(*sources::FindEngine(profile.search, engine), site), keyword);
}

struct Hit {
  Text link;
  Text title;
};

Text BingPage(const std::vector<Hit>& hits) {
  Text page = "<html><title>q - 搜索</title><ol id=\"b_results\">";
  for (const Hit& h : hits) {
    page += "<li class=\"b_algo\" data-id iid=SERP.1><h2><a target=\"_blank\" href=\"" + h.link + "\">" +
            h.title + "</a></h2><div class=\"b_caption\"><p class=\"b_lineclamp2\">摘要</p></div></li>";
  }
  return page + "<li class=\"b_pag\"></li></ol></html>";
}

Text SogouPage(const std::vector<Hit>& hits) {
  Text page = "<html>";
  for (const Hit& h : hits) {
    page += "<div class=\"vrwrap\"><h3 class=\"vr-title\"><a href=\"/link?url=opaque\">" + h.title +
            "</a></h3><div class=\"r-sech\" data-url=\"" + h.link + "\"></div></div>";
  }
  return page + "</html>";
}

const Text kBingChallenge =
    "<html><title>q - Search</title><div class=\"captcha_header\">One last step</div>"
    "<div id=\"turnstile-widget\"></div></html>";

class CurrentSearchTest : public CollectArticleTest {
 protected:
  void SetUp() override {
    CollectArticleTest::SetUp();
    profile_ = TestCurrent();
  }
  void Page(const Text& url, const Text& html) { pages_[url] = core::GbkToUtf8(html); }
};

TEST_F(CurrentSearchTest, AnEngineAskingForVerificationRestsAndTheNextOneIsAsked) {
  const Text keyword = "故宫博物院讣告：耿宝昌逝世";
  answers_[EngineUrl(profile_, "bing", keyword)] = {kBingChallenge, 200, ""};
  // Sogou: an off-site result first, then the site's article.
  Page(EngineUrl(profile_, "sogou", keyword),
       SogouPage({{"https://other.test/a/1_1", "耿宝昌逝世"},
                  {"https://news.test/a/7_8", "耿宝昌逝世，享年101岁"}}));
  pages_["https://news.test/a/7_8"] = Layout1Article("耿宝昌逝世，享年101岁", "<p>正文内容很长</p>");
  EXPECT_EQ(Collect(keyword), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_, (std::vector<Text>{EngineUrl(profile_, "bing", keyword),
                                           EngineUrl(profile_, "sogou", keyword),
                                           "https://news.test/a/7_8"}));

  // Bing rests for the rest of the pass; Sogou's check (a redirect) and
  // 360's page make every engine rest; the next keyword asks no one.
  requested_.clear();
  answers_[EngineUrl(profile_, "sogou", "二")] = {"", 302, "http://sogou.test/antispider/?from=x"};
  Page(EngineUrl(profile_, "so360", "二"), "<html><title>访问异常页面</title></html>");
  EXPECT_EQ(Collect("二"), ArticleOutcome::kNoResult);
  EXPECT_EQ(Collect("三"), ArticleOutcome::kNoResult);
  EXPECT_EQ(requested_, (std::vector<Text>{EngineUrl(profile_, "sogou", "二"),
                                           EngineUrl(profile_, "so360", "二")}));
  EXPECT_EQ(window_.Log(),
            "搜索引擎要求验证：必应，本次不再使用\r\n"
            "耿宝昌逝世，享年101岁====采集完成！\r\n"
            "搜索引擎要求验证：搜狗，本次不再使用\r\n"
            "搜索引擎要求验证：360搜索，本次不再使用\r\n"
            "未采集“二”：所有搜索引擎都要求验证\r\n"
            "未采集“三”：所有搜索引擎都要求验证\r\n");
}

TEST_F(CurrentSearchTest, EveryKeywordWithoutAnArticleGetsItsReason) {
  struct Case {
    const char* what;
    Text bing;     // Bing's page ("" fails)
    Text article;  // the page at https://news.test/a/1_2 ("" fails)
    Text reason;
  };
  const Text related = BingPage({{"https://news.test/a/1_2", "春运首日客流创新高"}});
  const Case cases[] = {
      {"every engine failed", "", "", "搜索请求失败"},
      {"a page without results", BingPage({}), "", "搜索无结果"},
      {"results of other sites and the site's other pages",
       BingPage({{"https://other.test/a/1_2", "春运首日客流创新高"}, {"https://news.test/news/1.html", "春运首日"}}),
       "", "搜索结果中没有该网站的文章"},
      {"the site's article about something else",
       BingPage({{"https://news.test/a/1_2", "2026年_百度百科"}}), "", "搜索结果与关键词无关"},
      {"the article page did not come", related, "", "文章页面下载失败"},
      {"a page of no layout the extractor finds nothing in", related, "<html><nav>首页</nav></html>",
       "文章页面中找不到正文"},
      {"a body under the minimum", related, Layout1Article("春运", "<p>短</p>"), "正文太短"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    pages_.clear();
    window_.texts[Control::编辑框1].clear();
    if (!c.bing.empty()) Page(EngineUrl(profile_, "bing", "春运首日"), c.bing);
    if (!c.article.empty()) pages_["https://news.test/a/1_2"] = c.article;
    const ArticleOutcome outcome = Collect("春运首日");
    EXPECT_EQ(outcome, c.article.empty() && c.reason != "文章页面下载失败" ? ArticleOutcome::kNoResult
                                                                          : ArticleOutcome::kRejected);
    EXPECT_EQ(window_.Log(), "未采集“春运首日”：" + c.reason + "\r\n");
  }
}

TEST_F(CurrentSearchTest, SitesAreTriedInTurnAndAMissingEndMarkerGoesToTheExtractor) {
  profile_.search.sites = {{"first.test", ""}, {"news.test", "^/a/\\d+_\\d+"}};
  // The first site has no result; on the second, the layout is recognised
  // but the page lost its end marker.
  Page(EngineUrl(profile_, "bing", "春运", "first.test"), BingPage({}));
  Page(EngineUrl(profile_, "bing", "春运", "news.test"),
       BingPage({{"https://news.test/a/3_4", "春运开始"}}));
  pages_["https://news.test/a/3_4"] = core::GbkToUtf8(
      "<html><script>var a = {title: \"春运开始了\"};</script><article class=\"article\" id=\"mp-editor\">"
      "<p>第一段，记者今天在车站看到，旅客们排队进站，秩序井然。</p>"
      "<p>第二段，铁路部门表示，今年春运预计发送旅客人数再创新高。</p></article></html>");
  EXPECT_EQ(Collect("春运"), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_, (std::vector<Text>{EngineUrl(profile_, "bing", "春运", "first.test"),
                                           EngineUrl(profile_, "bing", "春运", "news.test"),
                                           "https://news.test/a/3_4"}));
  EXPECT_EQ(FileContent("春运开始了.txt"),
            "第一段，记者今天在车站看到，旅客们排队进站，秩序井然。\r\n"
            "第二段，铁路部门表示，今年春运预计发送旅客人数再创新高。");
  EXPECT_EQ(window_.Log(), "春运开始了====采集完成！\r\n");
}

// The pass's health lines: each engine's searches, verification pages and
// failed searches, and each site's saved articles.
TEST_F(CurrentSearchTest, HealthCountsEverySearchAndEverySavedArticle) {
  profile_.search.sites = {{"first.test", ""}, {"news.test", "^/a/\\d+_\\d+"}};
  Page(EngineUrl(profile_, "bing", "春运", "first.test"), BingPage({}));
  Page(EngineUrl(profile_, "bing", "春运", "news.test"), BingPage({{"https://news.test/a/3_4", "春运开始"}}));
  pages_["https://news.test/a/3_4"] = Layout1Article(
      "春运开始了", "<p>第一段，记者今天在车站看到旅客们排队进站。</p><p>第二段，铁路部门表示今年春运预计发送旅客人数再创新高。</p>");
  EXPECT_EQ(Collect("春运"), ArticleOutcome::kSaved);
  // No engine answers the next keyword: Bing fails, Sogou asks for
  // verification, and 360's error page counts as a failure too.
  answers_[EngineUrl(profile_, "sogou", "二", "first.test")] = {"", 302, "http://sogou.test/antispider/?x=1"};
  answers_[EngineUrl(profile_, "so360", "二", "first.test")] = {"<html>Not Found</html>", 404, ""};
  EXPECT_EQ(Collect("二"), ArticleOutcome::kNoResult);
  EXPECT_EQ(SearchHealthLines(session_, profile_.search),
            "搜索引擎 必应：搜索3次，验证页0次，失败1次\r\n"
            "搜索引擎 搜狗：搜索1次，验证页1次，失败0次\r\n"
            "搜索引擎 360搜索：搜索1次，验证页0次，失败1次\r\n"
            "网站 first.test：保存文章0篇\r\n"
            "网站 news.test：保存文章1篇\r\n");
}

// Body pictures of today's three sites as their pages write them (tags taken
// from the pages in the shared captures; the sohu address encrypted as its
// server sends it, with `openssl enc -aes-128-ecb -K <hex of the key> -base64 -A`).
const Text kSohuCipher =
    "wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHGU=";
// Valid base64 of whole blocks under a wrong key: it decrypts to no address.
const Text kBadCipher = "hldJ7vdBu+54WnSeit9NZQ==";

TEST_F(CurrentSearchTest, PicturesAreReadAsServedDecryptedDownloadedAndNamed) {
  profile_.search.sites[0].imageKey = "www.sohu.com6666";
  UseLocalPictures();
  Page(EngineUrl(profile_, "bing", "图片"), BingPage({{"https://news.test/a/1_2", "图片"}}));
  pages_["https://news.test/a/1_2"] = Layout1Article(
      "图片",
      "<p>密文<img max-width=\"600\" data-src=\"" + kSohuCipher + "\"></p>"
      "<p>明文<img max-width=\"600\" data-src=\"//p9.itc.cn/q_70/images03/20240104/9a3f.jpeg\"></p>"
      "<p>网易<img src=\"https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2F2024%2F0513%2Fd1ef0e65j00sdegbm000yd000be008jg.jpg&amp;thumbnail=660x2147483647&amp;quality=80&amp;type=jpg\"></p>"
      "<p>腾讯<img class=\"qnt-img-img\" src=\"https://inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641\" alt=\"图片\" style=\"background-color: transparent; cursor: zoom-in;\"></p>"
      "<p>占位<img src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\" data-original=\"https://img.test/lazy.png\"></p>"
      "<p>坏<img data-src=\"" + kBadCipher + "\"></p>");
  const Text sohu = "https://q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg";
  const Text plain = "https://p9.itc.cn/q_70/images03/20240104/9a3f.jpeg";
  const Text netease =
      "https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2F2024%2F0513%2Fd1ef0e65j00sdegbm000yd000be008jg.jpg&thumbnail=660x2147483647&quality=80&type=jpg";
  const Text tencent = "https://inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641";
  pages_[sohu] = "SOHU";
  pages_[plain] = "PLAIN";
  pages_[netease] = "NETEASE";
  pages_[tencent] = "TENCENT";
  types_[tencent] = "image/jpeg; charset=binary";
  pages_["https://img.test/lazy.png"] = "LAZY";
  EXPECT_EQ(Collect("图片"), ArticleOutcome::kSaved);
  // Every picture from its real address, the wrapper as it stands; nothing at a ciphertext.
  EXPECT_EQ(std::vector<Text>(requested_.begin() + 2, requested_.end()),
            (std::vector<Text>{sohu, plain, netease, tencent, "https://img.test/lazy.png"}));
  EXPECT_EQ(FileContent("图片.txt"),
            "密文<img src=\"/pic/68c32a9ebb35432f89f422df63c01004.jpeg\">\r\n"
            "明文<img src=\"/pic/9a3f.jpeg\">\r\n"
            "网易<img src=\"/pic/d1ef0e65j00sdegbm000yd000be008jg.jpg\">\r\n"
            "腾讯<img src=\"/pic/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA_641.jpg\">\r\n"
            "占位<img src=\"/pic/lazy.png\">\r\n"
            "坏");
  EXPECT_EQ(FileContent("pic/68c32a9ebb35432f89f422df63c01004.jpeg"), "SOHU");
  EXPECT_EQ(FileContent("pic/d1ef0e65j00sdegbm000yd000be008jg.jpg"), "NETEASE");
  EXPECT_EQ(FileContent("pic/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA_641.jpg"), "TENCENT");
  EXPECT_EQ(window_.Log(),
            "图片地址无法解密，已略去1张：https://news.test/a/1_2\r\n"
            "图片====采集完成！\r\n");

  // With 原图片 the tags keep the decrypted addresses; nothing is fetched
  // (in a new pass: this one saved the article already).
  ASSERT_TRUE(core::RemoveFile(folder_ + "\\图片.txt"));
  session_ = SearchSession{NoWaitClock()};
  requested_.clear();
  window_.texts[Control::编辑框1].clear();
  window_.Choose({Control::单选框_元图片, Control::单选框_图片本地化}, Control::单选框_元图片);
  EXPECT_EQ(Collect("图片"), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_.size(), 2u);
  EXPECT_EQ(FileContent("图片.txt"),
            "密文<img src=\"//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg\">\r\n"
            "明文<img src=\"//p9.itc.cn/q_70/images03/20240104/9a3f.jpeg\">\r\n"
            "网易<img src=\"" + netease + "\">\r\n"
            "腾讯<img src=\"" + tencent + "\">\r\n"
            "占位<img src=\"https://img.test/lazy.png\">\r\n"
            "坏");
}

TEST_F(CollectArticleTest, AnErrorPageIsNoArticleInEitherProfile) {
  const std::string page = Layout1Article("错误页", "<p>页面不存在，页面不存在，页面不存在。</p>");
  for (const bool current : {false, true}) {
    SCOPED_TRACE(current ? "current" : "classic");
    if (current) {
      profile_ = TestCurrent();
      Serve("k", "https://news.test/a/1_2", page);
      pages_[EngineUrl(profile_, "bing", "k")] =
          core::GbkToUtf8(BingPage({{"https://news.test/a/1_2", "k"}}));
    } else {
      Serve("k", "https://news.test/a/1_2", page);
    }
    for (const int status : {404, 500}) {
      window_.texts[Control::编辑框1].clear();
      statuses_["https://news.test/a/1_2"] = status;
      EXPECT_EQ(Collect("k"), ArticleOutcome::kRejected) << status;
      EXPECT_FALSE(core::FileExists(folder_ + "\\错误页.txt")) << status;
      EXPECT_EQ(window_.Log(), current ? "未采集“k”：文章页面下载失败\r\n" : "") << status;
    }
    // The same page answered 200 is an article.
    statuses_.clear();
    window_.texts[Control::编辑框1].clear();
    EXPECT_EQ(Collect("k"), ArticleOutcome::kSaved);
    EXPECT_EQ(window_.Log(), "错误页====采集完成！\r\n");
    ASSERT_TRUE(core::RemoveFile(folder_ + "\\错误页.txt"));
  }
}

// The default sites under their real names (the fetchers are fakes): which
// searches a keyword costs and which article it leads to.
class DefaultSitesTest : public CurrentSearchTest {
 protected:
  void SetUp() override { Reset(); }
  // A fresh pass: no pages, no requests, no log, nothing saved.
  void Reset() {
    CurrentSearchTest::SetUp();
    profile_.search.sites = sources::Current().search.sites;
    pages_.clear();
    answers_.clear();
    requested_.clear();
    window_.texts[Control::编辑框1].clear();
    session_ = SearchSession{NoWaitClock()};
  }
  // The address of `engine`'s search of `site` for the keyword.
  Text Search(const char* engine, const char* site) { return EngineUrl(profile_, engine, kKeyword, site); }
  // Serves a long-enough article with that title at `link`.
  void Article(const Text& link, const Text& title) {
    pages_[link] = Layout1Article(title, "<p>春运首日客流创新高，铁路部门加开列车。</p>");
  }
  static const Text kKeyword;
};
const Text DefaultSitesTest::kKeyword = "春运首日客流";

const Text kSohu = "https://www.sohu.com/a/780060546_458722";
const Text kWangyi = "https://www.163.com/dy/article/J22CN60P0514R9KQ.html";
const Text kTencent = "https://news.qq.com/rain/a/20240518A060RN00";
const Text kTencentOther = "https://new.qq.com/rain/a/20240518A060RN00";

TEST_F(DefaultSitesTest, AnyListedSitesArticleInAnAnswerCountsAndTheFirstSiteWins) {
  const Text related = "春运首日客流创新高";
  const Text other = "2026年_百度百科";
  struct Case {
    const char* what;
    std::map<Text, Text> answers;  // search address -> page ("" : not served)
    std::function<void(sources::Profile&)> change;
    std::vector<Text> searches;  // in order
    Text article;                // the one fetched ("" none)
    Text log;
  };
  const Case cases[] = {
      {"a 163 article in the answer to site:www.sohu.com: no second search",
       {{Search("bing", "www.sohu.com"), BingPage({{"https://other.test/a/1_2", related}, {kWangyi, related}})}},
       nullptr, {Search("bing", "www.sohu.com")}, kWangyi, "网易文章====采集完成！\r\n"},
      {"the earlier site of the list wins over page order",
       {{Search("bing", "www.sohu.com"), BingPage({{kTencent, related}, {kWangyi, related}, {kSohu, related}})}},
       nullptr, {Search("bing", "www.sohu.com")}, kSohu, "搜狐文章====采集完成！\r\n"},
      {"an unrelated sohu article gives way to a related one of 163",
       {{Search("bing", "www.sohu.com"), BingPage({{kSohu, other}, {kWangyi, related}})}},
       nullptr, {Search("bing", "www.sohu.com")}, kWangyi, "网易文章====采集完成！\r\n"},
      {"Tencent's other host counts",
       {{Search("bing", "www.sohu.com"), BingPage({{kTencentOther, related}})}},
       nullptr, {Search("bing", "www.sohu.com")}, kTencentOther, "腾讯文章====采集完成！\r\n"},
      {"no listed site's article: the next site's site: search",
       {{Search("bing", "www.sohu.com"), BingPage({{"https://m.sohu.com/a/1_2", related}})},
        {Search("bing", "www.163.com"), BingPage({{"https://www.163.com/news/", related}})},
        {Search("bing", "news.qq.com"), BingPage({{kTencent, related}})}},
       nullptr, {Search("bing", "www.sohu.com"), Search("bing", "www.163.com"), Search("bing", "news.qq.com")},
       kTencent, "腾讯文章====采集完成！\r\n"},
      {"an answer without results is followed by the next site's search too",
       {{Search("bing", "www.sohu.com"), BingPage({})}, {Search("bing", "www.163.com"), BingPage({{kWangyi, related}})}},
       nullptr, {Search("bing", "www.sohu.com"), Search("bing", "www.163.com")}, kWangyi,
       "网易文章====采集完成！\r\n"},
      {"a failed search gives way to the next engine, from the first site",
       {{Search("sogou", "www.sohu.com"), SogouPage({{kWangyi, related}})}},
       nullptr, {Search("bing", "www.sohu.com"), Search("sogou", "www.sohu.com")}, kWangyi,
       "网易文章====采集完成！\r\n"},
      {"no site's article anywhere: every site of every answering engine, one reason",
       {{Search("bing", "www.sohu.com"), BingPage({{"https://other.test/a/1_2", related}})},
        {Search("bing", "www.163.com"), BingPage({{"https://other.test/a/1_2", related}})},
        {Search("bing", "news.qq.com"), BingPage({})}},
       nullptr,
       {Search("bing", "www.sohu.com"), Search("bing", "www.163.com"), Search("bing", "news.qq.com"),
        Search("sogou", "www.sohu.com"), Search("so360", "www.sohu.com")},
       "", "未采集“春运首日客流”：搜索结果中没有该网站的文章\r\n"},
      {"an unrelated article of one site is the reason, whatever the other answers held",
       {{Search("bing", "www.sohu.com"), BingPage({{"https://other.test/a/1_2", related}})},
        {Search("bing", "www.163.com"), BingPage({{kWangyi, other}})},
        {Search("bing", "news.qq.com"), BingPage({{"https://other.test/a/1_2", related}})}},
       [](sources::Profile& p) { p.search.order = {"bing"}; },
       {Search("bing", "www.sohu.com"), Search("bing", "www.163.com"), Search("bing", "news.qq.com")},
       "", "未采集“春运首日客流”：搜索结果与关键词无关\r\n"},
      {"settings: the sites reordered, their data kept",
       {{Search("bing", "www.163.com"), BingPage({{kSohu, related}, {kWangyi, related}})}},
       [](sources::Profile& p) {
         core::TextArray problems;
         p.search.sites = sources::BuildProfile(
             sources::ParseSettings("[search]\nsites=www.163.com,www.sohu.com\n", problems), "", problems)
             .search.sites;
         EXPECT_TRUE(problems.empty());
       },
       {Search("bing", "www.163.com")}, kWangyi, "网易文章====采集完成！\r\n"},
      {"settings: another host of a site",
       {{Search("bing", "www.sohu.com"), BingPage({{"https://m.163.com/dy/article/J22CN60P0514R9KQ.html", related}})}},
       [](sources::Profile& p) {
         core::TextArray problems;
         p.search.sites = sources::BuildProfile(
             sources::ParseSettings("[site.www.163.com]\nhosts=m.163.com\n", problems), "", problems).search.sites;
         EXPECT_TRUE(problems.empty());
       },
       {Search("bing", "www.sohu.com")}, "https://m.163.com/dy/article/J22CN60P0514R9KQ.html",
       "网易手机文章====采集完成！\r\n"},
      {"settings: a site's own article pattern",
       {{Search("bing", "www.sohu.com"), BingPage({{kWangyi, related}, {"https://www.sohu.com/v/1_2", related}})}},
       [](sources::Profile& p) {
         core::TextArray problems;
         p.search.sites = sources::BuildProfile(
             sources::ParseSettings("[site.www.sohu.com]\narticle=^/[av]/\\d+_\\d+\n", problems), "", problems)
             .search.sites;
         EXPECT_TRUE(problems.empty());
       },
       {Search("bing", "www.sohu.com")}, "https://www.sohu.com/v/1_2", "搜狐视频文章====采集完成！\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    if (c.change) c.change(profile_);
    for (const auto& [url, page] : c.answers) Page(url, page);
    Article(kSohu, "搜狐文章");
    Article("https://www.sohu.com/v/1_2", "搜狐视频文章");
    Article(kWangyi, "网易文章");
    Article("https://m.163.com/dy/article/J22CN60P0514R9KQ.html", "网易手机文章");
    Article(kTencent, "腾讯文章");
    Article(kTencentOther, "腾讯文章");
    Collect(kKeyword);
    std::vector<Text> searches;
    Text fetched;
    for (const Text& url : requested_) {
      if (url.find("%3A") != Text::npos) {
        searches.push_back(url);
      } else {
        fetched += url;
      }
    }
    EXPECT_EQ(searches, c.searches);
    EXPECT_EQ(fetched, c.article);
    EXPECT_EQ(window_.Log(), c.log);
  }
}

// An engine's error page is no answer: the next engine is asked for the
// first site, not the same engine for the next site.
TEST_F(DefaultSitesTest, AnErrorPageGivesWayToTheNextEngine) {
  answers_[Search("bing", "www.sohu.com")] = {"<html>not found</html>", 404, ""};
  Page(Search("sogou", "www.sohu.com"), SogouPage({{kWangyi, "春运首日客流创新高"}}));
  Article(kWangyi, "网易文章");
  EXPECT_EQ(Collect(kKeyword), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_, (std::vector<Text>{Search("bing", "www.sohu.com"), Search("sogou", "www.sohu.com"), kWangyi}));

  Reset();
  answers_[Search("bing", "www.sohu.com")] = {"<html>busy</html>", 503, ""};
  profile_.search.order = {"bing"};
  EXPECT_EQ(Collect(kKeyword), ArticleOutcome::kNoResult);
  EXPECT_EQ(window_.Log(), "未采集“春运首日客流”：搜索请求失败\r\n");
}

// One article, one file: a second keyword of the pass leading to an article
// already saved (under another host of its site, or with a query) fetches
// nothing and says why; a new pass saves it again.
TEST_F(DefaultSitesTest, AnArticleSavedForOneKeywordIsNotSavedAgainForAnother) {
  const Text first = "春运首日客流", second = "春运首日客流创新高", third = "春运首日";
  Page(EngineUrl(profile_, "bing", first, "www.sohu.com"), BingPage({{kTencent, "春运首日客流创新高"}}));
  Page(EngineUrl(profile_, "bing", second, "www.sohu.com"),
       BingPage({{kTencentOther + "?from=bing", "春运首日客流创新高"}}));
  Page(EngineUrl(profile_, "bing", third, "www.sohu.com"), BingPage({{kTencent + "#c", "春运首日客流创新高"}}));
  Article(kTencent, "腾讯文章");
  Article(kTencentOther + "?from=bing", "腾讯文章");
  EXPECT_EQ(Collect(first), ArticleOutcome::kSaved);
  EXPECT_EQ(Collect(second), ArticleOutcome::kRejected);
  EXPECT_EQ(Collect(third), ArticleOutcome::kRejected);
  EXPECT_EQ(requested_, (std::vector<Text>{EngineUrl(profile_, "bing", first, "www.sohu.com"), kTencent,
                                           EngineUrl(profile_, "bing", second, "www.sohu.com"),
                                           EngineUrl(profile_, "bing", third, "www.sohu.com")}));
  EXPECT_EQ(window_.Log(),
            "腾讯文章====采集完成！\r\n"
            "未采集“春运首日客流创新高”：文章已采集（同一网址）\r\n"
            "未采集“春运首日”：文章已采集（同一网址）\r\n");

  // Without the profile's rule (classic's way) the article is fetched again.
  profile_.oneFilePerArticle = false;
  requested_.clear();
  EXPECT_EQ(Collect(second), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_.back(), kTencentOther + "?from=bing");
  profile_.oneFilePerArticle = true;
  SearchSession nextPass{NoWaitClock()};
  CollectorContext context{window_, safePoints_, fetchers_, folder_, profile_, nextPass};
  EXPECT_EQ(CollectArticle(first, context), ArticleOutcome::kSaved);
}

// An article rejected for one site's search is not fetched again when the
// next site's answer lists it as well; that answer's other article is taken.
TEST_F(DefaultSitesTest, ARejectedArticleIsPassedOverInTheNextAnswer) {
  Page(Search("bing", "www.sohu.com"), BingPage({{kSohu, "春运首日客流创新高"}}));
  Page(Search("bing", "www.163.com"), BingPage({{kSohu, "春运首日客流创新高"}, {kWangyi, "春运首日客流创新高"}}));
  Article(kWangyi, "网易文章");
  pages_[kSohu] = Layout1Article("太短", "<p>短</p>");
  EXPECT_EQ(Collect(kKeyword), ArticleOutcome::kSaved);
  EXPECT_EQ(requested_, (std::vector<Text>{Search("bing", "www.sohu.com"), kSohu, Search("bing", "www.163.com"),
                                           kWangyi}));
  EXPECT_EQ(window_.Log(), "网易文章====采集完成！\r\n");

  // Every answer's article rejected or passed over: the engine's sites end
  // the keyword with the furthest reason; no other engine is asked.
  Reset();
  Page(Search("bing", "www.sohu.com"), BingPage({{kSohu, "春运首日客流创新高"}}));
  Page(Search("bing", "www.163.com"), BingPage({}));
  Page(Search("bing", "news.qq.com"), BingPage({{kSohu, "春运首日客流创新高"}}));
  pages_[kSohu] = Layout1Article("太短", "<p>短</p>");
  EXPECT_EQ(Collect(kKeyword), ArticleOutcome::kRejected);
  EXPECT_EQ(requested_, (std::vector<Text>{Search("bing", "www.sohu.com"), kSohu, Search("bing", "www.163.com"),
                                           Search("bing", "news.qq.com")}));
  EXPECT_EQ(window_.Log(), "未采集“春运首日客流”：正文太短\r\n");
}

TEST_F(CurrentSearchTest, AStopDuringThePacingWaitAsksNoEngine) {
  profile_.search.intervalSeconds = 3;
  std::vector<std::int64_t> waits;
  bool stop = false;
  SearchSession paced({[] { return std::int64_t(0); },
                       [&](std::int64_t ms) {
                         waits.push_back(ms);
                         return !stop;
                       }});
  CollectorContext context{window_, safePoints_, fetchers_, folder_, profile_, paced};
  EXPECT_EQ(CollectArticle("一", context), ArticleOutcome::kNoResult);  // no wait for the first
  EXPECT_TRUE(waits.empty());
  requested_.clear();
  stop = true;
  EXPECT_EQ(CollectArticle("二", context), ArticleOutcome::kStopped);
  EXPECT_EQ(waits, std::vector<std::int64_t>{3000});
  EXPECT_TRUE(requested_.empty());
  EXPECT_EQ(window_.Log(), "未采集“一”：搜索请求失败\r\n");
}

TEST(ArticleTally, CountsKeywordsSavedAndFailedForTheSummary) {
  ArticleTally tally;
  EXPECT_EQ(tally.SummaryLine(), "本次采集：关键词0个，保存文章0篇，失败0篇\r\n");
  for (const ArticleOutcome outcome :
       {ArticleOutcome::kSaved, ArticleOutcome::kNoResult, ArticleOutcome::kRejected,
        ArticleOutcome::kSaveFailed, ArticleOutcome::kSaved, ArticleOutcome::kStopped}) {
    tally.Add(outcome);
  }
  EXPECT_EQ(tally.SummaryLine(), "本次采集：关键词5个，保存文章2篇，失败3篇\r\n");
}

}  // namespace
}  // namespace collector
