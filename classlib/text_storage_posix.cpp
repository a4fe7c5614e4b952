#include "text_storage.h"

#include <cstdlib>

// glibc's realloc moves the pages of a large block instead of copying them, so a
// growing line never needs twice its memory.

void* GrowTextStorage(void* block, std::size_t, std::size_t newSize) noexcept
{
    return std::realloc(block, newSize);
}

void FreeTextStorage(void* block, std::size_t) noexcept
{
    std::free(block);
}
