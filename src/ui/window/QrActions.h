#pragma once
// The QR code items: "QRコード追加" at the end of the Edit menu adds a QR box
// at the lowest free slot; "QRコードの編集" in a QR box's context menu edits it.
// Both run the QR dialog; each change is one undo step.
#include <QObject>

class QAction;
class QMenu;
class TForm1;

class QrActions : public QObject
{
    Q_OBJECT
public:
    QrActions(TForm1 &form, QMenu *editMenu, QMenu *textBoxMenu);

    static constexpr int NewSide = 80;   // pixels of a new QR box, both ways

    QAction *MenuAddQr = nullptr;
    QAction *MenuEditQr = nullptr;

private:
    void addClick();
    void editClick();
    void showEditItem();

    TForm1 &m_form;
};
