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

// A symbolic link is followed to the file it points to, under the rule of
// WriteTarget; a device, a pipe or anything else that is not a regular file
// is refused with a message naming path.
void replace(const QString &path, const QByteArray &content, const SystemCalls &calls = SystemCalls());

// The output of a job: a FIFO, a character device or one of the process's
// own open files (/dev/stdout) is written to in order, as a stream; anything
// else is replaced as a whole, as replace() does.
void write(const QString &path, const QByteArray &content);

// Writes all of content to fd, or throws a TaveloError with the I/O message.
void writeStream(int fd, const QByteArray &content);

} // namespace AtomicFile
