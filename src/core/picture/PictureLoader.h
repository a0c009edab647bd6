#pragma once
// Loads the picture of an image box. The kind of picture is chosen by the file
// name's extension in lower case; the picture is returned only when the whole
// file was read. Failures throw a PictureError with the system's messages and
// the file's path. A file is refused before its body is read when its first
// bytes are not those of its kind or its header declares a picture beyond
// PictureLimits; a JPEG also when it has more scans than they allow.
#include <QImage>
#include <QString>

namespace PictureLoader {

QImage load(const QString &path);

// The size of the picture load() would give, or its failure. The headers
// alone answer when they decide the outcome (an uncompressed bitmap);
// otherwise the picture is decoded.
QSize loadSize(const QString &path);

// The same for bytes already in memory, named by fileName for the extension;
// failures throw a plain TaveloError.
QImage loadFromBytes(const QByteArray &bytes, const QString &fileName);

} // namespace PictureLoader

// A picture to be printed no larger than printedSize: a bigger one is scaled
// down to it, axis by axis (the printer cannot show more pixels than it has),
// a smaller one is returned as it is, never enlarged.
QImage pictureForPrint(const QImage &picture, QSize printedSize);
// The size pictureForPrint gives a raster picture.
QSize pictureForPrintSize(const QImage &picture, QSize printedSize);
