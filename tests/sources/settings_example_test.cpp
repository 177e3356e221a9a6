// The settings.example.ini shipped beside the program: as shipped (every key
// a comment) and with every key switched on, it reads with no settings line,
// and its values are the current profile's own, so a user who switches one
// key on changes only that key.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/text.h"
#include "sources/profile.h"
#include "sources/settings.h"

#ifndef HOT_PACKAGE_DIR
#error "HOT_PACKAGE_DIR names the folder of the files shipped beside the program"
#endif

namespace {

using core::Text;
using core::TextArray;
using sources::Profile;

Text ExampleFile() {
  std::ifstream in(HOT_PACKAGE_DIR "settings.example.ini", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every ";key=value" line with its semicolon taken away; "; text" stays a comment.
Text EveryKeyOn(const Text& content) {
  Text out;
  for (const Text& line : core::Split(content, "\n")) {
    const bool key = line.size() > 1 && line[0] == ';' && line[1] >= 'a' && line[1] <= 'z' &&
                     line.find('=') != Text::npos;
    out += (key ? line.substr(1) : line) + "\n";
  }
  return out;
}

Profile Read(const Text& content, TextArray& problems) {
  return sources::BuildProfile(sources::ParseSettings(content, problems), "", problems);
}

void ExpectSamePattern(const sources::Pattern& a, const sources::Pattern& b) {
  EXPECT_EQ(a.text, b.text);
  EXPECT_EQ(a.ignoreCase, b.ignoreCase);
  EXPECT_EQ(a.multiline, b.multiline);
  EXPECT_EQ(a.submatch, b.submatch);
}

TEST(SettingsExample, ReadsWithoutASettingsLineAsShippedAndWithEveryKeyOn) {
  const Text shipped = ExampleFile();
  ASSERT_GT(shipped.size(), 1000u) << "settings.example.ini not found";
  TextArray problems;
  Read(shipped, problems);
  EXPECT_TRUE(problems.empty()) << problems[0];

  const Text on = EveryKeyOn(shipped);
  ASSERT_NE(on, shipped);
  const Profile p = Read(on, problems);
  for (const Text& problem : problems) ADD_FAILURE() << problem;
  EXPECT_EQ(p.proxy, "127.0.0.1:8080");

  const Profile& d = sources::Current();
  EXPECT_EQ(p.name, d.name);
  EXPECT_EQ(p.dateAddress, d.dateAddress);
  EXPECT_EQ(p.hotOrder, d.hotOrder);
  ASSERT_EQ(p.hotLists.size(), d.hotLists.size());
  for (size_t l = 0; l < p.hotLists.size(); ++l) {
    const sources::HotList& list = p.hotLists[l];
    const sources::HotList& built = d.hotLists[l];
    EXPECT_EQ(list.label, built.label);
    ASSERT_EQ(list.addresses.size(), built.addresses.size()) << built.name;
    for (size_t i = 0; i < list.addresses.size(); ++i) {
      SCOPED_TRACE(built.name + " address " + std::to_string(i + 1));
      const sources::HotPage& a = list.addresses[i];
      const sources::HotPage& b = built.addresses[i];
      EXPECT_EQ(a.address, b.address);
      EXPECT_EQ(a.headers, b.headers);
      EXPECT_EQ(a.charset, b.charset);
      EXPECT_EQ(a.within.left, b.within.left);
      EXPECT_EQ(a.within.right, b.within.right);
      ExpectSamePattern(a.keyword, b.keyword);
      EXPECT_EQ(a.unescape, b.unescape);
      EXPECT_EQ(a.exclude.text, b.exclude.text);
      EXPECT_EQ(a.skip, b.skip);
      EXPECT_EQ(a.visitor, b.visitor);
    }
  }
  EXPECT_EQ(p.visitor.address, d.visitor.address);
  EXPECT_EQ(p.visitor.body, d.visitor.body);
  EXPECT_EQ(p.visitor.headers, d.visitor.headers);
  EXPECT_EQ(p.visitor.wallMarker, d.visitor.wallMarker);
  EXPECT_EQ(p.search.order, d.search.order);
  EXPECT_EQ(p.search.intervalSeconds, d.search.intervalSeconds);
  EXPECT_EQ(p.search.relevancePercent, d.search.relevancePercent);
  ASSERT_EQ(p.search.sites.size(), d.search.sites.size());
  for (size_t i = 0; i < p.search.sites.size(); ++i) {
    SCOPED_TRACE(d.search.sites[i].host);
    EXPECT_EQ(p.search.sites[i].host, d.search.sites[i].host);
    EXPECT_EQ(p.search.sites[i].articlePath, d.search.sites[i].articlePath);
    EXPECT_EQ(p.search.sites[i].imageKey, d.search.sites[i].imageKey);
    EXPECT_EQ(p.search.sites[i].otherHosts, d.search.sites[i].otherHosts);
  }
  for (const char* name : {"bing", "sogou", "so360"}) {
    SCOPED_TRACE(name);
    const sources::Engine& e = *sources::FindEngine(p.search, name);
    const sources::Engine& de = *sources::FindEngine(d.search, name);
    EXPECT_EQ(e.label, de.label);
    EXPECT_EQ(e.address, de.address);
    EXPECT_EQ(e.block, de.block);
    EXPECT_EQ(e.link.selector, de.link.selector);
    EXPECT_EQ(e.link.attribute, de.link.attribute);
    EXPECT_EQ(e.title.selector, de.title.selector);
    EXPECT_EQ(e.snippet.selector, de.snippet.selector);
    EXPECT_EQ(e.verification.statuses, de.verification.statuses);
    EXPECT_EQ(e.verification.redirect, de.verification.redirect);
    EXPECT_EQ(e.verification.markers, de.verification.markers);
    EXPECT_EQ(e.verification.resultsMarker, de.verification.resultsMarker);
  }
  EXPECT_EQ(sources::FindEngine(p.search, "bing")->headers, sources::FindEngine(d.search, "bing")->headers);
  EXPECT_EQ(p.article.headers, d.article.headers);
  EXPECT_EQ(p.article.removed, d.article.removed);
  EXPECT_EQ(p.article.removePattern, d.article.removePattern);
  EXPECT_EQ(p.article.percentDecode, d.article.percentDecode);
  EXPECT_EQ(p.article.fallback, d.article.fallback);
  ASSERT_EQ(p.article.layouts.size(), d.article.layouts.size());
  for (size_t i = 0; i < p.article.layouts.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const sources::Layout& l = p.article.layouts[i];
    const sources::Layout& dl = d.article.layouts[i];
    EXPECT_EQ(l.detect, dl.detect);
    EXPECT_EQ(l.bodyEnd, dl.bodyEnd);
    ASSERT_EQ(l.titles.size(), dl.titles.size());
    for (size_t t = 0; t < l.titles.size(); ++t) {
      EXPECT_EQ(l.titles[t].left, dl.titles[t].left);
      EXPECT_EQ(l.titles[t].right, dl.titles[t].right);
    }
    EXPECT_EQ(l.titleStripTags, dl.titleStripTags);
    EXPECT_EQ(l.titleRemove, dl.titleRemove);
  }
  EXPECT_EQ(p.cleaning.blanks, d.cleaning.blanks);
  EXPECT_EQ(p.cleaning.decodeEntities, d.cleaning.decodeEntities);
}

}  // namespace
