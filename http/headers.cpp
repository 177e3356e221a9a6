#include "http/headers.h"

namespace http {

Text CapitaliseFirst(std::string_view text) {
  Text out(text);
  if (!out.empty()) out[0] = core::AsciiUpper(out[0]);
  return out;
}

Text NormaliseHeaderNames(std::string_view block) {
  Text out;
  for (const Text& line : core::Split(block, "\r\n")) {
    const int colon = core::Find(line, ":");
    if (colon < 0) continue;
    const std::string_view name = std::string_view(line).substr(0, size_t(colon - 1));
    Text newName;
    if (core::Find(name, "-") < 0) {
      newName = CapitaliseFirst(name);
    } else {
      TextArray words = core::Split(name, "-");
      for (Text& w : words) w = CapitaliseFirst(w);
      newName = core::Join(words, "-");
      // Split drops one empty piece at the end; a name ending in "-" keeps it.
      if (core::EndsWith(name, "-")) newName += "-";
    }
    out += newName;
    out.append(line, size_t(colon - 1), std::string::npos);
    out += "\r\n";
  }
  if (!out.empty()) out.resize(out.size() - 2);
  return out;
}

Text CookieName(std::string_view item) {
  const int eq = core::Find(item, "=");
  return core::Trim(eq < 0 ? item : item.substr(0, size_t(eq - 1)));
}

bool HasCookieName(const TextArray& items, std::string_view name) {
  for (const Text& item : items) {
    if (CookieName(item) == name) return true;
  }
  return false;
}

Text RemoveDuplicates(std::string_view text, std::string_view delimiter) {
  TextArray taken;
  Text out;
  for (const Text& item : core::Split(text, delimiter)) {
    if (core::IndexOfText(taken, item) > 0) continue;
    taken.push_back(item);
    out += item;
    out.append(delimiter);
  }
  if (out.size() >= delimiter.size()) out.resize(out.size() - delimiter.size());
  return out;
}

Text MergeCookies(Text& oldCookies, Text& newCookies) {
  oldCookies = core::RemoveBlanks(oldCookies);
  newCookies = core::RemoveBlanks(newCookies);
  const TextArray oldItems = core::Split(oldCookies, ";");
  TextArray newItems = core::Split(newCookies, ";");
  for (const Text& item : oldItems) {
    if (!HasCookieName(newItems, CookieName(item))) newItems.push_back(item);
  }
  oldCookies.clear();
  for (const Text& item : newItems) {
    if (core::EndsWith(item, "=deleted")) continue;
    oldCookies += item;
    oldCookies += "; ";
  }
  if (!oldCookies.empty()) oldCookies.resize(oldCookies.size() - 2);
  oldCookies = RemoveDuplicates(oldCookies, "; ");
  return oldCookies;
}

}  // namespace http
