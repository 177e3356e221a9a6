// The tree's memory against the size of the page, on pages made to cost the
// most per byte. The test binary's allocations are counted while a parse
// runs, through a replacement of the global operator new.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include "html/tree.h"

namespace {

// Each block carries its size in front, so that delete knows what it gives back.
constexpr size_t kHeader = alignof(std::max_align_t);
bool counting = false;
size_t liveBytes = 0;
size_t peakBytes = 0;

void* Allocate(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  if (counting) {
    liveBytes += size;
    if (liveBytes > peakBytes) peakBytes = liveBytes;
  }
  return static_cast<char*>(block) + kHeader;
}

void Release(void* p) {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  const size_t size = *static_cast<size_t*>(block);
  if (counting) liveBytes -= std::min(liveBytes, size);
  std::free(block);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace html {
namespace {

// The most heap the parse of `page` held at once, the finished tree included.
size_t PeakBytesOfParse(const std::string& page) {
  liveBytes = peakBytes = 0;
  counting = true;
  {
    const Document doc = ParseDocument(page);
    EXPECT_GT(doc.Size(), 1);
  }
  counting = false;
  return peakBytes;
}

std::string Repeat(const std::string& unit, size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (size_t i = 0; i < times; ++i) out += unit;
  return out;
}

TEST(ParseDocument, MemoryIsLinearInThePage) {
  // The heap per page byte stays under a fixed bound, and grows no faster
  // than the page from a quarter of its size to the whole.
  constexpr size_t kBytesPerPageByte = 64;
  constexpr size_t kUnits = 40000;
  const struct {
    const char* what;
    std::string (*page)(size_t units);
  } pages[] = {
      {"deep nesting", [](size_t n) { return Repeat("<div><b>", n) + "x"; }},
      {"stray end tags", [](size_t n) { return "<div>x" + Repeat("</p></br></x>", n); }},
      {"distinct unknown names",
       [](size_t n) {
         std::string page;
         for (size_t i = 0; i < n; ++i) page += "<q" + std::to_string(i) + ">";
         return page;
       }},
      {"attributes of one tag",
       [](size_t n) {
         std::string page = "<div";
         for (size_t i = 0; i < n; ++i) page += " a" + std::to_string(i) + "=v";
         return page + ">x";
       }},
      {"short texts between tags", [](size_t n) { return Repeat("a<i>b</i><!---->&amp;", n); }},
      {"unclosed cells and items", [](size_t n) { return "<table>" + Repeat("<tr><td><ul><li>x", n); }},
  };
  for (const auto& p : pages) {
    const std::string small = p.page(kUnits / 4);
    const std::string big = p.page(kUnits);
    const size_t smallPeak = PeakBytesOfParse(small);
    const size_t bigPeak = PeakBytesOfParse(big);
    EXPECT_LE(bigPeak, kBytesPerPageByte * big.size()) << p.what << ": " << big.size() << " bytes";
    // Four times the page: at most about four times the memory (a vector's
    // doubling may land on either side).
    EXPECT_LE(double(bigPeak) / double(smallPeak), 4.0 * 2.2) << p.what;
  }
}

}  // namespace
}  // namespace html
