#include "core/aes.h"

#include <gtest/gtest.h>

#include <string>

#include "core/escapes.h"

namespace core {
namespace {

std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return bytes;
}

std::string FromBase64(std::string_view text) {
  std::string bytes;
  EXPECT_TRUE(Base64UrlDecode(text, bytes)) << text;
  return bytes;
}

// NIST SP 800-38A, F.1.2 ECB-AES128.Decrypt: four blocks, no padding.
TEST(AesTest, PublishedEcbAes128Vectors) {
  const std::string key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  const struct {
    const char* cipher;
    const char* plain;
  } blocks[] = {
      {"3ad77bb40d7a3660a89ecaf32466ef97", "6bc1bee22e409f96e93d7e117393172a"},
      {"f5d3d58503b9699de785895a96fdbaaf", "ae2d8a571e03ac9c9eb76fac45af8e51"},
      {"43b1cd7f598ece23881b00e3ed030688", "30c81c46a35ce411e5fbc1191a0a52ef"},
      {"7b0c785e27e8ad3f8223207104725dd4", "f69f2445df4f9b17ad2b417be66c3710"},
  };
  std::string allCipher, allPlain;
  for (const auto& b : blocks) {
    Text plain;
    ASSERT_TRUE(Aes128EcbDecrypt(key, FromHex(b.cipher), BlockPadding::kNone, plain)) << b.cipher;
    EXPECT_EQ(plain, FromHex(b.plain)) << b.cipher;
    allCipher += FromHex(b.cipher);
    allPlain += FromHex(b.plain);
  }
  Text plain;
  ASSERT_TRUE(Aes128EcbDecrypt(key, allCipher, BlockPadding::kNone, plain));
  EXPECT_EQ(plain, allPlain);
  // Read as padded, the vectors' last block ends in 0x10 without fifteen more: refused.
  EXPECT_FALSE(Aes128EcbDecrypt(key, allCipher, BlockPadding::kPkcs7, plain));
  EXPECT_TRUE(plain.empty());
}

// Ciphertexts made with `openssl enc -aes-128-ecb -K <hex of www.sohu.com6666>` (add
// -nopad for the unpadded ones); the same table runs in the native build (libcrypto)
// and under Wine (CNG), so the two platforms are held to one answer.
TEST(AesTest, PaddedCiphertextsDecryptAndBrokenPaddingIsRefused) {
  const std::string key = "www.sohu.com6666";
  const struct {
    const char* base64;
    bool valid;
    const char* plain;
  } cases[] = {
      {"wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHGU=",
       true, "//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg"},
      {"J3kI4JuPBpRGkXtqFJaxCcmJ5ULT+qz1crB9Zo+mUNOtI0D6OgIkenJudCZlTxWko8HJ0tCQdtAj4EpVAvg47zPOBazpWLwsK1Y1cU/IpqE=",
       true, "https://q2.itc.cn/q_70/images03/20241203/1a2b3c4d5e6f40718293a4b5c6d7e8f9.jpeg"},
      // An empty plaintext is one whole block of padding.
      {"1V7+OV42lRbuNNyXR7Xh3Q==", true, ""},
      // Unpadded blocks ending in 0x00, in 0x11 (more than a block), and in 03 02 03.
      {"hldJ7vdBu+54WnSeit9NZQ==", false, ""},
      {"aPBRwiWlbPlon8WLRt2j9Q==", false, ""},
      {"QnV8fW6VGiz7zHeIBtdNFQ==", false, ""},
  };
  for (const auto& c : cases) {
    Text plain = "left over";
    EXPECT_EQ(Aes128EcbDecrypt(key, FromBase64(c.base64), BlockPadding::kPkcs7, plain), c.valid) << c.base64;
    EXPECT_EQ(plain, c.plain) << c.base64;
  }
}

TEST(AesTest, WrongKeyOrBlockSizesAreRefused) {
  const std::string block(16, 'x');
  const struct {
    std::string key;
    std::string cipher;
  } cases[] = {
      {"short key", block},
      {"a key of seventeen", block},
      {"www.sohu.com6666", ""},
      {"www.sohu.com6666", std::string(15, 'x')},
      {"www.sohu.com6666", std::string(33, 'x')},
  };
  for (const auto& c : cases) {
    Text plain = "left over";
    EXPECT_FALSE(Aes128EcbDecrypt(c.key, c.cipher, BlockPadding::kNone, plain)) << c.key << " " << c.cipher.size();
    EXPECT_TRUE(plain.empty());
  }
}

}  // namespace
}  // namespace core
