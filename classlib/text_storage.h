#pragma once

#include <cstddef>

// The storage of CString's characters, which may grow to hold a line of any
// length. Growing a block keeps its first `oldSize` bytes. Both functions are
// told the block's current size, which is how they know where it came from.

// Grows `block` (null with `oldSize` 0 for a new one) to at least `newSize`
// bytes; null when there is no memory for it, and then `block` is unchanged.
void* GrowTextStorage(void* block, std::size_t oldSize, std::size_t newSize) noexcept;
void FreeTextStorage(void* block, std::size_t size) noexcept;
