// Image boxes: adding, choosing a picture and the image box menu.
#include "window/Main.h"

#include "base/Messages.h"
#include "dialogs/Dialogs.h"
#include "picture/PictureLoader.h"
#include "widgets/MovePanel.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QMenu>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace {

// A load that lasts longer than this shows its progress box.
constexpr int ProgressAfterMs = 500;

struct Loaded {
    QImage picture;
    std::exception_ptr failure;
};

// Loads the picture on another thread while the window keeps painting (a
// picture at the size limit takes seconds). Input to the window waits until
// the picture is in, so the card cannot change under the load; the failure,
// if any, is raised here as load() raised it.
QImage loadKeepingWindowDrawn(QWidget *window, const QString &path)
{
    QEventLoop loop;
    QFutureWatcher<Loaded> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([path] {
        Loaded loaded;
        try {
            loaded.picture = PictureLoader::load(path);
        } catch (...) {
            loaded.failure = std::current_exception();
        }
        return loaded;
    }));
    QProgressDialog progress(Msg::pictureLoading(), QString(), 0, 0, window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(ProgressAfterMs);
    progress.setValue(0);   // starts the wait before it is shown
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    Loaded loaded = watcher.result();
    if (loaded.failure)
        std::rethrow_exception(loaded.failure);
    return loaded.picture;
}

} // namespace

void TForm1::MenuNewImageClick()
{
    const int n = m_history.addImageBox();
    if (n < 0)
        return;
    ImageClick(n);
    // The box just given its picture is the one the user works on next; an
    // edit still open is committed first into the box it stands over.
    if (const MoveImageRecord *record = m_doc.ImageBoxes(n); record && !record->ImagePath.isEmpty()) {
        closeEditor();
        m_doc.SetCurrentBox(BoxRef::image(n));
    }
}

void TForm1::ImageClick(int slot)
{
    if (!m_doc.ImageBoxes(slot))
        return;
    FileDialogRequest request{Msg::bitmapExtension(), Msg::bitmapFilter(), m_openDialogFile};
    request.moreFilters = {Msg::pictureFilter()};
    request.selectedFilter = m_pictureFilter;
    request.chosenFilter = &m_pictureFilter;
    const std::optional<QString> chosen = fileDialogs().open(this, request);
    if (!chosen)
        return;
    m_openDialogFile = *chosen;
    // The picture is replaced only when the whole file was read; a failure
    // leaves the box, its path and the modified flag as they were.
    const QImage picture = loadPicture(*chosen);
    if (m_doc.ImageBoxes(slot))
        m_history.setPicture(slot, *chosen, picture);
}

QImage TForm1::loadPicture(const QString &path)
{
    return loadKeepingWindowDrawn(this, path);
}

void TForm1::ImageMouseDown(int slot, Qt::MouseButton button)
{
    if (button != Qt::RightButton || !m_doc.ImageBoxes(slot))
        return;
    closeEditor();
    m_doc.SetCurrentBox(BoxRef::image(slot));
    showBoxMenu(PopupMenu2);
}

void TForm1::MenuImageDeleteClick()
{
    m_history.deleteBox(BoxRef::image(currentImageSlot()));
}
