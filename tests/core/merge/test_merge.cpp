// Merge printing in the core: the list reader, the fields, the plan of pages
// and cells, and merged sheets drawn and read back.
#include "ShapeFixtures.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "Thrown.h"
#include "base/CodePage932.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "merge/MergePlan.h"
#include "merge/MergePrinter.h"
#include "merge/MergedSheets.h"
#include "sheet/SheetLayout.h"
#include "sheet/SheetPrinter.h"

#include <QPainter>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

Q_DECLARE_METATYPE(MergeList::Encoding)
Q_DECLARE_METATYPE(MergeMode)

namespace {

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

// The list as "a|b;c|d": rows by ';', fields by '|'.
QString shape(const MergeList &list)
{
    QStringList rows{list.columns().join(QLatin1Char('|'))};
    for (int row = 0; row < list.rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < list.columns().size(); ++column)
            fields << list.value(row, column);
        rows << fields.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char(';'));
}

void addText(CardDocument &doc, const QString &caption, BoxBounds bounds = {10, 10, 200, 20})
{
    const int slot = doc.AddTextBox();
    doc.setTextBounds(slot, bounds);
    doc.setTextCaption(slot, caption);
}

int addImage(CardDocument &doc, const QString &path, BoxBounds bounds)
{
    const int slot = doc.AddImageBox();
    doc.setImageBounds(slot, bounds);
    doc.setImagePath(slot, path);
    return slot;
}

} // namespace

