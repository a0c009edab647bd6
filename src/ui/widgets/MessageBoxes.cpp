#include "widgets/MessageBoxes.h"

#include "base/Messages.h"
#include "widgets/ErrorGuard.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

InformationBox::InformationBox(QWidget *parent, const QString &text, MsgButtons buttons)
    : QDialog(parent), m_buttons(buttons)
{
    setWindowTitle(Msg::informationTitle());
    setModal(true);
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    auto *label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("text"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(label, 1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    struct Choice { MsgButton flag; int result; QString caption; };
    const Choice order[] = {
        {MsgButton::Yes, mrYes, Msg::buttonYes()},
        {MsgButton::No, mrNo, Msg::buttonNo()},
        {MsgButton::Ok, mrOk, Msg::buttonOk()},
        {MsgButton::Overwrite, mrOverwrite, Msg::buttonOverwrite()},
        {MsgButton::SaveAs, mrSaveAs, Msg::buttonSaveAs()},
        {MsgButton::Cancel, mrCancel, Msg::buttonCancel()},
    };
    for (const Choice &c : order) {
        if (!buttons.testFlag(c.flag))
            continue;
        auto *b = new QPushButton(c.caption, this);
        b->setProperty("result", c.result);
        const int result = c.result;
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        row->addWidget(b);
    }
    row->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(row);

    // Over a card another program changed, Enter keeps both: Save As.
    m_default = buttons.testFlag(MsgButton::Ok)       ? mrOk
              : buttons.testFlag(MsgButton::Yes)    ? mrYes
              : buttons.testFlag(MsgButton::SaveAs) ? mrSaveAs
                                                    : 0;
    m_escape = buttons.testFlag(MsgButton::Cancel) ? mrCancel
             : buttons.testFlag(MsgButton::No)     ? mrNo
             : buttons.testFlag(MsgButton::Ok)     ? mrOk
                                                   : 0;
    if (QPushButton *b = button(m_default)) {
        b->setDefault(true);
        b->setFocus();
    }
}

QPushButton *InformationBox::button(int result) const
{
    const auto buttons = findChildren<QPushButton *>();
    for (QPushButton *b : buttons)
        if (b->property("result").toInt() == result)
            return b;
    return nullptr;
}

void InformationBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_escape)
            done(m_escape);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_default
        && event->modifiers() == Qt::NoModifier) {
        // Enter presses the default button, wherever the focus stands.
        done(m_default);
        return;
    }
    QDialog::keyPressEvent(event);
}

void InformationBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        WindowPlacement::centreOnScreen(this);
}

void InformationBox::closeEvent(QCloseEvent *event)
{
    event->ignore();
    done(mrCancel);   // the close box always answers Cancel
}

int DialogMessagePresenter::information(QWidget *parent, const QString &text, MsgButtons buttons)
{
    InformationBox box(parent, text, buttons);
    const int result = box.exec();
    return result == QDialog::Rejected ? int(mrCancel) : result;
}

void DialogMessagePresenter::error(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, Msg::applicationTitle(), text, QMessageBox::Ok, parent);
    // File names and card text come into messages: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

int PresenterSink::information(const QString &text, MsgButtons buttons)
{
    return ErrorGuard::presenter()->information(m_parent, text, buttons);
}

void PresenterSink::error(const QString &message)
{
    ErrorGuard::presenter()->error(m_parent, errorBoxText(message));
}

void PresenterSink::pictureError(const QString &message, const QString &path)
{
    ErrorGuard::presenter()->error(m_parent, pictureErrorBoxText(message, path));
}
