#pragma once
// The messages and errors of failed file operations. ioErrorMessage (CardFile.h)
// maps an errno value; these helpers add what only the path can tell.
#include <QString>

// The message for a failed open or create of path: a missing file in an
// existing folder is "file not found", a missing folder an invalid file name.
QString openErrorMessage(const QString &path, int errnoValue);

// Throws a TaveloError with ioErrorMessage(errnoValue).
[[noreturn]] void throwIoError(int errnoValue);

// The path as the system calls take it.
QByteArray nativePath(const QString &path);
