#include "window/TextSettingActions.h"

#include "base/Messages.h"
#include "dialogs/TextSettingDialog.h"
#include "qr/QrCaption.h"
#include "widgets/ErrorGuard.h"
#include "window/Main.h"

#include <QMenu>

#include <exception>

TextSettingActions::TextSettingActions(TForm1 &form, QMenu *textBoxMenu) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("TextSettingActions"));
    MenuTextSetting = textBoxMenu->addAction(Msg::menuTextSetting());
    MenuTextSetting->setObjectName(QStringLiteral("MenuTextSetting"));
    connect(MenuTextSetting, &QAction::triggered, this, [this] {
        try {
            click();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    });
    connect(textBoxMenu, &QMenu::aboutToShow, this, &TextSettingActions::enableItem);
}

void TextSettingActions::enableItem()
{
    const BoxRef current = m_form.document().CurrentBox();
    const TextBox *box = current.isText() ? m_form.document().TextBoxes(current.slot) : nullptr;
    MenuTextSetting->setEnabled(box && !isQrCaption(box->Caption));
}

void TextSettingActions::click()
{
    m_form.closeEditor();
    CardDocument &doc = m_form.document();
    const BoxRef current = doc.CurrentBox();
    const TextBox *box = current.isText() ? doc.TextBoxes(current.slot) : nullptr;
    if (!box)
        return;
    TextSettingDialog dialog(&m_form, *box);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const std::optional<TextSetting> chosen = dialog.setting())
        m_form.history().setTextSetting(current.slot, *chosen);
}
