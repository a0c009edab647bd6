#pragma once
// The properties of a line or a rectangle: direction, width, style and colour
// of the stroke; a rectangle's fill and corner radius.
#include "card/CardShape.h"

#include <QDialog>

class ColorButton;
class QCheckBox;
class QComboBox;
class QSpinBox;

class ShapeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShapeDialog(const CardShape &shape, QWidget *parent = nullptr);
    CardShape shape() const;

private:
    CardShape m_shape;
    QComboBox *m_direction = nullptr;
    QSpinBox *m_width = nullptr;
    QComboBox *m_style = nullptr;
    ColorButton *m_color = nullptr;
    QCheckBox *m_filled = nullptr;
    ColorButton *m_fill = nullptr;
    QSpinBox *m_radius = nullptr;
};
