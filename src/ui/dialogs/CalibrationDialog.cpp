#include "dialogs/CalibrationDialog.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "sheet/CalibrationSheet.h"
#include "sheet/SheetPrinter.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

QDoubleSpinBox *offsetField(QWidget *parent, const char *name, int y)
{
    auto *field = new QDoubleSpinBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setLocale(QLocale::c());
    field->setDecimals(1);
    field->setSingleStep(0.1);
    field->setRange(-PrinterCalibration::MaxTenths / 10.0, PrinterCalibration::MaxTenths / 10.0);
    field->setGeometry(112, y, 72, 21);
    return field;
}

std::int32_t tenths(const QDoubleSpinBox *field)
{
    return std::int32_t(std::lround(field->value() * 10.0));
}

} // namespace

CalibrationDialog::CalibrationDialog(QWidget *parent, PrinterCalibration &calibration, const QStringList &printers,
                                     const QString &currentPrinter, PagePrinter printPage)
    : QDialog(parent), m_calibration(calibration), m_printPage(std::move(printPage))
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(Msg::calibrationCaption());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    auto label = [this](const QString &text, int x, int y) {
        auto *l = new QLabel(text, this);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    label(Msg::calibrationPrinter(), 16, 16);
    Printer = new QComboBox(this);
    Printer->setObjectName(QStringLiteral("CalibrationPrinter"));
    Printer->addItems(printers);
    Printer->setGeometry(112, 12, 184, 21);
    label(Msg::calibrationOffsetX(), 16, 48);
    OffsetX = offsetField(this, "CalibrationOffsetX", 44);
    label(Msg::calibrationRight(), 192, 48);
    label(Msg::calibrationOffsetY(), 16, 76);
    OffsetY = offsetField(this, "CalibrationOffsetY", 72);
    label(Msg::calibrationDown(), 192, 76);
    // The back's own shift, right and down, beside each other.
    label(Msg::backOffsetLabel(), 16, 108);
    BackOffsetX = offsetField(this, "CalibrationBackOffsetX", 104);
    BackOffsetY = offsetField(this, "CalibrationBackOffsetY", 104);
    BackOffsetY->move(192, 104);
    BackOffsetX->setToolTip(Msg::calibrationRight());
    BackOffsetY->setToolTip(Msg::calibrationDown());
    Help = new QLabel(printers.isEmpty() ? Msg::calibrationNoPrinter()
                                         : Msg::calibrationHelp() + QLatin1Char('\n') + Msg::calibrationBackHelp(),
                      this);
    Help->setObjectName(QStringLiteral("CalibrationHelp"));
    Help->setWordWrap(true);
    Help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The explanation is shown whole, in whatever font the system gives it;
    // the button and the dialog's height follow it.
    constexpr int helpTop = 136, helpWidth = 368;
    const int helpHeight = std::max(60, Help->heightForWidth(helpWidth));
    Help->setGeometry(16, helpTop, helpWidth, helpHeight);
    const int buttonTop = helpTop + helpHeight + 8;
    PrintPageBtn = new QPushButton(Msg::calibrationPrintPage(), this);
    PrintPageBtn->setObjectName(QStringLiteral("CalibrationPrintPage"));
    PrintPageBtn->setGeometry(16, buttonTop, 180, 25);
    setFixedSize(400, buttonTop + 25 + 11);
    PrintPageBtn->setAutoDefault(false);
    OKBtn = new QPushButton(Msg::buttonOk(), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(317, 8, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(Msg::buttonCancel(), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(317, 38, 75, 24);
    CancelBtn->setAutoDefault(false);

    const bool anyPrinter = !printers.isEmpty();
    for (QWidget *w : std::initializer_list<QWidget *>{Printer, OffsetX, OffsetY, BackOffsetX, BackOffsetY, PrintPageBtn})
        w->setEnabled(anyPrinter);
    if (printers.contains(currentPrinter))
        Printer->setCurrentText(currentPrinter);
    showPrinter(Printer->currentText());

    connect(Printer, &QComboBox::currentTextChanged, this, [this](const QString &printer) {
        keepShown();
        showPrinter(printer);
    });
    connect(PrintPageBtn, &QPushButton::clicked, this, [this] {
        if (m_printPage && !m_shown.isEmpty())
            m_printPage(m_shown, shownOffset(), shownBackOffset());
    });
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        store();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

SheetOffset CalibrationDialog::shownOffset() const
{
    return {tenths(OffsetX), tenths(OffsetY)};
}

SheetOffset CalibrationDialog::shownBackOffset() const
{
    return {tenths(BackOffsetX), tenths(BackOffsetY)};
}

// A printer shows what was typed for it in this dialog, else what is stored.
void CalibrationDialog::showPrinter(const QString &printer)
{
    m_shown = printer;
    const SheetOffset offset = m_edited.value(printer, m_calibration.offsetFor(printer));
    OffsetX->setValue(offset.x / 10.0);
    OffsetY->setValue(offset.y / 10.0);
    const SheetOffset back = m_editedBack.value(printer, m_calibration.backOffsetFor(printer));
    BackOffsetX->setValue(back.x / 10.0);
    BackOffsetY->setValue(back.y / 10.0);
}

void CalibrationDialog::keepShown()
{
    if (m_shown.isEmpty())
        return;
    m_edited.insert(m_shown, shownOffset());
    m_editedBack.insert(m_shown, shownBackOffset());
}

void CalibrationDialog::store()
{
    keepShown();
    for (auto it = m_edited.cbegin(); it != m_edited.cend(); ++it)
        m_calibration.setOffset(it.key(), it.value());
    for (auto it = m_editedBack.cbegin(); it != m_editedBack.cend(); ++it)
        m_calibration.setBackOffset(it.key(), it.value());
}

void printCalibrationPage(const CardDocument &doc, const QString &printerName, SheetOffset offset,
                          SheetOffset backOffset)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);
    printer.setDocName(Msg::calibrationCaption());
    // The calibration prints as the card's jobs do: a two-sided setting gives
    // the back page, whether or not this card has a back.
    const SheetSides sides = SheetSides::of(doc.printSettings().Duplex, backOffset);
    printer.setDuplex(!sides.twoSided()                    ? QPrinter::DuplexNone
                      : sides.turn == SheetTurn::ShortEdge ? QPrinter::DuplexShortSide
                                                           : QPrinter::DuplexLongSide);
    const PaperLayout &paper = doc.printSettings().Layout;
    printer.setFullPage(!paper.isStandard());
    const QSizeF pageMm = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (const std::optional<QString> problem = SheetPrinter::layoutProblem(doc, pageMm))
        throw TaveloError(*problem);
    QPainter painter;
    if (!painter.begin(&printer))
        throw TaveloError(Msg::printerError());
    const SheetLayout layout(printer.logicalDpiX(), printer.logicalDpiY(), doc.screenPpi(), doc.MarginLeft(),
                             doc.MarginTop(), paper, offset);
    const bool printed = CalibrationSheet::printPages(
        painter, printer, layout, sides, pageMm, Msg::calibrationNote(printerName, offset.x / 10.0, offset.y / 10.0),
        Msg::calibrationBackNote(printerName, backOffset.x / 10.0, backOffset.y / 10.0));
    if (!printed) {
        printer.abort();
        throw TaveloError(Msg::printerError());
    }
    if (!painter.end())
        throw TaveloError(Msg::printerError());
}
