#pragma once
// The print position calibration: for each printer, how far its sheets are
// shifted (−20.0 to +20.0 mm, in tenths), and the calibration page that
// shows how far they are off. The offsets go to the user's settings on OK.
#include "sheet/PrinterCalibration.h"

#include <QDialog>
#include <QMap>
#include <QStringList>

#include <functional>

class CardDocument;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class CalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    // Prints the calibration page on a printer with an offset (and, for a
    // two-sided job, its back with the back-side offset too).
    using PagePrinter = std::function<void(const QString &printer, SheetOffset offset, SheetOffset backOffset)>;

    CalibrationDialog(QWidget *parent, PrinterCalibration &calibration, const QStringList &printers,
                      const QString &currentPrinter, PagePrinter printPage);

    QComboBox *Printer = nullptr;
    QDoubleSpinBox *OffsetX = nullptr;
    QDoubleSpinBox *OffsetY = nullptr;
    // The back-side offset, added to back sheets only (right, down).
    QDoubleSpinBox *BackOffsetX = nullptr;
    QDoubleSpinBox *BackOffsetY = nullptr;
    QLabel *Help = nullptr;
    QPushButton *PrintPageBtn = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    // The offset the fields show, in tenths.
    SheetOffset shownOffset() const;
    SheetOffset shownBackOffset() const;

private:
    void showPrinter(const QString &printer);
    void keepShown();
    void store();

    PrinterCalibration &m_calibration;
    PagePrinter m_printPage;
    QMap<QString, SheetOffset> m_edited;   // by printer, not yet stored
    QMap<QString, SheetOffset> m_editedBack;
    QString m_shown;
};

// The calibration page on a printer: the document's paper layout and margins,
// shifted by offset; when the document prints two-sided, its back page behind
// it (the printer set to duplex), shifted by backOffset besides. Errors are
// thrown as TaveloError.
void printCalibrationPage(const CardDocument &doc, const QString &printerName, SheetOffset offset,
                          SheetOffset backOffset = {});
