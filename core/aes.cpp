#include "core/aes.h"

#include <utility>

namespace core {

bool Aes128EcbDecrypt(std::string_view key, std::string_view cipher, BlockPadding padding, Text& out) {
  out.clear();
  if (key.size() != kAesBlockSize || cipher.empty() || cipher.size() % kAesBlockSize != 0) return false;
  Text plain;
  if (!Aes128EcbDecryptBlocks(key, cipher, plain) || plain.size() != cipher.size()) return false;
  if (padding == BlockPadding::kPkcs7) {
    const size_t n = static_cast<unsigned char>(plain.back());
    if (n < 1 || n > kAesBlockSize) return false;
    for (size_t i = plain.size() - n; i < plain.size(); ++i) {
      if (static_cast<unsigned char>(plain[i]) != n) return false;
    }
    plain.resize(plain.size() - n);
  }
  out = std::move(plain);
  return true;
}

}  // namespace core
