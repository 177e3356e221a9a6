#include "app/network_date.h"

#include "core/cut.h"

namespace app {

core::DateTime DateFromHeaders(const Text& headerBlock) {
  const Text date = core::TextBetween(headerBlock, "Date:", "\r\n");
  return core::AddHours(core::HttpDateToDateTime(date), 8);
}

}  // namespace app
