// URLs come from pages: the host, port and path split holds its shapes.
#include "fuzz/fuzz_input.h"
#include "http/inet_fetch.h"
#include "http/request_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const http::Text url = FuzzParts(data, size, 1)[0];
  const http::Text host = http::UrlHost(url, false);
  const http::Text withPort = http::UrlHost(url, true);
  const int port = http::UrlPort(url);
  if (port < 0 || port > 65535) __builtin_trap();
  const http::Text path = http::UrlPath(url);
  if (path.empty() || path[0] != '/') __builtin_trap();
  if (url.find(path) == http::Text::npos && path != "/") __builtin_trap();  // a piece of the URL itself
  // In an ASCII URL (a real one) the host holds no separator and the port
  // only follows it; bytes of 0x80 and up are read as GBK and may swallow one.
  bool ascii = true;
  for (char c : url) ascii = ascii && (unsigned char)c < 0x80;
  if (ascii) {
    if (host.find('/') != http::Text::npos || host.find(':') != http::Text::npos) __builtin_trap();
    if (withPort.compare(0, host.size(), host) != 0) __builtin_trap();
  }
  http::InetAgent(url);
  return 0;
}
