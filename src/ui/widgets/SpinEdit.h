#pragma once
// TSpinEdit: an integer field with up and down buttons. Unlike QSpinBox it
// keeps whatever the user typed until the field is left, then brings a whole
// number into range; text that is not a whole number reads as the minimum.
// Only what can make a whole number can be typed or pasted into it.
#include <QWidget>

#include <optional>

class QLineEdit;
class QToolButton;

class TSpinEdit : public QWidget
{
    Q_OBJECT
public:
    TSpinEdit(int minValue, int maxValue, QWidget *parent = nullptr);

    // The text read as a whole decimal number, not brought into range; text
    // that is not one reads as the minimum.
    int value() const;
    // Brings value into range and writes it as text.
    void setValue(long long value);
    QString text() const;
    void setText(const QString &text);
    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    // Parses text as a whole, optionally signed, 32-bit decimal number.
    static std::optional<int> parseWholeNumber(const QString &text);
    // Whether typing on can still make text a whole number: a sign first,
    // digits after it. Keys that would break this are refused with a beep.
    static bool canBecomeWholeNumber(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void step(int delta);
    QString textAfterTyping(const QString &typed) const;
    void clampText();

    int m_min;
    int m_max;
    QLineEdit *m_edit;
    QToolButton *m_up;
    QToolButton *m_down;
};
