// Image boxes: adding, choosing a picture and the image box menu.
#include "window/Main.h"

#include "base/Messages.h"
#include "dialogs/Dialogs.h"
#include "picture/PictureLoader.h"
#include "widgets/MovePanel.h"

#include <QMenu>

void TForm1::MenuNewImageClick()
{
    const int n = m_history.addImageBox();
    if (n < 0)
        return;
    ImageClick(n);
    // The box just given its picture is the one the user works on next.
    if (const MoveImageRecord *record = m_doc.ImageBoxes(n); record && !record->ImagePath.isEmpty())
        m_doc.SetCurrentBox(BoxRef::image(n));
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
    const QImage picture = PictureLoader::load(*chosen);
    m_history.setPicture(slot, *chosen, picture);
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
