#pragma once
// Qt's PDF writer compresses every stream it writes (a page's content, a
// picture, a font) through two new 16 MiB buffers. With glibc's own
// thresholds, blocks that large come from a fresh mapping, or from the heap
// grown for them and given back as soon as they are freed; either way every
// page of a long job mapped, faulted in and gave back the same memory again,
// zlib's tables with it (a fifth of a 1000-sheet merge on a 2-core machine).
// Raised thresholds keep that memory in the heap from one stream to the next;
// only the pages the buffers are written in ever become resident.
//
// For a process that writes files of many streams (the print and export
// jobs), whose pictures are each freed once scaled. A process that keeps
// many large pictures (the program's Open) is better served by glibc's own
// thresholds: each picture a mapping of its own, not heaps grown for them
// on the threads that decode them (the Open took 1.7 times as long).
namespace HeapTuning {

// Blocks below this come from the heap, and are reused there.
constexpr int MappedBlockBytes = 32 * 1024 * 1024;
// Free memory the heap keeps at its top before giving it back.
constexpr int KeptTopBytes = 64 * 1024 * 1024;

// Sets both; call early in main, before any thread is started.
// Whether the allocator took them.
bool keepLargeBuffers();

} // namespace HeapTuning
