#include "window/MergeDialog.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "dialogs/Dialogs.h"
#include "dialogs/MergeRowsModel.h"
#include "dialogs/PrinterChoice.h"
#include "merge/MergeFields.h"
#include "merge/MergePrinter.h"
#include "sheet/SheetPrinter.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"
#include "window/Main.h"
#include "window/MergeActions.h"
#include "window/SideActions.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int MaxCopies = 10000;

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

MergeDialog::MergeDialog(MergeActions &session) : QDialog(&session.form()), m_session(session)
{
    setObjectName(QStringLiteral("MergeDialog"));
    setWindowTitle(Msg::mergeDialogTitle());
    resize(640, 480);

    ListPath = new QLineEdit(this);
    ListPath->setObjectName(QStringLiteral("ListPath"));
    ListPath->setReadOnly(true);
    BrowseButton = button(this, "BrowseButton", Msg::mergeBrowse());
    auto *listLabel = new QLabel(Msg::mergeListLabel(), this);
    listLabel->setBuddy(BrowseButton);
    ListInfo = new QLabel(this);
    ListInfo->setObjectName(QStringLiteral("ListInfo"));

    m_model = new MergeRowsModel(this, session.ticks());
    Rows = new QTableView(this);
    Rows->setObjectName(QStringLiteral("Rows"));
    Rows->setModel(m_model);
    Rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    Rows->setSelectionMode(QAbstractItemView::SingleSelection);
    Rows->verticalHeader()->setDefaultSectionSize(Rows->fontMetrics().height() + 6);
    TickAllButton = button(this, "TickAllButton", Msg::mergeTickAll());
    TickNoneButton = button(this, "TickNoneButton", Msg::mergeTickNone());

    Fields = new QLabel(this);
    Fields->setObjectName(QStringLiteral("Fields"));
    Fields->setTextFormat(Qt::RichText);
    Fields->setWordWrap(true);

    Mode = new QComboBox(this);
    Mode->setObjectName(QStringLiteral("Mode"));
    Mode->addItems({Msg::mergeModeSheet(), Msg::mergeModeCard()});
    Mode->setCurrentIndex(session.mode == MergeMode::Card ? 1 : 0);
    Copies = new QSpinBox(this);
    Copies->setObjectName(QStringLiteral("Copies"));
    Copies->setRange(1, MaxCopies);
    Copies->setValue(session.copies);
    Pages = new QLabel(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    ShownRow = new QSpinBox(this);
    ShownRow->setObjectName(QStringLiteral("ShownRow"));
    ShownRow->setSpecialValueText(Msg::mergeShowNoRow());
    ShownSide = new QComboBox(this);
    ShownSide->setObjectName(QStringLiteral("ShownSide"));
    ShownSide->addItems({Msg::sideFront(), Msg::sideBack()});

    PreviewButton = button(this, "PreviewButton", Msg::mergePreview());
    PrintButton = button(this, "PrintButton", Msg::mergePrint());
    CloseButton = button(this, "CloseButton", Msg::mergeClose());

    auto *layout = new QVBoxLayout(this);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(listLabel);
    listRow->addWidget(ListPath, 1);
    listRow->addWidget(BrowseButton);
    layout->addLayout(listRow);
    layout->addWidget(ListInfo);
    layout->addWidget(Rows, 1);
    auto *tickRow = new QHBoxLayout;
    tickRow->addWidget(TickAllButton);
    tickRow->addWidget(TickNoneButton);
    tickRow->addStretch(1);
    layout->addLayout(tickRow);
    auto *form = new QFormLayout;
    form->addRow(Msg::mergeFieldsLabel(), Fields);
    form->addRow(Msg::mergeModeLabel(), Mode);
    form->addRow(Msg::mergeCopiesLabel(), Copies);
    form->addRow(QString(), Pages);
    form->addRow(Msg::mergeShowRowLabel(), ShownRow);
    form->addRow(Msg::mergeShowSideLabel(), ShownSide);
    layout->addLayout(form);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(PreviewButton);
    buttons->addWidget(PrintButton);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    const auto guarded = [this](auto handler) {
        return [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception &e) {
                ErrorGuard::report(e);
            }
        };
    };
    connect(BrowseButton, &QPushButton::clicked, this, guarded(&MergeDialog::browseClick));
    connect(PreviewButton, &QPushButton::clicked, this, guarded(&MergeDialog::previewClick));
    connect(PrintButton, &QPushButton::clicked, this, guarded(&MergeDialog::printClick));
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(TickAllButton, &QPushButton::clicked, this, [this] { m_model->tickAll(true); });
    connect(TickNoneButton, &QPushButton::clicked, this, [this] { m_model->tickAll(false); });
    connect(m_model, &MergeRowsModel::ticksChanged, this, &MergeDialog::updatePages);
    connect(Mode, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_session.mode = index == 1 ? MergeMode::Card : MergeMode::Sheet;
        updatePages();
    });
    connect(Copies, &QSpinBox::valueChanged, this, [this](int copies) {
        m_session.copies = copies;
        updatePages();
    });
    connect(ShownRow, &QSpinBox::valueChanged, this, [this](int row) { m_session.showRow(row - 1); });
    // The side goes through the window's own command, so the card shows it
    // as Ctrl+Tab there would: the editor closed, the title saying so, the
    // row's values kept in place of the fields.
    connect(ShownSide, &QComboBox::currentIndexChanged, this, [this](int index) {
        try {
            SideActions &sides = *m_session.form().Sides;
            if (index == 1)
                sides.MenuShowBackClick();
            else
                sides.MenuShowFrontClick();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
        updateSide();
    });
    auto *otherSide = new QAction(this);
    otherSide->setObjectName(QStringLiteral("MergeOtherSide"));
    otherSide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    otherSide->setShortcutContext(Qt::WindowShortcut);
    addAction(otherSide);
    connect(otherSide, &QAction::triggered, this, [this] {
        if (ShownSide->isEnabled())
            ShownSide->setCurrentIndex(1 - ShownSide->currentIndex());
    });
    connect(&m_session.form().document(), &CardDocument::shownSideChanged, this, &MergeDialog::updateSide);
    updateSide();
    connect(Rows->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    ShownRow->setValue(current.row() + 1);
            });
    showList();
}

