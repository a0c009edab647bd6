#pragma once
// TPrintSet: the print settings dialog for the left and top margins (mm) and
// the cut guides. It edits the main window's document directly: loaded when
// shown, stored by OK.
#include "widgets/WindowPlacement.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class PaperLayoutBox;
class TForm1;
class TSpinEdit;

class QComboBox;

class TPrintSet : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintSet(TForm1 *mainWindow);

    QFrame *Bevel1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    TSpinEdit *SpinEditLeft = nullptr;
    TSpinEdit *SpinEditTop = nullptr;
    QCheckBox *CheckBoxGuide = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    PaperLayoutBox *PaperBox = nullptr;   // below the controls above
    QComboBox *DuplexBox = nullptr;       // 片面, 両面 長辺とじ, 両面 短辺とじ, 裏面のみ; below the paper

    void FormActivate();
    void OKBtnClick();
    // Whether the paper chosen can be stored; says why not when it cannot.
    bool paperAccepted();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    TForm1 *m_main;
    RememberedPlace m_place;
};
