#include <gtest/gtest.h>

#include "app/collection_task.h"
#include "tests/app/fake_window.h"

namespace {

using core::Control;
using core::Text;
using core::TextArray;
using testing_support::CountingSafePoints;
using testing_support::FakeWindow;

// Services that record what the pass asked of them.
struct Recorder {
  TextArray directories;
  TextArray keywords;
  TextArray folders;
  TextArray messages;
  int harvests = 0;
  core::DateTime date{2026, 12, 6, 21, 2, 13};
  Text harvested;  // what the harvest leaves in the keyword box
  FakeWindow* window = nullptr;
  std::function<void(const Text&)> onCollect;

  app::PassServices Services() {
    app::PassServices s;
    s.createDirectory = [this](const Text& p) { directories.push_back(p); };
    s.networkDate = [this] { return date; };
    s.harvestHotKeywords = [this] {
      ++harvests;
      window->ReplaceText(Control::编辑框_热点关键词, harvested);
    };
    s.collectArticle = [this](const Text& k, const Text& f) {
      keywords.push_back(k);
      folders.push_back(f);
      if (onCollect) onCollect(k);
      return k != "fails";
    };
    s.showMessage = [this](const Text& m) { messages.push_back(m); };
    return s;
  }
};

TEST(CollectionTask, KeywordsAreTheLinesOfTheBox) {
  struct Case {
    const char* box;
    TextArray keywords;
  };
  const Case cases[] = {
      {"", {}},
      {"甲", {"甲"}},
      {"甲\r\n乙", {"甲", "乙"}},
      {"甲\r\n乙\r\n", {"甲", "乙"}},      // a trailing separator adds nothing
      {"甲\r\n\r\n乙", {"甲", "", "乙"}},  // an empty line is an empty keyword
      {"\r\n甲", {"", "甲"}},
      {"a\nb\r\nc", {"a\nb", "c"}},        // only CR LF separates
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    FakeWindow window;
    CountingSafePoints safePoints;
    Recorder r;
    r.window = &window;
    r.harvested = c.box;
    app::CollectionTask("C:\\run", window, safePoints, r.Services());
    EXPECT_EQ(r.keywords, c.keywords);
    EXPECT_EQ(r.harvests, 1);
    // Even an empty list ends with the message.
    EXPECT_EQ(r.messages, TextArray{"任务完成"});
  }
}

TEST(CollectionTask, DatedOutputFolder) {
  struct Case {
    core::DateTime date;
    const char* folder;
  };
  const Case cases[] = {
      {{2026, 12, 6, 21, 2, 13}, "C:\\run\\采集文章\\2026年12月6日21时2分13秒"},
      {{100, 1, 1, 8, 0, 0}, "C:\\run\\采集文章\\100年1月1日8时"},  // no network date
      {{2027, 1, 1, 0, 0, 0}, "C:\\run\\采集文章\\2027年1月1日"},
  };
  for (const Case& c : cases) {
    FakeWindow window;
    CountingSafePoints safePoints;
    Recorder r;
    r.window = &window;
    r.date = c.date;
    r.harvested = "k";
    const Text folder = app::CollectionTask("C:\\run", window, safePoints, r.Services());
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(r.directories, (TextArray{"C:\\run\\采集文章\\", c.folder}));
    EXPECT_EQ(r.folders, TextArray{c.folder});
  }
}

// The keyword count is taken once: editing the box during the pass changes
// nothing for this pass.
TEST(CollectionTask, BoxEditedDuringThePassIsIgnored) {
  FakeWindow window;
  CountingSafePoints safePoints;
  Recorder r;
  r.window = &window;
  r.harvested = "a\r\nb";
  r.onCollect = [&](const Text&) { window.ReplaceText(Control::编辑框_热点关键词, "x\r\ny\r\nz"); };
  app::CollectionTask("C:\\run", window, safePoints, r.Services());
  EXPECT_EQ(r.keywords, (TextArray{"a", "b"}));
}

// A stop at any safe point ends the pass there: no further step or keyword,
// and no "任务完成".
TEST(CollectionTask, StoppedPassEndsAtItsSafePointSilently) {
  struct Case {
    int stopAt;  // the safe point (from 0) that finds the pass stopped
    int dates;
    int harvests;
    TextArray keywords;
  };
  const Case cases[] = {
      {0, 0, 0, {}},          // before the date
      {1, 1, 0, {}},          // after the date
      {2, 1, 0, {}},          // before the harvest
      {3, 1, 1, {}},          // after the harvest
      {4, 1, 1, {}},          // before the first keyword
      {5, 1, 1, {"a"}},       // before the second keyword
      {6, 1, 1, {"a", "b"}},  // before the message
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stopAt);
    FakeWindow window;
    CountingSafePoints safePoints(c.stopAt);
    Recorder r;
    r.window = &window;
    r.harvested = "a\r\nb";
    int dates = 0;
    app::PassServices services = r.Services();
    services.networkDate = [&] {
      ++dates;
      return r.date;
    };
    app::CollectionTask("C:\\run", window, safePoints, services);
    EXPECT_EQ(dates, c.dates);
    EXPECT_EQ(r.harvests, c.harvests);
    EXPECT_EQ(r.keywords, c.keywords);
    EXPECT_TRUE(r.messages.empty());
  }
}

