#include "hotwords/visitor_cookie.h"

#include "core/escapes.h"

namespace hotwords {
namespace {

// The JSON string value of `"name":"..."` in `json` (after the first
// occurrence of the key), unescaped; "" when absent.
Text JsonStringValue(const Text& json, const Text& name) {
  const Text key = "\"" + name + "\"";
  size_t at = json.find(key);
  if (at == Text::npos) return Text();
  at += key.size();
  while (at < json.size() && (json[at] == ' ' || json[at] == ':')) ++at;
  if (at >= json.size() || json[at] != '"') return Text();
  size_t end = ++at;
  while (end < json.size() && json[end] != '"') end += json[end] == '\\' ? 2 : 1;
  if (end >= json.size()) return Text();
  return core::JsonUnescape(std::string_view(json).substr(at, end - at));
}

// A cookie value goes into a header line: nothing that could end the line
// or the cookie.
bool IsCookieValue(const Text& value) {
  for (char c : value) {
    if (static_cast<unsigned char>(c) < 0x21 || c == ';' || c == ',' || c == 0x7F) return false;
  }
  return !value.empty();
}

}  // namespace

Text VisitorCookie::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cookie_;
}

void VisitorCookie::Set(const Text& cookie) {
  std::lock_guard<std::mutex> lock(mutex_);
  cookie_ = cookie;
}

bool IsVisitorWall(const FetchedPage& page, const sources::VisitorService& service) {
  for (int status : service.wallStatuses) {
    if (page.status == status) return true;
  }
  return !service.wallMarker.empty() && core::Find(page.text, service.wallMarker) > 0;
}

PageRequest VisitorRequest(const sources::VisitorService& service) {
  PageRequest request;
  request.url = service.address;
  request.post = true;
  request.body = service.body;
  request.headers = service.headers;
  return request;
}

Text VisitorCookieFromAnswer(const Text& answer) {
  const Text sub = JsonStringValue(answer, "sub");
  const Text subp = JsonStringValue(answer, "subp");
  if (!IsCookieValue(sub)) return Text();
  Text cookie = "SUB=" + sub;
  if (IsCookieValue(subp)) cookie += "; SUBP=" + subp;
  return cookie;
}

FetchedPage FetchWithVisitorCookie(const PageRequest& page, const sources::VisitorService& service,
                                   VisitorCookie& cookie, const RequestFetch& fetch,
                                   core::SafePoints& safePoints, bool& wall) {
  wall = false;
  auto renew = [&] {
    const Text fresh = VisitorCookieFromAnswer(fetch(VisitorRequest(service)).text);
    // A failed renewal keeps the old cookie: it may still be good elsewhere.
    if (!fresh.empty()) cookie.Set(fresh);
  };
  if (cookie.Get().empty()) {
    renew();
    if (!safePoints.Checkpoint()) return FetchedPage();
  }
  PageRequest request = page;
  request.cookies = cookie.Get();
  FetchedPage answer = fetch(request);
  if (!IsVisitorWall(answer, service)) return answer;
  if (!safePoints.Checkpoint()) return FetchedPage();
  renew();
  if (!safePoints.Checkpoint()) return FetchedPage();
  request.cookies = cookie.Get();
  answer = fetch(request);
  wall = IsVisitorWall(answer, service);
  return answer;
}

}  // namespace hotwords
