#include "text_storage.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

// The C runtime's realloc copies a large block to grow it, so for a moment the
// old and the new block are both in memory: three times a huge line and more.
// A large block therefore lives in address space reserved ahead, generously,
// and grows by committing pages in place. Pages are only backed once touched.

namespace {

constexpr std::size_t kLargeBlock = 1 << 20;

// Placed at the start of a large block's reservation; the characters follow.
struct LargeBlock {
    std::size_t reserved;
    std::size_t committed;
};
constexpr std::size_t kHeaderSize = 16;
static_assert(sizeof(LargeBlock) <= kHeaderSize, "the header fits before the characters");

LargeBlock* HeaderOf(void* block)
{
    return reinterpret_cast<LargeBlock*>(static_cast<char*>(block) - kHeaderSize);
}

bool Commit(LargeBlock* header, std::size_t size)
{
    if (size <= header->committed) {
        return true;
    }
    if (!VirtualAlloc(header, size, MEM_COMMIT, PAGE_READWRITE)) {
        return false;
    }
    header->committed = size;
    return true;
}

// A new reservation for at least `size` bytes: as much as 1 GiB when the address
// space has it, so that the block seldom moves again, else less.
LargeBlock* Reserve(std::size_t size)
{
    for (std::size_t reserve = std::size_t{1} << 30; reserve >= size; reserve /= 2) {
        void* region = VirtualAlloc(nullptr, reserve, MEM_RESERVE, PAGE_NOACCESS);
        if (region) {
            LargeBlock* header = static_cast<LargeBlock*>(region);
            if (!VirtualAlloc(region, kHeaderSize, MEM_COMMIT, PAGE_READWRITE)) {
                VirtualFree(region, 0, MEM_RELEASE);
                return nullptr;
            }
            header->reserved = reserve;
            header->committed = kHeaderSize;
            return header;
        }
    }
    void* region = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!region) {
        return nullptr;
    }
    LargeBlock* header = static_cast<LargeBlock*>(region);
    header->reserved = header->committed = size;
    return header;
}

}  // namespace

void* GrowTextStorage(void* block, std::size_t oldSize, std::size_t newSize) noexcept
{
    if (newSize < kLargeBlock && oldSize < kLargeBlock) {
        return std::realloc(block, newSize);
    }
    if (newSize > static_cast<std::size_t>(-1) - kHeaderSize) {
        return nullptr;
    }
    const std::size_t needed = newSize + kHeaderSize;
    if (oldSize >= kLargeBlock) {
        LargeBlock* header = HeaderOf(block);
        if (needed <= header->reserved) {
            return Commit(header, needed) ? block : nullptr;
        }
    }
    LargeBlock* header = Reserve(needed);
    if (!header || !Commit(header, needed)) {
        if (header) {
            VirtualFree(header, 0, MEM_RELEASE);
        }
        return nullptr;
    }
    void* grown = reinterpret_cast<char*>(header) + kHeaderSize;
    if (block) {
        std::memcpy(grown, block, oldSize);
        FreeTextStorage(block, oldSize);
    }
    return grown;
}

void FreeTextStorage(void* block, std::size_t size) noexcept
{
    if (size < kLargeBlock) {
        std::free(block);
    } else {
        VirtualFree(HeaderOf(block), 0, MEM_RELEASE);
    }
}
