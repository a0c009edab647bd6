#pragma once
// What the test process holds now: heap bytes and open files, for tests that
// check that long sessions do not grow.
#include <QDir>
#include <QSemaphore>
#include <QThreadPool>

#include <cstddef>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define TAVELO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVELO_ASAN 1
#endif
#endif
#ifdef TAVELO_ASAN
// From the AddressSanitizer run-time, which keeps the heap itself.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace ProcessUsage {

inline std::size_t heapInUse()
{
#ifdef TAVELO_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

inline int openFileCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// Every thread of Qt's pool holds an event notifier (an eventfd) while it
// lives, and the pool starts its threads as work comes: a test that counts
// open files starts them all first and keeps them, so that what it counts
// is the program's.
inline void startEveryPoolThread()
{
    QThreadPool *pool = QThreadPool::globalInstance();
    pool->setExpiryTimeout(-1);
    QSemaphore arrived, go, done;
    for (int n = 0; n < pool->maxThreadCount(); ++n) {
        pool->start([&] {
            arrived.release();
            go.acquire();
            done.release();
        });
    }
    arrived.acquire(pool->maxThreadCount());
    go.release(pool->maxThreadCount());
    done.acquire(pool->maxThreadCount());   // not waitForDone(), which ends the threads
}

} // namespace ProcessUsage
