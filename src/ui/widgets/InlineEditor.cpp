#include "widgets/InlineEditor.h"

#include <QKeyEvent>

InlineEditor::InlineEditor(QWidget *parent) : QLineEdit(parent)
{
    setFrame(true);
}

void InlineEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Q_EMIT keyDown(EnterKey);
    QLineEdit::keyPressEvent(event);
}

void InlineEditor::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    Q_EMIT doubleClicked();
}
