#include "base/HeapTuning.h"

#include <cstdlib>   // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace HeapTuning {

bool keepLargeBuffers()
{
#if defined(__GLIBC__)
    return mallopt(M_MMAP_THRESHOLD, MappedBlockBytes) == 1 && mallopt(M_TRIM_THRESHOLD, KeptTopBytes) == 1;
#else
    return false;
#endif
}

} // namespace HeapTuning