class TestMerge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A list read: shape, encoding, delimiter; refused: the message.
    void readsLists_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<MergeList::Encoding>("encoding");
        QTest::addColumn<QString>("delimiter");
        using E = MergeList::Encoding;
        const auto refused = [](const char *name, const QByteArray &bytes, const QString &message) {
            QTest::newRow(name) << bytes << QString() << message << E::Utf8 << QString();
        };
        QTest::newRow("quotes, doubled quotes, delimiter inside")
            << QByteArray("a,b\n\"x,1\",\"say \"\"hi\"\"\"\n") << "" << "a|b;x,1|say \"hi\"" << E::Utf8 << ",";
        QTest::newRow("line breaks inside quotes become line feeds")
            << QByteArray("a,b\r\n\"1\r\n2\",\"3\r4\"\r\n") << "" << "a|b;1\n2|3\n4" << E::Utf8 << ",";
        QTest::newRow("ragged row gets empty fields, blank lines skipped")
            << QByteArray("a,b,c\n\nx\n\r\n,,\n") << "" << "a|b|c;x||;||" << E::Utf8 << ",";
        QTest::newRow("tab: first line has a tab and no comma")
            << QByteArray("a\tb\n1,5\t\"x\ty\"\n") << "" << "a|b;1,5|x\ty" << E::Utf8 << "\t";
        QTest::newRow(".tsv name: tab") << QByteArray("a,b\tc\n1\t2\n") << "list.TSV" << "a,b|c;1|2" << E::Utf8 << "\t";
        QTest::newRow("UTF-16 LE (Unicode text, tabs)")
            << utf16(QStringLiteral("氏名\t役職\r\n太郎\t課長\r\n"), QStringConverter::Utf16LE) << "list.txt"
            << QStringLiteral("氏名|役職;太郎|課長") << E::Utf16LE << "\t";
        QTest::newRow("code page 932, ① and a quoted line break")
            << CodePage932::encode(QStringLiteral("番号,住所\r\n①,\"東京都\r\n港区\"\r\n")) << ""
            << QStringLiteral("番号|住所;①|東京都\n港区") << E::CodePage932 << ",";
        refused("empty file", QByteArray(), "差し込みデータに項目名の行がありません。");
        refused("empty name", QByteArray("a,,c\n"), "差し込みデータの 2 列目の項目名が空です。");
        refused("duplicate name after trimming", QByteArray("a,b, a\n"), "差し込みデータの 3 列目の項目名「a」はほかの列と同じです。");
        refused("too many fields names the line", QByteArray("a,b\n1,2\n\"x\ny\",2\n1,2,3\n"),
                "差し込みデータの 5 行目は項目名（2 列）より項目が多すぎます。");
        refused("open quote names the line it opened on", QByteArray("a\n1\n\"2\n3\n"),
                "差し込みデータの 3 行目で始まる引用符 (\") が閉じられていません。");
        refused("text after a closing quote", QByteArray("a,b\n\"1\"x,2\n"),
                "差し込みデータの 2 行目で、閉じた引用符 (\") の後に区切り文字でない文字があります。");
        refused("neither UTF-8 nor code page 932", QByteArray("a\nok\n\x81\x20\n"),
                "差し込みデータの 3 行目に読めない文字があります。UTF-8、UTF-16、シフトJIS のいずれかで保存してください。");
        refused("BOM says UTF-8, bytes are not", QByteArray("\xEF\xBB\xBF" "a\n\xFF\n"),
                "差し込みデータの 2 行目に UTF-8 (BOM) として読めない文字があります。");
        // UTF-16 without its mark is told by where its NUL bytes stand.
        const QString tabbed = QStringLiteral("氏名\t役職\r\n太郎\t課長\r\n");
        QTest::newRow("UTF-16 LE without a mark")
            << utf16(tabbed, QStringConverter::Utf16LE).sliced(2) << "" << QStringLiteral("氏名|役職;太郎|課長") << E::Utf16LE << "\t";
        QTest::newRow("UTF-16 BE without a mark, a name with a zero low byte (一)")
            << utf16(QStringLiteral("一郎,b\n1,2\n"), QStringConverter::Utf16BE).sliced(2) << ""
            << QStringLiteral("一郎|b;1|2") << E::Utf16BE << ",";
        const QString utf16Bad = QStringLiteral("差し込みデータの %1 行目に %2 として読めない文字があります。");
        refused("UTF-16 LE of odd length: the last byte is half a character",
                utf16(tabbed, QStringConverter::Utf16LE) + 'x', utf16Bad.arg(3).arg("UTF-16 LE"));
        refused("UTF-16 LE without a mark, odd length: the half after the last CR",
                utf16(tabbed, QStringConverter::Utf16LE).sliced(2).chopped(1), utf16Bad.arg(3).arg("UTF-16 LE"));
        refused("UTF-16 LE, a lone high surrogate on line 2",
                utf16(QStringLiteral("a\r\nx") + QChar(0xD83D) + QStringLiteral("y\r\n"), QStringConverter::Utf16LE),
                utf16Bad.arg(2).arg("UTF-16 LE"));
        refused("UTF-16 BE, a lone low surrogate on line 3",
                utf16(QStringLiteral("a\n1\n") + QChar(0xDC00) + QStringLiteral("\n"), QStringConverter::Utf16BE),
                utf16Bad.arg(3).arg("UTF-16 BE"));
        // Lines in UTF-8 and lines in code page 932 in one file.
        refused("UTF-8 header, code page 932 row",
                QStringLiteral("氏名,役職\n").toUtf8() + CodePage932::encode(QStringLiteral("山田,部長\n")),
                "差し込みデータの 2 行目はシフトJIS、1 行目は UTF-8 で書かれているようです。一つの文字コードで保存してください。");
        refused("code page 932 header, a UTF-8 row on line 3",
                CodePage932::encode(QStringLiteral("氏名,役職\n山田,部長\n")) + QStringLiteral("佐藤,課長\n").toUtf8(),
                "差し込みデータの 1 行目はシフトJIS、3 行目は UTF-8 で書かれているようです。一つの文字コードで保存してください。");
        QTest::newRow("code page 932 with half-width katakana that looks like UTF-8 (ﾐｷ)")
            << CodePage932::encode(QStringLiteral("ﾌﾘｶﾞﾅ,名前\r\nﾐｷ,美樹\r\n")) << "" << QStringLiteral("ﾌﾘｶﾞﾅ|名前;ﾐｷ|美樹")
            << E::CodePage932 << ",";
        refused("1001 columns", QByteArray("c,").repeated(1000) + "c\n", "差し込みデータの項目が多すぎます（1000 列まで）。");
        refused("100001 rows", "a\n" + QByteArray("1\n").repeated(100001), "差し込みデータの行が多すぎます（100000 行まで）。");
    }
    void readsLists()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, shape);
        QFETCH(MergeList::Encoding, encoding);
        QFETCH(QString, delimiter);
        if (delimiter.isEmpty()) {
            QCOMPARE(thrownMessage([&] { MergeList::fromBytes(bytes, name); }), shape);
            return;
        }
        const MergeList list = MergeList::fromBytes(bytes, name);
        QCOMPARE(::shape(list), shape);
        QCOMPARE(list.encoding(), encoding);
        QCOMPARE(QString(list.delimiter()), delimiter);
    }

    void limitsHold()   // exactly at the limits is a list
    {
        QByteArray header;
        for (int n = 0; n < MergeList::MaxColumns; ++n)
            header += (n ? "," : "") + QByteArray::number(n);
        QCOMPARE(MergeList::fromBytes(header + "\n").columns().size(), MergeList::MaxColumns);
        QCOMPARE(MergeList::fromBytes("a\n" + QByteArray("1\n").repeated(MergeList::MaxRows)).rowCount(), MergeList::MaxRows);
    }

    void fillsFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filled");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("adjacent fields, both kinds") << "{氏名}｛電話｝{氏名}" << "山田03-1234山田" << QStringList{"氏名", "電話"};
        QTest::newRow("unknown name stays as written") << "{役職} {氏名}" << "{役職} 山田" << QStringList{"役職", "氏名"};
        QTest::newRow("blanks inside the braces") << "{ 氏名　}" << "山田" << QStringList{"氏名"};
        QTest::newRow("an opening brace starts over") << "{{氏名}}" << "{山田}" << QStringList{"氏名"};
        QTest::newRow("value with braces is not filled again") << "{括弧}" << "{氏名}" << QStringList{"括弧"};
    }
    void fillsFields()
    {
        QFETCH(QString, text);
        QFETCH(QString, filled);
        QFETCH(QStringList, names);
        const MergeList list = MergeList::fromBytes(QStringLiteral("氏名,電話,括弧,空\n山田,03-1234,{氏名},\n").toUtf8());
        QCOMPARE(MergeFields::fill(text, MergeFields::rowLookup(list, 0)), filled);
        QCOMPARE(MergeFields::namesIn(text), names);
    }

    void fieldsOfTheCard()
    {
        CardDocument doc;
        addText(doc, QStringLiteral("{氏名} {役職}"));
        addText(doc, QStringLiteral("QR:https://example.jp/staff/{社員番号}"));
        addImage(doc, QStringLiteral("/photos/{社員番号}-{課}.bmp"), {0, 0, 10, 10});
        const MergeList list = MergeList::fromBytes(QStringLiteral("氏名,社員番号\n山田,7\n").toUtf8());
        QCOMPARE(MergeFields::namesOnCard(doc), (QStringList{"氏名", "役職", "社員番号", "課"}));
        QCOMPARE(MergeFields::missingOnCard(doc, list), (QStringList{"役職", "課"}));
    }

    void plansPagesAndCells()
    {
        const auto shown = [](const MergePlan &plan, int page) {   // the row in each cell, -1: empty
            QList<int> rows;
            for (int cell = 0; cell < 8; ++cell)
                rows << plan.rowAt(page, cell);
            return rows;
        };
        const MergePlan card(MergeMode::Card, allRows(3), 3, 8);   // a row's copies side by side
        QCOMPARE(card.pageCount(), qint64(2));
        QCOMPARE(shown(card, 0), (QList<int>{0, 0, 0, 1, 1, 1, 2, 2}));
        QCOMPARE(shown(card, 1), (QList<int>{2, -1, -1, -1, -1, -1, -1, -1}));
        const MergePlan sheet(MergeMode::Sheet, allRows(3), 2, 8);   // each row whole sheets
        QCOMPARE(sheet.pageCount(), qint64(6));
        QCOMPARE(shown(sheet, 1), QList<int>(8, 0));
        QCOMPARE(shown(sheet, 5), QList<int>(8, 2));
        QCOMPARE(shown(sheet, 6), QList<int>(8, -1));
    }

    void selectsRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("problem");
        QTest::newRow("ranges and single rows, in list order, once") << "25, 1-3,2" << QList<int>{0, 1, 2, 24} << "";
        QTest::newRow("past the end") << "1-31" << QList<int>() << "row 31 is past the last row of the list (30)";
        QTest::newRow("row 0") << "0" << QList<int>() << "'0' is no range of rows (rows count from 1)";
        QTest::newRow("huge") << "99999999999" << QList<int>() << "rows are numbers and ranges such as 1-20,25, not '99999999999'";
    }
    void selectsRows()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, rows);
        QFETCH(QString, problem);
        QString told;
        const std::optional<std::vector<int>> chosen = parseRowSelection(text, 30, &told);
        QCOMPARE(told, problem);
        QCOMPARE(chosen ? QList<int>(chosen->begin(), chosen->end()) : QList<int>(), rows);
    }

    // Whatever order the pages are asked for in, each shows its own rows, and
    // each row's card is given once for the page that shows it.
    void mergedSheetShowsEachRowInItsCell_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::newRow("in order") << QList<int>{0, 1};
        QTest::newRow("backwards") << QList<int>{1, 0};
        QTest::newRow("a page again") << QList<int>{0, 0, 1, 1};
        QTest::newRow("back and forth") << QList<int>{0, 1, 0, 1};
    }
    void mergedSheetShowsEachRowInItsCell()
    {
        QFETCH(QList<int>, pages);
        QTemporaryDir dir;
        const QList<QRgb> colours{0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00, 0xffff00ff, 0xff00ffff, 0xff800000, 0xff008000, 0xff000080};
        QByteArray csv = "番号\n";
        for (int n = 0; n < colours.size(); ++n) {
            QVERIFY(SheetImages::solid(QSize(16, 16), colours[n]).save(dir.filePath(QStringLiteral("%1.png").arg(n + 1))));
            csv += QByteArray::number(n + 1) + "\n";
        }
        csv += "404\n";
        const MergeList list = MergeList::fromBytes(csv);
        CardDocument doc;
        addImage(doc, dir.filePath(QStringLiteral("{番号}.png")), {20, 20, 40, 40});
        addImage(doc, dir.filePath(QStringLiteral("{番号}.png")), {100, 20, 40, 40});   // the same picture again
        addText(doc, QStringLiteral("{番号}"), {200, 150, 100, 20});
        // Each row's background picture, and a black rule on every card.
        CardBackground background;
        background.picturePath = dir.filePath(QStringLiteral("{番号}.png"));
        doc.setBackground(background);
        doc.addShape(lineShape(LineDirection::Horizontal, {10, 120}, {300, 120}, 5));
        doc.SetModified(false);

        const MergePlan plan = MergePrinter::planFor(doc, MergeMode::Card, allRows(list.rowCount()), 1);
        QImage page(4960, 7016, QImage::Format_RGB32);   // A4 at 600 dpi
        page.setDotsPerMeterX(23622);
        page.setDotsPerMeterY(23622);
        MergedSheets sheets(doc, list, plan, page);
        std::vector<int> made;
        sheets.setRowCardMade([&](int row, const CardDocument &card, const CardSheet &) {
            QCOMPARE(card.TextBoxes(0)->Caption, row < colours.size() ? QString::number(row + 1) : QStringLiteral("404"));
            made.push_back(row);
        });
        QCOMPARE(sheets.pageCount(), qint64(2));
        const SheetLayout layout(600, 600, 96, 0, 0);
        const auto colourAt = [&](int cell, int left) { return page.pixel(layout.pagePoint(cell % 2, cell / 2, left + 20, 40)); };
        int before = -1;
        for (const int p : pages) {
            page.fill(Qt::white);
            QPainter painter(&page);
            const size_t madeBefore = made.size();
            sheets.drawPage(painter, p);
            painter.end();
            // A page's cards are made once each; those of the page drawn
            // just before are kept.
            std::vector<int> expected;
            for (int row = p * 8; row < std::min(p * 8 + 8, int(list.rowCount())) && p != before; ++row)
                expected.push_back(row);
            std::vector<int> madeNow(made.begin() + qsizetype(madeBefore), made.end());
            std::sort(madeNow.begin(), madeNow.end());
            QCOMPARE(madeNow, expected);
            before = p;
            for (int cell = 0; cell < 8; ++cell) {
                const int row = p * 8 + cell;
                const QRgb expected = row < colours.size() ? colours[row] : 0xffffffff;   // the missing picture and empty cells: white
                QCOMPARE(colourAt(cell, 20), expected);
                QCOMPARE(colourAt(cell, 100), expected);
                // The background between the boxes, the rule on every card shown.
                QCOMPARE(page.pixel(layout.pagePoint(cell % 2, cell / 2, 250, 100)), expected);
                QCOMPARE(page.pixel(layout.pagePoint(cell % 2, cell / 2, 150, 120)),
                         row < colours.size() + 1 ? 0xff000000 : 0xffffffff);
            }
        }
        // The row without its picture is told once, though two boxes wanted it.
        QCOMPARE(sheets.problems().size(), 1);
        QVERIFY(sheets.problems().first().contains(dir.filePath(QStringLiteral("404.png"))));
        // Filling the fields leaves the design as it was.
        QCOMPARE(doc.TextBoxes(0)->Caption, QStringLiteral("{番号}"));
        QVERIFY(!doc.Modified());
    }

    // The back's own fixed pictures print on the back sheet, whichever side
    // the window shows.
    void backSheetTakesTheBacksPictures()
    {
        CardDocument doc;
        const BoxBounds bounds{20, 20, 40, 40};
        const int front = addImage(doc, QStringLiteral("front.png"), bounds);
        doc.setImagePicture(front, SheetImages::solid(QSize(16, 16), 0xffff0000));
        doc.showSide(Side::Back);
        const int back = addImage(doc, QStringLiteral("back.png"), bounds);
        doc.setImagePicture(back, SheetImages::solid(QSize(16, 16), 0xff0000ff));
        doc.showSide(Side::Front);
        const MergeList list = MergeList::fromBytes("a\n1\n");

        QImage page(1240, 1754, QImage::Format_RGB32);   // A4 at 150 dpi
        page.setDotsPerMeterX(5906);
        page.setDotsPerMeterY(5906);
        page.fill(Qt::white);
        MergedSheets sheets(doc, list, MergePrinter::planFor(doc, MergeMode::Card, {0}, 1), page, {},
                            MergedSheets::DefaultPictureCacheKiB, SheetFace{Side::Back, std::nullopt});
        QPainter painter(&page);
        sheets.drawPage(painter, 0);
        painter.end();
        const SheetLayout layout(150, 150, 96, 0, 0);
        QCOMPARE(page.pixel(layout.pagePoint(0, 0, 40, 40)), 0xff0000ffu);
    }

    // Nothing a row's values bring is left off its card without a word: each
    // item cut or left out is listed with the row and why; a picture larger
    // than all the pictures kept between pages still prints.
    void droppedItemsAreListed_data()
    {
        QTest::addColumn<QString>("caption");   // of a text box; empty: an image box
        QTest::addColumn<QString>("path");      // of the image box, in the test's folder
        QTest::addColumn<int>("side");          // of the box
        QTest::addColumn<QString>("value");     // of the field {v} in row 1
        QTest::addColumn<int>("cacheKiB");
        QTest::addColumn<QStringList>("whys");  // one listed problem each
        QTest::addColumn<bool>("inked");        // the box shows something
        const int cache = MergedSheets::DefaultPictureCacheKiB;
        const QString a = QStringLiteral("a");
        QTest::newRow("QR content no symbol holds")
            << "QR:(H){v}" << "" << 200 << a.repeated(1274) << cache << QStringList{Msg::mergeQrLeftOut()} << false;
        QTest::newRow("QR code too large for its box")
            << "QR:{v}" << "" << 40 << a.repeated(300) << cache << QStringList{Msg::mergeQrTooSmall()} << false;
        QTest::newRow("QR code that fits")
            << "QR:{v}" << "" << 200 << "https://example.jp/" << cache << QStringList() << true;
        QTest::newRow("caption cut to what a card holds")
            << "{v}{v}" << "" << 100 << QString(20000, QLatin1Char('x')) << cache
            << QStringList{Msg::mergeTextCut(MaxCardTextLength)} << true;
        QTest::newRow("110 million characters from one row")
            << QStringLiteral("{v}").repeated(1100) << "" << 100 << QString(100000, QLatin1Char('x')) << cache
            << QStringList{Msg::mergeTextCut(MaxCardTextLength)} << true;
        QTest::newRow("picture path too long to name a file")
            << "" << "{v}" << 60 << QString(40000, QLatin1Char('p')) << cache
            << QStringList{Msg::mergePathTooLong(MaxCardTextLength)} << false;
        QTest::newRow("picture larger than the pictures kept")
            << "" << "{v}.png" << 60 << "big" << 1 << QStringList() << true;
    }
    void droppedItemsAreListed()
    {
        QFETCH(QString, caption);
        QFETCH(QString, path);
        QFETCH(int, side);
        QFETCH(QString, value);
        QFETCH(int, cacheKiB);
        QFETCH(QStringList, whys);
        QFETCH(bool, inked);
        QTemporaryDir dir;
        QVERIFY(SheetImages::solid(QSize(64, 64), 0xffff0000).save(dir.filePath(QStringLiteral("big.png"))));
        const MergeList list = MergeList::fromBytes(("v\n" + value + "\n").toUtf8());
        CardDocument doc;
        const BoxBounds bounds{10, 10, side, side};
        if (caption.isEmpty())
            addImage(doc, dir.filePath(path), bounds);
        else
            addText(doc, caption, bounds);

        QImage page(1240, 1754, QImage::Format_RGB32);   // A4 at 150 dpi
        page.setDotsPerMeterX(5906);
        page.setDotsPerMeterY(5906);
        page.fill(Qt::white);
        MergedSheets sheets(doc, list, MergePrinter::planFor(doc, MergeMode::Card, {0}, 1), page, {}, cacheKiB);
        {
            QPainter painter(&page);
            sheets.drawPage(painter, 0);
        }
        QCOMPARE(sheets.problems().size(), whys.size());
        for (qsizetype n = 0; n < whys.size(); ++n) {
            const QString &problem = sheets.problems()[n];
            QVERIFY2(problem.startsWith(QStringLiteral("差し込みデータの 1 行目、")), qPrintable(problem));
            QVERIFY2(problem.endsWith(whys[n]), qPrintable(problem));
        }
        const SheetLayout layout(150, 150, 96, 0, 0);
        const QRect box(layout.pagePoint(0, 0, bounds.Left, bounds.Top),
                        layout.pagePoint(0, 0, bounds.Left + side, bounds.Top + side));
        bool ink = false;
        for (int y = box.top(); y < box.bottom() && !ink; ++y)
            for (int x = box.left(); x < box.right() && !ink; ++x)
                ink = page.pixel(x, y) != 0xffffffff;
        QCOMPARE(ink, inked);
    }

    void pdfEmbedsAFixedPictureOnce()
    {
        QTemporaryDir dir;
        CardDocument doc;
        const int slot = addImage(doc, QStringLiteral("logo.bmp"), {10, 10, 100, 60});
        doc.setImagePicture(slot, SheetImages::solid(QSize(320, 200), 0xff336699));
        addText(doc, QStringLiteral("{氏名} 様"));
        QByteArray csv = "氏名\n";
        for (int n = 0; n < 40; ++n)
            csv += "person " + QByteArray::number(n) + "\n";
        const MergeList list = MergeList::fromBytes(csv);
        const QString path = dir.filePath(QStringLiteral("out.pdf"));
        QString error;
        QStringList warnings;
        QVERIFY2(MergePrinter::writePdf(doc, list, MergePrinter::planFor(doc, MergeMode::Card, allRows(40), 1), SheetJob(),
                                        path, &error, &warnings),
                 qPrintable(error));
        const QByteArray pdf = TestFiles::readFile(path);
        QCOMPARE(pdf.count("/Subtype /Image"), 1);   // one logo for 40 cards
        QCOMPARE(TestFiles::pdfPageCount(pdf), 5);
        QVERIFY(warnings.isEmpty());

        QVERIFY(!MergePrinter::writePdf(doc, list, MergePrinter::planFor(doc, MergeMode::Card, {}, 1), SheetJob(),
                                        dir.filePath(QStringLiteral("none.pdf")), &error, &warnings));
        QCOMPARE(error, QStringLiteral("印刷する行がありません。"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.pdf"))));
    }

    // A merge PDF is drawn in two halves on two threads and joined. It
    // shows, page by page, what one pass draws, says the same of the rows,
    // and embeds a picture shown in both halves once.
    void pdfInHalvesShowsWhatOnePassShows_data()
    {
        QTest::addColumn<MergeMode>("mode");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("twoSided");
        // logo, with alpha, photos (one of two a row), missing, none; typeset: no picture, captions set
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<int>("pages");
        QTest::newRow("card mode, a logo") << MergeMode::Card << 40 << 1 << false << "logo" << 5;
        QTest::newRow("two pages") << MergeMode::Card << 16 << 1 << false << "logo" << 2;
        QTest::newRow("an odd number of pages") << MergeMode::Card << 17 << 1 << false << "logo" << 3;
        QTest::newRow("sheet mode, copies") << MergeMode::Sheet << 3 << 2 << false << "logo" << 6;
        QTest::newRow("two-sided, a logo a side") << MergeMode::Card << 24 << 1 << true << "logo" << 6;
        QTest::newRow("a logo with alpha") << MergeMode::Card << 24 << 1 << false << "with alpha" << 3;
        QTest::newRow("photos of the rows") << MergeMode::Sheet << 4 << 1 << false << "photos" << 4;
        QTest::newRow("a photo missing in both halves") << MergeMode::Sheet << 4 << 1 << false << "missing" << 4;
        QTest::newRow("no picture") << MergeMode::Card << 24 << 1 << false << "none" << 3;
        QTest::newRow("set vertically, spread, narrowed") << MergeMode::Card << 24 << 1 << false << "typeset" << 3;
    }

    void pdfInHalvesShowsWhatOnePassShows()
    {
        QFETCH(MergeMode, mode);
        QFETCH(int, rows);
        QFETCH(int, copies);
        QFETCH(bool, twoSided);
        QFETCH(QString, pictures);
        QFETCH(int, pages);
        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm is not installed");
        QTemporaryDir dir;
        CardDocument doc;
        addText(doc, QStringLiteral("{氏名} 様"));
        if (pictures == QLatin1String("typeset")) {
            addText(doc, QStringLiteral("営業部（第{氏名}課）ー"), {300, 10, 20, 180});
            BoxFont small = doc.TextBoxes(1)->Font;
            small.setHeight(-16);
            doc.setTextFont(1, small);
            TextSetting vertical;
            vertical.vertical = true;
            vertical.align = TextAlign::Justify;
            doc.setTextSetting(1, vertical);
            TextSetting narrowed;
            narrowed.scaleX = 80;
            narrowed.spacing = 100;
            doc.setTextSetting(0, narrowed);
        }
        const BoxBounds logoBounds{200, 10, 100, 60};
        if (pictures == QLatin1String("logo") || pictures == QLatin1String("with alpha")) {
            const int slot = addImage(doc, QStringLiteral("logo.png"), logoBounds);
            doc.setImagePicture(slot, pictures == QLatin1String("logo")
                                          ? SheetImages::noise(QSize(60, 36), 1)
                                          : SheetImages::noise(QSize(60, 36), 1, QImage::Format_ARGB32));
        } else if (pictures == QLatin1String("photos") || pictures == QLatin1String("missing")) {
            for (int n = 0; n < 2; ++n)
                QVERIFY(SheetImages::noise(QSize(40, 40), quint32(n + 7))
                            .save(dir.filePath(QStringLiteral("%1.png").arg(n))));
            addImage(doc, dir.filePath(QStringLiteral("{写真}.png")), logoBounds);
        }
        if (twoSided) {
            doc.showSide(Side::Back);
            addText(doc, QStringLiteral("裏 {氏名}"), {20, 100, 200, 20});
            const int slot = addImage(doc, QStringLiteral("back.png"), logoBounds);
            doc.setImagePicture(slot, SheetImages::noise(QSize(60, 36), 2));
            doc.showSide(Side::Front);
        }
        QByteArray csv = "氏名,写真\n";
        for (int n = 0; n < rows; ++n)
            csv += "person " + QByteArray::number(n) + ","
                   + (pictures == QLatin1String("missing") ? "gone" : QByteArray::number(n % 2)) + "\n";
        const MergeList list = MergeList::fromBytes(csv);
        SheetJob job;
        job.dpi = 150;
        job.sides = SheetSides::of(twoSided ? DuplexMode::LongEdge : DuplexMode::OneSided, {});
        const MergePlan plan = MergePrinter::planFor(doc, mode, allRows(rows), copies);

        QString error;
        QStringList halvesSaid, onePassSaid;
        const QString path = dir.filePath(QStringLiteral("halves.pdf"));
        const std::optional<QByteArray> halves =
            MergePrinter::pdfInHalves(doc, list, plan, job, path, &error, &halvesSaid);
        QVERIFY2(halves, qPrintable(error));
        const auto drawnInOnePass = [&](QPainter &painter, QPagedPaintDevice &device) {
            return MergePrinter::printPages(doc, list, plan, painter, device, job.offset, &onePassSaid, job.sides);
        };
        const std::optional<QByteArray> onePass = SheetPrinter::pdfBytes(job, drawnInOnePass, path, &error);
        QVERIFY2(onePass, qPrintable(error));
        QCOMPARE(halvesSaid, onePassSaid);
        QCOMPARE(halvesSaid.isEmpty(), pictures != QLatin1String("missing"));
        QCOMPARE(halves->count("/Subtype /Image"), onePass->count("/Subtype /Image"));
        QCOMPARE(TestFiles::pdfPageCount(*halves), pages);
        QCOMPARE(TestFiles::pdfPageCount(*onePass), pages);
        const QString onePassPath = dir.filePath(QStringLiteral("one.pdf"));
        QVERIFY(TestFiles::writeFile(path, *halves));
        QVERIFY(TestFiles::writeFile(onePassPath, *onePass));
        for (int page = 1; page <= pages; ++page) {
            const QStringList options{QStringLiteral("-r"),  QStringLiteral("40"), QStringLiteral("-f"),
                                      QString::number(page), QStringLiteral("-l"), QString::number(page)};
            const QImage shown = SheetImages::shownPdfPage(path, options);
            QVERIFY(!shown.isNull());
            QCOMPARE(shown, SheetImages::shownPdfPage(onePassPath, options));
        }
    }

    // Joining halves holds every page in memory: a job of one page, or of
    // more pages than that is worth, is drawn in one pass.
    void longJobsAreDrawnInOnePass()
    {
        CardDocument doc;
        addText(doc, QStringLiteral("{氏名}"));
        const MergeList list = MergeList::fromBytes("氏名\na\n");
        SheetJob twoSided;
        twoSided.sides = SheetSides::of(DuplexMode::LongEdge, {});
        const auto halves = [&](int copies, const SheetJob &job) {
            return MergePrinter::pdfInHalves(doc, list, MergePrinter::planFor(doc, MergeMode::Sheet, {0}, copies), job,
                                             QString(), nullptr, nullptr);
        };
        QVERIFY(!halves(1, SheetJob()));
        QVERIFY(!halves(int(MergePrinter::MaxPagesInHalves) + 1, SheetJob()));
        doc.showSide(Side::Back);
        addText(doc, QStringLiteral("裏"));
        QVERIFY(!halves(int(MergePrinter::MaxPagesInHalves) / 2 + 1, twoSided));
        QVERIFY(halves(2, SheetJob()));
    }
};

QTEST_MAIN(TestMerge)
#include "test_merge.moc"
