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
#include <QHash>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *LockSuffix = ".lock";
constexpr const char *CardSuffix = ".tvl";
constexpr const char *NameSuffix = ".name";
// A copy that could not be read back, kept for the user and offered no more.
constexpr const char *SetAsideSuffix = ".bad";

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

bool LoadLeftCopy(CardDocument &doc, const LeftCopy &copy)
{
    // Only a copy read whole is work to keep: a card marked modified after a
    // failed read would be saved, empty, over the card it was named after.
    bool isCard = false;
    // Pictures missing from their paths are looked for beside the card the
    // copy was made of, not beside the copy.
    PictureUse use;
    use.cardPath = copy.docFileName.isEmpty() ? copy.cardPath : copy.docFileName;
    LoadCardFile(doc, copy.cardPath, &isCard, use);
    if (isCard)
        doc.SetModified();
    return isCard;
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

RecoverySession::Listing RecoverySession::list() const
{
    // Read with the system's calls: thousands of entries are listed and
    // timed in a few milliseconds, through one descriptor.
    Listing listing;
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(nativePath(m_folder).constData()), ::closedir);
    if (!dir)
        return listing;
    const QByteArray card(CardSuffix), lock(LockSuffix), aside = card + SetAsideSuffix;
    QHash<QString, QDateTime> cards;
    QStringList locks;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name.endsWith(aside)) {
            listing.setAside << QFile::decodeName(name.chopped(aside.size()));
        } else if (name.endsWith(lock)) {
            locks << QFile::decodeName(name.chopped(lock.size()));
        } else if (name.endsWith(card)) {
            struct stat st {};
            if (::fstatat(::dirfd(dir.get()), name.constData(), &st, 0) == 0 && S_ISREG(st.st_mode))
                cards.insert(QFile::decodeName(name.chopped(card.size())),
                             QDateTime::fromMSecsSinceEpoch(std::int64_t(st.st_mtim.tv_sec) * 1000
                                                            + st.st_mtim.tv_nsec / 1000000));
        }
    }
    cards.remove(m_id);
    for (auto it = cards.cbegin(); it != cards.cend(); ++it)
        listing.copies.emplace_back(it.key(), it.value());
    for (const QString &id : std::as_const(locks))
        if (id != m_id && !cards.contains(id))
            listing.bare << id;
    std::sort(listing.copies.begin(), listing.copies.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    return listing;
}

const std::vector<LeftCopy> &RecoverySession::claimLeftCopies(int limit)
{
    const Listing listing = list();
    // Programs that ended before they had a copy leave a lock alone.
    for (const QString &id : listing.bare) {
        const UniqueFd lock = lockFile(path(id, LockSuffix));
        if (lock.isOpen() && !QFileInfo::exists(path(id, CardSuffix)))
            removeFiles(id, true);
    }
    for (const auto &[id, time] : listing.copies) {
        if (int(m_claims.size()) >= limit)
            break;
        const QString &copyId = id;   // a structured binding cannot be captured in C++17
        const bool claimed =
            std::any_of(m_claims.begin(), m_claims.end(), [&](const Claim &c) { return c.copy.id == copyId; });
        if (claimed)
            continue;
        UniqueFd lock = lockFile(path(id, LockSuffix));
        if (!lock.isOpen())
            continue;   // its program is running
        const QFileInfo card(path(id, CardSuffix));
        if (!card.exists()) {
            removeFiles(id, true);   // taken by another start meanwhile
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

QString RecoverySession::setAsideClaimed(const QString &id)
{
    const auto it = std::find_if(m_claims.begin(), m_claims.end(), [&](const Claim &c) { return c.copy.id == id; });
    const QString card = path(id, CardSuffix);
    if (it == m_claims.end())
        return card;
    QString kept = card;
    const QString aside = card + QLatin1String(SetAsideSuffix);
    if (::rename(nativePath(card).constData(), nativePath(aside).constData()) == 0) {
        kept = aside;
        const QString name = path(id, NameSuffix);
        ::rename(nativePath(name).constData(), nativePath(name + QLatin1String(SetAsideSuffix)).constData());
        QFile::remove(path(id, LockSuffix));   // still held: no one takes it meanwhile
    }
    m_claims.erase(it);
    m_claimed.erase(std::remove_if(m_claimed.begin(), m_claimed.end(), [&](const LeftCopy &c) { return c.id == id; }),
                    m_claimed.end());
    return kept;
}

void RecoverySession::deleteLeftCopies()
{
    deleteClaimed();
    const Listing listing = list();
    for (const auto &entry : listing.copies) {
        const UniqueFd lock = lockFile(path(entry.first, LockSuffix));
        if (lock.isOpen())
            removeFiles(entry.first, true);
    }
}

template<typename Each> int RecoverySession::forEachStale(const QDateTime &cutoff, Each each) const
{
    const Listing listing = list();
    int count = 0;
    for (const auto &[id, time] : listing.copies) {
        if (time >= cutoff)
            continue;
        const QString &copyId = id;   // a structured binding cannot be captured in C++17
        const bool claimed =
            std::any_of(m_claims.begin(), m_claims.end(), [&](const Claim &c) { return c.copy.id == copyId; });
        if (claimed)
            continue;
        const UniqueFd lock = lockFile(path(id, LockSuffix));
        if (!lock.isOpen())
            continue;   // a program that still runs, however long ago it last changed its card
        each(id, false);
        ++count;
    }
    for (const QString &id : listing.setAside) {
        if (QFileInfo(path(id, CardSuffix) + QLatin1String(SetAsideSuffix)).lastModified() >= cutoff)
            continue;
        each(id, true);
        ++count;
    }
    return count;
}

int RecoverySession::countStale(const QDateTime &cutoff) const
{
    return forEachStale(cutoff, [](const QString &, bool) {});
}

int RecoverySession::deleteStale(const QDateTime &cutoff)
{
    return forEachStale(cutoff, [this](const QString &id, bool setAside) {
        if (setAside) {
            QFile::remove(path(id, CardSuffix) + QLatin1String(SetAsideSuffix));
            QFile::remove(path(id, NameSuffix) + QLatin1String(SetAsideSuffix));
        } else {
            removeFiles(id, true);   // under the lock forEachStale holds
        }
    });
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
