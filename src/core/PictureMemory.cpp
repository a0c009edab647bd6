#include "PictureMemory.h"

#include <sys/mman.h>

#include <cstdint>

namespace PictureMemory {
namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;
// Below this a picture takes ordinary memory: a huge page would be mostly empty.
constexpr std::size_t SmallestMapped = HugePage;

struct Mapping {
    void *start;
    std::size_t length;
};

void unmap(void *info)
{
    const Mapping *mapping = static_cast<Mapping *>(info);
    ::munmap(mapping->start, mapping->length);
    delete mapping;
}

// length bytes on a huge-page boundary, or nothing.
void *mapAligned(std::size_t length)
{
    const std::size_t reserved = length + HugePage;
    void *area = ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (begin + HugePage - 1) & ~std::uintptr_t(HugePage - 1);
    if (aligned > begin)
        ::munmap(area, aligned - begin);
    const std::uintptr_t end = begin + reserved;
    if (end > aligned + length)
        ::munmap(reinterpret_cast<void *>(aligned + length), end - (aligned + length));
    void *start = reinterpret_cast<void *>(aligned);
    ::madvise(start, length, MADV_HUGEPAGE);   // a hint: without it the pages are ordinary
    return start;
}

} // namespace

QImage newImage(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const std::size_t bytesPerLine = (std::size_t(width) * std::size_t(depth) + 31) / 32 * 4;
    const std::size_t bytes = bytesPerLine * std::size_t(height);
    if (bytes < SmallestMapped)
        return QImage(width, height, format);
    const std::size_t length = (bytes + HugePage - 1) / HugePage * HugePage;
    void *start = mapAligned(length);
    if (!start)
        return QImage(width, height, format);
    auto *mapping = new Mapping{start, length};
    QImage image(static_cast<uchar *>(start), width, height, qsizetype(bytesPerLine), format, unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

} // namespace PictureMemory
