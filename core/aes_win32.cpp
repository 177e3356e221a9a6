#include <windows.h>
#include <bcrypt.h>

#include "core/aes.h"

namespace core {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

struct AlgorithmHandle {
  BCRYPT_ALG_HANDLE handle = nullptr;
  ~AlgorithmHandle() {
    if (handle) BCryptCloseAlgorithmProvider(handle, 0);
  }
};

struct KeyHandle {
  BCRYPT_KEY_HANDLE handle = nullptr;
  ~KeyHandle() {
    if (handle) BCryptDestroyKey(handle);
  }
};

}  // namespace

bool Aes128EcbDecryptBlocks(std::string_view key, std::string_view cipher, Text& out) {
  out.clear();
  if (cipher.size() > 0x7FFFFFF0u) return false;
  AlgorithmHandle algorithm;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm.handle, BCRYPT_AES_ALGORITHM, nullptr, 0))) {
    return false;
  }
  wchar_t mode[] = BCRYPT_CHAIN_MODE_ECB;
  if (!Succeeded(BCryptSetProperty(algorithm.handle, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                                   sizeof mode, 0))) {
    return false;
  }
  Text keyBytes(key);
  KeyHandle keyHandle;
  if (!Succeeded(BCryptGenerateSymmetricKey(algorithm.handle, &keyHandle.handle, nullptr, 0,
                                            reinterpret_cast<PUCHAR>(keyBytes.data()), ULONG(keyBytes.size()),
                                            0))) {
    return false;
  }
  Text input(cipher);
  Text plain(cipher.size(), '\0');
  ULONG written = 0;
  if (!Succeeded(BCryptDecrypt(keyHandle.handle, reinterpret_cast<PUCHAR>(input.data()), ULONG(input.size()),
                               nullptr, nullptr, 0, reinterpret_cast<PUCHAR>(plain.data()),
                               ULONG(plain.size()), &written, 0)) ||
      written > plain.size()) {
    return false;
  }
  plain.resize(written);
  out = std::move(plain);
  return true;
}

}  // namespace core
