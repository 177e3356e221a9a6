// The largest page we accept, for every part that reads pages.
#pragma once

#include <cstddef>

namespace core {

// A fetch whose body grows past it fails, and the tree builder gives no tree
// for a bigger page: real article pages are a few MB at most, an endless
// stream must not take all memory, and the tree's 32-bit offsets stay far
// from their end.
inline constexpr size_t kLargestPageBytes = size_t(64) << 20;

}  // namespace core
