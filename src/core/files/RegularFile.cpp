#include "files/RegularFile.h"

#include "base/FileErrors.h"
#include "base/Messages.h"

#include <fcntl.h>
#include <sys/stat.h>

OpenedFile openRegularFile(const QString &path)
{
    OpenedFile file;
    const QByteArray native = nativePath(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        file.error = errno;
        return file;
    }
    UniqueFd owned(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        file.error = errno;
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        file.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        file.notRegular = !S_ISDIR(st.st_mode);
        return file;
    }
    file.size = static_cast<std::int64_t>(st.st_size);
    file.fd = std::move(owned);
    return file;
}

QString openFailureMessage(const QString &path, const OpenedFile &file)
{
    return file.notRegular ? Msg::notRegularFile(path) : openErrorMessage(path, file.error);
}

long long readSome(int fd, char *buffer, long long size)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}