MergeDialog::~MergeDialog() = default;

bool MergeDialog::loadList(const QString &path)
{
    try {
        m_session.setList(MergeList::read(path), path);
    } catch (const TaveloError &e) {
        ErrorGuard::presenter()->information(this, QStringLiteral("%1\n%2").arg(path, e.message()), MsgButton::Ok);
        return false;
    }
    showList();
    return true;
}

void MergeDialog::browseClick()
{
    FileDialogRequest request;
    request.defaultExtension = QStringLiteral("csv");
    request.filter = Msg::mergeListFilter();
    request.initialFile = m_session.listPath();
    if (const std::optional<QString> path = m_session.form().fileDialogs().open(this, request))
        loadList(*path);
}

void MergeDialog::showList()
{
    const MergeList *list = m_session.list();
    ListPath->setText(m_session.listPath());
    ListInfo->setText(list ? Msg::mergeListInfo(mergeEncodingName(list->encoding()), list->delimiter() == QLatin1Char('\t'),
                                                list->rowCount())
                           : Msg::mergeNoList());
    m_model->setList(list);
    Rows->resizeColumnToContents(0);
    {
        const QSignalBlocker blocker(ShownRow);
        ShownRow->setRange(0, list ? list->rowCount() : 0);
        ShownRow->setValue(m_session.shownRow() + 1);
    }
    updateFields();
    updatePages();
}

void MergeDialog::updateSide()
{
    const CardDocument &doc = m_session.form().document();
    const bool back = doc.shownSide() == Side::Back;
    const QSignalBlocker blocker(ShownSide);
    ShownSide->setCurrentIndex(back ? 1 : 0);
    ShownSide->setEnabled(back || doc.hasBack());
}

