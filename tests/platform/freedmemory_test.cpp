#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/freedmemory.h"

using namespace varnelo;

#if defined(__GLIBC__)

namespace {

// Bytes the allocator holds in mappings of their own.
size_t mappedBytes() {
    return mallinfo2().hblkhd;
}

// A block written through, which the compiler may not leave out with its free.
void *touched(size_t bytes) {
    void *block = std::malloc(bytes);
    if (block)
        std::memset(block, 1, bytes);
    asm volatile("" : : "r"(block) : "memory");
    return block;
}

}  // namespace

// A page image freed after a larger one was: the allocator has raised its threshold past it by
// then, so without the setting it stays in the heap after free.
TEST(FreedMemory, LargeBlocksGoBackAfterTheThresholdWasRaised) {
    std::free(touched(8 << 20));
    if (!ReturnLargeBlocksWhenFreed())
        GTEST_SKIP() << "the allocator takes no threshold here (sanitizer build)";

    const size_t before = mappedBytes();
    void *frame = touched(1 << 20);
    ASSERT_NE(frame, nullptr);
    EXPECT_GE(mappedBytes(), before + (1 << 20));
    std::free(frame);
    EXPECT_EQ(mappedBytes(), before);

    // Small blocks stay in the heap, where they are cheap.
    const size_t small = kLargeBlockBytes / 4;
    void *row = touched(small);
    EXPECT_EQ(mappedBytes(), before);
    std::free(row);
}

#endif
