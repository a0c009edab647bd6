#pragma once
// The program's two message boxes: the information box for its own messages
// (title "情報", buttons in the order Yes, No, OK, Cancel) and the error box for
// errors raised inside handlers (caption "Kadoru!", stop icon, OK).
#include "base/MessageSink.h"

#include <QDialog>

class QPushButton;

class InformationBox : public QDialog
{
    Q_OBJECT
public:
    InformationBox(QWidget *parent, const QString &text, MsgButtons buttons);
    // The button pressed by Enter and the result of Esc (0: Esc does nothing).
    int defaultResult() const { return m_default; }
    int escapeResult() const { return m_escape; }
    QPushButton *button(int result) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    MsgButtons m_buttons;
    int m_default = 0;
    int m_escape = 0;
};

// Shows messages; tests replace it to read and answer them.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual int information(QWidget *parent, const QString &text, MsgButtons buttons) = 0;
    // text is the full text of the box, the final "." included.
    virtual void error(QWidget *parent, const QString &text) = 0;
};

class DialogMessagePresenter : public MessagePresenter
{
public:
    int information(QWidget *parent, const QString &text, MsgButtons buttons) override;
    void error(QWidget *parent, const QString &text) override;
};

// The document's messages, shown through a presenter over a parent window.
class PresenterSink : public MessageSink
{
public:
    explicit PresenterSink(QWidget *parent) : m_parent(parent) {}
    int information(const QString &text, MsgButtons buttons) override;
    void error(const QString &message) override;
    void pictureError(const QString &message, const QString &path) override;

private:
    QWidget *m_parent;
};
