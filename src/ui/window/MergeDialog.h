#pragma once
// The merge dialog: the list file (its encoding, columns and rows, a tick
// per row), the fields the card uses with those the list lacks marked, the
// mode, copies and pages; a row to show on the card; preview and print
// through the program's usual print paths.
#include "merge/MergePlan.h"

#include <QDialog>

#include <optional>

class MergeActions;
class MergeRowsModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTableView;

class MergeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MergeDialog(MergeActions &session);
    ~MergeDialog() override;

    QLineEdit *ListPath = nullptr;
    QPushButton *BrowseButton = nullptr;
    QLabel *ListInfo = nullptr;
    QTableView *Rows = nullptr;
    QPushButton *TickAllButton = nullptr;
    QPushButton *TickNoneButton = nullptr;
    QLabel *Fields = nullptr;
    QComboBox *Mode = nullptr;
    QSpinBox *Copies = nullptr;
    QLabel *Pages = nullptr;
    QSpinBox *ShownRow = nullptr;   // 0: none, else the row from 1
    // The side the card shows, filled from the row shown: 表面 or 裏面
    // (Ctrl+Tab switches, as in the main window); only a card with a back
    // has a choice.
    QComboBox *ShownSide = nullptr;
    QPushButton *PreviewButton = nullptr;
    QPushButton *PrintButton = nullptr;
    QPushButton *CloseButton = nullptr;

    // Loads the list at path (what the Browse button does once a file is
    // chosen); a list that cannot be read leaves the one before and says why.
    bool loadList(const QString &path);

    // The plan the buttons print.
    MergePlan plan() const;

    void previewClick();
    void printClick();
    // Prints the plan on a printer already chosen.
    void printOn(QPrinter &printer);

private:
    void browseClick();
    void showList();
    void updateFields();
    void updatePages();
    void updateSide();
    // Whether the job may go on: no list, no rows or too many pages say so;
    // fields the list lacks are named, and the user chooses.
    bool readyToPrint();
    // What the job left off (pictures not loaded, items a row cut or left
    // out), after the job.
    void tellPictureProblems(const QStringList &problems);

    MergeActions &m_session;
    MergeRowsModel *m_model = nullptr;
};
