// The GB18030 tables against the Encoding Standard's decoder as Node runs it:
// every single byte, every two-byte and every four-byte sequence, decoded
// both ways and encoded back. The reference is made by node when the test
// runs, so a wrong table cannot agree with a copy of itself.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/encoding.h"
#include "core/gb18030.h"
#include "core/utf8.h"

namespace core {
namespace {

// Node's decoding of each sequence, in the order tools/gb18030_reference.js writes them.
std::vector<Wide> NodeDecodings() {
  const std::string command = "node '" HOT_SOURCE_DIR "/tools/gb18030_reference.js'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  std::string raw;
  char buffer[1 << 16];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) raw.append(buffer, n);
  if (pclose(pipe) != 0) return {};
  std::vector<Wide> out;
  for (size_t i = 0; i < raw.size();) {
    const size_t count = static_cast<unsigned char>(raw[i++]);
    if (raw.size() - i < 2 * count) return {};
    Wide w;
    for (size_t k = 0; k < count; ++k, i += 2) {
      w.push_back(char16_t(static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1]) << 8));
    }
    out.push_back(std::move(w));
  }
  return out;
}

// Every sequence in the same order.
std::vector<std::string> Sequences() {
  std::vector<std::string> out;
  for (int b = 0; b < 256; ++b) out.push_back(std::string(1, char(b)));
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int b = 0; b < 256; ++b) out.push_back({char(lead), char(b)});
  }
  for (int b1 = 0x81; b1 <= 0xFE; ++b1) {
    for (int b2 = 0x30; b2 <= 0x39; ++b2) {
      for (int b3 = 0x81; b3 <= 0xFE; ++b3) {
        for (int b4 = 0x30; b4 <= 0x39; ++b4) out.push_back({char(b1), char(b2), char(b3), char(b4)});
      }
    }
  }
  return out;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char part[4];
  for (unsigned char c : bytes) {
    std::snprintf(part, sizeof part, "%02X", c);
    out += part;
  }
  return out;
}

// The single code point of a decoding, or -1.
long OnlyCodePoint(const Wide& w) {
  if (w.size() == 1 && !(w[0] >= 0xD800 && w[0] <= 0xDFFF)) return w[0];
  if (w.size() == 2 && w[0] >= 0xD800 && w[0] <= 0xDBFF && w[1] >= 0xDC00 && w[1] <= 0xDFFF) {
    return 0x10000 + ((long(w[0]) - 0xD800) << 10) + (w[1] - 0xDC00);
  }
  return -1;
}

TEST(Gb18030Reference, EverySequenceDecodesAndEncodesAsTheEncodingStandard) {
  const std::vector<Wide> node = NodeDecodings();
  const std::vector<std::string> sequences = Sequences();
  ASSERT_EQ(node.size(), sequences.size()) << "node did not run, or wrote another list";

  // The encoder the Standard describes: a code point takes the first
  // sequence that decodes to it (pairs before four-byte sequences).
  std::map<long, std::string> first;
  int mismatches = 0;
  for (size_t i = 0; i < sequences.size(); ++i) {
    const Wide ours = Gb18030ToWide(sequences[i]);
    if (ours != node[i] && ++mismatches <= 20) {
      ADD_FAILURE() << Hex(sequences[i]) << " decodes to " << Utf16ToUtf8(ours) << ", not " << Utf16ToUtf8(node[i]);
    }
    const long cp = OnlyCodePoint(node[i]);
    // U+FFFD is real only where its own four bytes decode to it.
    if (cp < 0x80 || (cp == 0xFFFD && Hex(sequences[i]) != "8431A437")) continue;
    first.emplace(cp, sequences[i]);
  }
  EXPECT_EQ(mismatches, 0);

  // Every code point takes the Standard's bytes, except the euro sign, which
  // keeps GBK's single byte 0x80; those no sequence decodes to (U+E5E5 and
  // the private-use characters that gained their own code points) take "?".
  mismatches = 0;
  for (long cp = 0x80; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    Wide w;
    AppendUtf16(std::uint32_t(cp), w);
    const std::string ours = WideToGb18030(w);
    const auto it = first.find(cp);
    const std::string expected = cp == 0x20AC ? "\x80" : it == first.end() ? "?" : it->second;
    if (ours != expected && ++mismatches <= 20) {
      ADD_FAILURE() << "U+" << std::hex << cp << " encodes to " << Hex(ours) << ", not " << Hex(expected);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace core
