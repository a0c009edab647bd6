#include "dialogs/PaperLayoutBox.h"

#include "base/Messages.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>

#include <cmath>

namespace {

// Custom layouts are checked against the paper card sheets are sold on; the
// print job checks again against the paper the printer really has.
const QSizeF ReferencePaperMm(210.0, 297.0);

std::int32_t tenths(const QDoubleSpinBox *box)
{
    return std::int32_t(std::lround(box->value() * 10.0));
}

} // namespace

PaperLayoutBox::PaperLayoutBox(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PaperLayoutBox"));
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto label = [this](const QString &text, int x, int y) {
        auto *l = new QLabel(text, this);
        l->move(x, y + 4);
        l->adjustSize();
        return l;
    };
    label(Msg::paperLabel(), 8, 8);
    Choice = new QComboBox(this);
    Choice->setObjectName(QStringLiteral("PaperChoice"));
    Choice->addItems({Msg::paperStandard(), Msg::paperTenUp(), Msg::paperCustom()});
    Choice->setGeometry(48, 8, 200, 21);

    auto spin = [this](const char *name, int lowest, int highest, int x, int y) {
        auto *s = new QSpinBox(this);
        s->setObjectName(QLatin1String(name));
        s->setRange(lowest, highest);
        s->setGeometry(x, y, 56, 21);
        return s;
    };
    auto length = [this](const char *name, std::int32_t lowestTenths, int x, int y) {
        auto *s = new QDoubleSpinBox(this);
        s->setObjectName(QLatin1String(name));
        s->setLocale(QLocale::c());
        s->setDecimals(1);
        s->setSingleStep(0.1);
        s->setRange(lowestTenths / 10.0, PaperLayout::MaxLengthTenths / 10.0);
        s->setGeometry(x, y, 72, 21);
        return s;
    };
    label(Msg::paperColumns(), 16, 38);
    Columns = spin("PaperColumns", PaperLayout::MinColumns, PaperLayout::MaxColumns, 100, 38);
    label(Msg::paperRows(), 188, 38);
    Rows = spin("PaperRows", PaperLayout::MinRows, PaperLayout::MaxRows, 272, 38);
    label(Msg::paperOriginX(), 16, 66);
    OriginX = length("PaperOriginX", 0, 100, 66);
    label(Msg::paperOriginY(), 188, 66);
    OriginY = length("PaperOriginY", 0, 272, 66);
    label(Msg::paperPitchX(), 16, 94);
    PitchX = length("PaperPitchX", PaperLayout::CardWidthTenths, 100, 94);
    label(Msg::paperPitchY(), 188, 94);
    PitchY = length("PaperPitchY", PaperLayout::CardHeightTenths, 272, 94);
    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("PaperStatus"));
    Status->setGeometry(16, 120, 330, 24);
    Status->setWordWrap(true);

    connect(Choice, &QComboBox::currentIndexChanged, this, &PaperLayoutBox::choiceChanged);
    for (QSpinBox *s : {Columns, Rows})
        connect(s, &QSpinBox::valueChanged, this, &PaperLayoutBox::updateStatus);
    for (QDoubleSpinBox *s : {OriginX, OriginY, PitchX, PitchY})
        connect(s, &QDoubleSpinBox::valueChanged, this, &PaperLayoutBox::updateStatus);
    setPaperLayout(PaperLayout::standard());
}

void PaperLayoutBox::setPaperLayout(const PaperLayout &layout)
{
    m_showing = true;
    Choice->setCurrentIndex(int(layout.kind));
    m_showing = false;
    showFields(layout);
}

void PaperLayoutBox::showFields(const PaperLayout &layout)
{
    m_showing = true;
    Columns->setValue(layout.columns);
    Rows->setValue(layout.rows);
    OriginX->setValue(layout.originX / 10.0);
    OriginY->setValue(layout.originY / 10.0);
    PitchX->setValue(layout.pitchX / 10.0);
    PitchY->setValue(layout.pitchY / 10.0);
    m_showing = false;
    const bool custom = layout.kind == PaperLayout::Kind::Custom;
    for (QWidget *w : std::initializer_list<QWidget *>{Columns, Rows, OriginX, OriginY, PitchX, PitchY})
        w->setEnabled(custom);
    updateStatus();
}

// Choosing "custom" starts from the numbers shown, so the ten-up paper is
// one step from a paper that is nearly like it.
void PaperLayoutBox::choiceChanged()
{
    if (m_showing)
        return;
    switch (PaperLayout::Kind(Choice->currentIndex())) {
    case PaperLayout::Kind::Standard:
        showFields(PaperLayout::standard());
        break;
    case PaperLayout::Kind::TenUp:
        showFields(PaperLayout::tenUp());
        break;
    case PaperLayout::Kind::Custom: {
        PaperLayout shown = paperLayout();
        shown.kind = PaperLayout::Kind::Custom;
        showFields(shown);
        break;
    }
    }
}

PaperLayout PaperLayoutBox::paperLayout() const
{
    switch (PaperLayout::Kind(Choice->currentIndex())) {
    case PaperLayout::Kind::Standard:
        return PaperLayout::standard();
    case PaperLayout::Kind::TenUp:
        return PaperLayout::tenUp();
    case PaperLayout::Kind::Custom:
        break;
    }
    return PaperLayout::custom(Columns->value(), Rows->value(), tenths(OriginX), tenths(OriginY), tenths(PitchX),
                               tenths(PitchY));
}

std::optional<QString> PaperLayoutBox::problem() const
{
    const PaperLayout layout = paperLayout();
    if (layout.fitsOn(ReferencePaperMm))
        return std::nullopt;
    const QSizeF extent = layout.extentMm();
    return Msg::layoutDoesNotFit(extent.width(), extent.height(), ReferencePaperMm.width(), ReferencePaperMm.height());
}

void PaperLayoutBox::updateStatus()
{
    if (m_showing)
        return;
    const std::optional<QString> trouble = problem();
    const PaperLayout layout = paperLayout();
    Status->setStyleSheet(trouble ? QStringLiteral("color: #c00000") : QString());
    if (trouble)
        Status->setText(*trouble);
    else if (layout.isStandard())
        Status->setText(Msg::paperStandardNote());
    else
        Status->setText(Msg::paperFits(layout.cells(), layout.extentMm().width(), layout.extentMm().height()));
}
