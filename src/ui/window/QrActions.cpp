#include "window/QrActions.h"

#include "base/Messages.h"
#include "dialogs/QrDialog.h"
#include "qr/QrCaption.h"
#include "window/Main.h"
#include "window/MenuItems.h"

#include <QMenu>

QrActions::QrActions(TForm1 &form, QMenu *editMenu, QMenu *textBoxMenu) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("QrActions"));
    MenuAddQr = addMenuItem(editMenu, "MenuAddQr", Msg::menuAddQr(), this, [this] { addClick(); });
    MenuEditQr = addMenuItem(textBoxMenu, "MenuEditQr", Msg::menuEditQr(), this, [this] { editClick(); });
    connect(textBoxMenu, &QMenu::aboutToShow, this, &QrActions::showEditItem);
}

void QrActions::showEditItem()
{
    const BoxRef current = m_form.document().CurrentBox();
    const TextBox *box = current.isText() ? m_form.document().TextBoxes(current.slot) : nullptr;
    MenuEditQr->setVisible(box && isQrCaption(box->Caption));
}

void QrActions::addClick()
{
    m_form.closeEditor();
    CardDocument &doc = m_form.document();
    CardHistory &history = m_form.history();
    // A full card says so before anything is typed in vain.
    if (doc.textBoxCount() == CardDocument::SlotCount) {
        history.addTextBox();
        return;
    }
    QrDialog dialog(&m_form);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CardHistory::Step step(history, Msg::stepAdd());
    const int slot = history.addTextBox();
    if (slot < 0)
        return;
    history.setCaption(slot, dialog.caption());
    BoxBounds bounds = doc.TextBoxes(slot)->bounds;
    bounds.Width = NewSide;
    bounds.Height = NewSide;
    doc.setTextBounds(slot, bounds);
    doc.SetCurrentBox(BoxRef::text(slot));
}

void QrActions::editClick()
{
    m_form.closeEditor();
    CardDocument &doc = m_form.document();
    const BoxRef current = doc.CurrentBox();
    const TextBox *box = current.isText() ? doc.TextBoxes(current.slot) : nullptr;
    if (!box)
        return;
    QrDialog dialog(&m_form, box->Caption);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CardHistory::Step step(m_form.history(), Msg::stepQr());
    m_form.history().setCaption(current.slot, dialog.caption());
}
