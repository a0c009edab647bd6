#include "files/AtomicFile.h"

#include "base/FileErrors.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "files/SaveTemporary.h"
#include "files/UniqueFd.h"

#include <QFileInfo>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A symbolic link stays a link: the file it points to is replaced.
QByteArray resolvedTarget(const QByteArray &target)
{
    struct stat st {};
    if (::lstat(target.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return target;
    char resolved[PATH_MAX];
    if (!::realpath(target.constData(), resolved))
        return target;
    return QByteArray(resolved);
}

QByteArray folderOf(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return target.left(slash);
}

int writeAll(int fd, const QByteArray &content, const AtomicFile::SystemCalls &calls)
{
    const char *p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = calls.write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;   // no progress: do not wait for it forever
        p += n;
        left -= n;
    }
    return 0;
}

// Keeps the mode of the file being replaced; a new file keeps the default.
void copyMode(int fd, const QByteArray &target)
{
    struct stat st {};
    if (::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
}

int syncAndClose(UniqueFd &fd, const AtomicFile::SystemCalls &calls)
{
    if (calls.fsync(fd.get()) != 0)
        return errno;
    return fd.close();
}

void syncFolder(const QByteArray &folder)
{
    UniqueFd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(dir.get());   // best effort: the rename itself has succeeded
}

} // namespace

namespace AtomicFile {

void replace(const QString &path, const QByteArray &content, const SystemCalls &calls)
{
    if (QFileInfo(path).fileName().isEmpty())
        throw TaveloError(Msg::invalidFileName());
    const QByteArray target = resolvedTarget(nativePath(path));
    const QByteArray folder = folderOf(target);

    // A file the user may not write stays as it is, although the folder
    // would allow replacing it.
    if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0)
        throwIoError(errno);

    SaveTemporary::removeStale(folder);   // what killed saves left behind
    SaveTemporary::Locked locked = SaveTemporary::create(folder);
    if (locked.name.isEmpty())
        throw TaveloError(openErrorMessage(QFile::decodeName(target), errno));
    const QByteArray &temporary = locked.name;
    UniqueFd &fd = locked.fd;

    copyMode(fd.get(), target);
    int error = writeAll(fd.get(), content, calls);
    if (error == 0)
        error = syncAndClose(fd, calls);
    if (error == 0 && calls.rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        fd.reset();
        ::unlink(temporary.constData());
        throwIoError(error);
    }
    syncFolder(folder);
}

} // namespace AtomicFile
