// A long session in the main window: boxes added through the menus, edited in
// place, given pictures, deleted, the card saved under two names and each
// opened in turn. The widgets, the heap and the open files stay as they were.
#include "InlineEditor.h"
#include "ProcessUsage.h"
#include "UiTestSupport.h"

#include <QDir>

namespace {
using ProcessUsage::heapInUse;
using ProcessUsage::openFileCount;

struct Session : TestWindow {
    QTemporaryDir dir;
    QString picture = dir.filePath(QStringLiteral("logo.bmp"));
    QString card[2] = {dir.filePath(QStringLiteral("a.tvl")), dir.filePath(QStringLiteral("b.tvl"))};

    Session()
    {
        TestFiles::writeFile(picture, TestFiles::simpleBmp(40, 30));
        files.saveAnswers << card[0];   // the first card to open
        form.MenuSaveAs->trigger();
    }

    void addTextBox(int round)
    {
        form.MenuNewBox->trigger();   // opens the editor on the new box
        form.Edit1->setText(QStringLiteral("営業部 ﾀﾍﾞﾛ %1").arg(round % 50));
        form.closeEditor();
    }
    void addPicture()
    {
        files.openAnswers << picture;
        form.MenuNewImage->trigger();
    }
    // The oldest boxes go, through the context menus' delete.
    void keepAFew()
    {
        for (int slot = 0; slot < CardDocument::SlotCount && doc().textBoxCount() > 5; ++slot) {
            if (doc().TextBoxes(slot)) {
                doc().SetCurrentBox(BoxRef::text(slot));
                form.MenuDelete->trigger();
            }
        }
        for (int slot = 0; slot < CardDocument::SlotCount && doc().imageBoxCount() > 2; ++slot) {
            if (doc().ImageBoxes(slot)) {
                doc().SetCurrentBox(BoxRef::image(slot));
                form.MenuImageDelete->trigger();
            }
        }
    }
    // Save As one name, then open the other: just saved, no save question.
    void saveAndOpenTheOther(int round)
    {
        files.saveAnswers << card[round % 2];
        form.MenuSaveAs->trigger();
        files.openAnswers << card[(round + 1) % 2];
        form.MenuOpen->trigger();
    }
    void round(int n)
    {
        addTextBox(n);
        if (n % 3 == 0)
            addPicture();
        keepAFew();
        saveAndOpenTheOther(n);
        // What the test doubles recorded is the test's memory, not the
        // program's; the event loop gets its turn as between two clicks.
        presenter.infos.clear();
        presenter.infoButtons.clear();
        files.openRequests.clear();
        files.saveRequests.clear();
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestWindowSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twoThousandRounds()
    {
        Session s;
        const int warmUp = 100;
        const int rounds = 2000;
        std::size_t heapAfterWarmUp = 0;
        int objectsAfterWarmUp = 0;
        int filesAfterWarmUp = 0;
        for (int n = 1; n <= rounds; ++n) {
            s.round(n);
            if (n == warmUp) {
                heapAfterWarmUp = heapInUse();
                objectsAfterWarmUp = int(s.form.findChildren<QObject *>().size());
                filesAfterWarmUp = openFileCount();
            }
        }
        const std::size_t heapAtEnd = heapInUse();
        qDebug("heap after %d rounds: %zu bytes, after %d rounds: %zu bytes", warmUp, heapAfterWarmUp, rounds, heapAtEnd);
        QCOMPARE(s.presenter.errors, QStringList());
        QCOMPARE(s.files.openAnswers.size() + s.files.saveAnswers.size() + s.presenter.answers.size(), 0);
        QCOMPARE(s.doc().DocFileName(), s.card[1]);
        QCOMPARE(int(s.form.findChildren<QObject *>().size()), objectsAfterWarmUp);
        QCOMPARE(openFileCount(), filesAfterWarmUp);
        QVERIFY2(heapAtEnd <= heapAfterWarmUp + 256 * 1024,
                 qPrintable(QStringLiteral("the heap grew by %1 bytes").arg(qint64(heapAtEnd) - qint64(heapAfterWarmUp))));
    }
};

QTEST_MAIN(TestWindowSession)
#include "test_windowsession.moc"
