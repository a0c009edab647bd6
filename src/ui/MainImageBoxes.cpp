// Image boxes: adding, choosing a picture and the image box menu.
#include "Main.h"

#include "Dialogs.h"
#include "Messages.h"
#include "MovePanel.h"

#include <QCursor>
#include <QMenu>

void TForm1::MenuNewImageClick()
{
    const int n = m_doc.AddImageBox();
    if (n >= 0)
        ImageClick(n);
}

void TForm1::ImageClick(int)
{
}

void TForm1::ImageMouseDown(int slot, Qt::MouseButton button)
{
    if (button != Qt::RightButton || !m_doc.ImageBoxes(slot))
        return;
    closeEditor();
    m_doc.SetCurrentBox(BoxRef::image(slot));
    PopupMenu2->popup(QCursor::pos() - QPoint(10, 10));
}

void TForm1::MenuImageDeleteClick()
{
    m_doc.DeleteImageBox(currentImageSlot());
}
