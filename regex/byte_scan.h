// The scans that find where a match can begin or where a run of a class
// ends: many bytes compared at once (AVX2 where the processor has it, else
// SSE2, else a byte at a time).
#pragma once

#include <cstddef>
#include <cstdint>

namespace regex {

// The first position at or after `q` below `n` whose byte is one of the `k`
// (1 to 4) in `list`, or `n`.
std::size_t FindAnyOf(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                      int k);

// A block of bytes compared at once by the last scan: bit i of `mask` set
// where the byte at `start` + i (i below `width`) was one looked for.
struct ScanBlock {
  std::size_t start = 0;
  std::size_t width = 0;  // 0: none
  std::uint32_t mask = 0;
};

// As FindAnyOf, and when the hit was found in a block of bytes compared at
// once, that block in `block` (else its width is 0): a caller looking again
// just after the hit reads the next from the mask.
std::size_t FindAnyOf(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                      int k, ScanBlock& block);

// Byte runs: the bytes b with (unsigned char)(b - low[r]) <= span[r] for
// some r below `count` (1 to 3).
struct ByteRuns {
  int count = 0;
  unsigned char low[3] = {}, span[3] = {};
  bool Has(unsigned char b) const {
    for (int r = 0; r < count; ++r) {
      if (static_cast<unsigned char>(b - low[r]) <= span[r]) return true;
    }
    return false;
  }
};

// The first position p at or after `q` with p + 1 < n whose byte is one of
// the `k` (1 to 4) in `list` and whose next byte is in `second`, or `n`.
std::size_t FindPairOf(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                       int k, const ByteRuns& second);

}  // namespace regex
