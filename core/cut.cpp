#include "core/cut.h"

namespace core {

Text TextBetween(std::string_view text, std::string_view left, std::string_view right, int start,
                 bool ignoreCase) {
  const Text l = ReplaceAll(left, kQuotePlaceholder, "\"");
  const Text r = ReplaceAll(right, kQuotePlaceholder, "\"");
  const int p = Find(text, l, start, ignoreCase);
  if (p < 0) return Text();
  const int q0 = p + int(l.size());
  const int q = Find(text, r, q0, ignoreCase);
  if (q < 0) return Text();
  return Text(text.substr(size_t(q0 - 1), size_t(q - q0)));
}

int FindAllBetween(std::string_view text, std::string_view left, std::string_view right,
                   TextArray& items, bool ignoreCase) {
  items.clear();
  int pos = 1;
  for (;;) {
    const int p = Find(text, left, pos, ignoreCase);
    if (p < 0) break;
    pos = p + int(left.size());
    const int q = Find(text, right, pos, ignoreCase);
    if (q < 0) break;
    items.emplace_back(text.substr(size_t(pos - 1), size_t(q - pos)));
    if (left.empty()) ++pos;  // an empty marker would otherwise find itself forever
  }
  return int(items.size());
}

Text TextAfterLast(std::string_view text, std::string_view delimiter) {
  const int k = FindLast(text, delimiter);
  if (k < 0) return Text();
  return Text(text.substr(size_t(k - 1) + delimiter.size()));
}

}  // namespace core
