#include <openssl/evp.h>

#include <climits>
#include <memory>

#include "core/aes.h"

namespace core {

bool Aes128EcbDecryptBlocks(std::string_view key, std::string_view cipher, Text& out) {
  out.clear();
  if (cipher.size() > size_t(INT_MAX) - kAesBlockSize) return false;
  const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                               EVP_CIPHER_CTX_free);
  if (!context) return false;
  if (EVP_DecryptInit_ex(context.get(), EVP_aes_128_ecb(), nullptr,
                         reinterpret_cast<const unsigned char*>(key.data()), nullptr) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
    return false;
  }
  Text plain(cipher.size() + kAesBlockSize, '\0');
  unsigned char* to = reinterpret_cast<unsigned char*>(plain.data());
  int written = 0;
  int last = 0;
  if (EVP_DecryptUpdate(context.get(), to, &written,
                        reinterpret_cast<const unsigned char*>(cipher.data()), int(cipher.size())) != 1 ||
      EVP_DecryptFinal_ex(context.get(), to + written, &last) != 1) {
    return false;
  }
  plain.resize(size_t(written) + size_t(last));
  out = std::move(plain);
  return true;
}

}  // namespace core
