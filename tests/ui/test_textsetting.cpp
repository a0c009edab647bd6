// The 文字の配置 dialog from a text box's context menu: what it shows, what
// OK and Cancel leave in the card, the box turned on end, the fields that
// refuse values the card cannot store, and the panel the box shows as.
#include "UiTestSupport.h"
#include "base/Messages.h"
#include "dialogs/TextSettingDialog.h"
#include "widgets/MovePanel.h"
#include "window/TextSettingActions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

TextSettingActions &actions(TForm1 &form)
{
    return *form.findChild<TextSettingActions *>(QStringLiteral("TextSettingActions"));
}

QPushButton *okButton(QDialog &dialog)
{
    return dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
}

template <typename W>
W *field(QDialog &dialog, const char *name)
{
    return dialog.findChild<W *>(QLatin1String(name));
}

} // namespace

class TestTextSetting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // OK sets the box as the dialog shows it, in one step that undo takes back.
    void okSetsTheBox()
    {
        TestWindow w;
        const int slot = w.textBox(QStringLiteral("令和10年"), {40, 20, 160, 30});
        w.doc().SetCurrentBox(BoxRef::text(slot));
        const int steps = w.history().stack().count();
        QVERIFY(runModal<TextSettingDialog>(actions(w.form).MenuTextSetting, [](TextSettingDialog &d) {
            field<QComboBox>(d, "TextAlign")->setCurrentIndex(3);
            field<QComboBox>(d, "TextScaleX")->setCurrentText(QStringLiteral("85"));
            field<QSpinBox>(d, "TextSpacing")->setValue(100);
            field<QCheckBox>(d, "TextVertical")->setChecked(true);
            QVERIFY(field<QSpinBox>(d, "TextTcy")->isEnabled());
            field<QSpinBox>(d, "TextTcy")->setValue(3);
            okButton(d)->click();
        }));
        const TextBox *box = w.doc().TextBoxes(slot);
        QCOMPARE(box->Setting.align, TextAlign::Justify);
        QCOMPARE(box->Setting.scaleX, 85);
        QCOMPARE(box->Setting.spacing, 100);
        QVERIFY(box->Setting.vertical);
        QCOMPARE(box->Setting.tcy, 3);
        // Turned on end: the panel stands tall.
        QCOMPARE(box->bounds, (BoxBounds{40, 20, 30, 160}));
        QVERIFY(w.form.findChild<TMovePanel *>(QStringLiteral("box%1").arg(slot))->height() > 100);
        QCOMPARE(w.history().stack().count(), steps + 1);
        QCOMPARE(w.history().stack().undoText(), Msg::stepTextSetting());
        w.history().stack().undo();
        QVERIFY(w.doc().TextBoxes(slot)->Setting.isDefault());
        QCOMPARE(w.doc().TextBoxes(slot)->bounds, (BoxBounds{40, 20, 160, 30}));
    }

    // The dialog opens on the box's setting; Cancel changes nothing.
    void cancelKeepsTheBox()
    {
        TestWindow w;
        const int slot = w.textBox(QStringLiteral("山田"), {40, 20, 160, 30});
        TextSetting setting;
        setting.align = TextAlign::Right;
        setting.scaleY = 70;
        w.history().setTextSetting(slot, setting);
        w.doc().SetCurrentBox(BoxRef::text(slot));
        const int steps = w.history().stack().count();
        std::optional<TextSetting> shown;
        QVERIFY(runModal<TextSettingDialog>(actions(w.form).MenuTextSetting, [&](TextSettingDialog &d) {
            shown = d.setting();
            QVERIFY(!field<QSpinBox>(d, "TextTcy")->isEnabled());
            field<QCheckBox>(d, "TextVertical")->setChecked(true);
            d.reject();
        }));
        QCOMPARE(shown, std::optional<TextSetting>(setting));
        QCOMPARE(w.doc().TextBoxes(slot)->Setting, setting);
        QCOMPARE(w.history().stack().count(), steps);
    }

    // A percent outside 50–200 or no number: OK is not offered.
    void scaleFieldRefuses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("offered");
        QTest::newRow("list value") << QStringLiteral("120") << true;
        QTest::newRow("any whole percent") << QStringLiteral("73") << true;
        QTest::newRow("below 50") << QStringLiteral("4") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void scaleFieldRefuses()
    {
        QFETCH(QString, typed);
        QFETCH(bool, offered);
        TextBox box;
        box.Caption = QStringLiteral("山田");
        box.bounds = {0, 0, 160, 30};
        TextSettingDialog dialog(nullptr, box);
        QComboBox *width = field<QComboBox>(dialog, "TextScaleX");
        width->lineEdit()->selectAll();
        QTest::keyClicks(width->lineEdit(), typed);
        if (typed.isEmpty())
            width->lineEdit()->clear();
        QCOMPARE(okButton(dialog)->isEnabled(), offered);
        QCOMPARE(dialog.setting().has_value(), offered);
    }

    // A QR code box has no characters to set.
    void offForQrBoxes()
    {
        TestWindow w;
        const int plain = w.textBox(QStringLiteral("山田"), {40, 20, 160, 30});
        const int qr = w.textBox(QStringLiteral("QR:https://example.com"), {40, 80, 80, 80});
        w.doc().SetCurrentBox(BoxRef::text(qr));
        Q_EMIT w.form.PopupMenu1->aboutToShow();
        QVERIFY(!actions(w.form).MenuTextSetting->isEnabled());
        w.doc().SetCurrentBox(BoxRef::text(plain));
        Q_EMIT w.form.PopupMenu1->aboutToShow();
        QVERIFY(actions(w.form).MenuTextSetting->isEnabled());
    }

    // Fitting a vertical box to its font: as wide as the characters, as long
    // as its line.
    void fitAlongTheLine()
    {
        TestWindow w;
        const int slot = w.textBox(QStringLiteral("山田太郎"), {40, 20, 160, 30});
        TextSetting setting;
        setting.vertical = true;
        w.history().setTextSetting(slot, setting);
        w.doc().SetCurrentBox(BoxRef::text(slot));
        w.form.MenuSize->trigger();
        const TextBox *box = w.doc().TextBoxes(slot);
        QCOMPARE(box->bounds.Width, boxHeightForFontHeight(box->Font.height()));
        const int em = -box->Font.height();
        QVERIFY2(box->bounds.Height >= 4 * em && box->bounds.Height <= 4 * em + 6,
                 qPrintable(QString::number(box->bounds.Height)));
    }
};

QTEST_MAIN(TestTextSetting)
#include "test_textsetting.moc"
