#pragma once
// The background of the side shown: none, a colour, or a picture stretched to
// the card or filling it. The picture is loaded when the dialog is accepted.
#include "card/CardShape.h"

#include <QDialog>

class ColorButton;
class QComboBox;
class QLineEdit;
class QRadioButton;

class BackgroundDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BackgroundDialog(const CardBackground &background, QWidget *parent = nullptr);
    // The background as chosen, its picture not yet loaded.
    CardBackground background() const;

private:
    CardBackground m_background;
    QRadioButton *m_none = nullptr;
    QRadioButton *m_colored = nullptr;
    QRadioButton *m_picture = nullptr;
    ColorButton *m_colorButton = nullptr;
    QLineEdit *m_path = nullptr;
    QComboBox *m_fit = nullptr;
};