TEST(CollectionTask, ProgressBeforeAndAfterEachKeywordThenNone) {
  FakeWindow window;
  CountingSafePoints safePoints;
  Recorder r;
  r.window = &window;
  r.harvested = "a\r\nfails\r\nb";
  app::CollectionTask("C:\\run", window, safePoints, r.Services());
  EXPECT_EQ(window.Progress(), (TextArray{"1/3 0", "1/3 1", "2/3 1", "2/3 1", "3/3 1", "3/3 2", "0/0 0"}));

  // A stop during the second keyword leaves the caption to the stop.
  FakeWindow stopped;
  CountingSafePoints stopAtSecond(5);
  r.window = &stopped;
  app::CollectionTask("C:\\run", stopped, stopAtSecond, r.Services());
  EXPECT_EQ(stopped.Progress(), (TextArray{"1/3 0", "1/3 1"}));
}

TEST(CollectionTask, CaptionShowsProgressAndPause) {
  struct Case {
    int keyword, keywords, saved;
    bool paused;
    const char* caption;
  } cases[] = {
      {0, 0, 0, false, "热点文章采集"},
      {0, 0, 0, true, "热点文章采集 - 已暂停"},
      {3, 20, 2, false, "热点文章采集 - 关键词 3/20，已保存 2 篇"},
      {3, 20, 2, true, "热点文章采集 - 关键词 3/20，已保存 2 篇，已暂停"},
      {1000, 1000, 999, false, "热点文章采集 - 关键词 1000/1000，已保存 999 篇"},
  };
  for (const Case& c : cases) EXPECT_EQ(app::PassCaption(c.keyword, c.keywords, c.saved, c.paused), c.caption);
}

}  // namespace

namespace {

// 打开文件夹 opens the last pass's dated folder while it is there, else the
// folder of all passes; the pass names its folder as soon as it is made.
TEST(CollectionTask, FolderToOpen) {
  struct Case {
    const char* last;
    bool exists;
    const char* opened;
  };
  const Case cases[] = {
      {"", false, "C:\\run\\采集文章"},
      {"", true, "C:\\run\\采集文章"},
      {"C:\\run\\采集文章\\2026年12月6日21时2分13秒", true, "C:\\run\\采集文章\\2026年12月6日21时2分13秒"},
      {"C:\\run\\采集文章\\2026年12月6日21时2分13秒", false, "C:\\run\\采集文章"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.last);
    TextArray asked;
    const Text opened = app::FolderToOpen("C:\\run", c.last, [&](const Text& path) {
      asked.push_back(path);
      return c.exists;
    });
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(asked, *c.last ? TextArray{c.last} : TextArray{});
  }

  FakeWindow window;
  Recorder r;
  r.window = &window;
  app::LastPassFolder last;
  app::PassServices services = r.Services();
  // Named before the harvest: a pass that is still running can be opened.
  services.folderMade = [&](const Text& folder) {
    EXPECT_EQ(r.harvests, 0);
    last.Set(folder);
  };
  CountingSafePoints safePoints;
  app::CollectionTask("C:\\run", window, safePoints, services);
  EXPECT_EQ(last.Get(), "C:\\run\\采集文章\\2026年12月6日21时2分13秒");
}

}  // namespace
