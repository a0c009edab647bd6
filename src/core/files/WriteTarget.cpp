#include "files/WriteTarget.h"

#include "base/FileErrors.h"
#include "base/Messages.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace {

// As many links as the system follows in one path.
constexpr int MaxLinks = 40;

// A folder everyone may write to, whose entries only their owners may
// remove or rename: /tmp, /var/tmp, /dev/shm.
bool isSharedSticky(const struct stat &folder)
{
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

// Whether an entry owned by owner in folder is the user's to follow or write.
bool mayUse(uid_t owner, const struct stat &folder)
{
    return !isSharedSticky(folder) || owner == ::geteuid() || owner == folder.st_uid;
}

bool onProcFs(const QByteArray &folder)
{
    struct statfs fs {};
    return ::statfs(folder.constData(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// The descriptor that the link name in folder stands for when folder is this
// process's descriptor folder (/proc/PID/fd or /proc/PID/task/TID/fd), or −1.
int ownDescriptor(const QByteArray &folder, const QByteArray &name)
{
    const QList<QByteArray> parts = folder.split('/');
    const qsizetype n = parts.size();
    const QByteArray pid = QByteArray::number(::getpid());
    const bool ours = n >= 3 && parts[n - 1] == "fd"
                      && (parts[n - 2] == pid || (n >= 5 && parts[n - 3] == "task" && parts[n - 4] == pid));
    bool isNumber = false;
    const int fd = name.toInt(&isNumber);
    return ours && isNumber && fd >= 0 ? fd : -1;
}

// A link of /proc that names no path: a pipe, a socket, an anonymous inode.
bool namesNoPath(const QByteArray &text)
{
    return !text.startsWith('/') && text.contains(':');
}

QString shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

} // namespace

WriteTarget writeTarget(const QString &path)
{
    WriteTarget target;
    const QByteArray native = nativePath(path);
    // resolved never ends in '/': the root is the empty string.
    QByteArray resolved;
    if (!native.startsWith('/')) {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            target.error = errno;
            return target;
        }
        resolved = cwd;
        if (resolved == "/")
            resolved.clear();
    }
    // The names still to walk, the next one last.
    std::vector<QByteArray> pending;
    const auto push = [&pending](const QByteArray &text) {
        const QList<QByteArray> names = text.split('/');
        for (auto it = names.crbegin(); it != names.crend(); ++it)
            pending.push_back(*it);
    };
    push(native);

    int links = 0;
    while (!pending.empty()) {
        const QByteArray name = pending.back();
        pending.pop_back();
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            resolved.truncate(std::max<qsizetype>(0, resolved.lastIndexOf('/')));
            continue;
        }
        const QByteArray candidate = resolved + '/' + name;
        struct stat entry {};
        if (::lstat(candidate.constData(), &entry) != 0) {
            // Nothing further to follow: the rest is named as given, and the
            // write itself tells what is missing.
            target.path = candidate;
            while (!pending.empty()) {
                target.path += '/' + pending.back();
                pending.pop_back();
            }
            return target;
        }
        if (!S_ISLNK(entry.st_mode)) {
            resolved = candidate;
            continue;
        }
        const QByteArray folder = resolved.isEmpty() ? QByteArrayLiteral("/") : resolved;
        struct stat folderStat {};
        if (::stat(folder.constData(), &folderStat) != 0) {
            target.error = errno;
            return target;
        }
        if (!mayUse(entry.st_uid, folderStat)) {
            target.path = candidate;
            target.refusal = Msg::linkNotFollowed(shown(candidate));
            return target;
        }
        if (++links > MaxLinks) {
            target.error = ELOOP;
            return target;
        }
        const bool proc = onProcFs(folder);
        const int descriptor = proc ? ownDescriptor(folder, name) : -1;
        if (descriptor >= 0) {
            // /dev/stdout and its kin: the open file itself, at its offset,
            // as a shell's redirection left it.
            struct stat opened {};
            target.path = candidate;
            if (!pending.empty()) {
                target.error = ENOTDIR;
            } else if (::fstat(descriptor, &opened) != 0) {
                target.error = errno;
            } else {
                target.kind = WriteTarget::Kind::Descriptor;
                target.descriptor = descriptor;
            }
            return target;
        }
        char text[PATH_MAX];
        const ssize_t length = ::readlink(candidate.constData(), text, sizeof text);
        if (length < 0) {
            target.error = errno;
            return target;
        }
        if (size_t(length) == sizeof text) {
            target.error = ENAMETOOLONG;
            return target;
        }
        const QByteArray link(text, qsizetype(length));
        if (proc && namesNoPath(link)) {
            target.path = candidate;
            target.kind = WriteTarget::Kind::Other;
            return target;
        }
        if (link.startsWith('/'))
            resolved.clear();
        push(link);
    }

    target.path = resolved.isEmpty() ? QByteArrayLiteral("/") : resolved;
    struct stat last {};
    if (::lstat(target.path.constData(), &last) != 0)
        return target;
    if (S_ISREG(last.st_mode)) {
        target.kind = WriteTarget::Kind::File;
    } else if (S_ISDIR(last.st_mode)) {
        target.kind = WriteTarget::Kind::Folder;
    } else if (S_ISFIFO(last.st_mode) || S_ISCHR(last.st_mode)) {
        target.kind = WriteTarget::Kind::Stream;
        // Another user's pipe in /tmp would take what we write: not ours to feed.
        const qsizetype slash = target.path.lastIndexOf('/');
        const QByteArray folder = slash > 0 ? target.path.left(slash) : QByteArrayLiteral("/");
        struct stat folderStat {};
        if (::stat(folder.constData(), &folderStat) == 0 && !mayUse(last.st_uid, folderStat))
            target.refusal = Msg::foreignStream(shown(target.path));
    } else {
        target.kind = WriteTarget::Kind::Other;
    }
    return target;
}
