#pragma once
// Keeps a recovery copy of the card while it differs from the file it was
// opened from or saved to. A change starts a short wait (changes in a burst,
// a drag, make one copy); then the card file bytes go to the recovery
// session's copy, written whole as Save writes. When the card is again what
// is on disk (saved, reopened, a new card) the copy goes.
//
// A copy that cannot be written is tried again; only after repeated failures
// is the user told, once, until a copy succeeds again.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class CardDocument;
class QUndoStack;
class RecoverySession;

class CardAutosave : public QObject
{
    Q_OBJECT
public:
    static constexpr int WriteDelayMs = 2000;
    static constexpr int RetryDelayMs = 5000;
    static constexpr int FailuresBeforeMessage = 3;

    // history: its steps count as changes too (the print settings have no
    // signal of their own); may be null.
    CardAutosave(CardDocument &doc, QUndoStack *history, RecoverySession &session, QObject *parent = nullptr);

    void setDelays(int writeMs, int retryMs);

    // The card as it stands is what its file holds (or a new, empty card):
    // no copy is needed until it changes.
    void cardMatchesFile();
    // The card holds work no file has (a recovered card): it is copied now.
    // False when the copy could not be written.
    bool copyNow();
    // A clean end: no more copies, and this one goes.
    void stop();

    int failures() const { return m_failures; }

private:
    void changed();
    void writeCopy();
    bool tryWrite(const QByteArray &bytes);

    CardDocument &m_doc;
    RecoverySession &m_session;
    QTimer m_timer;
    int m_retryDelay = RetryDelayMs;
    int m_writeDelay = WriteDelayMs;
    bool m_stopped = false;
    QByteArray m_fileBytes;      // the card as its file holds it
    QString m_fileName;
    bool m_matchesFile = false;
    QByteArray m_copyBytes;      // what the copy holds
    QString m_copyName;
    int m_failures = 0;
    bool m_failureShown = false;
};
