#include "regex/byte_scan.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define HOT_SCAN_AVX2 1
#endif

namespace regex {
namespace {

// A short list repeats its first byte in the unused places, so every kernel
// compares with four bytes.
unsigned char Listed(const unsigned char* list, int k, int i) { return list[i < k ? i : 0]; }

#if HOT_SCAN_AVX2
template <bool kOne>
__attribute__((target("avx2"))) std::size_t FindAnyOfAvx2Of(const unsigned char* s, std::size_t q,
                                                            std::size_t n, const unsigned char* list, int k,
                                                            ScanBlock& block) {
  const __m256i b0 = _mm256_set1_epi8(char(Listed(list, k, 0)));
  const __m256i b1 = _mm256_set1_epi8(char(Listed(list, k, 1)));
  const __m256i b2 = _mm256_set1_epi8(char(Listed(list, k, 2)));
  const __m256i b3 = _mm256_set1_epi8(char(Listed(list, k, 3)));
  for (; n - q >= 32; q += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + q));
    const __m256i hit =
        kOne ? _mm256_cmpeq_epi8(v, b0)
             : _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, b0), _mm256_cmpeq_epi8(v, b1)),
                               _mm256_or_si256(_mm256_cmpeq_epi8(v, b2), _mm256_cmpeq_epi8(v, b3)));
    const unsigned mask = unsigned(_mm256_movemask_epi8(hit));
    if (mask) {
      block = ScanBlock{q, 32, mask};
      return q + std::size_t(__builtin_ctz(mask));
    }
  }
  return q;
}

std::size_t FindAnyOfAvx2(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                          int k, ScanBlock& block) {
  return k == 1 ? FindAnyOfAvx2Of<true>(s, q, n, list, k, block)
                : FindAnyOfAvx2Of<false>(s, q, n, list, k, block);
}

// One kernel per count of first bytes (one, or any up to four) and of
// second-byte runs, so no comparison is made twice.
template <bool kOneFirst, int kRuns>
__attribute__((target("avx2"))) std::size_t FindPairOfAvx2Of(const unsigned char* s, std::size_t q,
                                                             std::size_t n, const unsigned char* list,
                                                             int k, const ByteRuns& second) {
  const __m256i b0 = _mm256_set1_epi8(char(Listed(list, k, 0)));
  const __m256i b1 = _mm256_set1_epi8(char(Listed(list, k, 1)));
  const __m256i b2 = _mm256_set1_epi8(char(Listed(list, k, 2)));
  const __m256i b3 = _mm256_set1_epi8(char(Listed(list, k, 3)));
  __m256i low[3], span[3];
  for (int r = 0; r < 3; ++r) {
    const int use = r < second.count ? r : 0;
    low[r] = _mm256_set1_epi8(char(second.low[use]));
    span[r] = _mm256_set1_epi8(char(second.span[use]));
  }
  for (; q + 33 <= n; q += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + q));
    const __m256i first =
        kOneFirst ? _mm256_cmpeq_epi8(v, b0)
                  : _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, b0), _mm256_cmpeq_epi8(v, b1)),
                                    _mm256_or_si256(_mm256_cmpeq_epi8(v, b2), _mm256_cmpeq_epi8(v, b3)));
    if (!_mm256_movemask_epi8(first)) continue;
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + q + 1));
    __m256i d = _mm256_sub_epi8(w, low[0]);
    __m256i next = _mm256_cmpeq_epi8(_mm256_min_epu8(d, span[0]), d);
    for (int r = 1; r < kRuns; ++r) {
      d = _mm256_sub_epi8(w, low[r]);
      next = _mm256_or_si256(next, _mm256_cmpeq_epi8(_mm256_min_epu8(d, span[r]), d));
    }
    const unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(first, next)));
    if (mask) return q + std::size_t(__builtin_ctz(mask));
  }
  return q;
}

std::size_t FindPairOfAvx2(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                           int k, const ByteRuns& second) {
  switch ((k == 1 ? 0 : 3) + second.count - 1) {
    case 0: return FindPairOfAvx2Of<true, 1>(s, q, n, list, k, second);
    case 1: return FindPairOfAvx2Of<true, 2>(s, q, n, list, k, second);
    case 2: return FindPairOfAvx2Of<true, 3>(s, q, n, list, k, second);
    case 3: return FindPairOfAvx2Of<false, 1>(s, q, n, list, k, second);
    case 4: return FindPairOfAvx2Of<false, 2>(s, q, n, list, k, second);
    default: return FindPairOfAvx2Of<false, 3>(s, q, n, list, k, second);
  }
}

