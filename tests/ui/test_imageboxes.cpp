// Image boxes in the main window: adding, choosing and replacing pictures,
// failed loads, the context menu and the handles over the picture.
#include "UiTestSupport.h"
#include "widgets/InlineEditor.h"

#include <QBuffer>

namespace {
struct Window : TestWindow {
    QTemporaryDir dir;
    QString bitmap(const QString &name, int width, int height) { return file(name, TestFiles::simpleBmp(width, height)); }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        TestFiles::writeFile(path, bytes);
        return path;
    }
};
}

class TestImageBoxes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newImageBoxAsksForPicture()
    {
        Window w;
        const QString logo = w.bitmap(QStringLiteral("logo.bmp"), 640, 480);
        w.files.openAnswers << logo;
        w.form.MenuNewImage->trigger();
        QCOMPARE(w.files.openRequests.at(0).filter, QStringLiteral("BMP files (*.BMP)|*.bmp"));
        QCOMPARE(w.files.openRequests.at(0).moreFilters,
                 QStringList{QStringLiteral("画像ファイル (*.bmp *.png *.jpg *.jpeg *.svg)|*.bmp;*.png;*.jpg;*.jpeg;*.svg")});
        QCOMPARE(w.doc().CurrentBox(), BoxRef::image(0));   // the new box is the one worked on
        const MoveImageRecord *record = w.doc().ImageBoxes(0);
        QCOMPARE(record->bounds, (BoxBounds{100, 0, 64, 64}));
        QCOMPARE(record->ImagePath, logo);
        // Drawn stretched inside the one-pixel bevel, and again after a resize.
        QCOMPARE(w.form.imageControl(0)->pictureRect(), QRect(1, 1, 62, 62));
        TMovePanel *panel = w.form.imagePanel(0);
        QTest::mousePress(w.form.imageControl(0), Qt::LeftButton, {}, QPoint(58, 58));   // size handle over the picture
        QTest::mouseMove(panel, QPoint(59 + 66, 59 + 2));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(59 + 66, 59 + 2));
        QCOMPARE(w.doc().ImageBoxes(0)->bounds, (BoxBounds{100, 0, 130, 66}));
        QCOMPARE(w.form.imageControl(0)->pictureRect(), QRect(1, 1, 128, 64));
        QCOMPARE(w.files.openRequests.size(), 1);   // the handle press opened no dialog
    }

    // The picture dialog opens on the filter chosen last.
    void pictureDialogKeepsFilter()
    {
        Window w;
        w.files.openAnswers << w.bitmap(QStringLiteral("a.bmp"), 8, 8) << w.bitmap(QStringLiteral("b.bmp"), 8, 8);
        w.files.filterAnswers << Msg::pictureFilter();
        w.form.MenuNewImage->trigger();
        QVERIFY(w.files.openRequests.at(0).selectedFilter.isEmpty());
        w.form.MenuNewImage->trigger();
        QCOMPARE(w.files.openRequests.at(1).selectedFilter, Msg::pictureFilter());
        QCOMPARE(w.doc().CurrentBox(), BoxRef::image(1));
    }

    // A picture chosen for a box that fails to load: the message with the
    // file below it, the old picture kept (every way a picture file fails is
    // test_pictureloader's).
    void failedLoadKeepsPicture()
    {
        Window w;
        const QString good = w.bitmap(QStringLiteral("good.bmp"), 8, 8);
        w.files.openAnswers << good;
        w.form.MenuNewImage->trigger();
        w.doc().SetModified(false);
        const QString bad = w.file(QStringLiteral("text.bmp"), QByteArray("hello, not a picture"));
        w.files.openAnswers << bad;
        QTest::mouseClick(w.form.imageControl(0), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(w.presenter.errors, QStringList{Msg::invalidBitmap() + QStringLiteral(".\n") + bad});
        QCOMPARE(w.doc().ImageBoxes(0)->Picture.size(), QSize(8, 8));
        QVERIFY(!w.doc().Modified());
        QCOMPARE(w.files.openRequests.last().initialFile, good);   // the last file chosen
    }

    // The picture dialog cancelled leaves an empty box. A right press in its
    // handle opens no menu; on the picture it commits the edit, then the
    // menu deletes the box.
    void rightPressCommitsEditThenMenu()
    {
        Window w;
        w.form.MenuNewImage->trigger();
        QVERIFY(w.doc().ImageBoxes(0)->Picture.isNull());
        QVERIFY(w.presenter.errors.isEmpty());
        QTest::mouseClick(w.form.imageControl(0), Qt::RightButton, {}, QPoint(2, 2));
        QVERIFY(!w.form.PopupMenu2->isVisible());
        w.form.MenuNewBox->trigger();
        QTest::sendKeyEvent(QTest::Click, w.form.Edit1, Qt::Key_unknown, QStringLiteral("名"), Qt::NoModifier);
        // A left click on the picture leaves the editor open.
        QTest::mouseClick(w.form.imageControl(0), Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(w.form.editorOpen());
        QTest::mousePress(w.form.imageControl(0), Qt::RightButton, {}, QPoint(30, 30));
        QVERIFY(!w.form.editorOpen());
        QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("名"));
        QTRY_VERIFY(w.form.PopupMenu2->isVisible());
        w.form.MenuImageDelete->trigger();
        w.form.PopupMenu2->hide();
        QVERIFY(!w.doc().ImageBoxes(0));
        QVERIFY(!w.form.imagePanel(0));
    }

    // A picture is decoded on another thread while the window goes on
    // drawing: a timer due when the load starts runs before the load returns.
    // What the box gets, and every message, stays as it was.
    void windowDrawnWhileLoading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QImage png(30, 20, QImage::Format_RGB32);
        png.fill(Qt::darkCyan);
        QByteArray pngBytes;
        QBuffer buffer(&pngBytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "png");
        QTest::newRow("bitmap") << "logo.bmp" << TestFiles::simpleBmp(40, 10) << QString();
        QTest::newRow("PNG") << "logo.png" << pngBytes << QString();
        QTest::newRow("not a picture") << "text.bmp" << QByteArray("hello, not a picture") << Msg::invalidBitmap();
        QTest::newRow("cut short") << "cut.png" << pngBytes.left(40) << Msg::invalidBitmap();
    }
    void windowDrawnWhileLoading()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        Window w;
        w.form.MenuNewImage->trigger();   // the dialog cancelled: an empty box
        w.doc().SetModified(false);
        const QString path = w.file(name, bytes);
        w.files.openAnswers << path;
        bool timerRan = false;
        QTimer::singleShot(0, &w.form, [&] { timerRan = true; });
        ErrorGuard::guarded([&] { w.form.ImageClick(0); })();
        QVERIFY2(timerRan, "the event loop must run while the picture loads");
        if (error.isEmpty()) {
            QVERIFY(w.presenter.errors.isEmpty());
            QCOMPARE(w.doc().ImageBoxes(0)->Picture.size(), QImage::fromData(bytes).size());
            QCOMPARE(w.doc().ImageBoxes(0)->ImagePath, path);
            QVERIFY(w.doc().Modified());
        } else {
            QCOMPARE(w.presenter.errors, QStringList{error + QStringLiteral(".\n") + path});
            QVERIFY(w.doc().ImageBoxes(0)->Picture.isNull());
            QVERIFY(!w.doc().Modified());
        }
    }
};

TAVELO_UI_TEST_MAIN(TestImageBoxes)
#include "test_imageboxes.moc"
