#pragma once
// Edit1: the one single-line editor laid over a text box while it is edited.
// It takes any character: the card file keeps a caption that code page 932
// cannot hold whole in the box's Caption= line.
#include <QLineEdit>

class InlineEditor : public QLineEdit
{
    Q_OBJECT
public:
    explicit InlineEditor(QWidget *parent = nullptr);

    // The Windows key code keyDown reports for Enter (Return or the keypad's).
    static constexpr int EnterKey = 13;

Q_SIGNALS:
    void keyDown(int key);      // a Windows key code: EnterKey
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
