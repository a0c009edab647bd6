// The print-shop PDF from the program, driven as a user drives it: the File
// menu item opens the dialog, its preflight list follows the settings, the
// PDF lands in the file chosen with the boxes asked for, and the settings
// stay for the next export.
#include "UiTestSupport.h"
#include "base/CodePage932.h"
#include "merge/MergeList.h"
#include "sheet/FontMapping.h"
#include "window/MergeActions.h"
#include "window/PrintShopDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>

namespace {

PrintShopActions &printShop(TForm1 &form)
{
    return *form.findChild<PrintShopActions *>(QStringLiteral("PrintShopActions"));
}

QStringList listed(const QListWidget &list)
{
    QStringList lines;
    for (int n = 0; n < list.count(); ++n)
        lines << list.item(n)->text();
    return lines;
}

// Runs the File menu item; drive works the dialog, which is closed after it
// whatever drive did (a failed check returns early).
bool runDialog(TForm1 &form, const std::function<void(PrintShopDialog &)> &drive)
{
    return runModal<PrintShopDialog>(printShop(form).MenuPrintShop, [&](PrintShopDialog &dialog) {
        drive(dialog);
        if (dialog.isVisible())
            dialog.reject();
    });
}

QString trimBox(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QStringLiteral("-box"), pdf});
    process.waitForFinished(60000);
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("TrimBox:")))
            return line.mid(8).simplified();
    }
    return {};
}

}   // namespace

class TestPrintShopDialog : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    void preflightFollowsTheSettingsAndThePdfIsWritten()
    {
        TestWindow w;
        w.textBox(QStringLiteral("山田 太郎"), {40, 40, 150, 20});
        // A picture 1 mm past the left edge: short of a 3 mm bleed, not of none.
        const int image = w.history().addImageBox();
        w.doc().setImageBounds(image, {-4, 100, 100, 100});
        QImage blue(1000, 1000, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        w.doc().setImagePath(image, QStringLiteral("blue.png"));
        w.doc().setImagePicture(image, blue);
        const QString pdf = m_dir.filePath(QStringLiteral("入稿.pdf"));
        w.files.saveAnswers << pdf;
        const bool opened = runDialog(w.form, [&](PrintShopDialog &dialog) {
            QCOMPARE(dialog.Bleed->value(), 3.0);
            QVERIFY(!dialog.Marks->isChecked());
            QVERIFY2(listed(*dialog.Preflight)
                         == QStringList{Msg::preflightShortOfBleed(Msg::mergeImageBox(QStringLiteral("blue.png")))},
                     qPrintable(listed(*dialog.Preflight).join('\n')));
            // One side only: the back cannot be chosen.
            auto *sides = qobject_cast<QStandardItemModel *>(dialog.Sides->model());
            QVERIFY(!sides->item(2)->isEnabled());
            QVERIFY(sides->item(1)->isEnabled());
            QVERIFY(!dialog.MergeRows);
            dialog.Bleed->setValue(0);
            QCOMPARE(listed(*dialog.Preflight), QStringList{Msg::printShopPreflightClean()});
            dialog.Bleed->setValue(2);
            dialog.Marks->setChecked(true);
            dialog.ExportButton->click();
        });
        QVERIFY(opened);
        QVERIFY(w.presenter.errors.isEmpty());
        // (A test beside this one may leave a recovery copy the window asks about.)
        QVERIFY2(w.presenter.infos.contains(Msg::printShopWritten(1)),
                 qPrintable(w.presenter.infos.join(QLatin1Char(10))));
        QCOMPARE(w.files.saveRequests.size(), 1);
        QVERIFY(w.files.saveRequests.front().initialFile.endsWith(QStringLiteral("新規名刺.pdf")));
        QCOMPARE(trimBox(pdf), QStringLiteral("25.51 25.51 283.46 181.42"));

        // The next export starts from these settings; a cancelled file
        // choice writes nothing and keeps the dialog open.
        QFile::remove(pdf);
        const bool again = runDialog(w.form, [&](PrintShopDialog &dialog) {
            QCOMPARE(dialog.Bleed->value(), 2.0);
            QVERIFY(dialog.Marks->isChecked());
            dialog.ExportButton->click();
            QVERIFY(dialog.isVisible());
            dialog.CancelButton->click();
        });
        QVERIFY(again);
        QVERIFY(!QFile::exists(pdf));
    }

    void mergeRowsGiveAPageEach()
    {
        TestWindow w;
        w.textBox(QStringLiteral("{氏名}"), {40, 40, 150, 20});
        const QString list = m_dir.filePath(QStringLiteral("list.csv"));
        QVERIFY(TestFiles::writeFile(list, CodePage932::encode(QStringLiteral("氏名\r\n山田\r\n佐藤\r\n"))));
        auto &merge = *w.form.findChild<MergeActions *>(QStringLiteral("MergeActions"));
        merge.setList(MergeList::read(list), list);
        const QString pdf = m_dir.filePath(QStringLiteral("rows.pdf"));
        w.files.saveAnswers << pdf;
        const bool opened = runDialog(w.form, [&](PrintShopDialog &dialog) {
            QVERIFY(dialog.MergeRows);
            QCOMPARE(dialog.MergeRows->text(), Msg::printShopMergeRows(2));
            dialog.MergeRows->setChecked(true);
            dialog.ExportButton->click();
        });
        QVERIFY(opened);
        QVERIFY2(w.presenter.errors.isEmpty(), qPrintable(w.presenter.errors.join('\n')));
        QCOMPARE(PdfPrinter::pages(pdf), 2);
    }
};

QTEST_MAIN(TestPrintShopDialog)
#include "test_printshopdialog.moc"
