// The three page-fetch clients side by side with curl on the loopback test
// server: one 20 MB body and 1 000 small pages each. Run through
// bench/http_clients.sh, which starts the server, times curl on the same
// answers and hands its figures over in HOT_BENCH_CURL_BIG / _SMALL (seconds).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "http/com_request.h"
#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"
#include "tests/http/wire/test_server.h"

namespace {

constexpr long kBigSize = 20L << 20;
constexpr int kSmallPages = 1000;

double Seconds(const std::function<bool()>& run) {
  const auto start = std::chrono::steady_clock::now();
  if (!run()) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double EnvSeconds(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::atof(v) : 0;
}

}  // namespace

int main() {
  wire::TestServer server;
  if (!server.available()) {
    std::fprintf(stderr, "run through bench/http_clients.sh\n");
    return 1;
  }
  wire::Answer big;
  big.bodySize = kBigSize;
  wire::Answer small;
  small.body = std::string(2000, 'x');
  if (!server.Script("/big", big) || !server.Script("/small", small)) return 1;
  const std::string bigUrl = server.Url("/big");
  const std::string smallUrl = server.Url("/small");

  struct Client {
    const char* name;
    std::function<size_t(const std::string&)> fetch;
  } clients[] = {
      {"WinHttpFetch", [](const std::string& url) {
         http::Bytes body;
         http::RequestOptions o;
         o.responseBody = &body;
         http::WinHttpFetch(url, o);
         return body.size();
       }},
      {"ComHttpRequest", [](const std::string& url) { return http::ComHttpRequest(url).size(); }},
      {"InetFetch", [](const std::string& url) { return http::InetFetch(url).size(); }},
  };
  const double curlBig = EnvSeconds("HOT_BENCH_CURL_BIG");
  const double curlSmall = EnvSeconds("HOT_BENCH_CURL_SMALL");
  std::printf("%-16s %10s %10s %12s %10s\n", "client", "20MB s", "MB/s", "pages/s", "");
  if (curlBig > 0 && curlSmall > 0) {
    std::printf("%-16s %10.3f %10.1f %12.1f\n", "curl", curlBig, 20 / curlBig, kSmallPages / curlSmall);
  }
  for (const Client& c : clients) {
    c.fetch(smallUrl);  // first use loads the DLLs; not part of the figures
    std::string failure;
    const double tBig = Seconds([&] {
      const size_t got = c.fetch(bigUrl);
      if (got != size_t(kBigSize)) failure = "the 20 MB body came with " + std::to_string(got) + " bytes";
      return failure.empty();
    });
    const double tSmall = Seconds([&] {
      for (int i = 0; i < kSmallPages && failure.empty(); ++i) {
        const size_t got = c.fetch(smallUrl);
        if (got != small.body.size()) failure = "page " + std::to_string(i) + " came with " + std::to_string(got) + " bytes";
      }
      return failure.empty();
    });
    if (tBig < 0 || tSmall < 0) {
      std::printf("%-16s failed: %s\n", c.name, failure.c_str());
      continue;
    }
    std::printf("%-16s %10.3f %10.1f %12.1f", c.name, tBig, 20 / tBig, kSmallPages / tSmall);
    if (curlBig > 0 && curlSmall > 0) {
      std::printf("   x%.2f of curl's time (20 MB), x%.2f (small pages)", tBig / curlBig, tSmall / curlSmall);
    }
    std::printf("\n");
  }
  return 0;
}
