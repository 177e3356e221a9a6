// Code-page conversion with iconv, for the native build.
#include <errno.h>
#include <iconv.h>

#include "core/encoding.h"
#include "core/gb18030.h"
#include "core/utf8.h"

namespace core {
namespace {

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case 65001: return "UTF-8";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 950: return "BIG5";
    case 932: return "CP932";
    case 949: return "CP949";
    case 51932: return "EUC-JP";
    case 20932: return "EUC-JP";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 20127: return "ASCII";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28593: return "ISO-8859-3";
    case 28594: return "ISO-8859-4";
    case 28595: return "ISO-8859-5";
    case 28596: return "ISO-8859-6";
    case 28597: return "ISO-8859-7";
    case 28598: return "ISO-8859-8";
    case 28599: return "ISO-8859-9";
    case 28600: return "ISO-8859-10";
    case 28601: return "ISO-8859-11";
    case 28603: return "ISO-8859-13";
    case 28604: return "ISO-8859-14";
    case 28605: return "ISO-8859-15";
    default: return nullptr;
  }
}

// An iconv descriptor with one owner.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Runs the conversion, handing every input position that cannot be converted
// to `onBad`, which appends a replacement and says how many input bytes to skip.
template <typename OnBad>
void Run(Converter& conv, std::string_view in, std::string& out, OnBad onBad) {
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[4096];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t rc = iconv(conv.get(), &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, size_t(dst - buffer));
    if (rc != size_t(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (truncated input): replace and skip.
    const size_t skip = onBad(out, srcLeft);
    src += skip;
    srcLeft -= skip;
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
  }
}

}  // namespace

bool IsCodePageSupported(unsigned codePage) {
  if (IsGbFamily(codePage)) return true;
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter conv("UTF-16LE", name);
  return conv.ok();
}

bool BytesToWide(std::string_view bytes, unsigned codePage, Wide& out) {
  out.clear();
  if (IsGbFamily(codePage)) {
    Gb18030ToUtf16(bytes, out);
    return true;
  }
  if (codePage == kCodePageUtf8) {
    out = Utf8ToUtf16(bytes);
    return true;
  }
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter conv("UTF-16LE", name);
  if (!conv.ok()) return false;
  std::string raw;
  Run(conv, bytes, raw, [](std::string& o, size_t) {
    o.append("\xFD\xFF", 2);  // U+FFFD, little-endian
    return size_t(1);
  });
  out.resize(raw.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = char16_t(static_cast<unsigned char>(raw[2 * i]) |
                      (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
  }
  return true;
}

bool WideToBytes(const Wide& wide, unsigned codePage, std::string& out) {
  out.clear();
  if (IsGbFamily(codePage)) {
    Utf16ToGb18030(wide, out, codePage == kCodePageGbk);
    return true;
  }
  if (codePage == kCodePageUtf8) {
    out = Utf16ToUtf8(wide);
    return true;
  }
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter conv(name, "UTF-16LE");
  if (!conv.ok()) return false;
  std::string raw(wide.size() * 2, '\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    raw[2 * i] = char(wide[i] & 0xFF);
    raw[2 * i + 1] = char(wide[i] >> 8);
  }
  Run(conv, raw, out, [codePage](std::string& o, size_t left) {
    if (codePage == kCodePageUtf8) {
      o.append("\xEF\xBF\xBD");  // a lone surrogate becomes U+FFFD
    } else {
      o.push_back('?');
    }
    return left >= 2 ? size_t(2) : left;
  });
  return true;
}

}  // namespace core
