#include "Main.h"

#include "About.h"
#include "CardGeometry.h"
#include "CardPanel.h"
#include "Dialogs.h"
#include "EditActions.h"
#include "ErrorGuard.h"
#include "FontDialog.h"
#include "FontMapping.h"
#include "HelpViewer.h"
#include "InlineEditor.h"
#include "MessageBoxes.h"
#include "Messages.h"
#include "QrActions.h"
#include "MovePanel.h"
#include "PrintOp.h"
#include "TaveloError.h"
#include "ToolIcons.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int kToolBarHeight = 33;

// Runs a command so that an error it raises reaches the error box and ends
// only that command.
template <typename F>
auto guarded(F f)
{
    return [f](auto &&...) {
        try {
            f();
        } catch (const std::exception &e) {
            ErrorGuard::report(e);
        }
    };
}

int screenPixelsPerInch(const QWidget *w)
{
    const QScreen *screen = w->screen();
    return screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
}
}

TForm1::TForm1(int screenPpi, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Msg::programTitle());
    setWindowIcon(ToolIcons::program());
    move(162, 165);
    QFont font(QStringLiteral("System"));
    font.setPixelSize(13);
    setFont(font);

    m_ppi = screenPpi > 0 ? screenPpi : screenPixelsPerInch(this);
    m_doc.setScreenPpi(m_ppi);
    m_sink = std::make_unique<PresenterSink>(this);
    m_doc.setMessageSink(m_sink.get());
    m_systemFileDialogs = std::make_unique<SystemFileDialogs>();
    m_fileDialogs = m_systemFileDialogs.get();
    m_systemFontChooser = std::make_unique<DialogFontChooser>();
    m_fontChooser = m_systemFontChooser.get();

    buildMenus();
    buildCentralArea();
    setAcceptDrops(true);
    connectDocument();
    m_recovery = std::make_unique<RecoverySession>();
    m_autosave = std::make_unique<CardAutosave>(m_doc, &m_history.stack(), *m_recovery);
    FormCreate();

    AboutBox = new TAboutBox(this);
    AboutBox->hide();
    PrintSet = new TPrintSet(this);
    PrintSet->hide();
}

TForm1::~TForm1()
{
    // The boxes go before the document they show.
    m_doc.disconnect(this);
    delete m_help;
}

