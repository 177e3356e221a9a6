// Decrypting AES-128 in ECB mode through the platform's cipher: Windows CNG
// in the program, OpenSSL's libcrypto in the native build. News sites hide
// picture addresses this way; nothing here is our own cipher code.
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

inline constexpr size_t kAesBlockSize = 16;

enum class BlockPadding { kNone, kPkcs7 };

// The plaintext of `cipher` under the 16-byte `key`. False and `out` empty
// when the key is not 16 bytes, the ciphertext is empty or not whole blocks,
// or (with kPkcs7) its last block does not end in a valid padding: n bytes
// of value n, n from 1 to 16.
bool Aes128EcbDecrypt(std::string_view key, std::string_view cipher, BlockPadding padding, Text& out);

// The platform's part: whole blocks decrypted as they are, no padding
// removed (CNG's own padding removal under Wine looks at the last byte only,
// so the padding is checked once, above, for both platforms). Sizes are the
// caller's to check.
bool Aes128EcbDecryptBlocks(std::string_view key, std::string_view cipher, Text& out);

}  // namespace core
