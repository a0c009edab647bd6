// Opening from outside the window: paths on the command line, card files and
// pictures dropped on the window.
#include "UiTestSupport.h"
#include "widgets/CardPanel.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace {
const QString kNewName = QStringLiteral("新規名刺.tvl");

// A window started as `tavelo paths...`.
struct StartedWindow {
    RecordingPresenter presenter;
    ScriptedFileDialogs files;
    TForm1 form{96};
    explicit StartedWindow(const QStringList &paths)
    {
        form.setFileDialogs(&files);
        form.openAtStart(paths);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(20);
    }
    CardDocument &doc() { return form.document(); }
};

// Drops the local file path on the window at pos (window coordinates).
void drop(TForm1 &form, const QString &path, QPoint pos)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent event(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &event);
}
} // namespace

class TestOpening : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The first path is opened (a missing one leaves the new card, with
    // Open's message); every path after it is named as not opened.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("names");   // "!" marks a file that is not there
        QTest::newRow("two cards") << QStringList{"a.tvl", "b.tvl"};
        QTest::newRow("three, the first missing") << QStringList{"!gone.tvl", "a.tvl", "b.tvl"};
    }
    void commandLine()
    {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        QStringList paths;
        for (const QString &name : names)
            paths << (name.startsWith(QLatin1Char('!')) ? dir.filePath(name.mid(1))
                                                        : writeCard(dir.filePath(name), QStringLiteral("カード ") + name));
        StartedWindow w(paths);
        const bool firstMissing = names.first().startsWith(QLatin1Char('!'));
        QTRY_VERIFY(w.form.windowTitle().endsWith(firstMissing ? kNewName : paths.first()));
        QCOMPARE(w.doc().textBoxCount(), firstMissing ? 0 : 1);
        QCOMPARE(w.presenter.errors.size(), firstMissing ? 1 : 0);
        QCOMPARE(w.presenter.infos, QStringList{Msg::notOpenedPaths(paths.mid(1))});
    }

    void droppedCardIsOpenedAfterTheSaveQuestion()
    {
        QTemporaryDir dir;
        const QString card = writeCard(dir.filePath(QStringLiteral("落とした.TVL")), QStringLiteral("落とした"));
        TestWindow w;
        w.textBox(QStringLiteral("変更"), {8, 8, 40, 20});
        w.presenter.answers << mrNo;
        drop(w.form, card, {50, 80});
        QCOMPARE(w.presenter.infos.size(), 1);
        QCOMPARE(w.doc().DocFileName(), card);
        QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("落とした"));
    }

    // A dropped picture makes an image box where it fell, in one step.
    void droppedPicture()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("photo.bmp"));
        TestFiles::writeFile(picture, TestFiles::simpleBmp(12, 7));
        TestWindow w;
        drop(w.form, picture, w.form.Panel1->mapTo(&w.form, QPoint(30, 40)));
        QCOMPARE(w.doc().imageBoxCount(), 1);
        const MoveImageRecord *box = w.doc().ImageBoxes(0);
        QCOMPARE(box->Picture.size(), QSize(12, 7));
        QCOMPARE(QPoint(box->bounds.Left, box->bounds.Top), QPoint(30, 40));
        w.history().stack().undo();
        QCOMPARE(w.doc().imageBoxCount(), 0);
    }

    // Of the many pictures a card can name, each error box says which one
    // failed: the loader's message, then the picture's path on its own line
    // where the message does not name it already.
    void cardPicturesThatFailAreNamed()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.bmp")), broken = dir.filePath(QStringLiteral("broken.bmp"));
        const QString gone = dir.filePath(QStringLiteral("gone.bmp"));
        TestFiles::writeFile(good, TestFiles::simpleBmp(8, 8));
        TestFiles::writeFile(broken, QByteArray("hello, not a picture"));
        QStringList lines = TestFiles::fixedLines();
        for (const QString &picture : {good, broken, gone})
            lines << TestFiles::imageRecord(QStringLiteral("$0"), picture);
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        TestFiles::writeFile(card, TestFiles::cardBytes(lines));
        TestWindow w;
        w.form.openCardFile(card);
        QCOMPARE(w.doc().imageBoxCount(), 3);
        QCOMPARE(w.presenter.errors, (QStringList{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です.\n") + broken,
                                                  QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(gone)}));
        QVERIFY(!w.doc().Modified());
    }

    // The recent cards submenu names the last card opened first; one that
    // is gone gives Open's message and leaves the list.
    void recentCards()
    {
        QTemporaryDir dir;
        const QString a = writeCard(dir.filePath(QStringLiteral("a.tvl")), QStringLiteral("A"));
        const QString b = writeCard(dir.filePath(QStringLiteral("b.tvl")), QStringLiteral("B"));
        TestWindow w;
        w.form.openAtStart({a});
        w.form.openCardFile(b);
        Q_EMIT w.form.MenuRecent->aboutToShow();
        QCOMPARE(w.form.MenuRecent->actions().first()->text(), QStringLiteral("&1 ") + b);
        QFile::remove(a);
        w.form.openRecentCard(a);
        QCOMPARE(w.presenter.errors.size(), 1);
        QVERIFY(!w.form.recentCards().paths().contains(a));
        QCOMPARE(w.doc().DocFileName(), b);   // the card on the window stays
    }
};

QTEST_MAIN(TestOpening)
#include "test_opening.moc"
