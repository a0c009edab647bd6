#pragma once
// Test doubles for the main window: a message presenter that records and
// answers, file dialogs and a font chooser that answer from a queue.
#include "Dialogs.h"
#include "ErrorGuard.h"
#include "Main.h"
#include "MessageBoxes.h"

#include <QTest>

#include <QList>
#include <QStringList>

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
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.takeFirst();
    }
    std::optional<QString> save(QWidget *, const FileDialogRequest &request) override
    {
        saveRequests << request;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    QList<std::optional<QString>> openAnswers, saveAnswers;
    QList<FileDialogRequest> openRequests, saveRequests;
};

class ScriptedFontChooser : public FontChooser
{
public:
    std::optional<BoxFont> choose(QWidget *, const BoxFont &initial, int) override
    {
        offered << initial;
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    QList<std::optional<BoxFont>> answers;
    QList<BoxFont> offered;
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
};
