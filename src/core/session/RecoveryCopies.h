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
// the card is then modified: the work is in no file of its own.
void LoadLeftCopy(CardDocument &doc, const LeftCopy &copy);

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

    // Locks and lists the copies of sessions that no program holds, most
    // recent first. They stay locked by this session until taken or released.
    const std::vector<LeftCopy> &claimLeftCopies();
    // Deletes the claimed copy id (every claimed copy when id is empty).
    void deleteClaimed(const QString &id = QString());
    // Lets the claimed copies go untouched, for a later start.
    void releaseClaimed();

private:
    struct Claim {
        LeftCopy copy;
        UniqueFd lock;
    };
    QString path(const QString &id, const char *suffix) const;
    bool ensureLock();
    void removeFiles(const QString &id, bool withLock) const;

    QString m_folder;
    QString m_id;
    UniqueFd m_lock;
    std::vector<Claim> m_claims;
    std::vector<LeftCopy> m_claimed;
};
