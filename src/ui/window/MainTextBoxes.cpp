// Text boxes: the inline editor, fonts, fitting and the text box menu.
#include "window/Main.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "dialogs/Dialogs.h"
#include "sheet/FontMapping.h"
#include "text/CaptionLayout.h"
#include "widgets/CardPanel.h"
#include "widgets/InlineEditor.h"
#include "widgets/MovePanel.h"
#include "window/EditorSession.h"

#include <QFontMetrics>
#include <QMenu>

#include <algorithm>
#include <cmath>
#include <limits>

bool TForm1::editorOpen() const
{
    return m_editor->isOpen();
}

void TForm1::closeEditor()
{
    m_editor->close();
}

void TForm1::MovePanelClick(int slot)
{
    if (!m_doc.TextBoxes(slot))
        return;
    closeEditor();
    m_doc.setTextVisible(slot, true);
    m_doc.SetCurrentBox(BoxRef::text(slot));
    m_editor->open(slot);
}

void TForm1::Edit1Exit()
{
    m_editor->commit();
}

void TForm1::Edit1KeyDown(int key)
{
    if (key == InlineEditor::EnterKey)
        closeEditor();
}

void TForm1::Panel1Click()
{
    // With no text box current this click has nothing to commit: it ends
    // quietly (on a new or just cleared card no box is current).
    const BoxRef current = m_doc.CurrentBox();
    if (!current.isText() || !m_doc.TextBoxes(current.slot))
        return;
    const QString before = m_doc.TextBoxes(current.slot)->Caption;
    const QString typed = m_editor->text();
    m_history.setCaption(current.slot, typed);
    closeEditor();
    m_doc.setTextVisible(current.slot, true);
    if (typed != before)
        m_editor->tellUnshowable(current.slot, before, typed);
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
    m_editor->setText(m_doc.TextBoxes(slot)->Caption);
    showBoxMenu(PopupMenu1);
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
    // Across the line the font's height, along it the caption's length: a
    // vertical box stands on end.
    const bool vertical = box->Setting.vertical;
    BoxBounds bounds = box->bounds;
    (vertical ? bounds.Width : bounds.Height) = boxHeightForFontHeight(box->Font.height());
    m_doc.setTextBounds(slot, bounds);
    box = m_doc.TextBoxes(slot);
    if (!box)
        return;
    const QFont font = FontMapping::toQFont(box->Font);
    const int length = box->Setting.isDefault()
                           ? QFontMetrics(font).horizontalAdvance(box->Caption)
                           : int(std::clamp<qreal>(std::ceil(CaptionLayout::naturalLength(box->Caption, font, box->Setting)),
                                                   0, std::numeric_limits<int>::max() - 4));
    bounds = box->bounds;
    (vertical ? bounds.Height : bounds.Width) = length + 4;
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
    m_editor->showFont(*chosen);
}
