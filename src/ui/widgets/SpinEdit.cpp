#include "widgets/SpinEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include <algorithm>

namespace {
// An optional sign, then decimal digits: all that a whole number is made of.
const QRegularExpression &wholeNumberPrefix()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]*")));
    return pattern;
}
}

TSpinEdit::TSpinEdit(int minValue, int maxValue, QWidget *parent)
    : QWidget(parent), m_min(minValue), m_max(maxValue), m_edit(new QLineEdit(this)),
      m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setFocusPolicy(Qt::NoFocus);
    m_down->setFocusPolicy(Qt::NoFocus);
    m_up->setAutoRepeat(true);
    m_down->setAutoRepeat(true);
    setFocusProxy(m_edit);
    // The field holds whole numbers only: a fraction would be read as the
    // minimum without a word. Pasted and dropped text is held to it too.
    m_edit->setValidator(new QRegularExpressionValidator(wholeNumberPrefix(), m_edit));
    m_edit->installEventFilter(this);
    connect(m_up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
    setValue(minValue);
}

std::optional<int> TSpinEdit::parseWholeNumber(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);   // optional sign, decimal digits, 32 bits
    if (!ok || text.trimmed() != text)
        return std::nullopt;
    return v;
}

bool TSpinEdit::canBecomeWholeNumber(const QString &text)
{
    return wholeNumberPrefix().match(text).hasMatch();
}

QString TSpinEdit::textAfterTyping(const QString &typed) const
{
    QString text = m_edit->text();
    if (m_edit->hasSelectedText())
        return text.replace(m_edit->selectionStart(), m_edit->selectedText().size(), typed);
    return text.insert(m_edit->cursorPosition(), typed);
}

int TSpinEdit::value() const
{
    return parseWholeNumber(m_edit->text()).value_or(m_min);
}

void TSpinEdit::setValue(long long value)
{
    m_edit->setText(QString::number(std::clamp<long long>(value, m_min, m_max)));
}

QString TSpinEdit::text() const
{
    return m_edit->text();
}

void TSpinEdit::setText(const QString &text)
{
    m_edit->setText(text);
}

void TSpinEdit::step(int delta)
{
    setValue(static_cast<long long>(value()) + delta);
}

void TSpinEdit::clampText()
{
    if (const std::optional<int> v = parseWholeNumber(m_edit->text()); v && (*v < m_min || *v > m_max))
        setValue(*v);
}

bool TSpinEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            step(key->key() == Qt::Key_Up ? +1 : -1);
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return false;   // the dialog's default button takes it
        const QString typed = key->text();
        if (!typed.isEmpty() && typed.at(0).isPrint() && !canBecomeWholeNumber(textAfterTyping(typed))) {
            QApplication::beep();
            return true;
        }
    } else if (watched == m_edit && event->type() == QEvent::FocusOut) {
        clampText();
    }
    return QWidget::eventFilter(watched, event);
}

void TSpinEdit::resizeEvent(QResizeEvent *)
{
    const int buttons = 16;
    const int half = height() / 2;
    m_edit->setGeometry(0, 0, width() - buttons, height());
    m_up->setGeometry(width() - buttons, 0, buttons, half);
    m_down->setGeometry(width() - buttons, half, buttons, height() - half);
}
