#include "window/EditActions.h"

#include "base/Messages.h"
#include "editing/BoxClipboard.h"
#include "widgets/ErrorGuard.h"
#include "widgets/InlineEditor.h"
#include "widgets/MovePanel.h"
#include "window/Main.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUndoStack>

namespace {
constexpr int kKeyStep = 1;
constexpr int kShiftKeyStep = 10;
}

EditActions::EditActions(TForm1 &form, QMenu *menu) : QObject(&form), m_form(form)
{
    menu->addSeparator()->setObjectName(QStringLiteral("N5"));
    MenuUndo = addItem(menu, "MenuUndo", Msg::menuUndo(), &EditActions::MenuUndoClick);
    MenuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    MenuRedo = addItem(menu, "MenuRedo", Msg::menuRedo(), &EditActions::MenuRedoClick);
    MenuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    menu->addSeparator()->setObjectName(QStringLiteral("N6"));
    MenuCut = addItem(menu, "MenuCut", Msg::menuCut(), &EditActions::MenuCutClick);
    MenuCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    MenuCopy = addItem(menu, "MenuCopy", Msg::menuCopy(), &EditActions::MenuCopyClick);
    MenuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    MenuPaste = addItem(menu, "MenuPaste", Msg::menuPaste(), &EditActions::MenuPasteClick);
    MenuPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    MenuDuplicate = addItem(menu, "MenuDuplicate", Msg::menuDuplicate(), &EditActions::MenuDuplicateClick);
    MenuDuplicate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    MenuDeleteBox = addItem(menu, "MenuDeleteBox", Msg::menuDeleteBox(), &EditActions::MenuDeleteBoxClick);
    MenuDeleteBox->setShortcut(QKeySequence(Qt::Key_Delete));

    QUndoStack &stack = form.history().stack();
    connect(&stack, &QUndoStack::indexChanged, this, &EditActions::updateUndoItems);
    connect(&stack, &QUndoStack::cleanChanged, this, &EditActions::updateUndoItems);
    // The menu may open while the editor is open: its items then act on the
    // editor's text and are all offered.
    connect(menu, &QMenu::aboutToShow, this, &EditActions::updateBoxItems);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &EditActions::updateBoxItems);
    form.installEventFilter(this);
}

void EditActions::connectDocument()
{
    CardDocument &doc = m_form.document();
    connect(&doc, &CardDocument::currentBoxChanged, this, &EditActions::showFocusFrame);
    connect(&doc, &CardDocument::textBoxAdded, this, [this](int slot) { watchDrags(m_form.textPanel(slot)); });
    connect(&doc, &CardDocument::imageBoxAdded, this, [this](int slot) { watchDrags(m_form.imagePanel(slot)); });
    connect(&doc, &CardDocument::currentBoxChanged, this, &EditActions::updateBoxItems);
    connect(&doc, &CardDocument::textBoxRemoved, this, &EditActions::updateBoxItems);
    connect(&doc, &CardDocument::imageBoxRemoved, this, &EditActions::updateBoxItems);
    connect(&doc, &CardDocument::shapesChanged, this, &EditActions::updateBoxItems);
    updateBoxItems();
}

QAction *EditActions::addItem(QMenu *menu, const char *name, const QString &caption, void (EditActions::*handler)())
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, handler] {
        try {
            (this->*handler)();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    });
    return action;
}

bool EditActions::dragging()
{
    // A drag collects its step until the button is released; nothing else
    // changes the card meanwhile.
    return m_form.history().inStep();
}

void EditActions::updateUndoItems()
{
    QUndoStack &stack = m_form.history().stack();
    MenuUndo->setText(Msg::withStep(Msg::menuUndo(), stack.canUndo() ? stack.undoText() : QString()));
    MenuRedo->setText(Msg::withStep(Msg::menuRedo(), stack.canRedo() ? stack.redoText() : QString()));
    // With the editor open the keys belong to the editor, whose own undo
    // needs no item: the editor takes them before the window does.
    MenuUndo->setEnabled(stack.canUndo() || m_form.editorOpen());
    MenuRedo->setEnabled(stack.canRedo() || m_form.editorOpen());
}

void EditActions::updateBoxItems()
{
    const BoxRef current = m_form.document().CurrentBox();
    const bool editing = m_form.editorOpen();
    const bool hasBox = current.isText()    ? m_form.document().TextBoxes(current.slot) != nullptr
                        : current.isImage() ? m_form.document().ImageBoxes(current.slot) != nullptr
                                            : current.isShape() && current.slot < m_form.document().shapes().size();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const bool boxOnClipboard = data && data->hasFormat(BoxClipboard::mimeType());
    MenuCut->setEnabled(editing || hasBox);
    MenuCopy->setEnabled(editing || hasBox);
    MenuPaste->setEnabled(editing || boxOnClipboard);
    MenuDuplicate->setEnabled(!editing && hasBox);
    MenuDeleteBox->setEnabled(editing || hasBox);
    updateUndoItems();
}

