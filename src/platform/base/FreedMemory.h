#pragma once

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace brimlark {

// Hands back to the system what the allocator keeps of freed memory in its
// areas, each thread's own among them: after a burst of work on a pool,
// megabytes the idle program would otherwise go on holding.
inline void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace brimlark
