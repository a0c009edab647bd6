#include "session/RecoveryCopies.h"

#include "base/FileErrors.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char *LockSuffix = ".lock";
constexpr const char *CardSuffix = ".tvl";
constexpr const char *NameSuffix = ".name";

QString newSessionId()
{
    return QStringLiteral("%1-%2")
        .arg(::getpid())
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

// Opens (creating it) and locks a lock file without waiting; closed and
// empty when another process holds it or it cannot be opened.
UniqueFd lockFile(const QString &path)
{
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (fd.isOpen() && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        fd.reset();
        errno = error;
    }
    return fd;
}

// Why the folder takes no copy: a file that stands where the folder, or a
// folder above it, should be is named; else the I/O message of creating path.
QString folderProblem(const QString &folder, const QString &path, int error)
{
    for (QFileInfo at(folder);; at = QFileInfo(at.path())) {
        if (at.exists() || at.isSymLink()) {
            if (!at.isDir())
                return Msg::notAFolder(at.filePath());
            break;
        }
        if (at.path() == at.filePath())
            break;
    }
    return openErrorMessage(path, error);
}

QString readName(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(4096));
}

} // namespace

namespace RecoveryFolder {

QString defaultPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tavelo/recovery");
}

} // namespace RecoveryFolder

void LoadLeftCopy(CardDocument &doc, const LeftCopy &copy)
{
    struct MarkModified {
        CardDocument &doc;
        ~MarkModified() { doc.SetModified(); }
    } mark{doc};
    LoadCardFile(doc, copy.cardPath);
}

RecoverySession::RecoverySession(const QString &folder) : m_folder(folder), m_id(newSessionId())
{
    ensureLock();   // a folder that cannot be made now is tried again on writing
}

RecoverySession::~RecoverySession()
{
    releaseClaimed();
    removeFiles(m_id, m_lock.isOpen());
}

QString RecoverySession::path(const QString &id, const char *suffix) const
{
    return m_folder + QLatin1Char('/') + id + QLatin1String(suffix);
}

bool RecoverySession::ensureLock()
{
    if (m_lock.isOpen())
        return true;
    if (!QDir().mkpath(m_folder))
        return false;
    m_lock = lockFile(path(m_id, LockSuffix));
    if (!m_lock.isOpen())
        return false;
    // The process id is for people looking into the folder; the lock is what
    // tells whether the program still runs.
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    if (::ftruncate(m_lock.get(), 0) == 0) {
        const ssize_t written = ::write(m_lock.get(), pid.constData(), size_t(pid.size()));
        Q_UNUSED(written);
    }
    return true;
}

bool RecoverySession::hasCopy() const
{
    return QFileInfo::exists(cardPath());
}

void RecoverySession::write(const QByteArray &cardBytes, const QString &docFileName)
{
    if (!ensureLock()) {
        const int error = errno;
        throw TaveloError(folderProblem(m_folder, path(m_id, LockSuffix), error));
    }
    AtomicFile::replace(path(m_id, NameSuffix), docFileName.toUtf8());
    AtomicFile::replace(cardPath(), cardBytes);
}

void RecoverySession::discard()
{
    QFile::remove(cardPath());
    QFile::remove(path(m_id, NameSuffix));
}

void RecoverySession::removeFiles(const QString &id, bool withLock) const
{
    QFile::remove(path(id, CardSuffix));
    QFile::remove(path(id, NameSuffix));
    if (withLock)
        QFile::remove(path(id, LockSuffix));   // only by the holder of the lock
}

const std::vector<LeftCopy> &RecoverySession::claimLeftCopies()
{
    QSet<QString> ids;
    const QStringList files = QDir(m_folder).entryList({QStringLiteral("*.lock"), QStringLiteral("*.tvl")}, QDir::Files);
    for (const QString &file : files)
        ids.insert(QFileInfo(file).completeBaseName());
    for (const Claim &claim : m_claims)
        ids.remove(claim.copy.id);
    ids.remove(m_id);

    for (const QString &id : std::as_const(ids)) {
        UniqueFd lock = lockFile(path(id, LockSuffix));
        if (!lock.isOpen())
            continue;   // its program is running
        const QFileInfo card(path(id, CardSuffix));
        if (!card.exists()) {
            removeFiles(id, true);   // a program that ended before it had a copy
            continue;
        }
        LeftCopy copy{id, card.filePath(), readName(path(id, NameSuffix)), card.lastModified()};
        m_claims.push_back({copy, std::move(lock)});
    }
    std::stable_sort(m_claims.begin(), m_claims.end(),
                     [](const Claim &a, const Claim &b) { return a.copy.written > b.copy.written; });
    m_claimed.clear();
    for (const Claim &claim : m_claims)
        m_claimed.push_back(claim.copy);
    return m_claimed;
}

void RecoverySession::deleteClaimed(const QString &id)
{
    for (auto it = m_claims.begin(); it != m_claims.end();) {
        if (id.isEmpty() || it->copy.id == id) {
            removeFiles(it->copy.id, true);
            it = m_claims.erase(it);
        } else {
            ++it;
        }
    }
    m_claimed.erase(std::remove_if(m_claimed.begin(), m_claimed.end(),
                                   [&](const LeftCopy &c) { return id.isEmpty() || c.id == id; }),
                    m_claimed.end());
}

void RecoverySession::releaseClaimed()
{
    m_claims.clear();
    m_claimed.clear();
}
