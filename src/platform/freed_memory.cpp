#include "platform/freed_memory.h"

#include <cstdlib>  // defines __GLIBC__ with glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace ondrix {

void mapLargeBlocksOnTheirOwn() {
#if defined(__GLIBC__)
    // Set explicitly, the threshold stays where it is put.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace ondrix
