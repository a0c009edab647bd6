#pragma once
// Opening a file for reading that never blocks and never reads from anything
// but a regular file: a FIFO or a device would hang the program or never end.
#include "files/UniqueFd.h"

#include <QString>

#include <cstdint>

struct OpenedFile {
    UniqueFd fd;
    std::int64_t size = 0;   // the size when it was opened
    int error = 0;           // errno of the failure; EISDIR for a folder, EINVAL for any other non-file
    bool notRegular = false; // a FIFO, a device or a socket
    bool ok() const { return fd.isOpen(); }
};

OpenedFile openRegularFile(const QString &path);

// Why path could not be opened, as a read reports it: the I/O message, or
// that path names a device or a pipe.
QString openFailureMessage(const QString &path, const OpenedFile &file);

// read() that retries after signals; returns the byte count, or −1 with errno set.
long long readSome(int fd, char *buffer, long long size);
