#include "core/date_time.h"

#include <gtest/gtest.h>

namespace core {
namespace {

DateTime Make(int y, int mo, int d, int h, int mi, int s) {
  DateTime dt;
  dt.year = y, dt.month = mo, dt.day = d, dt.hour = h, dt.minute = mi, dt.second = s;
  return dt;
}

// One table for both parsers: ours everywhere, and the platform's
// (InternetTimeToSystemTime on Windows).
struct DateCase {
  const char* text;
  bool ok;
  DateFields fields;
};
const DateCase kDates[] = {
    {"Sun, 06 Dec 2026 13:02:13 GMT", true, {2026, 12, 6, 13, 2, 13}},
    {" Sun, 06 Dec 2026 13:02:13 GMT", true, {2026, 12, 6, 13, 2, 13}},
    {"Thu, 31 Dec 2026 20:00:00 GMT", true, {2026, 12, 31, 20, 0, 0}},
    {"Mon, 1 Feb 2027 00:00:09 GMT", true, {2027, 2, 1, 0, 0, 9}},
    {"Tue, 29 Feb 2028 23:59:59 GMT", true, {2028, 2, 29, 23, 59, 59}},
    {"", false, {}},
    {"garbage", false, {}},
};

TEST(HttpDate, ParsersAgreeOnTable) {
  for (const DateCase& c : kDates) {
    for (int platform = 0; platform < 2; ++platform) {
      DateFields f{1, 1, 1, 1, 1, 1};
      const bool ok = platform ? PlatformParseHttpDate(c.text, f) : ParseHttpDate(c.text, f);
      EXPECT_EQ(ok, c.ok) << c.text << (platform ? " (platform)" : " (ours)");
      EXPECT_EQ(f.year, c.fields.year) << c.text;
      EXPECT_EQ(f.month, c.fields.month) << c.text;
      EXPECT_EQ(f.day, c.fields.day) << c.text;
      EXPECT_EQ(f.hour, c.fields.hour) << c.text;
      EXPECT_EQ(f.minute, c.fields.minute) << c.text;
      EXPECT_EQ(f.second, c.fields.second) << c.text;
    }
  }
}

TEST(HttpDate, OwnParserOtherFormsAndRejects) {
  DateFields f;
  EXPECT_TRUE(ParseHttpDate("Sunday, 06-Dec-26 13:02:13 GMT", f));
  EXPECT_EQ(f.year, 2026);
  EXPECT_TRUE(ParseHttpDate("Sun Dec  6 13:02:13 2026", f));
  EXPECT_EQ(f.day, 6);
  EXPECT_EQ(f.year, 2026);
  for (const char* bad : {"Sun, 06 Foo 2026 13:02:13 GMT", "Sun, 06 Dec 2026 25:02:13 GMT",
                          "Sun, 06 Dec 2026 13:02", "Sun, 32 Dec 2026 13:02:13 GMT", "Sun,"}) {
    EXPECT_FALSE(ParseHttpDate(bad, f)) << bad;
    EXPECT_EQ(f.year + f.month + f.day + f.hour + f.minute + f.second, 0) << bad;
  }
}

TEST(HttpDate, ClampingOfFields) {
  EXPECT_EQ(ClampDateTime(DateFields{}), Make(100, 1, 1, 0, 0, 0));
  EXPECT_EQ(ClampDateTime(DateFields{99999, 13, 40, 30, 70, 70}), Make(9999, 12, 31, 23, 59, 59));
  EXPECT_EQ(ClampDateTime(DateFields{2026, 2, 31, 0, 0, 0}), Make(2026, 2, 28, 0, 0, 0));
  EXPECT_EQ(ClampDateTime(DateFields{2024, 2, 31, 0, 0, 0}), Make(2024, 2, 29, 0, 0, 0));
  EXPECT_EQ(ClampDateTime(DateFields{1900, 2, 29, 0, 0, 0}), Make(1900, 2, 28, 0, 0, 0));
  EXPECT_EQ(ClampDateTime(DateFields{2000, 2, 30, 0, 0, 0}), Make(2000, 2, 29, 0, 0, 0));
  EXPECT_EQ(ClampDateTime(DateFields{2026, 4, 31, -1, -1, -1}), Make(2026, 4, 30, 0, 0, 0));
}

TEST(HttpDate, EightHourShiftCarriesThroughCalendar) {
  EXPECT_EQ(AddHours(Make(2026, 12, 6, 13, 2, 13), 8), Make(2026, 12, 6, 21, 2, 13));
  EXPECT_EQ(AddHours(Make(2026, 12, 31, 20, 0, 0), 8), Make(2027, 1, 1, 4, 0, 0));
  EXPECT_EQ(AddHours(Make(2026, 12, 6, 16, 0, 0), 8), Make(2026, 12, 7, 0, 0, 0));
  EXPECT_EQ(AddHours(Make(2028, 2, 28, 20, 0, 0), 8), Make(2028, 2, 29, 4, 0, 0));
  EXPECT_EQ(AddHours(Make(2027, 2, 28, 20, 0, 0), 8), Make(2027, 3, 1, 4, 0, 0));
  EXPECT_EQ(AddHours(Make(2026, 4, 30, 23, 0, 0), 8), Make(2026, 5, 1, 7, 0, 0));
  EXPECT_EQ(AddHours(Make(100, 1, 1, 0, 0, 0), 8), Make(100, 1, 1, 8, 0, 0));
}

TEST(HttpDate, DateTextDropsZeroTail) {
  EXPECT_EQ(DateText(Make(2026, 12, 6, 21, 2, 13)), "2026年12月6日21时2分13秒");
  EXPECT_EQ(DateText(Make(2026, 12, 6, 21, 2, 0)), "2026年12月6日21时2分");
  EXPECT_EQ(DateText(Make(2026, 12, 6, 21, 0, 0)), "2026年12月6日21时");
  EXPECT_EQ(DateText(Make(2026, 12, 6, 0, 0, 0)), "2026年12月6日");
  EXPECT_EQ(DateText(Make(2026, 12, 6, 0, 5, 0)), "2026年12月6日0时5分");
  EXPECT_EQ(DateText(Make(2026, 12, 6, 0, 0, 7)), "2026年12月6日0时0分7秒");
}

TEST(HttpDate, FromHeaderTextToFolderName) {
  EXPECT_EQ(DateText(AddHours(HttpDateToDateTime(" Sun, 06 Dec 2026 13:02:13 GMT"), 8)),
            "2026年12月6日21时2分13秒");
  EXPECT_EQ(DateText(AddHours(HttpDateToDateTime(" Thu, 31 Dec 2026 20:00:00 GMT"), 8)),
            "2027年1月1日4时");
  EXPECT_EQ(DateText(AddHours(HttpDateToDateTime(" Sun, 06 Dec 2026 16:00:00 GMT"), 8)),
            "2026年12月7日");
  EXPECT_EQ(DateText(AddHours(HttpDateToDateTime(""), 8)), "100年1月1日8时");
}

}  // namespace
}  // namespace core
