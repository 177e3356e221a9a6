// A picture's address as a news site writes it into the tag: plain, or
// encrypted with the site's key (base64 of AES-128-ECB with PKCS#7 padding),
// which the page's own script undoes for the reader.
#pragma once

#include <string_view>

#include "core/text.h"

namespace collector {

using core::Text;

// True when `value` has the shape of a ciphertext: base64 (with its "="
// padding) of whole 16-byte blocks, not beginning with "http" or "//". A
// path such as "/a/b" or "pic/1.jpg" has not.
bool LooksEncrypted(std::string_view value);

// The address that `value` holds under `key`: base64 decoded, decrypted, and
// read as an address (http:, https:, // or /, no control bytes). False and
// `address` empty when any step fails.
bool DecryptPictureAddress(std::string_view value, std::string_view key, Text& address);

}  // namespace collector
