#pragma once
// Replaces a file as a whole: the new content goes to a temporary file in the
// same folder, is synced to the disk and then renamed over the old file. When
// any step fails the temporary file is removed, the old file stays as it was,
// and a TaveloError with the I/O message is thrown.
#include <QByteArray>
#include <QString>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace AtomicFile {

// The calls that write the new content and put it in place. Tests replace
// them to fail at a chosen moment, as a full disk or a failing drive would.
struct SystemCalls {
    std::function<ssize_t(int fd, const void *bytes, size_t size)> write = ::write;
    std::function<int(int fd)> fsync = ::fsync;
    std::function<int(const char *from, const char *to)> rename = ::rename;
};

void replace(const QString &path, const QByteArray &content, const SystemCalls &calls = SystemCalls());

} // namespace AtomicFile
