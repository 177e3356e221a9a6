#include "http/certificates.h"

namespace http {

namespace {

// The platforms' numbers, as their headers give them.
enum : unsigned long {
  kCertDateInvalid = 12037,   // ERROR_WINHTTP_SECURE_CERT_DATE_INVALID, ERROR_INTERNET_SEC_CERT_DATE_INVALID
  kCertNameInvalid = 12038,   // ..._CERT_CN_INVALID
  kInvalidCa = 12045,         // ERROR_WINHTTP_SECURE_INVALID_CA, ERROR_INTERNET_INVALID_CA
  kCertErrors = 12055,        // ERROR_INTERNET_SEC_CERT_ERRORS: several at once
  kCertNoRevocation = 12056,  // ERROR_INTERNET_SEC_CERT_NO_REV
  kCertRevocationFailed = 12057,
  kSecureChannelError = 12157,
  kInvalidCert = 12169,
  kCertRevoked = 12170,
  kSecureFailure = 12175,     // WinHTTP on Windows: the reason is in the callback's flags
  kCertWrongUsage = 12179,
};

// WINHTTP_CALLBACK_STATUS_FLAG_*, in the order their reasons are named:
// the first that is set wins.
struct FlagFault {
  unsigned long flag;
  CertificateFault fault;
};
constexpr FlagFault kFailureFlags[] = {
    {0x08, CertificateFault::kUntrusted},       // INVALID_CA
    {0x10, CertificateFault::kWrongName},       // CERT_CN_INVALID
    {0x20, CertificateFault::kExpired},         // CERT_DATE_INVALID
    {0x04, CertificateFault::kRevoked},         // CERT_REVOKED
    {0x40, CertificateFault::kWrongUsage},      // CERT_WRONG_USAGE
    {0x01, CertificateFault::kUntrusted},       // CERT_REV_FAILED (see SharedCodeFault)
    {0x02, CertificateFault::kInvalid},         // INVALID_CERT
};

// The error codes WinHTTP and WinInet share for one reason.
CertificateFault SharedCodeFault(unsigned long error) {
  switch (error) {
    case kInvalidCa: return CertificateFault::kUntrusted;
    case kCertNameInvalid: return CertificateFault::kWrongName;
    case kCertDateInvalid: return CertificateFault::kExpired;
    case kCertRevoked: return CertificateFault::kRevoked;
    case kCertWrongUsage: return CertificateFault::kWrongUsage;
    // Revocation is never asked for. Wine's WinInet answers this first for
    // any chain that does not end at a trusted root: an unknown CA or an
    // intermediate the server did not send (which Windows calls an unknown CA).
    case kCertRevocationFailed:
    case kCertNoRevocation: return CertificateFault::kUntrusted;
    case kInvalidCert:
    case kCertErrors: return CertificateFault::kInvalid;
    case kSecureChannelError: return CertificateFault::kSecureChannel;
    default: return CertificateFault::kNone;
  }
}

}  // namespace

const char kCertificatesIgnoredLine[] =
    "注意：证书检查已关闭（settings.ini [network] certificates=ignore），无法确认服务器身份，"
    "网络上的任何人都可能冒充网站";

Text CertificateFaultText(CertificateFault fault) {
  switch (fault) {
    case CertificateFault::kUntrusted: return "证书颁发机构不受信任";
    case CertificateFault::kWrongName: return "证书与主机名不符";
    case CertificateFault::kExpired: return "证书已过期或尚未生效";
    case CertificateFault::kWrongUsage: return "证书不是服务器证书";
    case CertificateFault::kRevoked: return "证书已被吊销";
    case CertificateFault::kInvalid: return "证书无效";
    case CertificateFault::kSecureChannel: return "安全连接失败，系统未说明原因";
    case CertificateFault::kNone: break;
  }
  return Text();
}

Text CertificateRefusedLine(const Text& host, CertificateFault fault) {
  return "证书无效，未连接：" + host + "（" + CertificateFaultText(fault) + "）";
}

CertificateFault WinHttpCertificateFault(unsigned long error, unsigned long failureFlags) {
  if (error != kSecureFailure && SharedCodeFault(error) == CertificateFault::kNone) return CertificateFault::kNone;
  for (const FlagFault& f : kFailureFlags) {
    if (failureFlags & f.flag) return f.fault;
  }
  if (error == kSecureFailure) return CertificateFault::kInvalid;
  return SharedCodeFault(error);
}

CertificateFault InetCertificateFault(unsigned long error) { return SharedCodeFault(error); }

CertificateFault ComCertificateFault(long hresult) {
  const unsigned long h = static_cast<unsigned long>(hresult);
  if (h == 0x800C0019ul) return CertificateFault::kInvalid;  // INET_E_INVALID_CERTIFICATE
  // HRESULT_FROM_WIN32 of a WinHTTP error.
  if ((h & 0xFFFF0000ul) == 0x80070000ul) return WinHttpCertificateFault(h & 0xFFFFul, 0);
  return CertificateFault::kNone;
}

unsigned long WinHttpSecurityFlags(bool check) {
  // SECURITY_FLAG_IGNORE_UNKNOWN_CA | _CERT_WRONG_USAGE | _CERT_CN_INVALID | _CERT_DATE_INVALID
  return check ? 0 : 0x3300;
}

unsigned long InetSecurityFlags(bool check) {
  // Without the check: the same four, revocation and more (0x1F380). With
  // it only the redirects between http and https stay allowed
  // (SECURITY_FLAG_IGNORE_REDIRECT_TO_HTTPS | _TO_HTTP), which are no
  // certificate's business.
  return check ? 0xC000 : 0x0001F380;
}

void CertificateCheck::Refused(const Text& host, CertificateFault fault, long code) {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    if (!refused_.emplace(host, Refusal{fault, code}).second) return;
  }
  if (log_) log_(CertificateRefusedLine(host, fault));
}

std::map<Text, CertificateCheck::Refusal> CertificateCheck::Refusals() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return refused_;
}

}  // namespace http
