// Recovery at start-up when the copies are not what they should be: a copy
// that cannot be read back never puts an empty card under a real card's
// name, and thousands of stale copies neither exhaust the program's files nor
// stay for ever.
#include "OpenFileLimit.h"
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"

#include <QDir>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

const QString kNewName = QStringLiteral("新規名刺.tvl");

void setModified(const QString &path, const QDateTime &when)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(when.toSecsSinceEpoch()), 0}};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
}

// A state folder of the test's own: the copies a killed program left there.
struct StateFolder {
    QTemporaryDir dir;
    QByteArray oldState = qgetenv("XDG_STATE_HOME");
    QString folder = dir.filePath(QStringLiteral("tavelo/recovery"));
    StateFolder()
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path()));
        QDir().mkpath(folder);
    }
    ~StateFolder() { qputenv("XDG_STATE_HOME", oldState); }
    void leaveCopy(const QString &id, const QByteArray &card, const QString &name, const QDateTime &when)
    {
        const QString base = folder + QLatin1Char('/') + id;
        QVERIFY(TestFiles::writeFile(base + ".tvl", card) && TestFiles::writeFile(base + ".name", name.toUtf8())
                && TestFiles::writeFile(base + ".lock", ""));
        setModified(base + ".tvl", when);
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
};

// A window starting with the answers given to its questions.
struct StartingWindow {
    RecordingPresenter presenter;
    ScriptedFileDialogs files;
    std::unique_ptr<TForm1> form;
    explicit StartingWindow(const QList<int> &answers)
    {
        presenter.answers = answers;
        form = std::make_unique<TForm1>(96);
        form->setFileDialogs(&files);
        form->show();
        QVERIFY(QTest::qWaitFor([&] { return form->windowTitle().startsWith(Msg::titlePrefix()); }, 10000));
    }
    CardDocument &doc() { return form->document(); }
};

}   // namespace

class TestRecoveryFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The copy is no card, or breaks off: the window holds a new card,
    // unmodified, and the real card survives closing with the default
    // answers; the copy is kept aside and not offered again.
    void aCopyThatCannotBeReadLeavesANewCard_data()
    {
        QTest::addColumn<QByteArray>("copy");
        QTest::addColumn<QStringList>("readMessages");
        QTest::addColumn<int>("errors");
        QTest::newRow("not a card") << QByteArray("garbage\r\n") << QStringList{Msg::badCardFile()} << 0;
        QTest::newRow("empty") << QByteArray() << QStringList{Msg::badCardFile()} << 0;
        QTest::newRow("breaks off") << QByteArray("Tavelo DataFile\r\n1\r\nzero\r\n") << QStringList() << 1;
    }
    void aCopyThatCannotBeReadLeavesANewCard()
    {
        QFETCH(QByteArray, copy);
        QFETCH(QStringList, readMessages);
        QFETCH(int, errors);
        StateFolder state;
        const QString card = state.dir.filePath(QStringLiteral("本物.tvl"));
        const QByteArray real =
            TestFiles::cardBytes(TestFiles::fixedLines() + TestFiles::textRecord("#0", "大事な名刺"));
        QVERIFY(TestFiles::writeFile(card, real));
        state.leaveCopy(QStringLiteral("77-dead"), copy, card, QDateTime::currentDateTime());
        {
            StartingWindow w({mrYes});
            const QString kept = state.folder + QStringLiteral("/77-dead.tvl.bad");
            QCOMPARE(w.presenter.infos,
                     QStringList{Msg::askRecover()} + readMessages + QStringList{Msg::recoveryCopyKept(kept)});
            QCOMPARE(w.presenter.errors.size(), errors);
            QCOMPARE(w.form->windowTitle(), Msg::titlePrefix() + kNewName);
            QVERIFY(!w.doc().Modified());
            QCOMPARE(w.doc().textBoxCount(), 0);
            QCOMPARE(TestFiles::readFile(kept), copy);
            QVERIFY(w.form->close());   // nothing asked: nothing to save
            QCOMPARE(w.presenter.infos.size(), 2 + readMessages.size());
        }
        QCOMPARE(TestFiles::readFile(card), real);
        QVERIFY(state.files().contains(QStringLiteral("77-dead.name.bad")));
        StartingWindow again({});
        QCOMPARE(again.presenter.infos, QStringList());
    }

    // Copies older than a month are deleted when the user agrees, after the
    // newest was offered; a declined restore deletes every copy but a kept one.
    void staleCopiesAreDeletedWhenTheUserAgrees_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<int>("copiesLeft");
        const QString stale = Msg::askDeleteStaleCopies(3, RecoverySession::StaleAfterDays);
        QTest::newRow("restore, delete old") << QList<int>{mrYes, mrYes} << QStringList{Msg::askRecover(), stale} << 0;
        QTest::newRow("restore, keep old") << QList<int>{mrYes, mrNo} << QStringList{Msg::askRecover(), stale} << 3;
        QTest::newRow("declined") << QList<int>{mrNo} << QStringList{Msg::askRecover()} << 0;
    }
    void staleCopiesAreDeletedWhenTheUserAgrees()
    {
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, questions);
        QFETCH(int, copiesLeft);
        StateFolder state;
        const QDateTime now = QDateTime::currentDateTime();
        const QByteArray card = TestFiles::cardBytes(TestFiles::fixedLines() + TestFiles::textRecord("#0", "最新"));
        state.leaveCopy(QStringLiteral("1-new"), card, QString(), now);
        for (int i = 0; i < 3; ++i)
            state.leaveCopy(QStringLiteral("old-%1").arg(i), card, QString(), now.addDays(-40 - i));
        StartingWindow w(answers);
        QCOMPARE(w.presenter.infos, questions);
        QCOMPARE(w.doc().Modified(), answers.first() == mrYes);
        QStringList oldCopies = state.files().filter(QStringLiteral("old-"));
        QCOMPARE(oldCopies.size(), copiesLeft * 3);
        QVERIFY(!state.files().contains(QStringLiteral("1-new.tvl")));
    }

    // Five thousand copies under a low limit of open files: the start offers
    // the newest, and the window goes on painting and saving.
    void thousandsOfCopiesLeaveTheWindowWorking()
    {
        StateFolder state;
        const QDateTime now = QDateTime::currentDateTime();
        const QByteArray card =
            TestFiles::cardBytes(TestFiles::fixedLines() + TestFiles::textRecord("#0", "最新の名刺"));
        for (int i = 0; i < 5000; ++i) {
            const QString base = state.folder + QStringLiteral("/c-%1").arg(i);
            QVERIFY(TestFiles::writeFile(base + ".tvl", card) && TestFiles::writeFile(base + ".lock", ""));
            setModified(base + ".tvl", now.addSecs(-60 * i - 30));
        }
        OpenFileLimit limit(96);
        QVERIFY(limit.ok());
        StartingWindow w({mrYes, mrNo});
        QCOMPARE(w.presenter.infos, QStringList{Msg::askRecover()});
        QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("最新の名刺"));
        QVERIFY(!state.files().contains(QStringLiteral("c-0.tvl")));
        QVERIFY(!w.form->grab().isNull());
        const QString saved = state.dir.filePath(QStringLiteral("saved.tvl"));
        w.files.saveAnswers << saved;
        QVERIFY(w.form->SaveDocumentAs());
        QCOMPARE(TestFiles::readFile(saved), card);
        QVERIFY(w.form->close());
    }
};

TAVELO_UI_TEST_MAIN(TestRecoveryFaults)
#include "test_recoveryfaults.moc"
