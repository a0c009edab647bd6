// The faces that draw what a box's face lacks: which face draws a character,
// which characters no face draws, and a name outside code page 932 printed
// with its own glyph on a raster page and embedded in a PDF.
#include "SheetImages.h"
#include "TestFiles.h"
#include "card/CardDocument.h"
#include "sheet/FaceFallback.h"
#include "sheet/FontMapping.h"
#include "sheet/SheetPrinter.h"

#include <QFontDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Mincho = QStringLiteral("ＭＳ 明朝");
const QString Gothic = QStringLiteral("ＭＳ Ｐゴシック");
constexpr char32_t Yoshi = 0x20BB7;   // 𠮷, the "tsuchi-yoshi" of many family names
constexpr char32_t NoGlyph = 0x10FFFD;   // private use: no installed face has it

QString text(std::initializer_list<char32_t> characters)
{
    const std::vector<char32_t> v(characters);
    return QString::fromUcs4(v.data(), qsizetype(v.size()));
}

QFont boxFont(const QString &face, std::int32_t height = -40)
{
    return FontMapping::toQFont(BoxFont(face, height));
}

// Text and what a PDF reader makes of it.
QString runTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(tool), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("%1 failed").arg(tool);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestFaceFallback : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        FontMapping::installFaceSubstitutions();
        // scripts/install-deps.sh installs it; without it names print as boxes.
        QVERIFY2(QFontDatabase::hasFamily(QStringLiteral("IPAmjMincho")), "fonts-ipamj-mincho is not installed");
    }

    void faceForCharacter_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<uint>("character");
        QTest::addColumn<QString>("drawnBy");   // empty: no face

        QTest::newRow("kanji in the box's face") << Mincho << uint(U'田') << QStringLiteral("IPAMincho");
        QTest::newRow("kana in a gothic face") << Gothic << uint(U'あ') << QStringLiteral("IPAPGothic");
        QTest::newRow("name character from the registry face") << Mincho << uint(Yoshi) << QStringLiteral("IPAmjMincho");
        QTest::newRow("registry character in a gothic box") << Gothic << uint(U'髙') << QStringLiteral("IPAPGothic");
        QTest::newRow("surrogate name in a gothic box") << Gothic << uint(Yoshi) << QStringLiteral("*");
        QTest::newRow("telephone sign from some face") << Mincho << uint(U'☎') << QStringLiteral("*");
        QTest::newRow("private use, no face") << Mincho << uint(NoGlyph) << QString();
        QTest::newRow("unassigned, no face") << Mincho << uint(0x0378) << QString();
        QTest::newRow("a space draws nothing") << Mincho << uint(U' ') << QString();
    }

    void faceForCharacter()
    {
        QFETCH(QString, face);
        QFETCH(uint, character);
        QFETCH(QString, drawnBy);
        const QRawFont raw = FaceFallback::rawFontFor(boxFont(face), char32_t(character));
        if (drawnBy.isEmpty()) {
            QVERIFY2(!raw.isValid(), qPrintable(raw.familyName()));
            return;
        }
        QVERIFY(raw.isValid());
        QVERIFY(raw.supportsCharacter(char32_t(character)));
        if (drawnBy != QLatin1String("*"))
            QCOMPARE(raw.familyName().toLower(), drawnBy.toLower());
        // The box's size, so a layout can place the glyph as it is.
        QCOMPARE(qRound(raw.pixelSize()), 40);
    }

    void chainFollowsTheFace()
    {
        const QStringList mincho = FaceFallback::familiesFor(Mincho);
        QCOMPARE(mincho.constFirst(), Mincho);
        QVERIFY(mincho.contains(QStringLiteral("IPAmjMincho")));
        QCOMPARE(FaceFallback::chainFor(QStringLiteral("IPAmjMincho")).count(QStringLiteral("IPAmjMincho")), 0);
        // Every box font carries the chain: the screen, preview and printers
        // all take their fonts from here.
        QCOMPARE(boxFont(Mincho).families(), mincho);
        QCOMPARE(boxFont(Mincho).family(), Mincho);
    }

    void missingCharacters_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<uint>>("missing");

        QTest::newRow("plain name") << QStringLiteral("山田 太郎") << QList<uint>{};
        QTest::newRow("name and telephone") << QStringLiteral("𠮷田 太郎 ☎ 03-1234-5678") << QList<uint>{};
        QTest::newRow("registry variants") << QStringLiteral("髙橋 﨑山 德永") << QList<uint>{};
        QTest::newRow("one missing, told once") << (QStringLiteral("a") + text({NoGlyph}) + QStringLiteral("b") + text({NoGlyph}))
                                                << QList<uint>{uint(NoGlyph)};
        QTest::newRow("in order of appearance") << (text({0x0378}) + QStringLiteral("𠮷") + text({NoGlyph}))
                                                << QList<uint>{0x0378, uint(NoGlyph)};
        QTest::newRow("controls and spaces") << QStringLiteral("a\tb\u3000c\u200b") << QList<uint>{};
    }

    void missingCharacters()
    {
        QFETCH(QString, caption);
        QFETCH(QList<uint>, missing);
        QList<uint> found;
        for (const char32_t c : FaceFallback::missingCharacters(boxFont(Mincho), caption))
            found << uint(c);
        QCOMPARE(found, missing);
    }

    // Drawn on a page, the registry character is a glyph of its own: neither
    // the missing-glyph box nor nothing.
    void rasterDrawsTheGlyph()
    {
        auto sheetWith = [](const QString &caption) {
            CardDocument doc;
            doc.setPrintSettings({0, 0, 0});
            const int slot = doc.AddTextBox();
            doc.setTextBounds(slot, {10, 10, 200, 40});
            doc.setTextCaption(slot, caption);
            doc.setTextFont(slot, BoxFont(Mincho, -30));
            return SheetImages::drawnSheet(doc, QSize(600, 400), 72);
        };
        const QImage yoshi = sheetWith(QStringLiteral("𠮷"));
        const QImage box = sheetWith(text({NoGlyph}));
        const QImage blank = sheetWith(QString());
        QVERIFY(yoshi != box);
        QVERIFY(yoshi != blank);
    }

    // A PDF embeds the registry face with the name's glyph: alone on a card,
    // the name is drawn in that face only, and a reader shows it.
    void pdfEmbedsTheFallbackFace_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("faces");
        QTest::addColumn<QString>("text");   // what a reader finds on the page, each card
        QTest::newRow("the whole line") << QStringLiteral("𠮷田 太郎 ☎ 03-1234-5678")
                                        << QStringList{QStringLiteral("IPAmjMincho"), QStringLiteral("IPAMincho")}
                                        << QStringLiteral("田 太郎 ☎ 03-1234-5678");
        QTest::newRow("the name character alone") << QStringLiteral("𠮷") << QStringList{QStringLiteral("IPAmjMincho")}
                                                  << QString();
    }

    void pdfEmbedsTheFallbackFace()
    {
        QFETCH(QString, caption);
        QFETCH(QStringList, faces);
        QFETCH(QString, text);
        if (QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty() || !SheetImages::pdfReaderInstalled())
            QSKIP("poppler-utils is not installed");
        QTemporaryDir dir;
        CardDocument doc;
        doc.setPrintSettings({0, 0, 0});
        const int slot = doc.AddTextBox();
        doc.setTextBounds(slot, {10, 10, 300, 20});
        doc.setTextCaption(slot, caption);
        doc.setTextFont(slot, BoxFont(Mincho, -13));
        const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
        QString error;
        QVERIFY2(SheetPrinter::writePdf(doc, {1, 300, QPageSize(QPageSize::A4), {}}, pdf, &error), qPrintable(error));

        QStringList embedded;
        for (const QString &line : runTool(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n')).mid(2)) {
            const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (columns.size() > 4 && columns.at(columns.size() - 5) == QLatin1String("yes"))
                embedded << columns.constFirst().section(QLatin1Char('+'), -1);
        }
        QCOMPARE(embedded, faces);

        // Qt's PDF writer maps no character beyond the basic plane back to
        // text, so a reader finds the rest of the line only.
        if (!text.isEmpty()) {
            const QString shown = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            QCOMPARE(shown.count(text), 8);
        }
        const QImage page = SheetImages::shownPdfPage(pdf, {QStringLiteral("-r"), QStringLiteral("72")});
        QVERIFY(!page.isNull());
        QVERIFY(SheetImages::pixelCount(page, 0xffffffff) < page.width() * page.height());
    }
};

QTEST_MAIN(TestFaceFallback)
#include "test_facefallback.moc"
