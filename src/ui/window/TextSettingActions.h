#pragma once
// "文字の配置" at the end of a text box's context menu: the text setting
// dialog for the box; a change is one undo step. A QR code box has no
// characters to set: the item is off there.
#include <QObject>

class QAction;
class QMenu;
class TForm1;

class TextSettingActions : public QObject
{
    Q_OBJECT
public:
    TextSettingActions(TForm1 &form, QMenu *textBoxMenu);

    QAction *MenuTextSetting = nullptr;

private:
    void click();
    void enableItem();

    TForm1 &m_form;
};
