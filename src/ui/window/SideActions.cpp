#include "window/SideActions.h"

#include "base/Messages.h"
#include "card/CardDocument.h"
#include "editing/CardHistory.h"
#include "widgets/ErrorGuard.h"
#include "window/Main.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QUndoStack>

using ErrorGuard::guarded;

SideActions::SideActions(TForm1 &form) : QObject(&form), m_form(form)
{
    auto *menu = form.findChild<QMenu *>(QStringLiteral("MenuView"));
    menu->addSeparator();
    auto add = [this, menu](const char *name, const QString &caption, void (SideActions::*click)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, guarded([this, click] { (this->*click)(); }));
        return action;
    };
    MenuShowFront = add("MenuShowFront", Msg::menuShowFront(), &SideActions::MenuShowFrontClick);
    MenuShowBack = add("MenuShowBack", Msg::menuShowBack(), &SideActions::MenuShowBackClick);
    auto *group = new QActionGroup(this);
    for (QAction *action : {MenuShowFront, MenuShowBack}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    MenuRemoveBack = add("MenuRemoveBack", Msg::menuRemoveBack(), &SideActions::MenuRemoveBackClick);

    MenuOtherSide = new QAction(this);
    MenuOtherSide->setObjectName(QStringLiteral("MenuOtherSide"));
    MenuOtherSide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    MenuOtherSide->setShortcutContext(Qt::WindowShortcut);
    form.addAction(MenuOtherSide);
    connect(MenuOtherSide, &QAction::triggered, this, guarded([this] { MenuOtherSideClick(); }));

    CardDocument &doc = form.document();
    connect(&doc, &CardDocument::shownSideChanged, this, [this] {
        update();
        m_form.updateTitle();
    });
    // Adding the first box to the back or deleting its last one.
    for (auto signal : {&CardDocument::textBoxAdded, &CardDocument::textBoxRemoved, &CardDocument::imageBoxAdded,
                        &CardDocument::imageBoxRemoved})
        connect(&doc, signal, this, [this] { update(); });
    update();
}

void SideActions::show(bool back)
{
    m_form.closeEditor();
    m_form.history().breakKeyRun();
    m_form.document().showSide(back ? Side::Back : Side::Front);
    update();
}

void SideActions::MenuShowFrontClick()
{
    show(false);
}

void SideActions::MenuShowBackClick()
{
    show(true);
}

void SideActions::MenuOtherSideClick()
{
    show(m_form.document().shownSide() == Side::Front);
}

void SideActions::MenuRemoveBackClick()
{
    m_form.closeEditor();
    m_form.history().removeBack();
    update();
}

void SideActions::update()
{
    const CardDocument &doc = m_form.document();
    const bool back = doc.shownSide() == Side::Back;
    MenuShowFront->setChecked(!back);
    MenuShowBack->setChecked(back);
    MenuRemoveBack->setEnabled(doc.hasBack());
}
