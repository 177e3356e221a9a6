// The decoder of encrypted picture addresses: base64, AES-128-ECB with
// PKCS#7 through the platform's cipher, then the address check.
#include "collector/picture_address.h"
#include "core/aes.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto p = FuzzParts(data, size, 2);
  const core::Text key = p[1].size() == 16 ? p[1] : core::Text("www.sohu.com6666");
  core::Text address;
  const bool decrypted = collector::DecryptPictureAddress(p[0], key, address);
  if (decrypted != !address.empty()) __builtin_trap();
  if (decrypted && !collector::LooksEncrypted(p[0])) __builtin_trap();
  // Padding takes one to sixteen bytes off the last block.
  if (decrypted && (address.size() >= p[0].size() || address.find('\0') != core::Text::npos)) __builtin_trap();
  core::Text plain;
  for (const core::BlockPadding padding : {core::BlockPadding::kNone, core::BlockPadding::kPkcs7}) {
    const bool ok = core::Aes128EcbDecrypt(key, p[0], padding, plain);
    if (!ok && !plain.empty()) __builtin_trap();
    if (ok && p[0].size() % 16 != 0) __builtin_trap();
    if (ok && padding == core::BlockPadding::kNone && plain.size() != p[0].size()) __builtin_trap();
    if (ok && padding == core::BlockPadding::kPkcs7 && plain.size() + 16 < p[0].size() + 1) __builtin_trap();
    if (ok && padding == core::BlockPadding::kPkcs7 && plain.size() >= p[0].size()) __builtin_trap();
  }
  return 0;
}
