// Recovery of unsaved work left by a program that did not close.
#include "window/Main.h"

#include "base/Messages.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"

void TForm1::offerRecovery()
{
    const std::vector<LeftCopy> &left = m_recovery->claimLeftCopies();
    if (left.empty())
        return;
    if (ErrorGuard::presenter()->information(this, Msg::askRecover(), MsgButton::Yes | MsgButton::No) != mrYes) {
        m_recovery->deleteClaimed();
        return;
    }
    // The most recent copy comes back; any older ones are offered again at
    // the next start.
    const LeftCopy copy = left.front();
    restoreLeftCopy(copy);
    if (m_autosave->copyNow())
        m_recovery->deleteClaimed(copy.id);
    m_recovery->releaseClaimed();
}
