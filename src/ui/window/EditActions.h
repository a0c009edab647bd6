#pragma once
// The Edit menu's undo, redo and clipboard items, the arrow keys that move
// the current box, the focus frame that shows which box that is, and the
// drags of the boxes as undo steps. While the inline editor is open, the
// items and keys act on the editor's text instead.
#include <QObject>

class QAction;
class QMenu;
class TForm1;
class TMovePanel;
struct BoxRef;

class EditActions : public QObject
{
    Q_OBJECT
public:
    // Adds the items to the end of menu.
    EditActions(TForm1 &form, QMenu *menu);
    // Follows the document's boxes, once the window shows them.
    void connectDocument();

    QAction *MenuUndo = nullptr;
    QAction *MenuRedo = nullptr;
    QAction *MenuCut = nullptr;
    QAction *MenuCopy = nullptr;
    QAction *MenuPaste = nullptr;
    QAction *MenuDuplicate = nullptr;
    QAction *MenuDeleteBox = nullptr;

    void MenuUndoClick();
    void MenuRedoClick();
    void MenuCutClick();
    void MenuCopyClick();
    void MenuPasteClick();
    void MenuDuplicateClick();
    void MenuDeleteBoxClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, void (EditActions::*handler)());
    bool dragging();
    bool moveByKey(int key, Qt::KeyboardModifiers modifiers);
    bool copyCurrentBox();
    void pasteFromClipboard(const QString &step);
    void afterUndoOrRedo();
    void updateUndoItems();
    void updateBoxItems();
    void showFocusFrame();
    void watchDrags(TMovePanel *panel);

    TForm1 &m_form;
    TMovePanel *m_framed = nullptr;
};
