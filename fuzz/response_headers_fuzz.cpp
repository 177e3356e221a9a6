// Raw response header blocks come from any server: the cookie scan, the
// status text and the Location line must hold their shapes on any bytes.
#include "fuzz/fuzz_input.h"
#include "http/request_rules.h"
#include "http/winhttp_fetch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto p = FuzzParts(data, size, 2);
  const http::Text& block = p[0];
  http::Text cookies = p[1];
  http::AppendSetCookies(block, cookies);
  // The old text is kept (one trailing separator may go) and no line break
  // of the block gets into the cookies.
  const size_t kept = p[1].size() - (core::EndsWith(p[1], "; ") ? 2 : 0);
  if (cookies.compare(0, kept, p[1], 0, kept) != 0) __builtin_trap();
  // (Bytes of 0x80 and up are read as GBK and may swallow a CR; real
  // header blocks are ASCII.)
  bool ascii = true;
  for (char c : block) ascii = ascii && (unsigned char)c < 0x80;
  if (ascii && cookies.find("\r\n", kept) != http::Text::npos && p[1].find("\r\n") == http::Text::npos) {
    __builtin_trap();
  }
  const http::Text status = http::StatusTextOf(block);
  if (!status.empty() && status.back() != '\r') __builtin_trap();  // the CR stays, nothing after it
  if (ascii && status.find("\r\n") != http::Text::npos) __builtin_trap();
  http::Text location = "x";
  if (http::LastLocation(block, location) && ascii && location.find("\r\n") != http::Text::npos) __builtin_trap();
  http::HeaderValue(block, p[1]);
  return 0;
}
