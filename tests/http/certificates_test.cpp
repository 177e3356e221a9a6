#include "http/certificates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace http {
namespace {

// The platforms' codes and what the line then names; kNone: not a
// certificate matter, the failure stays an ordinary failed exchange.
TEST(Certificates, EachPlatformCodeNamesItsReason) {
  struct Case {
    unsigned long error;
    unsigned long flags;  // WinHTTP's secure-failure flags
    CertificateFault winhttp, inet;
  };
  const CertificateFault none = CertificateFault::kNone;
  const std::vector<Case> cases = {
      {12045, 0, CertificateFault::kUntrusted, CertificateFault::kUntrusted},
      {12038, 0, CertificateFault::kWrongName, CertificateFault::kWrongName},
      {12037, 0, CertificateFault::kExpired, CertificateFault::kExpired},
      {12057, 0, CertificateFault::kUntrusted, CertificateFault::kUntrusted},  // Wine: unknown CA, no chain
      {12170, 0, CertificateFault::kRevoked, CertificateFault::kRevoked},
      {12169, 0, CertificateFault::kInvalid, CertificateFault::kInvalid},
      {12055, 0, CertificateFault::kInvalid, CertificateFault::kInvalid},
      {12179, 0, CertificateFault::kWrongUsage, CertificateFault::kWrongUsage},
      // Wine's WinHTTP: one code for every fault.
      {12157, 0, CertificateFault::kSecureChannel, CertificateFault::kSecureChannel},
      // Windows' WinHTTP: the reason is in the flags; the first of them in
      // the order untrusted, name, dates wins.
      {12175, 0x08 | 0x20, CertificateFault::kUntrusted, none},
      {12175, 0x10 | 0x20, CertificateFault::kWrongName, none},
      {12175, 0x20, CertificateFault::kExpired, none},
      {12175, 0x40, CertificateFault::kWrongUsage, none},
      {12175, 0x04 | 0x02, CertificateFault::kRevoked, none},
      {12175, 0x80000000, CertificateFault::kInvalid, none},
      {12175, 0, CertificateFault::kInvalid, none},
      {12157, 0x10, CertificateFault::kWrongName, CertificateFault::kSecureChannel},
      // Failures that are no certificate's: refused, time-out, name not resolved.
      {12029, 0x08, none, none},
      {12002, 0, none, none},
      {12007, 0, none, none},
      {0, 0x08, none, none},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WinHttpCertificateFault(c.error, c.flags), c.winhttp) << c.error << " " << c.flags;
    EXPECT_EQ(InetCertificateFault(c.error), c.inet) << c.error;
  }
}

TEST(Certificates, ComCodesAreTheWinHttpErrorsAsHresults) {
  EXPECT_EQ(ComCertificateFault(long(0x80072F7Dul)), CertificateFault::kSecureChannel);  // Wine
  EXPECT_EQ(ComCertificateFault(long(0x80072F8Ful)), CertificateFault::kInvalid);  // Windows: 12175
  EXPECT_EQ(ComCertificateFault(long(0x80072F0Dul)), CertificateFault::kUntrusted);
  EXPECT_EQ(ComCertificateFault(long(0x800C0019ul)), CertificateFault::kInvalid);
  EXPECT_EQ(ComCertificateFault(long(0x80072EFDul)), CertificateFault::kNone);  // cannot connect
  EXPECT_EQ(ComCertificateFault(long(0x80072EE2ul)), CertificateFault::kNone);  // time-out
  EXPECT_EQ(ComCertificateFault(long(0x80040000ul) | 12045), CertificateFault::kNone);  // not Win32
  EXPECT_EQ(ComCertificateFault(0), CertificateFault::kNone);
}

TEST(Certificates, CheckingIgnoresNothingOfTheCertificate) {
  // SECURITY_FLAG_IGNORE_UNKNOWN_CA, _WRONG_USAGE, _CN_INVALID, _DATE_INVALID, _REVOCATION
  for (const unsigned long ignore : {0x100ul, 0x200ul, 0x1000ul, 0x2000ul, 0x80ul}) {
    EXPECT_EQ(WinHttpSecurityFlags(true) & ignore, 0u) << ignore;
    EXPECT_EQ(InetSecurityFlags(true) & ignore, 0u) << ignore;
    EXPECT_EQ(InetSecurityFlags(false) & ignore, ignore) << ignore;
  }
  EXPECT_EQ(WinHttpSecurityFlags(false), 0x3300u);
  EXPECT_EQ(InetSecurityFlags(false), 0x1F380u);
}

TEST(Certificates, OneLinePerHostWhateverTheThreads) {
  std::vector<Text> lines;
  std::mutex lock;
  CertificateCheck check(true, [&](const Text& line) {
    std::lock_guard<std::mutex> hold(lock);
    lines.push_back(line);
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&check] {
      for (int i = 0; i < 50; ++i) {
        check.Refused("cn.bing.com", CertificateFault::kUntrusted, 12045);
        check.Refused("www.sogou.com", CertificateFault::kExpired, 12037);
      }
    });
  }
  for (auto& t : threads) t.join();
  std::sort(lines.begin(), lines.end());
  std::vector<Text> expected = {"证书无效，未连接：cn.bing.com（证书颁发机构不受信任）",
                                "证书无效，未连接：www.sogou.com（证书已过期或尚未生效）"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(check.Refusals().at("cn.bing.com").code, 12045);
  // A later refusal of a host keeps the first reason.
  check.Refused("cn.bing.com", CertificateFault::kWrongName, 12038);
  EXPECT_EQ(check.Refusals().at("cn.bing.com").fault, CertificateFault::kUntrusted);
  EXPECT_EQ(lines.size(), 2u);
}

TEST(Certificates, NoCheckMeansEveryErrorIgnored) {
  EXPECT_FALSE(Checking(nullptr));
  const CertificateCheck ignore(false, nullptr);
  EXPECT_FALSE(Checking(&ignore));
  const CertificateCheck check(true, nullptr);
  EXPECT_TRUE(Checking(&check));
}

}  // namespace
}  // namespace http
