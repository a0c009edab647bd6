#include "picture/PictureMemory.h"

#include <sys/mman.h>

#include <QMutex>

#include <cstdint>
#include <optional>
#include <vector>

namespace PictureMemory {
namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;
// Below this a picture takes ordinary memory: a huge page would be mostly empty.
constexpr std::size_t SmallestMapped = HugePage;

// Memory given back kept for the next pictures: enough for a card of twenty
// pictures of a few megapixels each, so that opening a card after another
// finds its memory already cleared, and for the pictures in flight in a print
// job (one per core). The system may take kept memory back whenever it needs
// it (it is handed to it as free); a picture then gets fresh memory.
constexpr std::size_t KeptBytes = std::size_t(256) << 20;

struct Mapping {
    void *start;
    std::size_t length;
};

class KeptMemory
{
public:
    // The smallest kept mapping of at least length bytes and at most twice
    // that, or nothing.
    std::optional<Mapping> take(std::size_t length)
    {
        const QMutexLocker lock(&m_mutex);
        auto best = m_kept.end();
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (it->length >= length && it->length / 2 <= length && (best == m_kept.end() || it->length < best->length))
                best = it;
        }
        if (best == m_kept.end())
            return std::nullopt;
        const Mapping found = *best;
        m_kept.erase(best);
        m_keptBytes -= found.length;
        return found;
    }
    // Keeps mapping for later, or gives it back to the system.
    void giveBack(Mapping mapping)
    {
        {
            const QMutexLocker lock(&m_mutex);
            if (m_keptBytes + mapping.length <= KeptBytes) {
                // Until written again its pages are the system's to take;
                // those it has not taken keep their contents, and a write
                // makes them the picture's again without a fault.
                ::madvise(mapping.start, mapping.length, MADV_FREE);
                m_kept.push_back(mapping);
                m_keptBytes += mapping.length;
                return;
            }
        }
        ::munmap(mapping.start, mapping.length);
    }

    std::size_t keptBytes()
    {
        const QMutexLocker lock(&m_mutex);
        return m_keptBytes;
    }

private:
    QMutex m_mutex;
    std::vector<Mapping> m_kept;
    std::size_t m_keptBytes = 0;
};

KeptMemory &keptMemory()
{
    static KeptMemory *kept = new KeptMemory;   // outlives every picture
    return *kept;
}

void unmap(void *info)
{
    const Mapping *mapping = static_cast<Mapping *>(info);
    keptMemory().giveBack(*mapping);
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

std::size_t keptBytes() { return keptMemory().keptBytes(); }

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
    const std::optional<Mapping> kept = keptMemory().take(length);
    const Mapping memory = kept ? *kept : Mapping{mapAligned(length), length};
    if (!memory.start)
        return QImage(width, height, format);
    auto *mapping = new Mapping(memory);
    QImage image(static_cast<uchar *>(memory.start), width, height, qsizetype(bytesPerLine), format, unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

} // namespace PictureMemory
