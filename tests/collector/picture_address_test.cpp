// Encrypted picture addresses and the names pictures are stored under.
#include "collector/picture_address.h"

#include <gtest/gtest.h>

#include "collector/image_download.h"

namespace collector {
namespace {

TEST(PictureAddress, OnlyWholeBlocksOfBase64DecryptAndOnlyToAnAddress) {
  const Text key = "www.sohu.com6666";
  const struct {
    const char* value;
    bool encrypted;  // LooksEncrypted
    const char* address;  // "" when DecryptPictureAddress refuses
  } cases[] = {
      {"wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHGU=",
       true, "//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg"},
      // the same without its padding, or with a character base64 lacks: refused
      {"wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHGU",
       false, ""},
      {"wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHG!=",
       false, ""},
      {"wXdZHLbub1cJf8KN0C5vfYXaTgBS_sUYRwBH9AVx62fy21mCmldT-imBuyQKqPX84vzTY6f0nRHp2_Ejy_rhawI2XuQPaI4sBDR011pAHGU=",
       false, ""},
      // a "=" inside the text is no padding
      {"wXdZHLbub1cJf8KN0C5v=YXaTgBS", false, ""},
      // bad padding (a block ending in 0x00, another in 0x11)
      {"hldJ7vdBu+54WnSeit9NZQ==", true, ""},
      {"aPBRwiWlbPlon8WLRt2j9Q==", true, ""},
      // 12 bytes: not a whole block
      {"AAAAAAAAAAAAAAAA", false, ""},
      // addresses as they stand
      {"//p9.itc.cn/q_70/images03/20240104/9a3f.jpeg", false, ""},
      {"https://q2.itc.cn/a.jpeg", false, ""},
      {"httpAAAAAAAAAAAAAAAAAAAA", false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LooksEncrypted(c.value), c.encrypted) << c.value;
    Text address = "left over";
    EXPECT_EQ(DecryptPictureAddress(c.value, key, address), *c.address != '\0') << c.value;
    EXPECT_EQ(address, c.address) << c.value;
  }
  // A wrong key gives bytes that are no address (or no valid padding).
  Text address;
  EXPECT_FALSE(DecryptPictureAddress(cases[0].value, "0123456789abcdef", address));
  EXPECT_FALSE(DecryptPictureAddress(cases[0].value, "short", address));
}

TEST(PictureAddress, ServedPicturesAreNamedAfterTheRealPictureWithAnExtension) {
  const struct {
    const char* address;
    const char* type;
    const char* name;
  } cases[] = {
      // sohu: the decrypted address's last segment
      {"//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg", "image/jpeg",
       "68c32a9ebb35432f89f422df63c01004.jpeg"},
      // 163's wrapper: the inner address, encoded or not
      {"https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2F2024%2F0513%2Fd1ef0e65j00sdegbm000yd000be008jg.jpg&thumbnail=660x2147483647&quality=80&type=jpg",
       "image/jpeg", "d1ef0e65j00sdegbm000yd000be008jg.jpg"},
      {"https://nimg.ws.126.net/?url=http://dingyue.ws.126.net/2024/0514/d310b903j00sdgh46001rd000xc00gom.jpg&thumbnail=140y88&quality=80&type=jpg",
       "", "d310b903j00sdgh46001rd000xc00gom.jpg"},
      // the inner address is a png; the wrapper answers jpeg: the name keeps the inner one's
      {"https://nimg.ws.126.net/?url=http%3A%2F%2Fcms-bucket.ws.126.net%2F2024%2F0513%2Fafa72314p00sdeioz003cc0009800ewc.png&thumbnail=660x2147483647&quality=80&type=jpg",
       "image/jpeg", "afa72314p00sdeioz003cc0009800ewc.png"},
      // Tencent: a size as the last segment, no extension
      {"https://inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641", "image/jpeg",
       "O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA_641.jpg"},
      {"https://inews.gtimg.com/news_bt/OvXh/641", "IMAGE/PNG; q=1", "OvXh_641.png"},
      {"https://inews.gtimg.com/news_bt/OvXh/641", "text/html", "OvXh_641"},
      {"https://inews.gtimg.com/news_bt/OvXh/641", "", "OvXh_641"},
      // a url parameter that is no address leaves the name alone
      {"https://img.test/get?url=abc&w=1", "image/webp", "get_url=abc&w=1.webp"},
      // a number right after the host stays alone
      {"https://img.test/641", "image/gif", "641.gif"},
      {"//sucimg.itc.cn/avatarimg/130c0965ce51493ca5108d2271b652e4_1517370199108", "image/png",
       "130c0965ce51493ca5108d2271b652e4_1517370199108.png"},
      {"https://img.test/a.jpg", "image/png", "a.jpg"},
  };
  for (const auto& c : cases) EXPECT_EQ(ServedPictureName(c.address, c.type), c.name) << c.address;
}

}  // namespace
}  // namespace collector
