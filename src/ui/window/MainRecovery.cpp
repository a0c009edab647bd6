// Recovery of unsaved work left by a program that did not close.
#include "window/Main.h"

#include "base/Messages.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"

#include <QDateTime>

void TForm1::offerRecovery()
{
    const std::vector<LeftCopy> &left = m_recovery->claimLeftCopies();
    if (!left.empty()) {
        if (ErrorGuard::presenter()->information(this, Msg::askRecover(), MsgButton::Yes | MsgButton::No) == mrYes) {
            // The most recent copy comes back; any older ones are offered
            // again at the next start.
            const LeftCopy copy = left.front();
            if (restoreLeftCopy(copy) && m_autosave->copyNow())
                m_recovery->deleteClaimed(copy.id);
            m_recovery->releaseClaimed();
        } else {
            m_recovery->deleteLeftCopies();
        }
    }
    // Copies no one took for a month are of no more use to anyone; the user
    // says whether they go.
    const QDateTime cutoff = QDateTime::currentDateTime().addDays(-RecoverySession::StaleAfterDays);
    if (const int stale = m_recovery->countStale(cutoff); stale > 0) {
        if (ErrorGuard::presenter()->information(
                this, Msg::askDeleteStaleCopies(stale, RecoverySession::StaleAfterDays), MsgButton::Yes | MsgButton::No)
            == mrYes)
            m_recovery->deleteStale(cutoff);
    }
}