// Read while static objects are built, so the CPU's feature table is filled
// first rather than trusting the order of the runtime's own constructors.
const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
#endif

}  // namespace

std::size_t FindAnyOf(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                      int k, ScanBlock& block) {
  block.width = 0;
#if defined(__SSE2__)
  const __m128i b0 = _mm_set1_epi8(char(Listed(list, k, 0)));
  const __m128i b1 = _mm_set1_epi8(char(Listed(list, k, 1)));
  const __m128i b2 = _mm_set1_epi8(char(Listed(list, k, 2)));
  const __m128i b3 = _mm_set1_epi8(char(Listed(list, k, 3)));
  auto test16 = [&](std::size_t at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, b0), _mm_cmpeq_epi8(v, b1)),
                                          _mm_or_si128(_mm_cmpeq_epi8(v, b2), _mm_cmpeq_epi8(v, b3))));
  };
#endif
#if HOT_SCAN_AVX2
  if (kHasAvx2 && n - q >= 48) {
    // Most hops are short: the first sixteen bytes alone, then wide blocks.
    if (const int mask = test16(q)) {
      block = ScanBlock{q, 16, std::uint32_t(mask)};
      return q + std::size_t(__builtin_ctz(unsigned(mask)));
    }
    q = FindAnyOfAvx2(s, q + 16, n, list, k, block);
    if (block.width) return q;
  }
#endif
#if defined(__SSE2__)
  for (; n - q >= 16; q += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, b0), _mm_cmpeq_epi8(v, b1)),
                                     _mm_or_si128(_mm_cmpeq_epi8(v, b2), _mm_cmpeq_epi8(v, b3)));
    const int mask = _mm_movemask_epi8(hit);
    if (mask) {
      block = ScanBlock{q, 16, std::uint32_t(mask)};
      return q + std::size_t(__builtin_ctz(unsigned(mask)));
    }
  }
#endif
  const unsigned char c0 = Listed(list, k, 0), c1 = Listed(list, k, 1), c2 = Listed(list, k, 2),
                      c3 = Listed(list, k, 3);
  for (; q < n; ++q) {
    const unsigned char c = s[q];
    if (c == c0 || c == c1 || c == c2 || c == c3) return q;
  }
  return n;
}

std::size_t FindAnyOf(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                      int k) {
  ScanBlock block;
  return FindAnyOf(s, q, n, list, k, block);
}

std::size_t FindPairOf(const unsigned char* s, std::size_t q, std::size_t n, const unsigned char* list,
                       int k, const ByteRuns& second) {
#if HOT_SCAN_AVX2
  if (kHasAvx2) {
    q = FindPairOfAvx2(s, q, n, list, k, second);
    if (q + 33 <= n) return q;  // a hit, not the tail
  }
#endif
#if defined(__SSE2__)
  const __m128i b0 = _mm_set1_epi8(char(Listed(list, k, 0)));
  const __m128i b1 = _mm_set1_epi8(char(Listed(list, k, 1)));
  const __m128i b2 = _mm_set1_epi8(char(Listed(list, k, 2)));
  const __m128i b3 = _mm_set1_epi8(char(Listed(list, k, 3)));
  __m128i low[3], span[3];
  for (int r = 0; r < 3; ++r) {
    const int use = r < second.count ? r : 0;
    low[r] = _mm_set1_epi8(char(second.low[use]));
    span[r] = _mm_set1_epi8(char(second.span[use]));
  }
  for (; q + 17 <= n; q += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q));
    const __m128i first = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, b0), _mm_cmpeq_epi8(v, b1)),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, b2), _mm_cmpeq_epi8(v, b3)));
    if (!_mm_movemask_epi8(first)) continue;
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q + 1));
    __m128i next = _mm_setzero_si128();
    for (int r = 0; r < 3; ++r) {
      const __m128i d = _mm_sub_epi8(w, low[r]);
      next = _mm_or_si128(next, _mm_cmpeq_epi8(_mm_min_epu8(d, span[r]), d));
    }
    const int mask = _mm_movemask_epi8(_mm_and_si128(first, next));
    if (mask) return q + std::size_t(__builtin_ctz(unsigned(mask)));
  }
#endif
  const unsigned char c0 = Listed(list, k, 0), c1 = Listed(list, k, 1), c2 = Listed(list, k, 2),
                      c3 = Listed(list, k, 3);
  for (; q + 1 < n; ++q) {
    const unsigned char c = s[q];
    if ((c == c0 || c == c1 || c == c2 || c == c3) && second.Has(s[q + 1])) return q;
  }
  return n;
}

}  // namespace regex
