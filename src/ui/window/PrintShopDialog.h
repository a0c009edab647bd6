#pragma once
// The print-shop PDF in the program: the File menu item "入稿用PDFの書き出し"
// opens this dialog, which sets the bleed, the crop marks and the sides,
// lists what the preflight finds as the settings change, and writes the PDF
// to a file the user chooses. With a merge list loaded, it can write a page
// for the card of every ticked row.
#include "printshop/PrintShopExport.h"

#include <QDialog>

class MergeActions;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QListWidget;
class QPushButton;
class TForm1;

class PrintShopDialog : public QDialog
{
    Q_OBJECT
public:
    // merge: the session's merge list, or null.
    PrintShopDialog(TForm1 &form, const MergeActions *merge, const PrintShopJob &last);

    QDoubleSpinBox *Bleed = nullptr;
    QCheckBox *Marks = nullptr;
    QComboBox *Sides = nullptr;
    QCheckBox *MergeRows = nullptr;   // absent without a merge list
    QListWidget *Preflight = nullptr;
    QPushButton *ExportButton = nullptr;
    QPushButton *CancelButton = nullptr;

    // The job as the dialog's controls set it.
    PrintShopJob job() const;

    // Asks for the file and writes the PDF into it; false when the user
    // cancelled the file choice.
    bool exportPdf();

private:
    void refreshPreflight();
    void showProblems(const QStringList &problems);

    TForm1 &m_form;
    const MergeActions *m_merge;
    QDateTime m_created;
};

// The File menu item and the settings it keeps for the session.
class PrintShopActions : public QObject
{
    Q_OBJECT
public:
    // The item goes into fileMenu before before.
    PrintShopActions(TForm1 &form, QMenu *fileMenu, QAction *before);

    QAction *MenuPrintShop = nullptr;

private:
    void printShopClick();

    TForm1 &m_form;
    PrintShopJob m_last;
};
