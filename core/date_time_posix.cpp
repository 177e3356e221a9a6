#include "core/date_time.h"

namespace core {

bool PlatformParseHttpDate(std::string_view text, DateFields& fields) {
  return ParseHttpDate(text, fields);
}

}  // namespace core
