#include "base/FileErrors.h"
#include "cardfile/CardFile.h"

#include "base/Messages.h"
#include "base/TaveloError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

QString ioErrorMessage(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return Msg::fileNotFound();
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return Msg::invalidFileName();
    case EMFILE:
    case ENFILE:
        return Msg::tooManyOpenFiles();
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:   // a folder cannot be opened as a file: refused, as on the system this format comes from
    case ETXTBSY:
        return Msg::accessDenied();
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Msg::diskFull();
    default:
        return Msg::otherIoError(errnoValue);
    }
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString openErrorMessage(const QString &path, int errnoValue)
{
    if (errnoValue == ENOENT) {
        struct stat st {};
        const QByteArray folder = nativePath(QFileInfo(path).path());
        if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return Msg::invalidFileName();
    }
    return ioErrorMessage(errnoValue);
}

void throwIoError(int errnoValue)
{
    throw TaveloError(ioErrorMessage(errnoValue));
}
