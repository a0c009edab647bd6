// Work survives a crash: the program runs as a child process, changes its
// card and is killed; the next start offers the card back whole. The same
// executable is the child when started with --child. Which copies a start
// may take, with other programs running, is test_recovery's.
#include "CardFile.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QProcess>

#include <cstdio>
#include <memory>
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

// Saves the card as cardPath, then changes it without saving (a box with
// caption, other print settings) and waits for the copy to catch up.
bool changeCard(ChildWindow &w, const QString &cardPath, const QString &caption)
{
    w.files.saveAnswers << cardPath;
    w.form.SaveDocumentAs();
    CardHistory &history = w.form.history();
    history.setCaption(history.addTextBox(), caption);
    history.setPrintSettings({0, 5, 7});
    RecoverySession &copy = w.form.recovery();
    return QTest::qWaitFor([&] { return copy.hasCopy() && TestFiles::readFile(copy.cardPath()) == CardFileBytes(w.form.document()); }, 10000);
}

int runChild(const QStringList &args)
{
    const QString mode = args.value(0), out = args.value(1);
    if (mode == QLatin1String("edit") || mode == QLatin1String("close")) {
        ChildWindow w({mrNo});
        if (!w.started || !changeCard(w, args.value(2), args.value(3)))
            return 3;
        if (mode == QLatin1String("close"))
            return w.form.close() ? 0 : 2;
        TestFiles::writeFile(out, *CardFileBytes(w.form.document()));
        std::printf("ready\n");
        std::fflush(stdout);
        return QCoreApplication::exec();   // until killed
    }
    // recover yes|no: what the start-up offered and what the card is then.
    ChildWindow w({args.value(2) == QLatin1String("yes") ? int(mrYes) : int(mrNo), mrNo});
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
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_state = m_dir->filePath(QStringLiteral("state"));
        m_folder = m_state + QStringLiteral("/tavelo/recovery");
    }

    void aKilledProgramsCardComesBackWhole_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("yes") << "yes";
        QTest::newRow("no") << "no";
    }
    void aKilledProgramsCardComesBackWhole()
    {
        QFETCH(QString, answer);
        const QString card = m_dir->filePath(QStringLiteral("営業.tvl"));
        Child editing(m_state, {"edit", m_dir->filePath("expected"), card, QStringLiteral("山田 太郎")});
        QVERIFY(editing.waitReady());
        editing.kill();
        QCOMPARE(QDir(m_folder).entryList({QStringLiteral("*.tvl")}, QDir::Files).size(), 1);

        // The messages, the card's file name, modified or clean, the title.
        const QString out = m_dir->filePath(QStringLiteral("recovered"));
        QVERIFY(Child(m_state, {"recover", out, answer}).finishes());
        const QStringList info = QString::fromUtf8(TestFiles::readFile(out + ".info")).split(QLatin1Char('\n'));
        const bool taken = answer == QLatin1String("yes");
        QCOMPARE(TestFiles::readFile(out) == TestFiles::readFile(m_dir->filePath("expected")), taken);
        if (taken)
            QCOMPARE(info, (QStringList{Msg::askRecover(), card, "modified", Msg::titlePrefix() + card}));
        else
            QCOMPARE(info.mid(0, 2), (QStringList{Msg::askRecover(), Msg::defaultDocumentName()}));
        // Taken or declined, and the second program closed cleanly: nothing left.
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList());
    }

    void aCleanCloseLeavesNoCopy()
    {
        Child closing(m_state, {"close", m_dir->filePath("expected"), m_dir->filePath("a.tvl"), "a"});
        QVERIFY(closing.finishes());
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_state;
    QString m_folder;
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
