#include "dialogs/ColorButton.h"

#include "sheet/FontMapping.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPixmap>

ColorButton::ColorButton(const QString &caption, std::int32_t color, QWidget *parent)
    : QPushButton(caption, parent), m_color(color)
{
    showColor();
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(FontMapping::toQColor(m_color), this);
        if (!chosen.isValid())
            return;
        m_color = FontMapping::fromQColor(chosen);
        showColor();
        Q_EMIT colorChosen(m_color);
    });
}

void ColorButton::showColor()
{
    QPixmap swatch(32, 14);
    swatch.fill(FontMapping::toQColor(m_color));
    setIcon(QIcon(swatch));
}

QDialogButtonBox *okCancelButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
