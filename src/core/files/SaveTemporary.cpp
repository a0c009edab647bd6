#include "files/SaveTemporary.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace SaveTemporary {
namespace {

constexpr char Prefix[] = ".tavelo-save-";
constexpr char Suffix[] = ".tmp";

bool isTemporaryName(const char *name)
{
    const size_t length = std::strlen(name);
    const size_t prefix = sizeof(Prefix) - 1;
    const size_t suffix = sizeof(Suffix) - 1;
    if (length <= prefix + suffix || std::strncmp(name, Prefix, prefix) != 0
        || std::strcmp(name + length - suffix, Suffix) != 0)
        return false;
    for (size_t i = prefix; i < length - suffix; ++i) {
        if (!std::strchr("0123456789abcdef", name[i]))
            return false;
    }
    return true;
}

// Whether path still names the file open on fd.
bool namesOpenFile(const QByteArray &path, int fd)
{
    struct stat named {};
    struct stat open {};
    return ::lstat(path.constData(), &named) == 0 && ::fstat(fd, &open) == 0 && named.st_dev == open.st_dev
           && named.st_ino == open.st_ino;
}

} // namespace

Locked create(const QByteArray &folder)
{
    Locked temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = folder + '/' + Prefix + QByteArray::number(QRandomGenerator::global()->generate(), 16) + Suffix;
        UniqueFd fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (!fd.isOpen()) {
            if (errno == EEXIST)
                continue;
            return temporary;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                continue;   // another save is removing it as stale: take another name
            // A file system without locks: the file is used unlocked, and no
            // other save can lock it to remove it either.
        } else if (!namesOpenFile(name, fd.get())) {
            continue;       // removed as stale before the lock was taken
        }
        temporary.lock = UniqueFd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
        if (!temporary.lock.isOpen()) {
            const int error = errno;
            ::unlink(name.constData());
            errno = error;
            return temporary;
        }
        temporary.name = name;
        temporary.fd = std::move(fd);
        return temporary;
    }
    errno = EEXIST;
    return temporary;
}

void removeStale(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        const QByteArray path = folder + '/' + entry->d_name;
        const int flags = O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
        UniqueFd fd(::open(path.constData(), O_RDONLY | flags));
        if (!fd.isOpen())
            fd = UniqueFd(::open(path.constData(), O_WRONLY | flags));
        struct stat st {};
        if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        // Locked by us, the file is no longer any save's: unless it has been
        // renamed into place meanwhile, its name goes.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && namesOpenFile(path, fd.get()))
            ::unlink(path.constData());
    }
    ::closedir(dir);
}

} // namespace SaveTemporary
