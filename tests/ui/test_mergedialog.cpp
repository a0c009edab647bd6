// Merge printing in the program, driven as a user drives it: the merge
// dialog with a list saved in code page 932, a row shown on the card without
// changing it, printing into a PDF, and the text box menu's field item.
#include "UiTestSupport.h"
#include "base/CodePage932.h"
#include "dialogs/MergeRowsModel.h"
#include "widgets/InlineEditor.h"
#include "window/MergeActions.h"
#include "window/MergeDialog.h"
#include "window/SideActions.h"
#include "window/ViewActions.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

MergeActions &mergeActions(TForm1 &form)
{
    return *form.findChild<MergeActions *>(QStringLiteral("MergeActions"));
}

// Runs the File menu item; drive works the dialog it opens, which is then closed.
bool runDialog(TForm1 &form, const std::function<void(MergeDialog &)> &drive)
{
    return runModal<MergeDialog>(mergeActions(form).MenuMerge, [&](MergeDialog &dialog) {
        drive(dialog);
        dialog.CloseButton->click();
    });
}

} // namespace

class TestMergeDialog : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_list;

private Q_SLOTS:
    void initTestCase()
    {
        m_list = m_dir.filePath(QStringLiteral("社員.csv"));
        QVERIFY(TestFiles::writeFile(m_list, CodePage932::encode(QStringLiteral(
                                                 "氏名,電話\r\n山田 太郎,03-1111\r\n佐藤 花子,03-2222\r\n鈴木 一郎,03-3333\r\n"))));
    }

    void dialogLoadsShowsAndPrints()
    {
        TestWindow w;
        MergeActions &merge = mergeActions(w.form);
        const int slot = w.history().addTextBox();
        w.doc().setTextCaption(slot, QStringLiteral("{氏名} {役職}"));
        w.doc().SetModified(false);
        const QString pdf = m_dir.filePath(QStringLiteral("merged.pdf"));
        w.files.openAnswers << m_list;
        w.presenter.answers << int(mrYes);   // go on without 役職
        w.form.move(0, 0);   // room beside it on the test screen
        const bool opened = runDialog(w.form, [&](MergeDialog &dialog) {
            // Beside the card, not over it: the row it shows must stay in sight.
            QVERIFY(!dialog.frameGeometry().intersects(w.form.frameGeometry()));
            dialog.BrowseButton->click();
            QCOMPARE(dialog.ListInfo->text(), QStringLiteral("文字コード: シフトJIS (CP932)　区切り: カンマ　3 行"));
            QVERIFY(dialog.Fields->text().contains(QStringLiteral("役職（データにない）")));
            // One row unticked, two copies: a sheet for each row and copy.
            QVERIFY(dialog.Rows->model()->setData(dialog.Rows->model()->index(2, 0), Qt::Unchecked, Qt::CheckStateRole));
            dialog.Copies->setValue(2);
            QCOMPARE(dialog.Pages->text(), QStringLiteral("ページ数: 4"));

            // The second row on the card; the card keeps its fields.
            dialog.Rows->selectRow(1);
            QCOMPARE(dialog.ShownRow->value(), 2);
            QCOMPARE(w.form.textPanel(slot)->caption(), QStringLiteral("佐藤 花子 {役職}"));
            QCOMPARE(w.doc().TextBoxes(slot)->Caption, QStringLiteral("{氏名} {役職}"));
            QCOMPARE(w.form.View->Status->text(), QStringLiteral("差し込み表示中: 2 行目"));

            PdfPrinter printer(pdf);
            dialog.printOn(printer);
        });
        QVERIFY(opened);
        QCOMPARE(PdfPrinter::pages(pdf), 4);
        QVERIFY(!w.doc().Modified());

        // Closed, the dialog takes its row with it: the card shows its fields
        // again, as it prints without a list.
        QCOMPARE(w.form.textPanel(slot)->caption(), QStringLiteral("{氏名} {役職}"));
        QVERIFY(w.form.View->Status->text().isEmpty());
        // A field from the text box menu goes in at the editor's cursor.
        const QList<QAction *> columns = merge.MenuInsertField->actions();
        QCOMPARE(columns.at(1)->text(), QStringLiteral("電話"));
        w.doc().SetCurrentBox(BoxRef::text(slot));
        columns.at(1)->trigger();
        QCOMPARE(w.form.Edit1->text(), QStringLiteral("{氏名} {役職}{電話}"));
        w.form.closeEditor();
        QCOMPARE(w.doc().TextBoxes(slot)->Caption, QStringLiteral("{氏名} {役職}{電話}"));
        QCOMPARE(w.form.textPanel(slot)->caption(), QStringLiteral("{氏名} {役職}{電話}"));
    }

    // With a row shown, the dialog's side choice (or Ctrl+Tab in it) shows
    // the back filled from that same row, and the front again; the row stays.
    // A card without a back has no choice to make.
    void backShownWithTheRow()
    {
        TestWindow w;
        const int front = w.textBox(QStringLiteral("{氏名}"), {10, 10, 150, 20});
        const bool plain = runDialog(w.form, [&](MergeDialog &dialog) {
            QVERIFY(!dialog.ShownSide->isEnabled());
            QCOMPARE(dialog.ShownSide->currentText(), QStringLiteral("表面"));
        });
        QVERIFY(plain);

        w.form.Sides->MenuShowBackClick();
        const int back = w.textBox(QStringLiteral("TEL {電話}"), {10, 40, 150, 20});
        w.form.Sides->MenuShowFrontClick();
        const QString frontTitle = w.form.windowTitle();
        w.doc().SetModified(false);
        w.files.openAnswers << m_list;
        const bool opened = runDialog(w.form, [&](MergeDialog &dialog) {
            dialog.BrowseButton->click();
            QVERIFY(dialog.ShownSide->isEnabled());
            dialog.ShownRow->setValue(2);
            QCOMPARE(w.form.textPanel(front)->caption(), QStringLiteral("佐藤 花子"));

            dialog.ShownSide->setCurrentIndex(1);
            QCOMPARE(w.doc().shownSide(), Side::Back);
            QCOMPARE(w.form.textPanel(back)->caption(), QStringLiteral("TEL 03-2222"));
            QCOMPARE(w.form.windowTitle(), frontTitle + Msg::backShownSuffix());
            QCOMPARE(w.form.View->Status->text(), QStringLiteral("差し込み表示中: 2 行目"));
            QVERIFY(w.form.Sides->MenuShowBack->isChecked());
            dialog.ShownRow->setValue(3);
            QCOMPARE(w.form.textPanel(back)->caption(), QStringLiteral("TEL 03-3333"));

            // Ctrl+Tab in the dialog, wherever its focus is.
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            dialog.ShownRow->setFocus();
            QTest::keyClick(dialog.ShownRow, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(w.doc().shownSide(), Side::Front);
            QCOMPARE(dialog.ShownSide->currentIndex(), 0);
            QCOMPARE(w.form.textPanel(front)->caption(), QStringLiteral("鈴木 一郎"));
            dialog.Rows->setFocus();
            QTest::keyClick(dialog.Rows, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(dialog.ShownSide->currentIndex(), 1);
        });
        QVERIFY(opened);
        // Closed, the back stays shown with its own fields; nothing changed.
        QCOMPARE(w.doc().shownSide(), Side::Back);
        QCOMPARE(w.form.textPanel(back)->caption(), QStringLiteral("TEL {電話}"));
        QCOMPARE(w.doc().side(Side::Back).TextBoxes(back)->Caption, QStringLiteral("TEL {電話}"));
        QVERIFY(!w.doc().Modified());
    }

    // An image box whose path holds fields opens without a message and shows
    // its path; a row shown on the card shows that row's picture, or the
    // row's path where the picture cannot be loaded.
    void placeholderPictureShowsItsPath()
    {
        TestWindow w;
        const QString design = m_dir.filePath(QStringLiteral("{番号}.png"));
        const QString card = m_dir.filePath(QStringLiteral("photo.tvl"));
        const QString list = m_dir.filePath(QStringLiteral("photos.csv"));
        QVERIFY(TestFiles::writeFile(card, TestFiles::cardBytes(TestFiles::fixedLines()
                                                                 << TestFiles::imageRecord(QStringLiteral("$0"), design, 10, 10, 60, 60))));
        QVERIFY(TestFiles::writeFile(list, "番号\n1\n2\n"));
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_dir.filePath(QStringLiteral("1.png"))));
        w.form.openCardFile(card);
        QVERIFY(w.presenter.errors.isEmpty() && w.presenter.infos.isEmpty());
        TImage *image = w.form.imageControl(0);
        QVERIFY(image->picture().isNull());
        QCOMPARE(image->placeholder(), design);

        w.files.openAnswers << list;
        const bool opened = runDialog(w.form, [&](MergeDialog &dialog) {
            dialog.BrowseButton->click();
            dialog.ShownRow->setValue(1);
            QCOMPARE(image->picture().pixel(0, 0), qRgb(255, 0, 0));
            QCOMPARE(image->placeholder(), QString());
            dialog.ShownRow->setValue(2);
            QVERIFY(image->picture().isNull());
            QCOMPARE(image->placeholder(), m_dir.filePath(QStringLiteral("2.png")));
            dialog.ShownRow->setValue(0);
            QCOMPARE(image->placeholder(), design);
        });
        QVERIFY(opened);
        QVERIFY(w.presenter.errors.isEmpty());
        QVERIFY(!w.doc().Modified());
    }

    // What the job left off is told after it, a line an item, as many as a
    // box can show.
    void droppedItemsAreToldAfterTheJob()
    {
        TestWindow w;
        const int slot = w.history().addTextBox();
        w.doc().setTextBounds(slot, {10, 10, 100, 100});
        w.doc().setTextCaption(slot, QStringLiteral("QR:(H){氏名}"));
        const QString list = m_dir.filePath(QStringLiteral("long.csv"));
        QVERIFY(TestFiles::writeFile(list, "氏名\n" + (QByteArray(1300, 'a') + "\n").repeated(25)));
        const QString pdf = m_dir.filePath(QStringLiteral("dropped.pdf"));
        w.files.openAnswers << list;
        const bool opened = runDialog(w.form, [&](MergeDialog &dialog) {
            dialog.BrowseButton->click();
            PdfPrinter printer(pdf);
            dialog.printOn(printer);
        });
        QVERIFY(opened);
        QCOMPARE(PdfPrinter::pages(pdf), 25);   // a sheet a row
        QCOMPARE(w.presenter.infos.size(), 1);
        const QStringList lines = w.presenter.infos.first().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.first(), Msg::mergeDropped(1, Msg::mergeTextBox(QStringLiteral("QR:(H){氏名}")), Msg::mergeQrLeftOut()));
        QCOMPARE(lines.last(), Msg::mergeMoreProblems(5));
    }

    void badListKeepsTheOneBefore()
    {
        TestWindow w;
        const QString bad = m_dir.filePath(QStringLiteral("bad.csv"));
        QVERIFY(TestFiles::writeFile(bad, "a,a\n"));
        w.files.openAnswers << m_list << bad;
        const bool opened = runDialog(w.form, [&](MergeDialog &dialog) {
            dialog.BrowseButton->click();
            dialog.BrowseButton->click();
            QCOMPARE(dialog.ListPath->text(), m_list);
            QCOMPARE(w.presenter.infos.size(), 1);   // why the list was refused
        });
        QVERIFY(opened);
    }
};

QTEST_MAIN(TestMergeDialog)
#include "test_mergedialog.moc"
