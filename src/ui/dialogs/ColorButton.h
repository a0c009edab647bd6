#pragma once
// A button that shows a colour of the card (the card file's 0x00BBGGRR) as a
// swatch beside its caption; a click lets the user choose another in the
// colour dialog. The background and the shape dialogs take their colours so.
#include <QPushButton>

#include <cstdint>

class QDialog;
class QDialogButtonBox;

class ColorButton : public QPushButton
{
    Q_OBJECT
public:
    ColorButton(const QString &caption, std::int32_t color, QWidget *parent);
    std::int32_t color() const { return m_color; }

Q_SIGNALS:
    // The user chose a colour in the dialog (the button shows it already).
    void colorChosen(std::int32_t color);

private:
    void showColor();

    std::int32_t m_color;
};

// OK and Cancel at the foot of a dialog, accepting and rejecting it.
QDialogButtonBox *okCancelButtons(QDialog *dialog);
