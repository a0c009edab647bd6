#include "files/AtomicFile.h"

#include "base/FileErrors.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "files/SaveTemporary.h"
#include "files/UniqueFd.h"
#include "files/WriteTarget.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

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

// Keeps the permissions of the file being replaced; a new file keeps the
// default. Set-user and set-group bits are not carried to the new content.
void copyMode(int fd, const QByteArray &target)
{
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 0777);
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

namespace {
// Where path leads, links followed under the rule of WriteTarget; a name
// that is no file name, a refused link or a failed lookup throws.
WriteTarget checkedTarget(const QString &path)
{
    if (QFileInfo(path).fileName().isEmpty())
        throw TaveloError(Msg::invalidFileName());
    WriteTarget resolved = writeTarget(path);
    if (!resolved.refusal.isEmpty())
        throw TaveloError(resolved.refusal);
    if (resolved.error != 0)
        throwIoError(resolved.error);
    return resolved;
}
} // namespace

namespace AtomicFile {

void replace(const QString &path, const QByteArray &content, const SystemCalls &calls)
{
    // A link is followed and stays a link: the file it points to is replaced.
    const WriteTarget resolved = checkedTarget(path);
    // A device or a pipe is never replaced by a file; nor is it written to:
    // what a save puts there is gone.
    using Kind = WriteTarget::Kind;
    if (resolved.kind == Kind::Stream || resolved.kind == Kind::Descriptor || resolved.kind == Kind::Other)
        throw TaveloError(Msg::notRegularFile(path));
    const QByteArray &target = resolved.path;
    const QByteArray folder = folderOf(target);

    // A file the user may not write stays as it is, although the folder
    // would allow replacing it.
    if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0)
        throwIoError(errno);

    SaveTemporary::removeStale(folder);   // what killed saves left behind
    SaveTemporary::Locked locked = SaveTemporary::create(folder);
    if (locked.name.isEmpty()) {
        const int error = errno;
        // A folder that exists but takes no new file is named: the file's
        // name alone does not say where the save was refused.
        if (error == EACCES || error == EPERM || error == EROFS)
            throw TaveloError(Msg::cannotWriteInFolder(QFile::decodeName(folder), openErrorMessage(QFile::decodeName(target), error)));
        throw TaveloError(openErrorMessage(QFile::decodeName(target), error));
    }
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

void write(const QString &path, const QByteArray &content)
{
    const WriteTarget resolved = checkedTarget(path);
    switch (resolved.kind) {
    case WriteTarget::Kind::Descriptor:
        writeStream(resolved.descriptor, content);
        return;
    case WriteTarget::Kind::Stream: {
        // Opened without creating or truncating anything, and checked again
        // once open: a name that became something else meanwhile is refused.
        UniqueFd fd(::open(resolved.path.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW));
        if (!fd.isOpen())
            throw TaveloError(openErrorMessage(path, errno));
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            throwIoError(errno);
        if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode))
            throw TaveloError(Msg::notRegularFile(path));
        writeStream(fd.get(), content);
        if (const int error = fd.close())
            throwIoError(error);
        return;
    }
    case WriteTarget::Kind::Other:
        throw TaveloError(Msg::notRegularFile(path));
    case WriteTarget::Kind::Missing:
    case WriteTarget::Kind::File:
    case WriteTarget::Kind::Folder:
        break;
    }
    replace(path, content);
}

void writeStream(int fd, const QByteArray &content)
{
    if (const int error = writeAll(fd, content, SystemCalls()))
        throwIoError(error);
}

} // namespace AtomicFile