void EditActions::MenuUndoClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen()) {
        m_form.Edit1->undo();
        return;
    }
    m_form.history().stack().undo();
    afterUndoOrRedo();
}

void EditActions::MenuRedoClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen()) {
        m_form.Edit1->redo();
        return;
    }
    m_form.history().stack().redo();
    afterUndoOrRedo();
}

void EditActions::afterUndoOrRedo()
{
    // The closed editor holds the current box's caption, which the next click
    // on the card writes back: it follows the restored caption.
    const BoxRef current = m_form.document().CurrentBox();
    if (const TextBox *box = current.isText() ? m_form.document().TextBoxes(current.slot) : nullptr)
        m_form.Edit1->setText(box->Caption);
    updateBoxItems();
}

bool EditActions::copyCurrentBox()
{
    std::unique_ptr<QMimeData> data = BoxClipboard::encode(m_form.document(), m_form.document().CurrentBox());
    if (!data)
        return false;
    QGuiApplication::clipboard()->setMimeData(data.release());
    return true;
}

void EditActions::MenuCopyClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen()) {
        m_form.Edit1->copy();
        return;
    }
    copyCurrentBox();
}

void EditActions::MenuCutClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen()) {
        m_form.Edit1->cut();
        return;
    }
    if (!copyCurrentBox())
        return;
    CardHistory &history = m_form.history();
    history.beginStep(Msg::stepCut());
    history.deleteBox(m_form.document().CurrentBox());
    history.endStep();
}

void EditActions::pasteFromClipboard(const QString &step)
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    CardDocument &doc = m_form.document();
    const std::optional<ClipBox> box = BoxClipboard::decode(*data, doc.screenPpi(), doc.messageSink());
    if (!box)
        return;
    const int slot = m_form.history().pasteBox(*box, step);
    if (slot < 0)
        return;
    // The new box is the one the keys act on next.
    doc.SetCurrentBox(box->text ? BoxRef::text(slot) : box->shape ? BoxRef::shape(slot) : BoxRef::image(slot));
    if (box->text)
        m_form.Edit1->setText(box->text->Caption);
}

void EditActions::MenuPasteClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen()) {
        m_form.Edit1->paste();
        return;
    }
    pasteFromClipboard(Msg::stepPaste());
}

void EditActions::MenuDuplicateClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen() || !copyCurrentBox())
        return;
    pasteFromClipboard(Msg::stepDuplicate());
}

void EditActions::MenuDeleteBoxClick()
{
    if (dragging())
        return;
    if (m_form.editorOpen()) {
        m_form.Edit1->del();
        return;
    }
    const BoxRef current = m_form.document().CurrentBox();
    if (current.isText() && m_form.document().TextBoxes(current.slot))
        m_form.MenuDeleteClick();
    else if (current.isImage() && m_form.document().ImageBoxes(current.slot))
        m_form.MenuImageDeleteClick();
    else if (current.isShape() && current.slot < m_form.document().shapes().size())
        m_form.history().deleteBox(current);
}

bool EditActions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_form && event->type() == QEvent::KeyPress && !m_form.editorOpen()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        try {
            if (moveByKey(key->key(), key->modifiers()))
                return true;
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool EditActions::moveByKey(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier)
        return false;
    const int step = modifiers == Qt::ShiftModifier ? kShiftKeyStep : kKeyStep;
    int dx = 0;
    int dy = 0;
    switch (key) {
    case Qt::Key_Left: dx = -step; break;
    case Qt::Key_Right: dx = step; break;
    case Qt::Key_Up: dy = -step; break;
    case Qt::Key_Down: dy = step; break;
    default: return false;
    }
    const BoxRef current = m_form.document().CurrentBox();
    if (current.kind == BoxRef::None)
        return false;
    if (dragging())
        return true;
    m_form.history().moveByKey(current, QKeyCombination(modifiers, Qt::Key(key)).toCombined(), dx, dy);
    return true;
}

void EditActions::showFocusFrame()
{
    const BoxRef current = m_form.document().CurrentBox();
    TMovePanel *panel = current.isText() ? m_form.textPanel(current.slot)
                        : current.isImage() ? m_form.imagePanel(current.slot)
                                            : nullptr;
    if (panel == m_framed)
        return;
    if (m_framed)
        m_framed->setFocusFrame(false);
    m_framed = panel;
    if (m_framed) {
        m_framed->setFocusFrame(true);
        connect(m_framed, &QObject::destroyed, this, [this](QObject *gone) {
            if (gone == m_framed)
                m_framed = nullptr;
        });
    }
}

void EditActions::watchDrags(TMovePanel *panel)
{
    if (!panel)
        return;
    CardHistory &history = m_form.history();
    connect(panel, &TMovePanel::dragStarted, this, [&history](bool resizing) {
        history.beginStep(resizing ? Msg::stepResize() : Msg::stepMove());
    });
    connect(panel, &TMovePanel::dragFinished, this, [&history] { history.endStep(); });
}
