#include "collector/picture_address.h"

#include "core/aes.h"
#include "core/escapes.h"

namespace collector {
namespace {

bool IsBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/' || c == '=';
}

bool BeginsWithNoCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i) {
    if (core::AsciiLower(text[i]) != start[i]) return false;
  }
  return true;
}

// An absolute or root-relative address, as a decrypted value must be.
bool IsAddress(std::string_view text) {
  if (!(BeginsWithNoCase(text, "http://") || BeginsWithNoCase(text, "https://") ||
        (!text.empty() && text[0] == '/'))) {
    return false;
  }
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

bool LooksEncrypted(std::string_view value) {
  if (value.empty() || value.size() % 4 != 0 || BeginsWithNoCase(value, "http") ||
      BeginsWithNoCase(value, "//")) {
    return false;
  }
  for (const char c : value) {
    if (!IsBase64Character(c)) return false;
  }
  Text bytes;
  return core::Base64UrlDecode(value, bytes) && !bytes.empty() && bytes.size() % core::kAesBlockSize == 0;
}

bool DecryptPictureAddress(std::string_view value, std::string_view key, Text& address) {
  address.clear();
  Text cipher;
  if (!LooksEncrypted(value) || !core::Base64UrlDecode(value, cipher)) return false;
  Text plain;
  if (!core::Aes128EcbDecrypt(key, cipher, core::BlockPadding::kPkcs7, plain) || !IsAddress(plain)) {
    return false;
  }
  address = std::move(plain);
  return true;
}

}  // namespace collector
