#pragma once
// The font dialog for text boxes: face, style, size, underline, strike-out and
// colour, with a preview. It returns the whole font, colour included.
#include "dialogs/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

class TFontDialog : public QDialog
{
    Q_OBJECT
public:
    TFontDialog(QWidget *parent, const BoxFont &initial, int screenPpi);
    BoxFont selectedFont() const;

    QComboBox *faceBox() const { return m_face; }
    QComboBox *styleBox() const { return m_style; }
    QSpinBox *sizeBox() const { return m_size; }
    QCheckBox *underlineBox() const { return m_underline; }
    QCheckBox *strikeOutBox() const { return m_strikeOut; }
    QComboBox *colorBox() const { return m_color; }

private:
    void updatePreview();
    void addColor(const QString &name, std::int32_t value);

    BoxFont m_initial;
    int m_ppi;
    QComboBox *m_face = nullptr;
    QComboBox *m_style = nullptr;
    QSpinBox *m_size = nullptr;
    QCheckBox *m_underline = nullptr;
    QCheckBox *m_strikeOut = nullptr;
    QComboBox *m_color = nullptr;
    QLabel *m_preview = nullptr;
};

class DialogFontChooser : public FontChooser
{
public:
    std::optional<BoxFont> choose(QWidget *parent, const BoxFont &initial, int screenPpi) override;
};
