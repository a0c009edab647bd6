#pragma once
// What a file on disk was when the program read or wrote it: enough to tell,
// before a card is saved over it, whether another program has changed it
// since. Without the check the other program's work would be lost without a
// word (both open the card, one saves, then the other).
#include <QByteArray>
#include <QString>

#include <cstdint>

struct FileFingerprint {
    // Larger files are told apart by size, time and identity alone: hashing
    // them would cost seconds, and no card the program writes comes near
    // (20 captions of 32 767 double-byte characters are 1.3 MB).
    static constexpr std::int64_t HashedBytesLimit = std::int64_t(64) << 20;

    bool exists = false;   // false: there was no file at the path
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;   // modification time, nanoseconds since the epoch
    std::uint64_t device = 0;      // with inode: a file renamed into place is another file
    std::uint64_t inode = 0;
    QByteArray hash;   // SHA-256 of the bytes; empty when not read (too large, unreadable)

    // What path holds now, following links as reading and saving do.
    static FileFingerprint of(const QString &path);
    // The regular file open at fd, read from its start (its offset is kept).
    static FileFingerprint ofOpenFile(int fd);
    // bytes were just written to path: their hash, the rest from the disk.
    static FileFingerprint ofWritten(const QString &path, const QByteArray &bytes);

    // Size, time and identity are those of other (the bytes are not compared).
    bool sameStat(const FileFingerprint &other) const;
};

enum class DiskChange {
    None,      // the file is as known (or whether it is cannot be told)
    Changed,   // other bytes, or a file where there was none
    Missing,   // the file was there and is gone (deleted, moved)
};

// How the file at path differs from known. The bytes decide where both have a
// hash: the same bytes saved again, or a file only touched, is no change.
// quick: unchanged size, time and identity count as no change without
// reading the bytes (for checks made often; a save makes the full one).
DiskChange compareWithDisk(const FileFingerprint &known, const QString &path, bool quick = false);
