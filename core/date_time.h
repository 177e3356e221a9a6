// Calendar date-times of the output folder names, and HTTP date parsing.
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

// A calendar date and time of day, one-second resolution, years 100 to 9999.
struct DateTime {
  int year = 100;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const DateTime& o) const {
    return year == o.year && month == o.month && day == o.day && hour == o.hour &&
           minute == o.minute && second == o.second;
  }
};

// Raw fields of a parsed HTTP date; all 0 when the parse failed.
struct DateFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

int DaysInMonth(int year, int month);

// Fields clamped into a valid date-time (year 100..9999, month 1..12, day
// 1..days of that month, hour 0..23, minute and second 0..59).
DateTime ClampDateTime(const DateFields& f);

// `dt` moved by `hours`, carrying into day, month and year.
DateTime AddHours(const DateTime& dt, int hours);

// Our own parser of the HTTP date forms (RFC 1123, RFC 850 and asctime),
// tolerating leading blanks. False and all fields 0 on failure.
bool ParseHttpDate(std::string_view text, DateFields& fields);

// The platform's HTTP date parser: InternetTimeToSystemTime on Windows,
// ParseHttpDate elsewhere. False and all fields 0 on failure.
bool PlatformParseHttpDate(std::string_view text, DateFields& fields);

// The HTTP date in `text` as a date-time; an unparsable text gives 100-01-01.
DateTime HttpDateToDateTime(std::string_view text);

// "2026年12月6日21时2分13秒"; the time part shortened when its tail is zero.
Text DateText(const DateTime& dt);

}  // namespace core
