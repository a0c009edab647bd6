#pragma once
// Test doubles for the main window: a message presenter that records and
// answers, file dialogs and a font chooser that answer from a queue; the
// window itself, and the few steps many tests take on it.
#include "TestFiles.h"
#include "base/Messages.h"
#include "dialogs/Dialogs.h"
#include "editing/CardHistory.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/MovePanel.h"
#include "window/Main.h"
#include "window/PrintOp.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <QList>
#include <QStringList>

#include <functional>

class RecordingPresenter : public MessagePresenter
{
public:
    RecordingPresenter() { ErrorGuard::setPresenter(this); }
    ~RecordingPresenter() override { ErrorGuard::setPresenter(nullptr); }
    int information(QWidget *, const QString &text, MsgButtons buttons) override
    {
        infos << text;
        infoButtons << buttons;
        return answers.isEmpty() ? int(mrOk) : answers.takeFirst();
    }
    void error(QWidget *, const QString &text) override { errors << text; }

    QStringList infos;
    QList<MsgButtons> infoButtons;
    QStringList errors;
    QList<int> answers;
};

class ScriptedFileDialogs : public FileDialogs
{
public:
    std::optional<QString> open(QWidget *, const FileDialogRequest &request) override
    {
        openRequests << request;
        if (request.chosenFilter && !filterAnswers.isEmpty())
            *request.chosenFilter = filterAnswers.takeFirst();
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.takeFirst();
    }
    std::optional<QString> save(QWidget *, const FileDialogRequest &request) override
    {
        saveRequests << request;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    std::optional<QString> folder(QWidget *, const QString &, const QString &initialFolder) override
    {
        folderRequests << initialFolder;
        return folderAnswers.isEmpty() ? std::nullopt : folderAnswers.takeFirst();
    }
    QList<std::optional<QString>> openAnswers, saveAnswers, folderAnswers;
    QStringList folderRequests;   // the folder each folder dialog started in
    QStringList filterAnswers;   // the filter each open dialog was left on
    QList<FileDialogRequest> openRequests, saveRequests;
};

class ScriptedFontChooser : public FontChooser
{
public:
    std::optional<BoxFont> choose(QWidget *, const BoxFont &, int) override
    {
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    QList<std::optional<BoxFont>> answers;
};

// A main window at 96 PPI whose dialogs and messages the test answers, shown
// and past its start-up New command.
struct TestWindow {
    RecordingPresenter presenter;
    ScriptedFileDialogs files;
    ScriptedFontChooser fonts;
    TForm1 form{96};
    TestWindow()
    {
        form.setFileDialogs(&files);
        form.setFontChooser(&fonts);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.windowTitle().endsWith(QStringLiteral("新規名刺.tvl")));
        form.activateWindow();
    }
    CardDocument &doc() { return form.document(); }
    CardHistory &history() { return form.history(); }
    // A text box added as the Edit menu adds it (one step), the editor closed.
    int textBox(const QString &caption, const BoxBounds &bounds)
    {
        const int slot = history().addTextBox();
        doc().setTextBounds(slot, bounds);
        history().setCaption(slot, caption);
        form.closeEditor();
        return slot;
    }
    // A right press on a box, then its context menu runs item (when given) and closes.
    void boxMenu(QWidget *box, QPoint at, QAction *item = nullptr)
    {
        QPointer<QWidget> pressed(box);
        QTest::mousePress(box, Qt::RightButton, {}, at);
        if (item)
            item->trigger();
        form.PopupMenu1->hide();
        form.PopupMenu2->hide();
        QTest::mouseRelease(pressed ? pressed.data() : &form, Qt::RightButton, {}, at);
    }
    // A drag with the left button, from and to in the panel's coordinates.
    static void drag(QWidget *panel, QPoint from, QPoint to)
    {
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }
};

// The print settings dialog of a test window, opened on the card's settings.
struct PrintSetWindow : TestWindow {
    TPrintSet *dialog = form.PrintSet;
    void open(const PrintSettings &settings)
    {
        doc().setPrintSettings(settings);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
    }
    PrintSettings stored() { return doc().printSettings(); }
};

// Triggers item; once the modal dialog D it opens is up, drive works it (and
// closes it). False when no such dialog came.
template <typename D>
bool runModal(QAction *item, const std::function<void(D &)> &drive)
{
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget())) {
            opened = true;
            drive(*dialog);
        }
    });
    item->trigger();
    return opened;
}

// A printer that writes a PDF file, and the pages such a file holds.
struct PdfPrinter : QPrinter {
    explicit PdfPrinter(const QString &path) : QPrinter(QPrinter::HighResolution)
    {
        setOutputFormat(QPrinter::PdfFormat);
        setOutputFileName(path);
        setResolution(600);
    }
    static qsizetype pages(const QString &path) { return TestFiles::pdfPageCount(TestFiles::readFile(path)); }
};

// A card file at path with one text box; the fixed lines as given.
inline QString writeCard(const QString &path, const QString &caption,
                         const QStringList &fixed = TestFiles::fixedLines())
{
    TestFiles::writeFile(path, TestFiles::cardBytes(fixed + TestFiles::textRecord(QStringLiteral("#0"), caption)));
    return path;
}

// The test's main: as QTEST_MAIN, on the program's own application, whose
// error guard turns exceptions in event handlers into error boxes.
#define TAVELO_UI_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        TaveloApplication app(argc, argv);                                                                             \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
