#include "hotwords/visitor_cookie.h"

#include <gtest/gtest.h>

#include "tests/app/fake_window.h"

namespace {

using core::Text;
using core::TextArray;
using hotwords::FetchedPage;

constexpr char kAnswer[] =
    "visitor_gray_callback({\"retcode\":20000000,\"msg\":\"succ\",\"data\":{\"sub\":\"_2A\\/new\","
    "\"subp\":\"0033W\"}});";
constexpr char kWall[] = "<html><head><title>Sina Visitor System</title></head></html>";

TEST(VisitorCookie, AnswerGivesTheCookieLine) {
  const struct {
    const char* answer;
    const char* cookie;
  } cases[] = {
      {kAnswer, "SUB=_2A/new; SUBP=0033W"},
      {"cb({\"data\":{\"sub\":\"s1\"}})", "SUB=s1"},
      {"cb({\"retcode\":50000000,\"data\":{}})", ""},
      {"cb({\"data\":{\"sub\":\"a;b\",\"subp\":\"p\"}})", ""},  // would end the cookie
      {"cb({\"data\":{\"sub\":\"unterminated", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(hotwords::VisitorCookieFromAnswer(c.answer), c.cookie) << c.answer;
}

// The handshake's requests, in order, for the answers the services give.
TEST(VisitorCookie, HandshakeAsksRenewsOnceAndGivesUp) {
  struct Case {
    const char* name;
    Text heldCookie;
    std::vector<FetchedPage> answers;
    TextArray requests;  // "POST body" or "GET cookie"
    bool wall;
    Text cookieAfter;
  };
  const Text fresh = "SUB=_2A/new; SUBP=0033W";
  const FetchedPage ok{"<table>rows</table>", 200};
  const Case cases[] = {
      {"no cookie yet", "", {{kAnswer, 200}, ok}, {"POST cb=visitor_gray_callback&tid=&from=weibo", "GET " + fresh}, false, fresh},
      {"held cookie still good", "SUB=old", {ok}, {"GET SUB=old"}, false, "SUB=old"},
      {"refused by marker, renewed", "SUB=old", {{kWall, 200}, {kAnswer, 200}, ok},
       {"GET SUB=old", "POST cb=visitor_gray_callback&tid=&from=weibo", "GET " + fresh}, false, fresh},
      {"refused by status twice", "SUB=old", {{"", 432}, {kAnswer, 200}, {"", 403}},
       {"GET SUB=old", "POST cb=visitor_gray_callback&tid=&from=weibo", "GET " + fresh}, true, fresh},
      {"service down: the page is tried without", "", {{"", 0}, ok},
       {"POST cb=visitor_gray_callback&tid=&from=weibo", "GET "}, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hotwords::VisitorCookie cookie;
    cookie.Set(c.heldCookie);
    TextArray requests;
    size_t next = 0;
    const hotwords::RequestFetch fetch = [&](const hotwords::PageRequest& r) {
      requests.push_back(r.post ? "POST " + r.body : "GET " + r.cookies);
      if (r.post) {
        EXPECT_EQ(r.url, sources::Current().visitor.address);
        EXPECT_NE(r.headers.find("Content-Type: application/x-www-form-urlencoded"), Text::npos);
      }
      return next < c.answers.size() ? c.answers[next++] : FetchedPage();
    };
    hotwords::PageRequest page;
    page.url = "https://s.weibo.com/top/summary?cate=realtimehot";
    testing_support::CountingSafePoints safePoints;
    bool wall = false;
    hotwords::FetchWithVisitorCookie(page, sources::Current().visitor, cookie, fetch, safePoints, wall);
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(wall, c.wall);
    EXPECT_EQ(cookie.Get(), c.cookieAfter);
  }
}

}  // namespace
