#pragma once
// Replaces a file as a whole: the new content goes to a temporary file in the
// same folder, is synced to the disk and then renamed over the old file. When
// any step fails the temporary file is removed, the old file stays as it was,
// and a TaveloError with the I/O message is thrown.
#include <QByteArray>
#include <QString>

namespace AtomicFile {

void replace(const QString &path, const QByteArray &content);

} // namespace AtomicFile
