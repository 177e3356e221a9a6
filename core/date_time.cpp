#include "core/date_time.h"

#include <cstdio>

namespace core {

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

namespace {
int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
}  // namespace

DateTime ClampDateTime(const DateFields& f) {
  DateTime dt;
  dt.year = Clamp(f.year, 100, 9999);
  dt.month = Clamp(f.month, 1, 12);
  dt.day = Clamp(f.day, 1, 31);
  if (dt.day > DaysInMonth(dt.year, dt.month)) dt.day = DaysInMonth(dt.year, dt.month);
  dt.hour = Clamp(f.hour, 0, 23);
  dt.minute = Clamp(f.minute, 0, 59);
  dt.second = Clamp(f.second, 0, 59);
  return dt;
}

DateTime AddHours(const DateTime& dt, int hours) {
  DateTime out = dt;
  int h = out.hour + hours;
  int dayShift = 0;
  while (h >= 24) {
    h -= 24;
    ++dayShift;
  }
  while (h < 0) {
    h += 24;
    --dayShift;
  }
  out.hour = h;
  for (; dayShift > 0; --dayShift) {
    if (++out.day > DaysInMonth(out.year, out.month)) {
      out.day = 1;
      if (++out.month > 12) {
        out.month = 1;
        if (out.year < 9999) ++out.year;
      }
    }
  }
  for (; dayShift < 0; ++dayShift) {
    if (--out.day < 1) {
      if (--out.month < 1) {
        out.month = 12;
        if (out.year > 100) --out.year;
      }
      out.day = DaysInMonth(out.year, out.month);
    }
  }
  return out;
}

namespace {

// A cursor over the date text.
struct Scanner {
  std::string_view s;
  size_t i = 0;
  void SkipBlanks() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  }
  bool Eat(char c) {
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
  // 1 to `maxDigits` decimal digits.
  bool Number(int& v, size_t maxDigits) {
    size_t n = 0;
    v = 0;
    while (i < s.size() && n < maxDigits && s[i] >= '0' && s[i] <= '9') {
      v = v * 10 + (s[i++] - '0');
      ++n;
    }
    return n > 0;
  }
  std::string_view Word() {
    const size_t b = i;
    while (i < s.size() && ((s[i] >= 'A' && s[i] <= 'Z') || (s[i] >= 'a' && s[i] <= 'z'))) ++i;
    return s.substr(b, i - b);
  }
};

int MonthNumber(std::string_view word) {
  static const char* kMonths[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                    "jul", "aug", "sep", "oct", "nov", "dec"};
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    bool same = true;
    for (int k = 0; k < 3; ++k) same = same && AsciiLower(word[k]) == kMonths[m][k];
    if (same) return m + 1;
  }
  return 0;
}

bool Time(Scanner& sc, DateFields& f) {
  return sc.Number(f.hour, 2) && sc.Eat(':') && sc.Number(f.minute, 2) && sc.Eat(':') &&
         sc.Number(f.second, 2);
}

}  // namespace

bool ParseHttpDate(std::string_view text, DateFields& fields) {
  fields = DateFields();
  DateFields f;
  Scanner sc{text};
  sc.SkipBlanks();
  const std::string_view weekday = sc.Word();
  if (weekday.size() < 3) return false;
  sc.SkipBlanks();
  bool ok;
  if (sc.Eat(',')) {
    // RFC 1123 "06 Dec 2026 13:02:13 GMT" or RFC 850 "06-Dec-26 13:02:13 GMT".
    sc.SkipBlanks();
    ok = sc.Number(f.day, 2);
    const bool dashed = sc.Eat('-');
    if (!dashed) sc.SkipBlanks();
    f.month = MonthNumber(sc.Word());
    ok = ok && f.month != 0;
    if (dashed ? !sc.Eat('-') : false) ok = false;
    if (!dashed) sc.SkipBlanks();
    const size_t yearStart = sc.i;
    ok = ok && sc.Number(f.year, 4);
    if (ok && sc.i - yearStart == 2) f.year += f.year < 70 ? 2000 : 1900;
    sc.SkipBlanks();
    ok = ok && Time(sc, f);
  } else {
    // asctime "Sun Dec  6 13:02:13 2026".
    f.month = MonthNumber(sc.Word());
    sc.SkipBlanks();
    ok = f.month != 0 && sc.Number(f.day, 2);
    sc.SkipBlanks();
    ok = ok && Time(sc, f);
    sc.SkipBlanks();
    ok = ok && sc.Number(f.year, 4);
  }
  if (!ok || f.day < 1 || f.day > 31 || f.hour > 23 || f.minute > 59 || f.second > 60) return false;
  fields = f;
  return true;
}

DateTime HttpDateToDateTime(std::string_view text) {
  DateFields f;
  PlatformParseHttpDate(text, f);  // a failed parse leaves every field 0
  return ClampDateTime(f);
}

Text DateText(const DateTime& dt) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%d年%d月%d日", dt.year, dt.month, dt.day);
  std::string out = buffer;
  if (dt.second != 0) {
    std::snprintf(buffer, sizeof buffer, "%d时%d分%d秒", dt.hour, dt.minute, dt.second);
    out += buffer;
  } else if (dt.minute != 0) {
    std::snprintf(buffer, sizeof buffer, "%d时%d分", dt.hour, dt.minute);
    out += buffer;
  } else if (dt.hour != 0) {
    std::snprintf(buffer, sizeof buffer, "%d时", dt.hour);
    out += buffer;
  }
  return out;
}

}  // namespace core
