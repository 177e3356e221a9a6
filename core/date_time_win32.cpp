// The HTTP date parser of WinInet.
#include <windows.h>
#include <wininet.h>

#include "core/date_time.h"

namespace core {

bool PlatformParseHttpDate(std::string_view text, DateFields& fields) {
  fields = DateFields();
  // Wine's parser answers a text it cannot read with the local clock; a text
  // without a digit holds no date, and the local clock must never name a folder.
  if (text.find_first_of("0123456789") == std::string_view::npos) return false;
  const std::string zeroTerminated(text);
  SYSTEMTIME st = {};
  const bool ok = InternetTimeToSystemTimeA(zeroTerminated.c_str(), &st, 0) != 0;
  if (!ok) return false;  // the fields stay 0
  fields.year = st.wYear;
  fields.month = st.wMonth;
  fields.day = st.wDay;
  fields.hour = st.wHour;
  fields.minute = st.wMinute;
  fields.second = st.wSecond;
  return true;
}

}  // namespace core
