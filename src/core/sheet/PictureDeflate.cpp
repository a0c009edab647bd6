#include "sheet/PictureDeflate.h"

#include <libdeflate.h>

namespace PictureDeflate {
namespace {

// A compressor of this thread's, kept for the next picture: it holds a few
// hundred kilobytes of tables that would otherwise be set up each time.
libdeflate_compressor *compressor()
{
    struct Kept {
        libdeflate_compressor *made = libdeflate_alloc_compressor(Level);
        ~Kept() { libdeflate_free_compressor(made); }
    };
    thread_local Kept kept;
    return kept.made;
}

} // namespace

QByteArray zlibStream(const void *data, std::size_t size)
{
    libdeflate_compressor *deflate = compressor();
    if (!deflate)
        return {};
    const std::size_t bound = libdeflate_zlib_compress_bound(deflate, size);
    QByteArray out(qsizetype(bound), Qt::Uninitialized);
    const std::size_t length = libdeflate_zlib_compress(deflate, data, size, out.data(), bound);
    if (length == 0)
        return {};
    out.truncate(qsizetype(length));
    return out;
}

} // namespace PictureDeflate
