#include "dialogs/TextSettingDialog.h"

#include "base/Messages.h"
#include "sheet/FontMapping.h"
#include "text/CaptionLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

constexpr int PreviewSide = 260;
constexpr int PreviewMargin = 10;
constexpr qreal MostEnlarged = 3;
constexpr qsizetype PreviewCharacters = 1024;
constexpr std::array<TextAlign, 4> Aligns{TextAlign::Left, TextAlign::Center, TextAlign::Right, TextAlign::Justify};

// 50 to 200 % in steps of ten in the list; any whole percent typed.
QComboBox *scaleBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (int percent = TextSetting::MinScale; percent <= TextSetting::MaxScale; percent += 10)
        box->addItem(QString::number(percent));
    box->setValidator(new QIntValidator(TextSetting::MinScale, TextSetting::MaxScale, box));
    return box;
}

std::optional<int> percentOf(const QComboBox *box)
{
    bool ok = false;
    const int value = box->currentText().toInt(&ok);
    if (!ok || value < TextSetting::MinScale || value > TextSetting::MaxScale)
        return std::nullopt;
    return value;
}

QWidget *withUnit(QWidget *field, const QString &unit, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(new QLabel(unit, row));
    layout->addStretch();
    return row;
}

} // namespace

TextSettingPreview::TextSettingPreview(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TextSettingPreview"));
    setFixedSize(PreviewSide, PreviewSide);
}

void TextSettingPreview::show(const QString &caption, const QFont &font, QSizeF box, const TextSetting &setting,
                              const QColor &color)
{
    m_caption = caption;
    m_font = font;
    m_box = box;
    m_setting = setting;
    m_color = color;
    QWidget::update();
}

void TextSettingPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    if (m_box.isEmpty())
        return;
    // The box as large as the preview allows, within three times its size.
    const qreal room = PreviewSide - 2 * PreviewMargin;
    const qreal factor = std::min({room / m_box.width(), room / m_box.height(), MostEnlarged});
    const QSizeF box = m_box * factor;
    const QPointF corner((PreviewSide - box.width()) / 2, (PreviewSide - box.height()) / 2);
    painter.fillRect(QRectF(corner, box), Qt::white);
    QFont font = m_font;
    font.setPixelSize(std::max(1, int(std::lround(m_font.pixelSize() * factor))));
    painter.setClipRect(QRectF(corner, box));
    CaptionLayout::lay(m_caption, font, m_setting, box).draw(painter, corner, m_color);
    painter.setClipping(false);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1, Qt::DotLine));
    painter.drawRect(QRectF(corner, box));
}

