#pragma once

#include <cstddef>

namespace varnelo {

// Blocks at least this large are taken from the system apart and given back when freed.
inline constexpr std::size_t kLargeBlockBytes = 128 * 1024;

// Makes every later block of kLargeBlockBytes or more a mapping of its own, returned to the
// system the moment it is freed. The allocator would otherwise raise that threshold after the
// first large free and keep later page images and frames in its heap, where a freed one still
// counts as the program's memory. False where the allocator cannot be told (not glibc, or a
// sanitizer's allocator); nothing changes then.
bool ReturnLargeBlocksWhenFreed();

}  // namespace varnelo
