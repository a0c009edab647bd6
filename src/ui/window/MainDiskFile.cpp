// The card's file as other programs change it: a question before a save over
// their change, and an offer to read the file again while the card is
// unchanged here.
#include "window/Main.h"

#include "base/Messages.h"
#include "cardfile/CardFile.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

void TForm1::followCardFile()
{
    m_declinedReload.reset();
    if (!m_cardWatcher) {
        m_cardWatcher = new QFileSystemWatcher(this);
        // A program that saves writes in steps; the check waits for the end
        // of the burst (a queued call after the last signal is not enough).
        auto *settle = new QTimer(this);
        settle->setSingleShot(true);
        settle->setInterval(200);
        connect(m_cardWatcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
        connect(settle, &QTimer::timeout, this, ErrorGuard::guarded([this] { checkCardOnDisk(); }));
    }
    const QStringList watched = m_cardWatcher->files();
    if (!watched.isEmpty())
        m_cardWatcher->removePaths(watched);
    // A file replaced by a rename is another file: watched anew after every check.
    if (m_doc.diskFingerprint() && QFileInfo::exists(m_doc.DocFileName()))
        m_cardWatcher->addPath(m_doc.DocFileName());
}

void TForm1::checkCardOnDisk()
{
    // Not while a question or another dialog is up (its answer may change the
    // card), and a card with changes of its own is asked about when saved.
    if (m_checkingDisk || !m_activated || QApplication::activeModalWidget() || m_doc.Modified()
        || !m_doc.diskFingerprint())
        return;
    struct Checking {
        bool &flag;
        explicit Checking(bool &f) : flag(f) { flag = true; }
        ~Checking() { flag = false; }
    } checking(m_checkingDisk);

    const QString path = m_doc.DocFileName();
    // A file that is gone leaves the card as it is; a save asks first.
    if (cardFileOnDisk(m_doc, true) != DiskChange::Changed) {
        if (m_cardWatcher && m_cardWatcher->files().isEmpty() && QFileInfo::exists(path))
            m_cardWatcher->addPath(path);
        return;
    }
    // Asked once for each state of the file.
    if (m_declinedReload && compareWithDisk(*m_declinedReload, path, true) == DiskChange::None)
        return;
    const FileFingerprint asked = FileFingerprint::of(path);
    if (ErrorGuard::presenter()->information(this, Msg::askReloadChanged(path), MsgButton::Yes | MsgButton::No)
        != mrYes) {
        followCardFile();
        m_declinedReload = asked;
        return;
    }
    readCardFile(path);
}