void TForm1::buildMenus()
{
    auto add = [this](QMenu *menu, QAction *&action, const char *name, const QString &caption, void (TForm1::*handler)()) {
        action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
    };
    QMenu *file = menuBar()->addMenu(Msg::menuFile());
    file->setObjectName(QStringLiteral("MenuFile"));
    add(file, MenuNew, "MenuNew", Msg::menuNew(), &TForm1::MenuNewClick);
    add(file, MenuOpen, "MenuOpen", Msg::menuOpen(), &TForm1::MenuOpenClick);
    add(file, MenuSave, "MenuSave", Msg::menuSave(), &TForm1::MenuSaveClick);
    MenuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    MenuSave->setShortcutContext(Qt::WindowShortcut);
    add(file, MenuSaveAs, "MenuSaveAs", Msg::menuSaveAs(), &TForm1::MenuSaveAsClick);
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    add(file, MenuPrintOption, "MenuPrintOption", Msg::menuPrintOption(), &TForm1::MenuPrintOptionClick);
    add(file, MenuCalibration, "MenuCalibration", Msg::menuCalibration(), &TForm1::MenuCalibrationClick);
    add(file, MenuPrintPreview, "MenuPrintPreview", Msg::menuPrintPreview(), &TForm1::MenuPrintPreviewClick);
    add(file, MenuPrint, "MenuPrint", Msg::menuPrint(), &TForm1::MenuPrintClick);
    MenuRecent = file->addMenu(Msg::menuRecent());
    MenuRecent->setObjectName(QStringLiteral("MenuRecent"));
    connect(MenuRecent, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
    fillRecentMenu();
    file->addSeparator()->setObjectName(QStringLiteral("N2"));
    add(file, MenuExit, "MenuExit", Msg::menuExit(), &TForm1::MenuExitClick);

    QMenu *edit = menuBar()->addMenu(Msg::menuEdit());
    edit->setObjectName(QStringLiteral("MenuEdit"));
    add(edit, MenuNewBox, "MenuNewBox", Msg::menuNewBox(), &TForm1::MenuNewBoxClick);
    add(edit, MenuNewImage, "MenuNewImage", Msg::menuNewImage(), &TForm1::MenuNewImageClick);
    Edit = new EditActions(*this, edit);

    QMenu *help = menuBar()->addMenu(Msg::menuHelp());
    help->setObjectName(QStringLiteral("MwnuHelp"));
    add(help, SearchforHelpOn1, "SearchforHelpOn1", Msg::menuSearchHelp(), &TForm1::SearchforHelpOn1Click);
    help->addSeparator()->setObjectName(QStringLiteral("N4"));
    add(help, MenuAbout, "MenuAbout", Msg::menuAbout(), &TForm1::MenuAboutClick);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    add(PopupMenu1, MenuFont, "MenuFont", Msg::menuFont(), &TForm1::MenuFontClick);
    add(PopupMenu1, MenuSize, "MenuSize", Msg::menuSize(), &TForm1::MenuSizeClick);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N3"));
    add(PopupMenu1, MenuDelete, "MenuDelete", Msg::menuDelete(), &TForm1::MenuDeleteClick);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    add(PopupMenu2, MenuImageDelete, "MenuImageDelete", Msg::menuImageDelete(), &TForm1::MenuImageDeleteClick);

    new QrActions(*this, edit, PopupMenu1);
}

void TForm1::buildToolBar()
{
    struct Button { int left; QString hint; QIcon icon; void (TForm1::*handler)(); };
    const Button buttons[6] = {
        {8, Msg::hintNew(), ToolIcons::newCard(), &TForm1::MenuNewClick},
        {32, Msg::hintOpen(), ToolIcons::openCard(), &TForm1::MenuOpenClick},
        {56, Msg::hintSave(), ToolIcons::saveCard(), &TForm1::MenuSaveClick},
        {88, Msg::hintExit(), ToolIcons::exitProgram(), &TForm1::MenuExitClick},
        {136, Msg::hintNewBox(), ToolIcons::newTextBox(), &TForm1::MenuNewBoxClick},
        {160, Msg::hintNewImage(), ToolIcons::newImageBox(), &TForm1::MenuNewImageClick},
    };
    for (int i = 0; i < 6; ++i) {
        auto *b = new QToolButton(ToolBar);
        b->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        b->setGeometry(buttons[i].left, 4, 25, 25);
        b->setIcon(buttons[i].icon);
        b->setIconSize(QSize(16, 16));
        b->setToolTip(buttons[i].hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);   // the editor keeps the focus
        const auto handler = buttons[i].handler;
        connect(b, &QToolButton::clicked, this, guarded([this, handler] { (this->*handler)(); }));
        SpeedButtons[i] = b;
    }
}

void TForm1::buildCentralArea()
{
    auto *client = new QWidget(this);
    client->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar = new QWidget(client);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setFixedHeight(kToolBarHeight);
    ToolBar->setAutoFillBackground(true);
    buildToolBar();
    layout->addWidget(ToolBar);

    m_scroll = new QScrollArea(client);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setWidgetResizable(false);
    Panel1 = new CardPanel;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    m_scroll->setWidget(Panel1);
    layout->addWidget(m_scroll, 1);
    setCentralWidget(client);
    connect(Panel1, &CardPanel::clicked, this, guarded([this] { Panel1Click(); }));

    Edit1 = new InlineEditor(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    QFont editFont(QStringLiteral("ＭＳ 明朝"));
    editFont.setPixelSize(13);
    Edit1->setFont(editFont);
    Edit1->setGeometry(104, 88, 121, 21);
    Edit1->hide();
    connect(Edit1, &InlineEditor::keyDown, this, guarded([this] { Edit1KeyDown(13); }));
    connect(Edit1, &InlineEditor::doubleClicked, this, guarded([this] { Edit1DblClick(); }));
}

void TForm1::FormCreate()
{
    const QSize card = CardGeometry::cardPanelSize(m_ppi);
    Panel1->setFixedSize(card);
    // Client area: the tool bar above the whole card; the menu bar lies outside.
    resize(card.width(), card.height() + kToolBarHeight + menuBar()->sizeHint().height());
}

void TForm1::connectDocument()
{
    connect(&m_doc, &CardDocument::textBoxAdded, this, &TForm1::onTextBoxAdded);
    connect(&m_doc, &CardDocument::textBoxRemoved, this, &TForm1::onTextBoxRemoved);
    connect(&m_doc, &CardDocument::textBoxChanged, this, &TForm1::syncTextPanel);
    connect(&m_doc, &CardDocument::textBoxResized, this, &TForm1::MovePanelResize);
    connect(&m_doc, &CardDocument::imageBoxAdded, this, &TForm1::onImageBoxAdded);
    connect(&m_doc, &CardDocument::imageBoxRemoved, this, &TForm1::onImageBoxRemoved);
    connect(&m_doc, &CardDocument::imageBoxChanged, this, &TForm1::syncImagePanel);
    connect(&m_doc, &CardDocument::docFileNameChanged, this, &TForm1::updateTitle);
    Edit->connectDocument();
}

void TForm1::updateTitle()
{
    setWindowTitle(Msg::titlePrefix() + m_doc.DocFileName());
}

TMovePanel *TForm1::textPanel(int slot) const
{
    return slot >= 0 && slot < CardDocument::SlotCount ? m_textPanels[slot] : nullptr;
}

TMovePanel *TForm1::imagePanel(int slot) const
{
    return slot >= 0 && slot < CardDocument::SlotCount ? m_imagePanels[slot] : nullptr;
}

TImage *TForm1::imageControl(int slot) const
{
    return slot >= 0 && slot < CardDocument::SlotCount ? m_images[slot] : nullptr;
}

void TForm1::onTextBoxAdded(int slot)
{
    auto *panel = new TMovePanel(Panel1);
    panel->setObjectName(m_doc.TextBoxes(slot)->Name());
    m_textPanels[slot] = panel;
    syncTextPanel(slot);
    panel->show();
    Edit1->raise();
    connect(panel, &TMovePanel::clicked, this, guarded([this, slot] { MovePanelClick(slot); }));
    connect(panel, &TMovePanel::mouseDown, this, [this, slot](Qt::MouseButton button, const QPoint &) {
        guarded([this, slot, button] { MovePanelMouseDown(slot, button); })();
    });
    connect(panel, &TMovePanel::boundsDragged, this, [this, slot](const QRect &g) {
        guarded([this, slot, g] { m_doc.setTextBounds(slot, {g.x(), g.y(), g.width(), g.height()}); })();
    });
}

void TForm1::onTextBoxRemoved(int slot)
{
    // A box removed under the open editor takes the edit with it: the editor
    // closes without committing, so nothing reaches a box that is gone.
    if (editorOpen() && !m_doc.CurrentBox().isText()) {
        Edit1->hide();
        Edit1->clearFocus();
        Edit1->clear();
    }
    delete m_textPanels[slot];
    m_textPanels[slot] = nullptr;
}

void TForm1::syncTextPanel(int slot)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    TMovePanel *panel = textPanel(slot);
    if (!box || !panel)
        return;
    const BoxBounds &b = box->bounds;
    panel->setGeometry(b.Left, b.Top, b.Width, b.Height);
    panel->setFont(FontMapping::toQFont(box->Font));
    panel->setTextColor(FontMapping::toQColor(box->Font.color()));
    panel->setCaption(box->Caption);
    panel->setVisible(box->Visible);
}

void TForm1::onImageBoxAdded(int slot)
{
    const MoveImageRecord *record = m_doc.ImageBoxes(slot);
    auto *panel = new TMovePanel(Panel1);
    panel->setObjectName(record->PanelName());
    auto *image = new TImage(panel);
    image->setObjectName(record->ImageName());
    m_imagePanels[slot] = panel;
    m_images[slot] = image;
    syncImagePanel(slot);
    panel->show();
    Edit1->raise();
    connect(image, &TImage::clicked, this, guarded([this, slot] { ImageClick(slot); }));
    connect(image, &TImage::mouseDown, this, [this, slot](Qt::MouseButton button, const QPoint &) {
        guarded([this, slot, button] { ImageMouseDown(slot, button); })();
    });
    connect(panel, &TMovePanel::boundsDragged, this, [this, slot](const QRect &g) {
        guarded([this, slot, g] { m_doc.setImageBounds(slot, {g.x(), g.y(), g.width(), g.height()}); })();
    });
}

void TForm1::onImageBoxRemoved(int slot)
{
    delete m_imagePanels[slot];   // the picture control goes with its panel
    m_imagePanels[slot] = nullptr;
    m_images[slot] = nullptr;
}

void TForm1::syncImagePanel(int slot)
{
    const MoveImageRecord *record = m_doc.ImageBoxes(slot);
    TMovePanel *panel = imagePanel(slot);
    if (!record || !panel)
        return;
    const BoxBounds &b = record->bounds;
    panel->setGeometry(b.Left, b.Top, b.Width, b.Height);
    if (m_images[slot]->picture().cacheKey() != record->Picture.cacheKey())
        m_images[slot]->setPicture(record->Picture);
}

int TForm1::currentTextSlot() const
{
    const BoxRef current = m_doc.CurrentBox();
    if (!current.isText() || !m_doc.TextBoxes(current.slot))
        throw TaveloError(Msg::invalidTypecast());
    return current.slot;
}

int TForm1::currentImageSlot() const
{
    const BoxRef current = m_doc.CurrentBox();
    if (!current.isImage() || !m_doc.ImageBoxes(current.slot))
        throw TaveloError(Msg::invalidTypecast());
    return current.slot;
}

void TForm1::setFileDialogs(FileDialogs *dialogs)
{
    m_fileDialogs = dialogs ? dialogs : m_systemFileDialogs.get();
}

void TForm1::setFontChooser(FontChooser *chooser)
{
    m_fontChooser = chooser ? chooser : m_systemFontChooser.get();
}

FileDialogs &TForm1::fileDialogs() const
{
    return *m_fileDialogs;
}

FontChooser &TForm1::fontChooser() const
{
    return *m_fontChooser;
}

// --- activation and closing -------------------------------------------------

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Some platforms never activate a window (offscreen); the New command must
    // still run once after the window is shown.
    QTimer::singleShot(0, this, [this] { runFirstActivation(); });
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runFirstActivation();
}

void TForm1::runFirstActivation()
{
    if (m_activated)
        return;
    m_activated = true;
    guarded([this] { FormActivate(); })();
    guarded([this] { offerRecovery(); })();
    guarded([this] { openStartPaths(); })();
}

void TForm1::FormActivate()
{
    MenuNewClick();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool canClose = false;
    guarded([this, &canClose] { canClose = FormCloseQuery(); })();
    if (!canClose) {
        event->ignore();
        return;
    }
    guarded([this] { FormClose(); })();
    event->accept();
}

void TForm1::FormClose()
{
    m_autosave->stop();   // closed cleanly: nothing to recover
    m_doc.ClearBoxes();
    if (m_help)
        m_help->close();   // help is no longer needed
}

void TForm1::MenuExitClick()
{
    close();
}

// --- help and about ------------------------------------------------------------

void TForm1::SearchforHelpOn1Click()
{
    if (!m_help) {
        m_help = new HelpViewer(helpFilePathFor(QCoreApplication::applicationDirPath()));
        m_help->setMainWindow(this);
    }
    m_help->showPartialKey(QString());
}

void TForm1::MenuAboutClick()
{
    AboutBox->exec();
}
