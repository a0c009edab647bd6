#pragma once
// Memory for large decoded pictures, asked of the system in huge pages where
// it gives them: a fresh 8 MB picture otherwise costs some 2000 page faults
// as it is first written, which is most of the time of opening a card.
// Even a huge page must be cleared by the system before it is first
// written: the memory of the last pictures given back is therefore kept for
// the next ones (a card opened after another decodes into the memory of the
// pictures it replaces; a print job frees each full-size picture as soon as
// it is scaled, and decodes the next one into the same memory).
#include <QImage>

#include <cstddef>

namespace PictureMemory {

// An image of the given size and format whose pixels are in such memory
// (plain memory when the system refuses); null when there is none. The
// pixels are not cleared: the caller writes every one.
QImage newImage(int width, int height, QImage::Format format);

// How much memory given back is kept for the next pictures.
std::size_t keptBytes();

} // namespace PictureMemory
