// Adding and editing QR code boxes through the QR dialog, driven as a user
// drives it: the Edit menu item, the context menu item on a QR box, the
// contact form, the level, and the refusals. (The menu items' places and
// the full card are checked with the other menus and boxes.)
#include "UiTestSupport.h"
#include "dialogs/QrDialog.h"
#include "qr/ContactCard.h"
#include "window/QrActions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

using Fill = std::function<void(QrDialog &)>;

QPushButton *okButton(QrDialog &dialog)
{
    return dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
}

// Runs trigger; the QR dialog it opens is filled by fill, and OK is pressed
// when it is offered (Cancel otherwise).
bool runDialog(QAction *trigger, const Fill &fill)
{
    return runModal<QrDialog>(trigger, [&](QrDialog &dialog) {
        fill(dialog);
        if (okButton(dialog)->isEnabled())
            okButton(dialog)->click();
        else
            dialog.reject();
    });
}

QrActions &qrActions(TForm1 &form)
{
    return *form.findChild<QrActions *>(QStringLiteral("QrActions"));
}

void typeText(QrDialog &dialog, const QString &text)
{
    dialog.findChild<QPlainTextEdit *>(QStringLiteral("QrText"))->insertPlainText(text);
}

} // namespace

class TestQrBoxes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addsFromTheEditMenu_data()
    {
        QTest::addColumn<Fill>("fill");
        QTest::addColumn<QString>("caption");
        // Typed as a user types: the dialog opens with the focus in its text.
        QTest::newRow("url at M") << Fill([](QrDialog &d) {
            QTRY_COMPARE(QApplication::activeWindow(), &d);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("https://example.jp/"));
        })
                                  << "QR:https://example.jp/";
        ContactCard contact;
        contact.name = QStringLiteral("山田 太郎");
        contact.email = QStringLiteral("taro@example.jp");
        QTest::newRow("contact") << Fill([](QrDialog &d) {
            d.findChild<QTabWidget *>(QStringLiteral("QrPages"))->setCurrentIndex(1);
            d.findChild<QLineEdit *>(QStringLiteral("QrField0"))->setText(QStringLiteral("山田 太郎"));
            d.findChild<QLineEdit *>(QStringLiteral("QrField7"))->setText(QStringLiteral("taro@example.jp"));
        }) << "QR:" + contact.toVCard();
    }

    void addsFromTheEditMenu()
    {
        QFETCH(Fill, fill);
        QFETCH(QString, caption);
        TestWindow w;
        w.doc().AddTextBox();   // slot 0 taken: the code goes to slot 1
        QVERIFY(runDialog(qrActions(w.form).MenuAddQr, fill));
        const TextBox *box = w.doc().TextBoxes(1);
        QVERIFY(box);
        QCOMPARE(box->Caption, caption);
        // One step: undo takes the whole code away.
        w.form.history().stack().undo();
        QVERIFY(!w.doc().TextBoxes(1));
    }

    void refusesWhatNoCodeCanHold()
    {
        QrDialog dialog(nullptr);
        QVERIFY(!okButton(dialog)->isEnabled());   // nothing to code yet

        typeText(dialog, QStringLiteral("名刺"));
        // Any character is taken: the card keeps it in a Caption= line.
        typeText(dialog, QStringLiteral("\u00F1𠮷"));
        QCOMPARE(dialog.code().content, QStringLiteral("名刺\u00F1𠮷"));

        dialog.findChild<QComboBox *>(QStringLiteral("QrLevel"))->setCurrentIndex(3);
        typeText(dialog, QString(1300, QLatin1Char('a')));
        QVERIFY(!okButton(dialog)->isEnabled());
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("QrStatus"))->text(), Msg::qrTooLongFor(QLatin1Char('H'), 1273, 1312));
        // A level with more room takes the same content.
        dialog.findChild<QComboBox *>(QStringLiteral("QrLevel"))->setCurrentIndex(0);
        QVERIFY(okButton(dialog)->isEnabled());
    }

    void editsFromTheContextMenu()
    {
        TestWindow w;
        ContactCard contact;
        contact.name = QStringLiteral("山田 太郎");
        contact.phone = QStringLiteral("03-1234-5678");
        const int plain = w.doc().AddTextBox();
        const int qr = w.doc().AddTextBox();
        w.doc().setTextCaption(qr, QStringLiteral("QR:(Q)") + contact.toVCard());

        QrActions &actions = qrActions(w.form);
        w.doc().SetCurrentBox(BoxRef::text(plain));
        Q_EMIT w.form.PopupMenu1->aboutToShow();
        QVERIFY(!actions.MenuEditQr->isVisible());
        w.doc().SetCurrentBox(BoxRef::text(qr));
        Q_EMIT w.form.PopupMenu1->aboutToShow();
        QVERIFY(actions.MenuEditQr->isVisible());

        // The dialog opens on the contact form with the box's fields and level.
        QString shown;
        QVERIFY(runDialog(actions.MenuEditQr, [&](QrDialog &d) {
            shown = d.findChild<QLineEdit *>(QStringLiteral("QrField0"))->text() + QLatin1Char('/')
                    + QString::number(d.findChild<QComboBox *>(QStringLiteral("QrLevel"))->currentIndex());
            d.findChild<QLineEdit *>(QStringLiteral("QrField6"))->setText(QStringLiteral("090-0000-1111"));
        }));
        QCOMPARE(shown, contact.name + QStringLiteral("/2"));
        contact.mobile = QStringLiteral("090-0000-1111");
        QCOMPARE(w.doc().TextBoxes(qr)->Caption, QStringLiteral("QR:(Q)") + contact.toVCard());
    }
};

QTEST_MAIN(TestQrBoxes)
#include "test_qrboxes.moc"
