// The program's file dialogs as the user sees them: the filter text as the
// program gives it, and the files it lists whatever the letter case of their
// extensions.
#include "TestFiles.h"
#include "base/Messages.h"
#include "dialogs/Dialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The files the dialog lists in its folder, sorted.
QStringList listed(QFileDialog &dialog)
{
    auto *model = dialog.findChild<QFileSystemModel *>();
    const QModelIndex folder = model->index(dialog.directory().absolutePath());
    QStringList names;
    for (int row = 0; row < model->rowCount(folder); ++row) {
        const QModelIndex item = model->index(row, 0, folder);
        if (model->flags(item).testFlag(Qt::ItemIsEnabled) && !model->isDir(item))
            names << item.data().toString();
    }
    names.sort();
    return names;
}
}

class TestFileDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filterShownAndMatched_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("pictures") << Msg::bitmapFilter() << "BMP files (*.BMP)"
                                  << QStringList{"LOGO.BMP", "Photo.Bmp", "logo.bmp"};
        QTest::newRow("cards") << Msg::cardFileFilter() << "名刺 files (*.tvl)" << QStringList{"OLD.TVL", "card.tvl"};
    }
    void filterShownAndMatched()
    {
        QFETCH(QString, filter);
        QFETCH(QString, shown);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char *name : {"logo.bmp", "LOGO.BMP", "Photo.Bmp", "logo.bmp.txt", "logo.png", "card.tvl",
                                 "OLD.TVL"})
            QVERIFY(TestFiles::writeFile(dir.filePath(QLatin1String(name)), QByteArray("x")));

        QFileDialog dialog;
        setUpFileDialog(dialog, {QStringLiteral("bmp"), filter, dir.filePath(QStringLiteral("new"))},
                        QFileDialog::AcceptOpen);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText(), shown);
        QTRY_COMPARE(::listed(dialog), listed);
        dialog.reject();
    }

    // The picture dialog offers bitmaps and every picture kind, opens on the
    // filter asked for and tells the one the user left it on.
    void secondFilterChosen()
    {
        QTemporaryDir dir;
        for (const char *name : {"logo.bmp", "Photo.PNG", "shot.jpg", "notes.txt"})
            QVERIFY(TestFiles::writeFile(dir.filePath(QLatin1String(name)), QByteArray("x")));
        FileDialogRequest request{QStringLiteral("bmp"), Msg::bitmapFilter(), dir.filePath(QStringLiteral("new"))};
        request.moreFilters = {Msg::pictureFilter()};
        request.selectedFilter = Msg::pictureFilter();
        QFileDialog dialog;
        setUpFileDialog(dialog, request, QFileDialog::AcceptOpen);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QCOMPARE(types->count(), 2);
        QCOMPARE(types->currentText(), QStringLiteral("画像ファイル (*.bmp *.png *.jpg *.jpeg *.svg)"));
        QTRY_COMPARE(::listed(dialog), (QStringList{"Photo.PNG", "logo.bmp", "shot.jpg"}));
        dialog.reject();
    }
};

QTEST_MAIN(TestFileDialogs)
#include "test_filedialogs.moc"