TextSettingDialog::TextSettingDialog(QWidget *parent, const TextBox &box) : QDialog(parent), m_box(box)
{
    setObjectName(QStringLiteral("TextSettingDialog"));
    setWindowTitle(Msg::textSettingTitle());

    m_align = new QComboBox(this);
    m_align->setObjectName(QStringLiteral("TextAlign"));
    m_align->addItems(Msg::textSettingAligns());
    m_width = scaleBox(this, "TextScaleX");
    m_height = scaleBox(this, "TextScaleY");
    m_spacing = new QSpinBox(this);
    m_spacing->setObjectName(QStringLiteral("TextSpacing"));
    m_spacing->setRange(TextSetting::MinSpacing, TextSetting::MaxSpacing);
    m_spacing->setSingleStep(50);
    m_vertical = new QCheckBox(Msg::textSettingVertical(), this);
    m_vertical->setObjectName(QStringLiteral("TextVertical"));
    m_tcy = new QSpinBox(this);
    m_tcy->setObjectName(QStringLiteral("TextTcy"));
    m_tcy->setRange(0, TextSetting::MaxTcy);
    m_tcy->setSpecialValueText(Msg::textSettingTcyOff());

    auto *form = new QFormLayout;
    form->addRow(Msg::textSettingAlign(), m_align);
    form->addRow(Msg::textSettingWidth(), withUnit(m_width, QStringLiteral("%"), this));
    form->addRow(Msg::textSettingHeight(), withUnit(m_height, QStringLiteral("%"), this));
    form->addRow(Msg::textSettingSpacing(), withUnit(m_spacing, Msg::textSettingSpacingUnit(), this));
    form->addRow(QString(), m_vertical);
    form->addRow(Msg::textSettingTcy(), m_tcy);
    // The labels' access keys lead to their fields.
    for (int row = 0; row < form->rowCount(); ++row) {
        auto *label = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::LabelRole) ? form->itemAt(row, QFormLayout::LabelRole)->widget() : nullptr);
        QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
        if (label && field && field->widget()) {
            QWidget *target = field->widget();
            if (QWidget *first = target->findChild<QComboBox *>())
                target = first;
            else if (QWidget *spin = target->findChild<QSpinBox *>())
                target = spin;
            label->setBuddy(target);
        }
    }

    m_preview = new TextSettingPreview(this);
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(new QLabel(Msg::textSettingPreview(), this));
    previewColumn->addWidget(m_preview);
    previewColumn->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addLayout(form);
    columns->addLayout(previewColumn);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(m_buttons);

    setSetting(box.Setting);
    connect(m_align, qOverload<int>(&QComboBox::currentIndexChanged), this, &TextSettingDialog::update);
    connect(m_width, &QComboBox::currentTextChanged, this, &TextSettingDialog::update);
    connect(m_height, &QComboBox::currentTextChanged, this, &TextSettingDialog::update);
    connect(m_spacing, qOverload<int>(&QSpinBox::valueChanged), this, &TextSettingDialog::update);
    connect(m_vertical, &QCheckBox::toggled, this, &TextSettingDialog::update);
    connect(m_tcy, qOverload<int>(&QSpinBox::valueChanged), this, &TextSettingDialog::update);
    update();
}

std::optional<TextSetting> TextSettingDialog::setting() const
{
    const std::optional<int> width = percentOf(m_width);
    const std::optional<int> height = percentOf(m_height);
    if (!width || !height)
        return std::nullopt;
    TextSetting setting;
    setting.align = Aligns[size_t(std::clamp(m_align->currentIndex(), 0, int(Aligns.size()) - 1))];
    setting.scaleX = *width;
    setting.scaleY = *height;
    setting.spacing = m_spacing->value();
    setting.vertical = m_vertical->isChecked();
    setting.tcy = m_tcy->value();
    return setting;
}

void TextSettingDialog::setSetting(const TextSetting &setting)
{
    const auto at = std::find(Aligns.begin(), Aligns.end(), setting.align);
    m_align->setCurrentIndex(at == Aligns.end() ? 0 : int(at - Aligns.begin()));
    m_width->setCurrentText(QString::number(setting.scaleX));
    m_height->setCurrentText(QString::number(setting.scaleY));
    m_spacing->setValue(setting.spacing);
    m_vertical->setChecked(setting.vertical);
    m_tcy->setValue(setting.tcy);
    update();
}

void TextSettingDialog::update()
{
    if (!m_preview)
        return;
    m_tcy->setEnabled(m_vertical->isChecked());
    const std::optional<TextSetting> chosen = setting();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(chosen.has_value());
    if (!chosen)
        return;
    // The box stands as it will: turned when the direction changes.
    QSizeF box(std::max(1, m_box.bounds.Width), std::max(1, m_box.bounds.Height));
    if (chosen->vertical != m_box.Setting.vertical)
        box.transpose();
    // The preview shows a box's beginning: a caption of thousands of
    // characters is laid out no further than the preview can show.
    const QString caption = m_box.Caption.isEmpty() ? QStringLiteral("山田太郎") : m_box.Caption.left(PreviewCharacters);
    m_preview->show(caption, FontMapping::toQFont(m_box.Font), box, *chosen, FontMapping::toQColor(m_box.Font.color()));
}
