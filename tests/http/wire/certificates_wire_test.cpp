// The three clients checking certificates against the loopback test server,
// whose test CA the Wine prefix trusts: the good chain passes, each faulty
// certificate is refused with its one log line and nothing of it arrives.
// A process of its own: the platforms remember servers they accepted, and
// the other wire tests ignore certificate errors.
#include <windows.h>

#include <cctype>
#include <functional>
#include <iostream>
#include <map>
#include <vector>

#include "http/certificates.h"
#include "http/com_request.h"
#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"
#include "tests/http/wire/wire_helpers.h"

namespace wire {
namespace {

using http::CertificateCheck;
using http::CertificateFault;
using http::RequestOptions;
using http::Text;

struct Client {
  const char* name;
  std::function<std::string(const std::string& url, RequestOptions& o)> fetch;
};

const std::vector<Client>& Clients() {
  static const std::vector<Client> clients = {
      {"WinHttpFetch", [](const std::string& url, RequestOptions& o) { return http::WinHttpFetch(url, o); }},
      {"InetFetch",
       [](const std::string& url, RequestOptions& o) {
         const http::Bytes b = http::InetFetch(url, o);
         return std::string(b.begin(), b.end());
       }},
      {"ComHttpRequest",
       [](const std::string& url, RequestOptions& o) {
         const http::Bytes b = http::ComHttpRequest(url, o);
         return std::string(b.begin(), b.end());
       }},
  };
  return clients;
}

// A checking pass with its log.
struct Pass {
  std::vector<Text> lines;
  CertificateCheck check{true, [this](const Text& line) { lines.push_back(line); }};
};

class CertificatesWire : public WireTest {
 protected:
  std::string LocalUrl(int port, const std::string& target) {
    return "https://localhost:" + std::to_string(port) + target;
  }
  int Port(const std::string& fault) {
    const int port = server.BadTlsPort(fault);
    EXPECT_NE(port, 0) << fault;
    return port;
  }
  int HttpsPort() { return std::atoi(server.https().substr(server.https().find(':') + 1).c_str()); }
  std::string Fetch(const Client& client, const std::string& url, Pass& pass, bool proxied = false) {
    RequestOptions o;
    o.certificates = &pass.check;
    o.timeoutSeconds = 20;
    if (proxied) o.proxy = server.proxy();
    return client.fetch(url, o);
  }
  // What a client gave for a refusal, for the record of what each platform says.
  static void Note(const Client& client, const std::string& what, Pass& pass) {
    for (const auto& r : pass.check.Refusals()) {
      std::cout << client.name << " " << what << ": code " << r.second.code << " (0x" << std::hex
                << static_cast<unsigned long>(r.second.code) << std::dec << ") "
                << http::CertificateFaultText(r.second.fault) << "\n";
    }
  }
};

TEST_F(CertificatesWire, TheGoodChainPassesInEveryClient) {
  for (const Client& client : Clients()) {
    const std::string target = std::string("/good/") + client.name;
    ASSERT_TRUE(server.Script(target, Body("trusted page")));
    Pass pass;
    EXPECT_EQ(Fetch(client, LocalUrl(HttpsPort(), target), pass), "trusted page") << client.name;
    EXPECT_TRUE(pass.lines.empty()) << client.name << ": " << (pass.lines.empty() ? "" : pass.lines[0]);
  }
}

// Each fault on its own port; each client asks twice in one pass: both
// refused, one line.
TEST_F(CertificatesWire, EachFaultyCertificateIsRefusedWithOneLine) {
  // WinHTTP (and the COM object over it) under Wine fails every one with
  // ERROR_WINHTTP_SECURE_CHANNEL_ERROR and no failure flags: no reason to
  // name. Windows gives ERROR_WINHTTP_SECURE_FAILURE and the flags.
  const CertificateFault channel = CertificateFault::kSecureChannel;
  struct Case {
    const char* fault;
    // The reason each client names under Wine, in the order of Clients().
    std::vector<CertificateFault> reasons;
  };
  const std::vector<Case> cases = {
      {"untrusted", {channel, CertificateFault::kUntrusted, channel}},
      {"wrong_name", {channel, CertificateFault::kWrongName, channel}},
      {"expired", {channel, CertificateFault::kExpired, channel}},
      {"no_chain", {channel, CertificateFault::kUntrusted, channel}},
  };
  for (const Case& c : cases) {
    const int port = Port(c.fault);
    for (size_t i = 0; i < Clients().size(); ++i) {
      const Client& client = Clients()[i];
      SCOPED_TRACE(std::string(client.name) + " " + c.fault);
      ASSERT_TRUE(server.Script("/secret", Body("must not arrive")));
      ASSERT_TRUE(server.Reset());
      ASSERT_TRUE(server.Script("/secret", Body("must not arrive")));
      Pass pass;
      EXPECT_EQ(Fetch(client, LocalUrl(port, "/secret"), pass), "");
      EXPECT_EQ(Fetch(client, LocalUrl(port, "/secret?again"), pass), "");
      Note(client, c.fault, pass);
      const Text host = "localhost:" + std::to_string(port);
      EXPECT_EQ(pass.lines, std::vector<Text>{http::CertificateRefusedLine(host, c.reasons[i])});
      EXPECT_EQ(server.Count(), 0) << server.Log();
    }
  }
}

// A server that showed a good certificate and then a bad one on a new
// connection is refused: nothing remembered from the first stands for it.
TEST_F(CertificatesWire, ABadCertificateAfterAGoodOneOnTheSamePort) {
  const int port = Port("switch");
  const std::vector<CertificateFault> reasons = {CertificateFault::kSecureChannel, CertificateFault::kUntrusted,
                                                 CertificateFault::kSecureChannel};
  for (size_t i = 0; i < Clients().size(); ++i) {
    const Client& client = Clients()[i];
    SCOPED_TRACE(client.name);
    ASSERT_TRUE(server.Control("/__switch_cert", "good"));
    ASSERT_TRUE(server.Script("/page", Body("page")));
    Pass pass;
    EXPECT_EQ(Fetch(client, LocalUrl(port, "/page"), pass), "page");
    ASSERT_TRUE(server.Control("/__switch_cert", "bad"));
    const int before = server.Count();
    EXPECT_EQ(Fetch(client, LocalUrl(port, "/page?after"), pass), "");
    Note(client, "switch", pass);
    EXPECT_EQ(server.Count(), before) << server.Log();
    EXPECT_EQ(pass.lines,
              std::vector<Text>{http::CertificateRefusedLine("localhost:" + std::to_string(port), reasons[i])});
  }
}

// Through the proxy: the stand-in hosts' certificates come from the test CA,
// except for the hosts the server is told to give an untrusted one.
TEST_F(CertificatesWire, ThroughTheProxyEachHostIsCheckedOnItsOwn) {
  const std::vector<CertificateFault> reasons = {CertificateFault::kSecureChannel, CertificateFault::kUntrusted,
                                                 CertificateFault::kSecureChannel};
  for (size_t i = 0; i < Clients().size(); ++i) {
    const Client& client = Clients()[i];
    SCOPED_TRACE(client.name);
    // Lower case: the line names the host as the clients take it.
    std::string name = client.name;
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string good = "good-" + name + ".example";
    const std::string bad = "bad-" + name + ".example";
    ASSERT_TRUE(server.Control("/__untrusted_hosts", "[\"" + bad + "\"]"));
    ASSERT_TRUE(server.Script("/p", Body("stand-in page")));
    Pass pass;
    EXPECT_EQ(Fetch(client, "https://" + good + "/p", pass, true), "stand-in page");
    EXPECT_EQ(Fetch(client, "https://" + bad + "/p", pass, true), "");
    EXPECT_EQ(Fetch(client, "https://" + good + "/p?again", pass, true), "stand-in page");
    Note(client, "proxy", pass);
    EXPECT_EQ(pass.lines, std::vector<Text>{http::CertificateRefusedLine(bad, reasons[i])});
    // A tunnel serves the host it was made for only (the server answers
    // 421 to a request for another host down it).
    EXPECT_EQ(server.Log().find("bad-" + name + ".example:443/p"), std::string::npos) << server.Log();
  }
}

}  // namespace
}  // namespace wire
