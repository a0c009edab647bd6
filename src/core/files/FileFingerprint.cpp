#include "files/FileFingerprint.h"

#include "base/FileErrors.h"
#include "files/UniqueFd.h"

#include <QCryptographicHash>

#include <array>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

FileFingerprint fromStat(const struct stat &st)
{
    FileFingerprint print;
    print.exists = true;
    print.size = std::int64_t(st.st_size);
    print.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + std::int64_t(st.st_mtim.tv_nsec);
    print.device = std::uint64_t(st.st_dev);
    print.inode = std::uint64_t(st.st_ino);
    return print;
}

// SHA-256 of the file's bytes from its start; empty when a read fails.
QByteArray hashOf(int fd)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::array<char, 64 * 1024> buffer;
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return QByteArray();
        }
        if (n == 0)
            return hash.result();
        hash.addData(QByteArrayView(buffer.data(), qsizetype(n)));
        at += n;
    }
}

}   // namespace

FileFingerprint FileFingerprint::ofOpenFile(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return FileFingerprint();
    FileFingerprint print = fromStat(st);
    if (S_ISREG(st.st_mode) && print.size <= HashedBytesLimit)
        print.hash = hashOf(fd);
    return print;
}

FileFingerprint FileFingerprint::of(const QString &path)
{
    // Never blocks on a FIFO and never reads a device: only a regular file's
    // bytes are hashed.
    UniqueFd fd(::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.isOpen())
        return ofOpenFile(fd.get());
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return FileFingerprint();
    return fromStat(st);   // there, but not readable: size, time and identity
}

FileFingerprint FileFingerprint::ofWritten(const QString &path, const QByteArray &bytes)
{
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return FileFingerprint();
    FileFingerprint print = fromStat(st);
    if (print.size <= HashedBytesLimit)
        print.hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    return print;
}

bool FileFingerprint::sameStat(const FileFingerprint &other) const
{
    return exists == other.exists && size == other.size && modifiedNs == other.modifiedNs && device == other.device
           && inode == other.inode;
}

DiskChange compareWithDisk(const FileFingerprint &known, const QString &path, bool quick)
{
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0) {
        const bool gone = errno == ENOENT || errno == ENOTDIR;
        if (!gone)
            return DiskChange::None;   // cannot be told; the save reports its own failure
        return known.exists ? DiskChange::Missing : DiskChange::None;
    }
    if (!known.exists)
        return DiskChange::Changed;
    const FileFingerprint now = fromStat(st);
    if (now.size != known.size)
        return DiskChange::Changed;
    if (quick && now.sameStat(known))
        return DiskChange::None;
    if (!known.hash.isEmpty()) {
        const FileFingerprint read = FileFingerprint::of(path);
        if (!read.hash.isEmpty())
            return read.size == known.size && read.hash == known.hash ? DiskChange::None : DiskChange::Changed;
    }
    return now.sameStat(known) ? DiskChange::None : DiskChange::Changed;
}
