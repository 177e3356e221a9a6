#include "tests/http/wire/test_server.h"

#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wire {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c >= 0x7F) {
      // Bytes, not characters: the server writes U+0000..U+00FF back as one byte each.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string Base64(const std::string& in) {
  static const char* a = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    const unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
    out += a[v >> 18], out += a[(v >> 12) & 63], out += a[(v >> 6) & 63], out += a[v & 63];
  }
  if (i < in.size()) {
    unsigned v = (unsigned char)in[i] << 16;
    if (i + 1 < in.size()) v |= (unsigned char)in[i + 1] << 8;
    out += a[v >> 18], out += a[(v >> 12) & 63];
    out += i + 1 < in.size() ? a[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string AnswerJson(const Answer& a) {
  std::string j = "{";
  auto add = [&j](const std::string& key, const std::string& value) {
    if (j.size() > 1) j += ",";
    j += "\"" + key + "\":" + value;
  };
  if (a.status) add("status", std::to_string(a.status));
  if (!a.reason.empty()) add("reason", JsonString(a.reason));
  if (!a.headers.empty()) {
    std::string h = "[";
    for (const auto& p : a.headers) {
      if (h.size() > 1) h += ",";
      h += "[" + JsonString(p.first) + "," + JsonString(p.second) + "]";
    }
    add("headers", h + "]");
  }
  if (a.bodySize >= 0) {
    add("body_size", std::to_string(a.bodySize));
  } else {
    add("body_b64", JsonString(Base64(a.body)));
  }
  if (a.chunked) add("chunked", "true");
  if (a.chunkSize) add("chunk_size", std::to_string(a.chunkSize));
  if (a.chunkDelay > 0) add("chunk_delay", std::to_string(a.chunkDelay));
  if (a.delay > 0) add("delay", std::to_string(a.delay));
  if (a.dropAfter >= 0) add("drop_after", std::to_string(a.dropAfter));
  if (a.close) add("close", "true");
  if (a.silent) add("silent", "true");
  if (a.headerPad) add("header_pad", std::to_string(a.headerPad));
  if (!a.redirect.empty()) add("redirect", JsonString(a.redirect));
  if (!a.auth.empty()) add("auth", JsonString(a.auth));
  if (!a.proxyAuth.empty()) add("proxy_auth", JsonString(a.proxyAuth));
  return j + "}";
}

struct WinsockInit {
  WinsockInit() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockInit() { WSACleanup(); }
};

}  // namespace

TestServer::TestServer()
    : http_(Env("HOT_TEST_SERVER")),
      https_(Env("HOT_TEST_SERVER_HTTPS")),
      proxy_(Env("HOT_TEST_PROXY")),
      badTls_(" " + Env("HOT_TEST_BAD_TLS")) {}

int TestServer::BadTlsPort(const std::string& fault) const {
  const size_t at = badTls_.find(" " + fault + "=");
  return at == std::string::npos ? 0 : std::atoi(badTls_.c_str() + at + fault.size() + 2);
}

bool TestServer::Control(const std::string& target, const std::string& body) {
  return Exchange("POST", target, body) == "ok";
}

std::string TestServer::LocalhostHttpsUrl(const std::string& target) const {
  return "https://localhost:" + https_.substr(https_.find(':') + 1) + target;
}

std::string TestServer::Exchange(const std::string& method, const std::string& target, const std::string& body) {
  static WinsockInit winsock;
  const size_t colon = http_.find(':');
  if (colon == std::string::npos) return "";
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return "";
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(u_short(std::atoi(http_.c_str() + colon + 1)));
  addr.sin_addr.s_addr = inet_addr(http_.substr(0, colon).c_str());
  std::string response;
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    const std::string request = method + " " + target + " HTTP/1.1\r\nHost: " + http_ +
                                "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < request.size()) {
      const int n = send(s, request.data() + sent, int(request.size() - sent), 0);
      if (n <= 0) break;
      sent += size_t(n);
    }
    char buf[65536];
    for (;;) {
      const size_t end = response.find("\r\n\r\n");
      if (end != std::string::npos) {
        const size_t cl = response.find("Content-Length: ");
        const size_t length = cl != std::string::npos ? std::strtoul(response.c_str() + cl + 16, nullptr, 10) : 0;
        if (response.size() >= end + 4 + length) {
          response = response.substr(end + 4, length);
          break;
        }
      }
      const int n = recv(s, buf, sizeof buf, 0);
      if (n <= 0) {
        response.clear();
        break;
      }
      response.append(buf, size_t(n));
    }
  }
  closesocket(s);
  return response;
}

bool TestServer::Script(const std::string& target, const Answer& answer) {
  return Exchange("POST", "/__script", "{" + JsonString(target) + ":" + AnswerJson(answer) + "}") == "ok";
}

bool TestServer::Reset() { return Exchange("POST", "/__reset", "") == "ok"; }

int TestServer::Count() { return std::atoi(Exchange("GET", "/__count", "").c_str()); }

std::string TestServer::Request(int n) {
  const std::string raw = Exchange("GET", "/__request?n=" + std::to_string(n), "");
  return raw == "no such request" ? "" : raw;
}

std::string TestServer::Log() { return Exchange("GET", "/__log", ""); }

std::string TestServer::Certificate() { return Exchange("GET", "/__cert", ""); }

std::string NumberedLines(long size) {
  std::string out;
  out.reserve(size_t(size) + 16);
  char buf[16];
  for (long i = 0; long(out.size()) < size; ++i) {
    std::snprintf(buf, sizeof buf, "%08ld\n", i);
    out += buf;
  }
  out.resize(size_t(size));
  return out;
}

ParsedRequest Parse(const std::string& raw) {
  ParsedRequest r;
  const size_t end = raw.find("\r\n\r\n");
  const std::string head = raw.substr(0, end);
  r.body = end == std::string::npos ? "" : raw.substr(end + 4);
  size_t pos = 0;
  bool first = true;
  while (pos <= head.size()) {
    size_t eol = head.find("\r\n", pos);
    if (eol == std::string::npos) eol = head.size();
    const std::string line = head.substr(pos, eol - pos);
    if (first) {
      r.line = line;
      first = false;
    } else {
      r.headers.push_back(line);
    }
    pos = eol + 2;
  }
  return r;
}

std::vector<std::string> LinesNamed(const ParsedRequest& request, const std::string& name) {
  std::vector<std::string> out;
  for (const std::string& line : request.headers) {
    const size_t colon = line.find(':');
    if (colon != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < colon; ++i) {
      if (std::tolower((unsigned char)line[i]) != std::tolower((unsigned char)name[i])) same = false;
    }
    if (same) out.push_back(line);
  }
  return out;
}

}  // namespace wire
