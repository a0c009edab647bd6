#pragma once
// The sides of the card in the View menu ("表示"): the front or the back
// shown and edited (Ctrl+Tab switches), and removing the back (one undo
// step). The window's title says when the back is shown.
#include <QObject>

class QAction;
class QActionGroup;
class TForm1;

class SideActions : public QObject
{
    Q_OBJECT
public:
    explicit SideActions(TForm1 &form);

    QAction *MenuShowFront = nullptr;
    QAction *MenuShowBack = nullptr;
    QAction *MenuRemoveBack = nullptr;
    QAction *MenuOtherSide = nullptr;   // Ctrl+Tab, in no menu

    void MenuShowFrontClick();
    void MenuShowBackClick();
    void MenuRemoveBackClick();
    void MenuOtherSideClick();

private:
    void show(bool back);
    void update();

    TForm1 &m_form;
};
