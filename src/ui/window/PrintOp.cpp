#include "window/PrintOp.h"

#include "base/Messages.h"
#include "dialogs/PaperLayoutBox.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinEdit.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace {
constexpr int DuplexRowHeight = 30;
}

TPrintSet::TPrintSet(TForm1 *mainWindow) : QDialog(mainWindow), m_main(mainWindow)
{
    setObjectName(QStringLiteral("PrintSet"));
    setWindowTitle(Msg::printSetCaption());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    // The paper choice lies below the margin controls: the dialog grows downward.
    setFixedSize(378, 176 + PaperLayoutBox::BoxHeight + 8 + DuplexRowHeight);
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    setFont(f);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 277, 158);
    auto label = [this](const char *name, const QString &text, int x, int y, int w) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, 12);
        return l;
    };
    Label1 = label("Label1", Msg::printSetMargins(), 16, 16, 68);
    Label2 = label("Label2", Msg::printSetLeft(), 48, 40, 82);
    Label3 = label("Label3", Msg::printSetTop(), 48, 72, 82);
    // Japanese labels need a little more room than the 96 PPI layout gave them.
    Label1->adjustSize();
    Label2->adjustSize();
    Label3->adjustSize();

    OKBtn = new QPushButton(Msg::buttonOk(), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(295, 8, 75, 25);
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    CancelBtn = new QPushButton(Msg::buttonCancel(), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(295, 38, 75, 24);
    CancelBtn->setAutoDefault(false);

    SpinEditLeft = new TSpinEdit(PrintSettings::MarginMin, PrintSettings::MarginMax, this);
    SpinEditLeft->setObjectName(QStringLiteral("SpinEditLeft"));
    SpinEditLeft->setGeometry(136, 40, 49, 21);
    SpinEditTop = new TSpinEdit(PrintSettings::MarginMin, PrintSettings::MarginMax, this);
    SpinEditTop->setObjectName(QStringLiteral("SpinEditTop"));
    SpinEditTop->setGeometry(136, 72, 49, 21);
    SpinEditLeft->setToolTip(Msg::printSetMarginHint());
    SpinEditTop->setToolTip(Msg::printSetMarginHint());
    CheckBoxGuide = new QCheckBox(Msg::printSetGuide(), this);
    CheckBoxGuide->setObjectName(QStringLiteral("CheckBoxGuide"));
    CheckBoxGuide->setGeometry(16, 120, 257, 17);

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, SpinEditLeft->lineEdit());
    setTabOrder(SpinEditLeft->lineEdit(), SpinEditTop->lineEdit());
    setTabOrder(SpinEditTop->lineEdit(), CheckBoxGuide);
    PaperBox = new PaperLayoutBox(this);
    PaperBox->setGeometry(8, 176, 362, PaperLayoutBox::BoxHeight);
    setTabOrder(CheckBoxGuide, PaperBox->Choice);
    // Two-sided printing, under the paper it is printed on.
    const int duplexTop = 176 + PaperLayoutBox::BoxHeight + 8;
    label("DuplexLabel", Msg::duplexGroup(), 16, duplexTop + 4, 100)->adjustSize();
    DuplexBox = new QComboBox(this);
    DuplexBox->setObjectName(QStringLiteral("DuplexBox"));
    DuplexBox->setGeometry(136, duplexTop, 150, 22);
    DuplexBox->addItems({Msg::duplexOneSided(), Msg::duplexLongEdge(), Msg::duplexShortEdge(), Msg::duplexBackOnly()});
    setTabOrder(PaperBox->Choice, DuplexBox);

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (!paperAccepted())
            return;
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrintSet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_place.beforeShow(this);
    FormActivate();
    OKBtn->setFocus();
}

void TPrintSet::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_place.beforeHide(this);
    QDialog::hideEvent(event);
}

void TPrintSet::FormActivate()
{
    const PrintSettings &s = m_main->document().printSettings();
    SpinEditLeft->setValue(s.MarginLeft);
    SpinEditTop->setValue(s.MarginTop);
    CheckBoxGuide->setChecked(s.PrintGuide != 0);
    PaperBox->setPaperLayout(s.Layout);
    DuplexBox->setCurrentIndex(int(s.Duplex));
}

bool TPrintSet::paperAccepted()
{
    const std::optional<QString> problem = PaperBox->problem();
    if (!problem)
        return true;
    ErrorGuard::presenter()->information(this, *problem, MsgButton::Ok);
    PaperBox->Choice->setFocus();
    return false;
}

void TPrintSet::OKBtnClick()
{
    // A value confirmed with Enter while its field still has the focus has not
    // been brought into range yet: do it here so 0..100 is what gets stored.
    PrintSettings s = m_main->document().printSettings();
    s.MarginLeft = PrintSettings::clampMargin(SpinEditLeft->value());
    s.MarginTop = PrintSettings::clampMargin(SpinEditTop->value());
    s.PrintGuide = CheckBoxGuide->isChecked() ? 1 : 0;
    s.Layout = PaperBox->paperLayout();
    s.Duplex = DuplexMode(std::clamp(DuplexBox->currentIndex(), 0, int(DuplexMode::BackOnly)));
    m_main->history().setPrintSettings(s);
}