void MergeDialog::updateFields()
{
    const QStringList names = MergeFields::namesOnCard(m_session.form().document());
    if (names.isEmpty()) {
        Fields->setText(Msg::mergeNoFields().toHtmlEscaped());
        return;
    }
    const MergeList *list = m_session.list();
    QStringList shown;
    for (const QString &name : names) {
        if (!list || list->columnIndex(name) >= 0)
            shown << name.toHtmlEscaped();
        else
            shown << QStringLiteral("<span style=\"color:#c00000\">%1%2</span>")
                         .arg(name.toHtmlEscaped(), Msg::mergeMissingMark().toHtmlEscaped());
    }
    Fields->setText(shown.join(QStringLiteral(", ")));
}

MergePlan MergeDialog::plan() const
{
    return MergePrinter::planFor(m_session.form().document(), m_session.mode, m_session.tickedRows(), m_session.copies);
}

void MergeDialog::updatePages()
{
    const bool loaded = m_session.list() != nullptr;
    const std::int64_t pages = loaded ? plan().pageCount() : 0;
    Pages->setText(Msg::mergePages(pages));
    PreviewButton->setEnabled(pages > 0);
    PrintButton->setEnabled(pages > 0);
}

bool MergeDialog::readyToPrint()
{
    const MergeList *list = m_session.list();
    if (!list) {
        ErrorGuard::presenter()->information(this, Msg::mergeNoList(), MsgButton::Ok);
        return false;
    }
    if (const std::optional<QString> problem = MergePrinter::planProblem(plan())) {
        ErrorGuard::presenter()->information(this, *problem, MsgButton::Ok);
        return false;
    }
    const QStringList missing = MergeFields::missingOnCard(m_session.form().document(), *list);
    if (missing.isEmpty())
        return true;
    const int answer = ErrorGuard::presenter()->information(
        this, Msg::mergeMissingFields(missing) + QLatin1Char('\n') + Msg::mergeGoOn(), MsgButton::Yes | MsgButton::No);
    return answer == mrYes;
}

void MergeDialog::tellPictureProblems(const QStringList &problems)
{
    if (problems.isEmpty())
        return;
    // A box as tall as the screen at most: the first lines, and how many more.
    constexpr qsizetype Shown = 20;
    QStringList lines = problems.mid(0, Shown);
    if (problems.size() > Shown)
        lines << Msg::mergeMoreProblems(problems.size() - Shown);
    ErrorGuard::presenter()->information(this, lines.join(QLatin1Char('\n')), MsgButton::Ok);
}

void MergeDialog::previewClick()
{
    if (!readyToPrint())
        return;
    const CardDocument &doc = m_session.form().document();
    const MergeList &list = *m_session.list();
    const MergePlan job = plan();
    QPrinter printer(QPrinter::HighResolution);
    // Layouts other than the standard one are measured from the paper's corner.
    printer.setFullPage(!doc.printSettings().Layout.isStandard());
    QPrintPreviewDialog preview(&printer, this);
    QStringList problems;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter *p) {
        QPainter painter(p);
        problems.clear();
        MergePrinter::printPages(doc, list, job, painter, *p, {}, &problems);
    });
    preview.exec();
    tellPictureProblems(problems);
}

void MergeDialog::printClick()
{
    if (!readyToPrint())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(m_session.copies);
    if (!choosePrinter(printer, this))
        return;
    // The copies are the merge's own: each row's, as the plan places them.
    Copies->setValue(std::clamp(printer.copyCount(), 1, MaxCopies));
    printOn(printer);
}

void MergeDialog::printOn(QPrinter &printer)
{
    const CardDocument &doc = m_session.form().document();
    printer.setCopyCount(1);
    const SheetOffset offset = readyPrinterFor(doc, printer);
    QStringList problems;
    runPrinterJob(printer, [&](QPainter &painter) {
        return MergePrinter::printPages(doc, *m_session.list(), plan(), painter, printer, offset, &problems);
    });
    tellPictureProblems(problems);
}
