#include "dialogs/FontDialog.h"

#include "sheet/FontMapping.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// Keeps the stored face name when the user does not pick another face.
constexpr int kCustomColor = -1;
}

TFontDialog::TFontDialog(QWidget *parent, const BoxFont &initial, int screenPpi)
    : QDialog(parent), m_initial(initial), m_ppi(screenPpi > 0 ? screenPpi : 96)
{
    setWindowTitle(QStringLiteral("フォント"));
    // The Windows face names first: cards made here keep their look on the
    // machines that made the format, and they are drawn with the IPA faces here.
    m_face = new QComboBox(this);
    m_face->setEditable(true);
    m_face->addItems({QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ Ｐゴシック"),
                      QStringLiteral("ＭＳ ゴシック")});
    m_face->insertSeparator(m_face->count());
    m_face->addItems(QFontDatabase::families());
    m_face->setCurrentText(initial.name());
    m_style = new QComboBox(this);
    m_style->addItems({QStringLiteral("標準"), QStringLiteral("斜体"), QStringLiteral("太字"), QStringLiteral("太字 斜体")});
    const bool bold = initial.style().testFlag(FontStyle::Bold);
    const bool italic = initial.style().testFlag(FontStyle::Italic);
    m_style->setCurrentIndex((bold ? 2 : 0) + (italic ? 1 : 0));
    m_size = new QSpinBox(this);
    m_size->setRange(1, 1638);
    m_size->setValue(std::max(1, initial.size(m_ppi)));
    m_underline = new QCheckBox(QStringLiteral("下線(&U)"), this);
    m_underline->setChecked(initial.style().testFlag(FontStyle::Underline));
    m_strikeOut = new QCheckBox(QStringLiteral("取り消し線(&K)"), this);
    m_strikeOut->setChecked(initial.style().testFlag(FontStyle::StrikeOut));
    m_color = new QComboBox(this);
    const struct { const char *name; std::int32_t value; } colors[] = {
        {"黒", 0x000000}, {"茶", 0x000080}, {"緑", 0x008000}, {"オリーブ", 0x008080},
        {"紺", 0x800000}, {"紫", 0x800080}, {"青緑", 0x808000}, {"灰色", 0x808080},
        {"銀", 0xC0C0C0}, {"赤", 0x0000FF}, {"黄緑", 0x00FF00}, {"黄", 0x00FFFF},
        {"青", 0xFF0000}, {"赤紫", 0xFF00FF}, {"水色", 0xFFFF00}, {"白", 0xFFFFFF},
    };
    for (const auto &c : colors)
        addColor(QString::fromUtf8(c.name), c.value);
    int index = m_color->findData(initial.color());
    if (index < 0) {
        addColor(QStringLiteral("現在の色"), initial.color());
        index = m_color->count() - 1;
    }
    m_color->addItem(QStringLiteral("その他の色..."), kCustomColor);
    m_color->setCurrentIndex(index);

    m_preview = new QLabel(QStringLiteral("Aaｱｧあア亜"), this);
    m_preview->setMinimumSize(260, 80);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_preview->setAutoFillBackground(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("フォント名(&F):"), m_face);
    form->addRow(QStringLiteral("スタイル(&Y):"), m_style);
    form->addRow(QStringLiteral("サイズ(&S):"), m_size);
    form->addRow(QStringLiteral("文字飾り:"), m_underline);
    form->addRow(QString(), m_strikeOut);
    form->addRow(QStringLiteral("色(&C):"), m_color);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("サンプル"), this));
    layout->addWidget(m_preview);
    layout->addWidget(buttons);

    connect(m_face, &QComboBox::currentTextChanged, this, &TFontDialog::updatePreview);
    connect(m_style, &QComboBox::currentIndexChanged, this, &TFontDialog::updatePreview);
    connect(m_size, &QSpinBox::valueChanged, this, &TFontDialog::updatePreview);
    connect(m_underline, &QCheckBox::toggled, this, &TFontDialog::updatePreview);
    connect(m_strikeOut, &QCheckBox::toggled, this, &TFontDialog::updatePreview);
    connect(m_color, &QComboBox::activated, this, [this](int i) {
        if (m_color->itemData(i).toInt() != kCustomColor)
            return updatePreview();
        const QColor chosen = QColorDialog::getColor(FontMapping::toQColor(selectedFont().color()), this);
        if (chosen.isValid()) {
            addColor(chosen.name(), FontMapping::fromQColor(chosen));
            m_color->setCurrentIndex(m_color->count() - 2);
        }
        updatePreview();
    });
    updatePreview();
}

void TFontDialog::addColor(const QString &name, std::int32_t value)
{
    QPixmap swatch(16, 12);
    swatch.fill(FontMapping::toQColor(value));
    const int before = m_color->findData(kCustomColor);
    if (before < 0)
        m_color->addItem(QIcon(swatch), name, value);
    else
        m_color->insertItem(before, QIcon(swatch), name, value);
}

BoxFont TFontDialog::selectedFont() const
{
    FontStyles style;
    if (m_style->currentIndex() >= 2)
        style |= FontStyle::Bold;
    if (m_style->currentIndex() % 2 == 1)
        style |= FontStyle::Italic;
    if (m_underline->isChecked())
        style |= FontStyle::Underline;
    if (m_strikeOut->isChecked())
        style |= FontStyle::StrikeOut;
    int color = m_color->currentData().toInt();
    if (color == kCustomColor)
        color = m_initial.color();
    BoxFont font = m_initial;
    font.setName(m_face->currentText().trimmed());
    font.setSize(m_size->value(), m_ppi);
    font.setColor(color);
    font.setStyle(style);
    return font;
}

void TFontDialog::updatePreview()
{
    const BoxFont font = selectedFont();
    m_preview->setFont(FontMapping::toQFont(font));
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::WindowText, FontMapping::toQColor(font.color()));
    palette.setColor(QPalette::Window, Qt::white);
    m_preview->setPalette(palette);
}

std::optional<BoxFont> DialogFontChooser::choose(QWidget *parent, const BoxFont &initial, int screenPpi)
{
    TFontDialog dialog(parent, initial, screenPpi);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}
