#include "platform/freedmemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace varnelo {

bool ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // A fixed threshold also turns off glibc's raising of it; mallopt gives 1 on success.
    return mallopt(M_MMAP_THRESHOLD, int(kLargeBlockBytes)) == 1;
#else
    return false;
#endif
}

}  // namespace varnelo
