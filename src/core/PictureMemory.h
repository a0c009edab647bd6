#pragma once
// Memory for large decoded pictures, asked of the system in huge pages where
// it gives them: a fresh 8 MB picture otherwise costs some 2000 page faults
// as it is first written, which is most of the time of opening a card.
#include <QImage>

namespace PictureMemory {

// An image of the given size and format whose pixels are in such memory
// (plain memory when the system refuses); null when there is none.
QImage newImage(int width, int height, QImage::Format format);

} // namespace PictureMemory
