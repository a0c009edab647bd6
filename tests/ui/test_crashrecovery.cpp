// Work survives a crash: the program runs as a child process, changes its
// card and is killed; the next start offers the card back whole. The same
// executable is the child when started with --child. Which copies a start
// may take, with other programs running, is test_recovery's.
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"

#include <QDir>
#include <QProcess>

#include <cstdio>
#include <signal.h>

namespace {

// --- the child: one program run ------------------------------------------------

struct ChildWindow {
    RecordingPresenter presenter;
    ScriptedFileDialogs files;
    TForm1 form{96};
    explicit ChildWindow(QList<int> answers)
    {
        presenter.answers = answers;
        form.setFileDialogs(&files);
        form.autosave().setDelays(100, 100);
        form.show();
        started = QTest::qWaitFor([&] { return form.windowTitle().startsWith(Msg::titlePrefix()); }, 10000);
    }
    bool started = false;
};

// edit: changes the card and waits to be killed; recover: takes the copy
// offered at start-up and writes what the window then shows.
int runChild(const QStringList &args)
{
    const QString out = args.value(1);
    if (args.value(0) == QLatin1String("edit")) {
        // Saved, then changed without saving; the copy catches up.
        ChildWindow w({mrNo});
        w.files.saveAnswers << args.value(2);
        w.form.SaveDocumentAs();
        CardHistory &history = w.form.history();
        history.setCaption(history.addTextBox(), args.value(3));
        history.setPrintSettings({0, 5, 7});
        const RecoverySession &copy = w.form.recovery();
        const auto caughtUp = [&] { return copy.hasCopy() && TestFiles::readFile(copy.cardPath()) == CardFileBytes(w.form.document()); };
        if (!w.started || !QTest::qWaitFor(caughtUp, 10000))
            return 3;
        TestFiles::writeFile(out, *CardFileBytes(w.form.document()));
        std::printf("ready\n");
        std::fflush(stdout);
        return QCoreApplication::exec();   // until killed
    }
    ChildWindow w({mrYes, mrNo});
    if (!w.started)
        return 3;
    const CardDocument &doc = w.form.document();
    const QStringList report{w.presenter.infos.join(QLatin1Char('|')), doc.DocFileName(), doc.Modified() ? "modified" : "clean",
                             w.form.windowTitle()};
    TestFiles::writeFile(out + QStringLiteral(".info"), report.join(QLatin1Char('\n')).toUtf8());
    TestFiles::writeFile(out, *CardFileBytes(doc));
    w.form.close();
    return 0;
}

// --- the parent -------------------------------------------------------------------

class Child
{
public:
    Child(const QString &stateHome, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
        m_process.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--child")} + args);
    }
    ~Child() { kill(); }
    bool waitReady()
    {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(15000))
                return false;
        return m_process.readLine().trimmed() == "ready";
    }
    bool finishes() { return m_process.waitForFinished(30000) && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0; }
    void kill()
    {
        if (m_process.state() != QProcess::NotRunning && ::kill(pid_t(m_process.processId()), SIGKILL) == 0)
            m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

} // namespace

class TestCrashRecovery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aKilledProgramsCardComesBackWhole()
    {
        QTemporaryDir dir;
        const QString state = dir.filePath(QStringLiteral("state")), folder = state + QStringLiteral("/tavelo/recovery");
        const QString card = dir.filePath(QStringLiteral("営業.tvl")), out = dir.filePath(QStringLiteral("recovered"));
        Child editing(state, {"edit", dir.filePath("expected"), card, QStringLiteral("山田 太郎")});
        QVERIFY(editing.waitReady());
        editing.kill();
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.tvl")}, QDir::Files).size(), 1);

        QVERIFY(Child(state, {"recover", out}).finishes());
        QCOMPARE(TestFiles::readFile(out), TestFiles::readFile(dir.filePath("expected")));
        // The message, the card's file name, modified, the title.
        QCOMPARE(QString::fromUtf8(TestFiles::readFile(out + ".info")).split(QLatin1Char('\n')),
                 (QStringList{Msg::askRecover(), card, "modified", Msg::titlePrefix() + card}));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());   // taken, then closed cleanly
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--child"))
        return runChild(args.mid(2));
    TestCrashRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_crashrecovery.moc"
