#include "window/Main.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardGeometry.h"
#include "dialogs/About.h"
#include "dialogs/Dialogs.h"
#include "dialogs/FontDialog.h"
#include "dialogs/HelpViewer.h"
#include "sheet/FontMapping.h"
#include "widgets/BoxPanels.h"
#include "widgets/CardPanel.h"
#include "widgets/ErrorGuard.h"
#include "widgets/InlineEditor.h"
#include "widgets/MessageBoxes.h"
#include "widgets/MovePanel.h"
#include "widgets/ToolIcons.h"
#include "window/EditActions.h"
#include "window/EditorSession.h"
#include "window/MergeActions.h"
#include "window/PrintOp.h"
#include "window/PrintShopDialog.h"
#include "window/QrActions.h"
#include "window/ShapeActions.h"
#include "window/SideActions.h"
#include "window/TextSettingActions.h"
#include "window/ViewActions.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
// The window layout's geometry, in pixels.
constexpr QPoint kFormPosition(162, 165);
constexpr int kFormFontPixels = 13;
constexpr int kToolBarHeight = 33;
constexpr int kToolButtonTop = 4;
constexpr int kToolButtonSide = 25;
constexpr int kToolIconSide = 16;
constexpr QRect kEdit1Geometry(104, 88, 121, 21);   // until a box is edited
constexpr QPoint kBoxMenuOffset(10, 10);             // from the pointer, up and left

using ErrorGuard::guarded;

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
    move(kFormPosition);
    QFont font(QStringLiteral("System"));
    font.setPixelSize(kFormFontPixels);
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
    Shapes->watchPanel();
    View = new ViewActions(*this, m_helpMenu);
    Sides = new SideActions(*this);
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
    // The boxes go before the document they show, and the history's last
    // signals reach no part of the window.
    m_doc.disconnect(this);
    m_history.stack().disconnect(Edit);
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
    m_helpMenu = help->menuAction();
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
    Shapes = new ShapeActions(*this, edit);
    new MergeActions(*this, file, MenuRecent->menuAction(), PopupMenu1);
    new PrintShopActions(*this, file, MenuRecent->menuAction());
    MenuPackCard = new QAction(Msg::menuPackCard(), this);
    MenuPackCard->setObjectName(QStringLiteral("MenuPackCard"));
    connect(MenuPackCard, &QAction::triggered, this, guarded([this] { MenuPackCardClick(); }));
    file->insertAction(MenuRecent->menuAction(), MenuPackCard);
    new TextSettingActions(*this, PopupMenu1);
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
        b->setGeometry(buttons[i].left, kToolButtonTop, kToolButtonSide, kToolButtonSide);
        b->setIcon(buttons[i].icon);
        b->setIconSize(QSize(kToolIconSide, kToolIconSide));
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
    editFont.setPixelSize(kFormFontPixels);
    Edit1->setFont(editFont);
    Edit1->setGeometry(kEdit1Geometry);
    Edit1->hide();
    connect(Edit1, &InlineEditor::keyDown, this, [this](int key) { guarded([this, key] { Edit1KeyDown(key); })(); });
    connect(Edit1, &InlineEditor::doubleClicked, this, guarded([this] { Edit1DblClick(); }));
}

void TForm1::FormCreate()
{
    const QSize card = Panel1->size();
    // Client area: the tool bar above the whole card; the menu bar lies outside.
    resize(card.width(), card.height() + kToolBarHeight + menuBar()->sizeHint().height());
}

void TForm1::setCardScale(const ViewScale &scale, const QSize &panelSize)
{
    const bool changed = Panel1->size() != panelSize;
    Panel1->setFixedSize(panelSize);
    m_panels->setScale(scale);
    m_editor->setScale(scale);
    Panel1->update();
    if (!changed || !isVisible())
        return;
    // The window grows and shrinks with the card, up to the screen; beyond
    // it the card scrolls.
    QSize wanted(panelSize.width(), panelSize.height() + kToolBarHeight + menuBar()->sizeHint().height());
    if (const QScreen *s = screen()) {
        const QMargins frame = frameGeometry().size() == size() ? QMargins() : QMargins(
            geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
            frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
        const QSize room = s->availableGeometry().size().shrunkBy(frame);
        wanted = wanted.boundedTo(room);
    }
    resize(wanted);
}

void TForm1::connectDocument()
{
    m_editor = std::make_unique<EditorSession>(m_doc, m_history, *Edit1);
    m_panels = new BoxPanels(m_doc, Panel1, Edit1);
    connect(m_panels, &BoxPanels::clicked, this, [this](BoxRef box) {
        guarded([this, box] { box.isText() ? MovePanelClick(box.slot) : ImageClick(box.slot); })();
    });
    connect(m_panels, &BoxPanels::mouseDown, this, [this](BoxRef box, Qt::MouseButton button) {
        guarded([this, box, button] {
            box.isText() ? MovePanelMouseDown(box.slot, button) : ImageMouseDown(box.slot, button);
        })();
    });
    connect(&m_doc, &CardDocument::textBoxResized, this, &TForm1::MovePanelResize);
    connect(&m_doc, &CardDocument::docFileNameChanged, this, &TForm1::updateTitle);
    Edit->connectDocument();
}

void TForm1::updateTitle()
{
    // The back shown is said after the file's name.
    setWindowTitle(Msg::titlePrefix() + m_doc.DocFileName()
                   + (m_doc.shownSide() == Side::Back ? Msg::backShownSuffix() : QString()));
}

TMovePanel *TForm1::textPanel(int slot) const
{
    return m_panels->textPanel(slot);
}

TMovePanel *TForm1::imagePanel(int slot) const
{
    return m_panels->imagePanel(slot);
}

TImage *TForm1::imageControl(int slot) const
{
    return m_panels->imageControl(slot);
}

void TForm1::showBoxMenu(QMenu *menu)
{
    menu->popup(QCursor::pos() - kBoxMenuOffset);
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        runFirstActivation();
        // Back from another program: it may have changed the card's file.
        QTimer::singleShot(0, this, guarded([this] { checkCardOnDisk(); }));
    }
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
