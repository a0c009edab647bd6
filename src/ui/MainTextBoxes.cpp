// Text boxes: the inline editor, fonts, fitting and the text box menu.
#include "Main.h"

#include "CardPanel.h"
#include "Dialogs.h"
#include "FontMapping.h"
#include "InlineEditor.h"
#include "MovePanel.h"
#include "Messages.h"
#include "TaveloError.h"

#include <QCursor>
#include <QFontMetrics>
#include <QMenu>

bool TForm1::editorOpen() const
{
    return !Edit1->isHidden();
}

void TForm1::closeEditor()
{
    if (!editorOpen())
        return;
    // Closing is the commit: the exit handler runs before the editor hides.
    Edit1Exit();
    Edit1->hide();
    // The keys go to the window again (the arrows, the Edit menu's keys),
    // not to the hidden editor.
    Edit1->clearFocus();
}

void TForm1::MovePanelClick(int slot)
{
    if (!m_doc.TextBoxes(slot))
        return;
    closeEditor();
    m_doc.setTextVisible(slot, true);
    m_doc.SetCurrentBox(BoxRef::text(slot));
    const TextBox *box = m_doc.TextBoxes(slot);
    Edit1->setFont(FontMapping::toQFont(box->Font));
    QPalette palette = Edit1->palette();
    palette.setColor(QPalette::Text, FontMapping::toQColor(box->Font.color()));
    Edit1->setPalette(palette);
    Edit1->setText(box->Caption);
    Edit1->setGeometry(box->bounds.Left, box->bounds.Top, box->bounds.Width, box->bounds.Height);
    Edit1->show();
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->deselect();
    Edit1->raise();
    m_doc.beginEditing(slot);
}

void TForm1::Edit1Exit()
{
    const int slot = currentTextSlot();
    m_history.setCaption(slot, Edit1->text());
    m_doc.commitEditing(slot);
}

void TForm1::Edit1KeyDown(int key)
{
    if (key == 13)
        closeEditor();
}

void TForm1::Panel1Click()
{
    // With no text box current this click has nothing to commit: it ends
    // quietly (on a new or just cleared card no box is current).
    const BoxRef current = m_doc.CurrentBox();
    if (!current.isText() || !m_doc.TextBoxes(current.slot))
        return;
    m_history.setCaption(current.slot, Edit1->text());
    closeEditor();
    m_doc.setTextVisible(current.slot, true);
}

void TForm1::MovePanelResize(int)
{
    // The document has already set the font height to 2 − Height (and
    // marked the card modified).
    closeEditor();
}

void TForm1::MovePanelMouseDown(int slot, Qt::MouseButton button)
{
    if (button != Qt::RightButton || !m_doc.TextBoxes(slot))
        return;
    closeEditor();
    m_doc.SetCurrentBox(BoxRef::text(slot));
    Edit1->setText(m_doc.TextBoxes(slot)->Caption);
    PopupMenu1->popup(QCursor::pos() - QPoint(10, 10));
}

void TForm1::MenuNewBoxClick()
{
    const int n = m_history.addTextBox();
    if (n >= 0)
        MovePanelClick(n);
}

void TForm1::MenuFontClick()
{
    const int slot = currentTextSlot();
    const std::optional<BoxFont> chosen = fontChooser().choose(this, m_doc.TextBoxes(slot)->Font, m_ppi);
    if (!chosen)
        return;
    const CardHistory::Step step(m_history, Msg::stepFont());
    m_history.setFont(slot, *chosen);
    FitBoxToFont(slot);
}

void TForm1::MenuSizeClick()
{
    const CardHistory::Step step(m_history, Msg::stepFit());
    FitBoxToFont(currentTextSlot());
}

void TForm1::MenuDeleteClick()
{
    m_history.deleteBox(BoxRef::text(currentTextSlot()));
}

void TForm1::FitBoxToFont(int slot)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    if (!box)
        throw TaveloError(Msg::invalidTypecast());
    const QFontMetrics metrics(FontMapping::toQFont(box->Font));
    BoxBounds bounds = box->bounds;
    bounds.Height = static_cast<std::int32_t>(2U - static_cast<std::uint32_t>(box->Font.height()));
    m_doc.setTextBounds(slot, bounds);
    box = m_doc.TextBoxes(slot);
    if (!box)
        return;
    bounds = box->bounds;
    bounds.Width = metrics.horizontalAdvance(box->Caption) + 4;
    m_doc.setTextBounds(slot, bounds);
}

void TForm1::Edit1DblClick()
{
    const int slot = currentTextSlot();
    m_doc.setTextVisible(slot, false);
    const std::optional<BoxFont> chosen = fontChooser().choose(this, m_doc.TextBoxes(slot)->Font, m_ppi);
    if (!chosen)
        return;
    m_history.setFont(slot, *chosen);
    Edit1->setFont(FontMapping::toQFont(*chosen));
    QPalette palette = Edit1->palette();
    palette.setColor(QPalette::Text, FontMapping::toQColor(chosen->color()));
    Edit1->setPalette(palette);
}
