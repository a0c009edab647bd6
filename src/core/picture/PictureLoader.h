#pragma once
// Loads the picture of an image box. The kind of picture is chosen by the file
// name's extension in lower case; the picture is returned only when the whole
// file was read. Failures throw a PictureError with the system's messages and
// the file's path.
#include <QImage>
#include <QString>

namespace PictureLoader {

QImage load(const QString &path);

// The same for bytes already in memory, named by fileName for the extension;
// failures throw a plain TaveloError.
QImage loadFromBytes(const QByteArray &bytes, const QString &fileName);

} // namespace PictureLoader

// A picture to be printed no larger than printedSize: a bigger one is scaled
// down to it, axis by axis (the printer cannot show more pixels than it has),
// a smaller one is returned as it is, never enlarged.
QImage pictureForPrint(const QImage &picture, QSize printedSize);
