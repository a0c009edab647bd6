#pragma once
// Recovery copies of unsaved cards, kept in one folder
// ($XDG_STATE_HOME/tavelo/recovery, by default ~/.local/state/tavelo/recovery).
//
// Every running program owns one session there, named by a session id:
//   ID.lock  the process id; held under an advisory lock (flock) for as long
//            as the program runs, released by the system however it ends;
//   ID.tvl   the card file bytes of the unsaved card;
//   ID.name  the card's own file name (UTF-8).
// A copy whose lock nobody holds was left by a program that did not close:
// a crash, a kill, a power cut. Whoever takes such a copy locks it first, so
// two programs starting at once never both take it, and a running program's
// copy is never taken at all.
//
// The folder may hold thousands of copies (a program that crashed at every
// start for weeks): only the newest few are locked and offered, and every
// other operation holds one descriptor at a time. A copy that could not be
// read back is set aside as ID.tvl.bad (and ID.name.bad), kept for the user
// and never offered again; copies older than StaleAfterDays are deleted once
// the user agrees.
#include "files/UniqueFd.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace RecoveryFolder {
// $XDG_STATE_HOME/tavelo/recovery, or ~/.local/state/tavelo/recovery.
QString defaultPath();
}

// A copy left behind, locked by the session that found it.
struct LeftCopy {
    QString id;
    QString cardPath;      // the copy's card file
    QString docFileName;   // the name the card had; empty when not recorded
    QDateTime written;
};

class CardDocument;

// Reads a left copy into the (cleared) document, which keeps its file name;
// the card is then modified: the work is in no file of its own. False when
// the copy is no card file (the read's message told so); a read that fails
// part-way throws its TaveloError. Either way the document is then unmodified.
bool LoadLeftCopy(CardDocument &doc, const LeftCopy &copy);

class RecoverySession
{
public:
    explicit RecoverySession(const QString &folder = RecoveryFolder::defaultPath());
    // A clean end: this session's copy and lock go.
    ~RecoverySession();
    RecoverySession(const RecoverySession &) = delete;
    RecoverySession &operator=(const RecoverySession &) = delete;

    const QString &folder() const { return m_folder; }
    const QString &id() const { return m_id; }
    QString cardPath() const { return path(m_id, ".tvl"); }
    bool hasCopy() const;

    // Replaces this session's copy as a whole (name first, then the card), or
    // throws a TaveloError with the I/O message; an older copy stays then.
    void write(const QByteArray &cardBytes, const QString &docFileName);
    // Removes this session's copy (not its lock).
    void discard();

    // At most this many copies are claimed at once: a start offers the
    // newest, the rest wait for later starts.
    static constexpr int MaxClaimedCopies = 5;
    // Copies older than this are offered for deletion at start-up.
    static constexpr int StaleAfterDays = 30;

    // Locks and lists the newest copies of sessions that no program holds,
    // most recent first, at most limit of them. They stay locked by this
    // session until taken or released.
    const std::vector<LeftCopy> &claimLeftCopies(int limit = MaxClaimedCopies);
    // Deletes the claimed copy id (every claimed copy when id is empty).
    void deleteClaimed(const QString &id = QString());
    // Renames the claimed copy id aside (ID.tvl.bad) so that it is kept but
    // no longer offered, and lets it go. Returns where the card now is.
    QString setAsideClaimed(const QString &id);
    // Lets the claimed copies go untouched, for a later start.
    void releaseClaimed();
    // Deletes the copies of every session that no program holds, claimed or
    // not, one at a time.
    void deleteLeftCopies();

    // The copies no program holds, set-aside ones included, last written
    // before cutoff; deleting them deletes as many, one at a time.
    int countStale(const QDateTime &cutoff) const;
    int deleteStale(const QDateTime &cutoff);

private:
    struct Claim {
        LeftCopy copy;
        UniqueFd lock;
    };
    QString path(const QString &id, const char *suffix) const;
    bool ensureLock();
    void removeFiles(const QString &id, bool withLock) const;
    // The left copies' ids with their card's time, most recent first, and the
    // ids of locks that have no card. Opens no file.
    struct Listing {
        std::vector<std::pair<QString, QDateTime>> copies;
        QStringList bare;
        QStringList setAside;   // ids of ID.tvl.bad
    };
    Listing list() const;
    template<typename Each> int forEachStale(const QDateTime &cutoff, Each each) const;

    QString m_folder;
    QString m_id;
    UniqueFd m_lock;
    std::vector<Claim> m_claims;
    std::vector<LeftCopy> m_claimed;
};
