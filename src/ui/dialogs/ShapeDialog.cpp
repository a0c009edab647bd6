#include "dialogs/ShapeDialog.h"

#include "base/Messages.h"
#include "dialogs/ColorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

ShapeDialog::ShapeDialog(const CardShape &shape, QWidget *parent) : QDialog(parent), m_shape(shape.normalized())
{
    setObjectName(QStringLiteral("ShapeDialog"));
    setWindowTitle(Msg::shapeTitle());
    auto *form = new QFormLayout(this);
    if (m_shape.isLine()) {
        m_direction = new QComboBox(this);
        m_direction->setObjectName(QStringLiteral("direction"));
        m_direction->addItems({Msg::shapeHorizontal(), Msg::shapeVertical(), Msg::shapeFree()});
        m_direction->setCurrentIndex(m_shape.direction == LineDirection::Horizontal ? 0
                                     : m_shape.direction == LineDirection::Vertical ? 1
                                                                                     : 2);
        form->addRow(Msg::shapeDirection(), m_direction);
    }
    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("width"));
    m_width->setRange(m_shape.isLine() ? CardShape::MinWidthTenths : 0, CardShape::MaxWidthTenths);
    m_width->setValue(m_shape.widthTenths);
    form->addRow(m_shape.isLine() ? Msg::shapeWidth() : Msg::shapeBorderWidth(), m_width);
    m_style = new QComboBox(this);
    m_style->setObjectName(QStringLiteral("style"));
    m_style->addItems({Msg::shapeSolid(), Msg::shapeDashed(), Msg::shapeDotted()});
    m_style->setCurrentIndex(int(m_shape.style));
    form->addRow(Msg::shapeStyle(), m_style);
    m_color = new ColorButton(Msg::chooseColor(), m_shape.color, this);
    m_color->setObjectName(QStringLiteral("color"));
    form->addRow(Msg::shapeColor(), m_color);
    if (!m_shape.isLine()) {
        m_filled = new QCheckBox(Msg::shapeFill(), this);
        m_filled->setObjectName(QStringLiteral("filled"));
        m_filled->setChecked(bool(m_shape.fill));
        m_fill = new ColorButton(Msg::chooseColor(), m_shape.fill.value_or(0xffffff), this);
        m_fill->setObjectName(QStringLiteral("fill"));
        connect(m_fill, &ColorButton::colorChosen, m_filled, [this] { m_filled->setChecked(true); });
        form->addRow(m_filled, m_fill);
        m_radius = new QSpinBox(this);
        m_radius->setObjectName(QStringLiteral("radius"));
        m_radius->setRange(0, CardShape::MaxRadiusTenths);
        m_radius->setValue(m_shape.radiusTenths);
        form->addRow(Msg::shapeRadius(), m_radius);
    }
    form->addRow(okCancelButtons(this));
}

CardShape ShapeDialog::shape() const
{
    CardShape shape = m_shape;
    if (m_direction) {
        const LineDirection direction = m_direction->currentIndex() == 0   ? LineDirection::Horizontal
                                        : m_direction->currentIndex() == 1 ? LineDirection::Vertical
                                                                           : LineDirection::Free;
        // A line turned horizontal or vertical keeps its first end and its length.
        if (direction != shape.direction && direction != LineDirection::Free) {
            const std::int32_t length = std::max(shape.right() - shape.left(), shape.bottom() - shape.top());
            shape.x2 = direction == LineDirection::Horizontal ? shape.x1 + length : shape.x1;
            shape.y2 = direction == LineDirection::Vertical ? shape.y1 + length : shape.y1;
        }
        shape.direction = direction;
    }
    shape.color = m_color->color();
    shape.widthTenths = m_width->value();
    shape.style = StrokeStyle(m_style->currentIndex());
    if (m_filled)
        shape.fill = m_filled->isChecked() ? std::optional<std::int32_t>(m_fill->color()) : std::nullopt;
    if (m_radius)
        shape.radiusTenths = m_radius->value();
    return shape.normalized();
}
