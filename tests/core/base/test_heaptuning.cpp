// The heap keeps the PDF writer's large stream buffers from one stream to the
// next: neither mapped afresh for each one nor given back after it.
#include "base/HeapTuning.h"

#include <QtTest>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVELO_OWN_ALLOCATOR 1
#endif

class TestHeapTuning : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streamBuffersStayInTheHeap();
};

void TestHeapTuning::streamBuffersStayInTheHeap()
{
#if !defined(__GLIBC__) || defined(TAVELO_OWN_ALLOCATOR)
    QSKIP("glibc's allocator only");
#else
    QVERIFY(HeapTuning::keepLargeBuffers());
    // Two buffers of the writer's size, used and freed as for every page.
    constexpr size_t bufferBytes = 16 * 1024 * 1024 + 4096;
    for (int stream = 0; stream < 3; ++stream) {
        const struct mallinfo2 before = mallinfo2();
        char *in = static_cast<char *>(std::malloc(bufferBytes));
        char *out = static_cast<char *>(std::malloc(bufferBytes));
        QVERIFY(in && out);
        std::memset(in, stream, 4096);
        std::memcpy(out, in, 4096);
        const struct mallinfo2 during = mallinfo2();
        // From the heap, not from mappings of their own.
        QCOMPARE(during.hblks, before.hblks);
        std::free(out);
        std::free(in);
        // The heap is not given back for the next stream to grow it again.
        QVERIFY2(mallinfo2().arena >= 2 * bufferBytes, "the heap was trimmed");
    }
#endif
}

QTEST_APPLESS_MAIN(TestHeapTuning)
#include "test_heaptuning.moc"
