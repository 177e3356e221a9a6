// Server certificates: whether the clients check them, why one was refused,
// and the log line that says so once per host and pass. The *_win32.cpp
// clients hand over the platform's error codes; what they mean is decided here.
#pragma once

#include <functional>
#include <map>
#include <mutex>

#include "core/text.h"

namespace http {

using core::Text;

// Why a server's certificate was refused.
enum class CertificateFault {
  kNone,
  kUntrusted,        // no chain to a trusted root
  kWrongName,        // made for another host
  kExpired,          // outside its dates
  kWrongUsage,       // not made for a server
  kRevoked,
  kInvalid,          // refused, no reason given
  kSecureChannel,    // the secure connection failed without a reason (WinHTTP under Wine)
};

// What a refused certificate is called in the log ("证书颁发机构不受信任").
Text CertificateFaultText(CertificateFault fault);

// "证书无效，未连接：host（reason）".
Text CertificateRefusedLine(const Text& host, CertificateFault fault);

// The log line of a pass that does not check certificates.
extern const char kCertificatesIgnoredLine[];

// --- the platform's codes ---

// WinHTTP: the error of the failed send or receive, and the failure flags
// the secure-failure callback gave (0 when it gave none). kNone when the
// error is not about the secure connection.
CertificateFault WinHttpCertificateFault(unsigned long error, unsigned long failureFlags);

// WinInet: the error of the failed send.
CertificateFault InetCertificateFault(unsigned long error);

// The COM request object: the HRESULT of the failed call (the scode of an
// exception the object raised).
CertificateFault ComCertificateFault(long hresult);

// WINHTTP_OPTION_SECURITY_FLAGS (and the COM object's option 4) of a request:
// every certificate error ignored, or none.
unsigned long WinHttpSecurityFlags(bool check);

// INTERNET_OPTION_SECURITY_FLAGS of a WinInet request.
unsigned long InetSecurityFlags(bool check);

// How one pass treats certificates, shared by all its requests.
//
// Checking is decided once for a whole process: the platforms pool
// connections per process and do not verify a pooled connection again, so
// a request that checks must never find a connection that one without the
// check left behind.
class CertificateCheck {
 public:
  using Log = std::function<void(const Text& line)>;
  CertificateCheck(bool check, Log log) : check_(check), log_(std::move(log)) {}

  bool Checking() const { return check_; }

  // A request to `host` was refused for `fault` (`code`: the platform's
  // error, kept for the record). Logs the line the first time per host.
  void Refused(const Text& host, CertificateFault fault, long code);

  // The hosts refused so far, with the fault and code of the first refusal.
  struct Refusal {
    CertificateFault fault;
    long code;
  };
  std::map<Text, Refusal> Refusals() const;

 private:
  const bool check_;
  const Log log_;
  mutable std::mutex lock_;
  std::map<Text, Refusal> refused_;
};

// The check a request runs under: none (every error ignored, as the classic
// sources always did) when `check` is null.
inline bool Checking(const CertificateCheck* check) { return check && check->Checking(); }

}  // namespace http
