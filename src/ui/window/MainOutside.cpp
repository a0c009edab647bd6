// Opening from outside the window: the command line, dropped files and the
// recent cards of the File menu.
#include "window/Main.h"

#include "base/Messages.h"
#include "cardfile/CardFile.h"
#include "widgets/BoxPanels.h"
#include "widgets/CardPanel.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

bool isCardFileName(const QString &path)
{
    return QFileInfo(path).suffix().compare(Msg::cardFileExtension(), Qt::CaseInsensitive) == 0;
}

// The first local file among the dropped ones; empty when there is none.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

} // namespace

void TForm1::openAtStart(const QStringList &paths)
{
    m_startPaths = paths;
    if (m_activated)
        openStartPaths();
}

void TForm1::openStartPaths()
{
    const QStringList paths = std::exchange(m_startPaths, {});
    if (paths.isEmpty())
        return;
    if (paths.size() > 1)
        ErrorGuard::presenter()->information(this, Msg::notOpenedPaths(paths.mid(1)), MsgButton::Ok);
    const QString path = QFileInfo(paths.first()).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
        reportMissingCard(path);
        return;
    }
    openCardFile(path);
}

void TForm1::reportMissingCard(const QString &path)
{
    // Read into a card of its own, so the card on the window stays as it is.
    CardDocument scratch;
    scratch.setMessageSink(m_doc.messageSink());
    try {
        LoadCardFile(scratch, path);
    } catch (const std::exception &e) {
        ErrorGuard::report(e);
    }
}

void TForm1::fillRecentMenu()
{
    MenuRecent->clear();
    const QStringList paths = m_recent.paths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        QAction *entry = MenuRecent->addAction(Msg::recentEntry(i + 1, path));
        entry->setObjectName(QStringLiteral("MenuRecent%1").arg(i + 1));
        connect(entry, &QAction::triggered, this, [this, path] {
            try {
                openRecentCard(path);
            } catch (const std::exception &e) {
                ErrorGuard::report(e);
            }
        });
    }
    MenuRecent->setEnabled(!paths.isEmpty());
}

void TForm1::openRecentCard(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        m_recent.remove(path);
        fillRecentMenu();
        reportMissingCard(path);
        return;
    }
    openCardFile(path);
}

void TForm1::openDroppedFile(const QString &path, QPoint cardPos)
{
    if (isCardFileName(path)) {
        openCardFile(path);
        return;
    }
    // The picture is read before the box is added, so a file that cannot be
    // read leaves the card as it was, with the picture dialog's messages.
    const QImage picture = loadPicture(path);
    CardHistory::Step step(m_history, Msg::stepDropPicture());
    const int slot = m_history.addImageBox();
    if (slot < 0)
        return;
    BoxBounds bounds = m_doc.ImageBoxes(slot)->bounds;
    bounds.Left = std::max(0, cardPos.x());
    bounds.Top = std::max(0, cardPos.y());
    m_doc.setImageBounds(slot, bounds);
    m_history.setPicture(slot, path, picture);
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    const QPoint cardPos = m_panels->scale().toCard(Panel1->mapFrom(this, event->position().toPoint()));
    try {
        openDroppedFile(path, cardPos);
    } catch (const std::exception &e) {
        ErrorGuard::report(e);
    }
}
