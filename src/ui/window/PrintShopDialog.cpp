#include "window/PrintShopDialog.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "dialogs/Dialogs.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"
#include "window/Main.h"
#include "window/MergeActions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// The sides combo box: its items in this order.
constexpr SideChoice SideItems[] = {SideChoice::Both, SideChoice::Front, SideChoice::Back};

}   // namespace

PrintShopDialog::PrintShopDialog(TForm1 &form, const MergeActions *merge, const PrintShopJob &last)
    : QDialog(&form), m_form(form), m_merge(merge && merge->list() ? merge : nullptr)
{
    setObjectName(QStringLiteral("PrintShopDialog"));
    setWindowTitle(Msg::printShopDialogTitle());
    resize(560, 400);

    Bleed = new QDoubleSpinBox(this);
    Bleed->setObjectName(QStringLiteral("Bleed"));
    Bleed->setDecimals(1);
    Bleed->setRange(PrintShopOptions::MinBleedTenthsMm / 10.0, PrintShopOptions::MaxBleedTenthsMm / 10.0);
    Bleed->setSingleStep(0.5);
    Bleed->setSuffix(QStringLiteral(" mm"));
    Bleed->setValue(last.options.bleedTenthsMm / 10.0);
    Marks = new QCheckBox(Msg::printShopMarks(), this);
    Marks->setObjectName(QStringLiteral("Marks"));
    Marks->setChecked(last.options.marks == CropMarks::Japanese);
    Sides = new QComboBox(this);
    Sides->setObjectName(QStringLiteral("Sides"));
    Sides->addItems({Msg::printShopSidesBoth(), Msg::printShopFront(), Msg::printShopBack()});
    // Only the sides the card has can be chosen.
    const CardDocument &doc = form.document();
    for (int n = 0; n < 3; ++n) {
        const bool available = PrintShopExport::chosenSides(doc, SideItems[n], nullptr).has_value();
        if (auto *item = qobject_cast<QStandardItemModel *>(Sides->model())->item(n))
            item->setEnabled(available);
        if (SideItems[n] == last.sides && available)
            Sides->setCurrentIndex(n);
    }

    auto *form1 = new QFormLayout;
    auto *bleedLabel = new QLabel(Msg::printShopBleedLabel(), this);
    bleedLabel->setBuddy(Bleed);
    form1->addRow(bleedLabel, Bleed);
    form1->addRow(QString(), Marks);
    auto *sidesLabel = new QLabel(Msg::printShopSidesLabel(), this);
    sidesLabel->setBuddy(Sides);
    form1->addRow(sidesLabel, Sides);
    if (m_merge) {
        MergeRows = new QCheckBox(Msg::printShopMergeRows(int(m_merge->tickedRows().size())), this);
        MergeRows->setObjectName(QStringLiteral("MergeRows"));
        form1->addRow(QString(), MergeRows);
    }

    Preflight = new QListWidget(this);
    Preflight->setObjectName(QStringLiteral("Preflight"));
    Preflight->setWordWrap(true);
    auto *preflightLabel = new QLabel(Msg::printShopPreflightLabel(), this);

    auto *buttons = new QDialogButtonBox(this);
    ExportButton = buttons->addButton(Msg::printShopExportButton(), QDialogButtonBox::AcceptRole);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    CancelButton = buttons->addButton(Msg::buttonCancel(), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ExportButton, &QPushButton::clicked, this, [this] {
        try {
            if (exportPdf())
                accept();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form1);
    layout->addWidget(preflightLabel);
    layout->addWidget(Preflight, 1);
    layout->addWidget(buttons);

    connect(Bleed, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &PrintShopDialog::refreshPreflight);
    connect(Marks, &QCheckBox::toggled, this, &PrintShopDialog::refreshPreflight);
    connect(Sides, qOverload<int>(&QComboBox::currentIndexChanged), this, &PrintShopDialog::refreshPreflight);
    refreshPreflight();
}

PrintShopJob PrintShopDialog::job() const
{
    PrintShopJob job;
    job.options.bleedTenthsMm = std::int32_t(std::lround(Bleed->value() * 10));
    job.options.marks = Marks->isChecked() ? CropMarks::Japanese : CropMarks::None;
    job.sides = SideItems[std::clamp(Sides->currentIndex(), 0, 2)];
    const QString card = m_form.document().DocFileName();
    job.title = QFileInfo(card).completeBaseName();
    return job;
}

void PrintShopDialog::refreshPreflight() { showProblems(PrintShopExport::preflight(m_form.document(), job())); }

void PrintShopDialog::showProblems(const QStringList &problems)
{
    Preflight->clear();
    if (problems.isEmpty())
        Preflight->addItem(Msg::printShopPreflightClean());
    else
        Preflight->addItems(problems);
}

bool PrintShopDialog::exportPdf()
{
    const CardDocument &doc = m_form.document();
    const QFileInfo card(doc.DocFileName());
    const QString suggested = card.dir().filePath(card.completeBaseName() + QStringLiteral(".pdf"));
    const std::optional<QString> chosen =
        m_form.fileDialogs().save(this, FileDialogRequest(QStringLiteral("pdf"), Msg::printShopFilter(), suggested));
    if (!chosen)
        return false;
    const PrintShopJob settings = job();
    QStringList problems;
    QString error;
    std::optional<QByteArray> pdf;
    if (MergeRows && MergeRows->isChecked() && m_merge) {
        const QStringList missing = MergeFields::missingOnCard(doc, *m_merge->list());
        if (!missing.isEmpty())
            problems << Msg::mergeMissingFields(missing);
        pdf = PrintShopExport::mergedPdf(doc, *m_merge->list(), m_merge->tickedRows(), settings, &problems, &error);
    } else {
        pdf = PrintShopExport::pdf(doc, settings, &problems, &error);
    }
    if (!pdf || !PrintShopExport::save(*chosen, *pdf, &error))
        throw TaveloError(error);
    showProblems(problems);
    ErrorGuard::presenter()->information(this, Msg::printShopWritten(int(problems.size())), MsgButton::Ok);
    return true;
}

PrintShopActions::PrintShopActions(TForm1 &form, QMenu *fileMenu, QAction *before) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("PrintShopActions"));
    MenuPrintShop = new QAction(Msg::menuPrintShop(), fileMenu);
    MenuPrintShop->setObjectName(QStringLiteral("MenuPrintShop"));
    fileMenu->insertAction(before, MenuPrintShop);
    connect(MenuPrintShop, &QAction::triggered, this, [this] {
        try {
            printShopClick();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    });
}

void PrintShopActions::printShopClick()
{
    m_form.closeEditor();
    PrintShopDialog dialog(m_form, m_form.findChild<MergeActions *>(QStringLiteral("MergeActions")), m_last);
    dialog.exec();
    // The settings stay for the next export of the session.
    m_last.options = dialog.job().options;
    m_last.sides = dialog.job().sides;
}
