#pragma once
// Where a write to a path lands. Symbolic links are followed one by one, the
// way the system's protected-symlinks rule follows them: a link in a folder
// that everyone may write to and that keeps its entries to their owners (the
// sticky bit, as /tmp) is followed only when it is the user's own or the
// folder owner's. Another user's link there could send a save of ours over
// any file we may write, or a device.
#include <QByteArray>
#include <QString>

struct WriteTarget {
    enum class Kind {
        Missing,      // nothing there yet (or its folder cannot be looked into)
        File,         // a regular file
        Folder,
        Stream,       // a FIFO or a character device: written to in order
        Descriptor,   // one of this process's open files (/dev/stdout, /dev/fd/N)
        Other,        // a block device or a socket
    };
    Kind kind = Kind::Missing;
    QByteArray path;      // absolute, every link followed
    int descriptor = -1;  // Kind::Descriptor: the descriptor
    QString refusal;      // when not empty, why the path must not be written
    int error = 0;        // errno of a path that cannot be resolved (ELOOP)

    bool refused() const { return !refusal.isEmpty() || error != 0; }
};

// Resolves path for writing; nothing is created or changed.
WriteTarget writeTarget(const QString &path);
