// A session in the main window: boxes added through the menus, edited in
// place, given pictures, deleted, the card saved under two names and each
// opened in turn. The widgets, the heap and the open files stay as they were.
#include "ProcessUsage.h"
#include "UiTestSupport.h"
#include "widgets/InlineEditor.h"

namespace {
using ProcessUsage::heapInUse;
using ProcessUsage::openFileCount;
using ProcessUsage::startEveryPoolThread;

struct Session : TestWindow {
    QTemporaryDir dir;
    QString picture = dir.filePath(QStringLiteral("logo.bmp"));
    QString card[2] = {dir.filePath(QStringLiteral("a.tvl")), dir.filePath(QStringLiteral("b.tvl"))};

    Session()
    {
        TestFiles::writeFile(picture, TestFiles::simpleBmp(40, 30));
        files.saveAnswers << card[0];
        form.MenuSaveAs->trigger();
    }
    // The oldest boxes of a kind go, through the context menu's delete, until n are left.
    void keep(bool images, int n)
    {
        for (int slot = 0; slot < CardDocument::SlotCount && (images ? doc().imageBoxCount() : doc().textBoxCount()) > n; ++slot) {
            if (images ? bool(doc().ImageBoxes(slot)) : bool(doc().TextBoxes(slot))) {
                doc().SetCurrentBox(images ? BoxRef::image(slot) : BoxRef::text(slot));
                (images ? form.MenuImageDelete : form.MenuDelete)->trigger();
            }
        }
    }
    void round(int n)
    {
        form.MenuNewBox->trigger();   // opens the editor on the new box
        form.Edit1->setText(QStringLiteral("営業部 ﾀﾍﾞﾛ %1").arg(n % 50));
        form.closeEditor();
        if (n % 3 == 0) {
            files.openAnswers << picture;
            form.MenuNewImage->trigger();
        }
        keep(false, 5);
        keep(true, 2);
        // Save As one name, then open the other: just saved, no save question.
        files.saveAnswers << card[n % 2];
        form.MenuSaveAs->trigger();
        files.openAnswers << card[(n + 1) % 2];
        form.MenuOpen->trigger();
        presenter.infos.clear(), presenter.infoButtons.clear();   // the doubles' memory, not the program's
        files.openRequests.clear(), files.saveRequests.clear();
        QCoreApplication::processEvents();
    }
    int objects() { return int(form.findChildren<QObject *>().size()); }
};

} // namespace

class TestWindowSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void manyRounds()
    {
        startEveryPoolThread();
        Session s;
        for (int n = 1; n <= 100; ++n)
            s.round(n);
        const std::size_t heap = heapInUse();
        const int objects = s.objects(), files = openFileCount();
        for (int n = 101; n <= 400; ++n)
            s.round(n);
        QCOMPARE(s.presenter.errors, QStringList());
        QCOMPARE(s.files.openAnswers.size() + s.files.saveAnswers.size() + s.presenter.answers.size(), 0);
        QCOMPARE(s.doc().DocFileName(), s.card[1]);
        QCOMPARE(s.objects(), objects);
        QCOMPARE(openFileCount(), files);
        QVERIFY2(heapInUse() <= heap + 256 * 1024,
                 qPrintable(QStringLiteral("the heap grew by %1 bytes").arg(qint64(heapInUse()) - qint64(heap))));
    }
};

QTEST_MAIN(TestWindowSession)
#include "test_windowsession.moc"
