// Talking to tools/test_server.py from a Windows test: scripting answers and
// reading back the requests exactly as they arrived. The server's ports come
// from the environment that tools/with-test-server sets.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace wire {

// One scripted answer; see tools/test_server.py for the meaning of each key.
struct Answer {
  int status = 0;  // 0: the server's default
  std::string reason;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;     // raw bytes
  long bodySize = -1;   // numbered lines instead of `body`
  bool chunked = false;
  int chunkSize = 0;
  double chunkDelay = 0;
  double delay = 0;
  long dropAfter = -1;
  bool close = false;
  bool silent = false;
  int headerPad = 0;
  std::string redirect;
  std::string auth;
  std::string proxyAuth;
};

class TestServer {
 public:
  // Reads HOT_TEST_SERVER, HOT_TEST_SERVER_HTTPS and HOT_TEST_PROXY.
  TestServer();
  bool available() const { return !http_.empty(); }
  // "127.0.0.1:port"
  const std::string& http() const { return http_; }
  const std::string& https() const { return https_; }
  const std::string& proxy() const { return proxy_; }
  std::string Url(const std::string& target) const { return "http://" + http_ + target; }
  std::string HttpsUrl(const std::string& target) const { return "https://" + https_ + target; }
  // The HTTPS port under the name the certificate carries.
  std::string LocalhostHttpsUrl(const std::string& target) const;

  bool Script(const std::string& target, const Answer& answer);
  bool Reset();
  int Count();
  // The raw bytes of request n (0-based; -1 the last), "" when there is none.
  std::string Request(int n = -1);
  // The recorded requests as the server's JSON text.
  std::string Log();
  std::string Certificate();
  // The HTTPS port with one fault in its certificate (see the server's
  // "bad_tls": untrusted, wrong_name, expired, no_chain, switch); 0 when none.
  int BadTlsPort(const std::string& fault) const;
  // A control endpoint of the server that answers "ok" (POST).
  bool Control(const std::string& target, const std::string& body = "");

 private:
  std::string Exchange(const std::string& method, const std::string& target, const std::string& body);
  std::string http_, https_, proxy_, badTls_;
};

// The numbered lines "00000000\n00000001\n..." cut at `size` bytes.
std::string NumberedLines(long size);

// Splits a raw request: the request line, the header lines, the body.
struct ParsedRequest {
  std::string line;
  std::vector<std::string> headers;  // "Name: value" as sent
  std::string body;
};
ParsedRequest Parse(const std::string& raw);

// The header lines whose name is `name` (ASCII case ignored), as sent.
std::vector<std::string> LinesNamed(const ParsedRequest& request, const std::string& name);

}  // namespace wire
