#pragma once
// TForm1: the main window. It holds the card document, shows it on the card
// panel at true size and carries every command of the menus, the tool bar and
// the boxes' context menus. The handlers keep the names of the window layout
// (MenuSaveClick, Edit1Exit, ...); their bodies are grouped by subject in
// Main*.cpp.
#include "card/CardDocument.h"
#include "editing/CardHistory.h"
#include "session/CardAutosave.h"
#include "session/RecentCards.h"
#include "session/RecoveryCopies.h"

#include <QMainWindow>

#include <array>
#include <memory>

class BoxPanels;
class CardPanel;
class EditActions;
class ShapeActions;
class EditorSession;
class FileDialogs;
class FontChooser;
class HelpViewer;
class InlineEditor;
class MessageSink;
class QAction;
class QFileSystemWatcher;
class QMenu;
class QPrinter;
class QScrollArea;
class QToolButton;
class TAboutBox;
class TImage;
class TMovePanel;
class TPrintSet;
class SideActions;
class ViewActions;
class ViewScale;

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // screenPpi 0 takes the screen's logical pixels per inch.
    explicit TForm1(int screenPpi = 0, QWidget *parent = nullptr);
    ~TForm1() override;

    CardDocument &document() { return m_doc; }
    // Every change of the card goes through the history, to be undone.
    CardHistory &history() { return m_history; }
    int PixelsPerInch() const { return m_ppi; }
    BoxPanels &boxPanels() const { return *m_panels; }

    // The dialogs the commands run; tests put their own in.
    void setFileDialogs(FileDialogs *dialogs);
    void setFontChooser(FontChooser *chooser);
    FileDialogs &fileDialogs() const;
    FontChooser &fontChooser() const;

    // Controls, named as in the window layout.
    QWidget *ToolBar = nullptr;
    std::array<QToolButton *, 6> SpeedButtons{};
    CardPanel *Panel1 = nullptr;
    InlineEditor *Edit1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QMenu *PopupMenu2 = nullptr;
    EditActions *Edit = nullptr;   // undo, redo, the clipboard and the arrow keys
    ShapeActions *Shapes = nullptr;   // the background, lines and rectangles
    ViewActions *View = nullptr;   // the print view and zoom
    SideActions *Sides = nullptr;  // the front and the back
    TAboutBox *AboutBox = nullptr;
    TPrintSet *PrintSet = nullptr;
    QAction *MenuCalibration = nullptr;   // after MenuPrintOption
    QAction *MenuPackCard = nullptr;      // after the merge command, before the recent cards
    QAction *MenuNew = nullptr, *MenuOpen = nullptr, *MenuSave = nullptr, *MenuSaveAs = nullptr,
            *MenuPrintOption = nullptr, *MenuPrintPreview = nullptr, *MenuPrint = nullptr, *MenuExit = nullptr,
            *MenuNewBox = nullptr, *MenuNewImage = nullptr, *SearchforHelpOn1 = nullptr, *MenuAbout = nullptr,
            *MenuFont = nullptr, *MenuSize = nullptr, *MenuDelete = nullptr, *MenuImageDelete = nullptr;

    TMovePanel *textPanel(int slot) const;
    TMovePanel *imagePanel(int slot) const;
    TImage *imageControl(int slot) const;
    HelpViewer *helpViewer() const { return m_help; }

    // Window
    void FormCreate();
    void FormActivate();
    bool FormCloseQuery();
    void FormClose();

    // Text boxes
    void MovePanelClick(int slot);
    void Edit1Exit();
    void Edit1KeyDown(int key);
    void Edit1DblClick();
    void Panel1Click();
    void MovePanelResize(int slot);
    void MovePanelMouseDown(int slot, Qt::MouseButton button);
    void MenuNewBoxClick();
    void MenuFontClick();
    void MenuSizeClick();
    void MenuDeleteClick();
    void FitBoxToFont(int slot);

    // Image boxes
    void MenuNewImageClick();
    void ImageClick(int slot);
    void ImageMouseDown(int slot, Qt::MouseButton button);
    void MenuImageDeleteClick();

    // Document commands
    void MenuNewClick();
    void MenuOpenClick();
    void MenuSaveClick();
    void MenuSaveAsClick();
    void MenuPackCardClick();
    void MenuExitClick();
    void ResetDocument();
    bool SaveDocument();
    bool SaveDocumentAs();
    // Opens path as the Open command opens the file it was given (the save
    // question, then the read with its messages).
    void openCardFile(const QString &path);

    // Opening from outside: the program's command line and files dropped on
    // the window. The first path is opened once the first activation's New
    // has run; further paths are named in a message and not opened.
    void openAtStart(const QStringList &paths);
    // A card file (by its extension .tvl, any case) is opened; any other
    // file is a picture for a new image box at cardPos on the card.
    void openDroppedFile(const QString &path, QPoint cardPos);

    // File menu: the recent cards submenu. A card that is no longer there
    // gives the Open command's message and leaves the list.
    QMenu *MenuRecent = nullptr;
    void openRecentCard(const QString &path);
    RecentCards &recentCards() { return m_recent; }

    // Unsaved work survives a crash: a recovery copy follows every change,
    // and at start-up the copies of programs that did not close are offered.
    RecoverySession &recovery() { return *m_recovery; }
    CardAutosave &autosave() { return *m_autosave; }
    void offerRecovery();

    // Another program may change the card's file while it is open here. A
    // change noticed while the card is unmodified (the file's watcher, and
    // every activation of the window, since watchers miss files renamed into
    // place) offers to read the file again; Save asks before it writes over a
    // file that is no longer what was read or last saved.
    void checkCardOnDisk();

    // Printing
    void MenuPrintOptionClick();
    void MenuCalibrationClick();
    void MenuPrintPreviewClick();
    void MenuPrintClick();
    // Prints copies sheets on a printer already chosen.
    void printSheets(QPrinter &printer, int copies);

    // Help
    void SearchforHelpOn1Click();
    void MenuAboutClick();

    // The card at a zoom on a card panel of panelSize: boxes and the editor
    // follow, and the window grows with the card up to the screen.
    void setCardScale(const ViewScale &scale, const QSize &panelSize);

    // Closes the inline editor; an open edit is committed first.
    void closeEditor();
    bool editorOpen() const;
    // The file's name, and which side is shown when it is the back.
    void updateTitle();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // A picture chosen or dropped, decoded on another thread while the window
    // draws; raises what PictureLoader::load() raises.
    QImage loadPicture(const QString &path);
    void buildMenus();
    void buildToolBar();
    void buildCentralArea();
    void connectDocument();
    void runFirstActivation();
    void openStartPaths();
    void fillRecentMenu();
    // False when the copy could not be read back: the window then holds a new card.
    bool restoreLeftCopy(const LeftCopy &copy);
    // The read of Open: the card from path, its name in the title.
    void readCardFile(const QString &path);
    bool writeDocument();   // Save's write; false when the card was not written
    // Before Save writes over the card's file: mrOverwrite to write it, mrSaveAs, or mrCancel.
    int confirmSaveOverDisk();
    // The watcher follows the document's file.
    void followCardFile();
    // Shows the Open command's message for a file that is not there.
    void reportMissingCard(const QString &path);
    int askSaveQuestion();
    void showBoxMenu(QMenu *menu);  // a box's context menu, just up-left of the pointer
    int currentTextSlot() const;    // CurrentBox as a text box, or an error
    int currentImageSlot() const;   // CurrentBox as a picture, or an error


    CardDocument m_doc;
    CardHistory m_history{m_doc};
    std::unique_ptr<MessageSink> m_sink;
    int m_ppi = 96;
    bool m_activated = false;
    RecentCards m_recent;
    std::unique_ptr<RecoverySession> m_recovery;
    std::unique_ptr<CardAutosave> m_autosave;
    QStringList m_startPaths;   // from the command line, opened after the first New
    QScrollArea *m_scroll = nullptr;
    BoxPanels *m_panels = nullptr;                // the box widgets, in step with m_doc
    std::unique_ptr<EditorSession> m_editor;      // Edit1 over the box being edited
    std::unique_ptr<FileDialogs> m_systemFileDialogs;
    std::unique_ptr<FontChooser> m_systemFontChooser;
    FileDialogs *m_fileDialogs = nullptr;
    FontChooser *m_fontChooser = nullptr;
    QString m_openDialogFile;   // the file name field of the shared open dialog
    QString m_pictureFilter;    // the picture dialog's filter chosen last
    QFileSystemWatcher *m_cardWatcher = nullptr;
    std::optional<FileFingerprint> m_declinedReload;   // the file as it was when reading it again was declined
    bool m_checkingDisk = false;
    HelpViewer *m_help = nullptr;
    QAction *m_helpMenu = nullptr;   // the Help menu's place: the View menu stands before it
};
