// The card file: its number and line rules, reading a card into the document,
// writing it byte for byte, and what happens when the disk or the text fails.
#include "CardFixture.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "cardfile/CardLineReader.h"
#include "files/RegularFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

Q_DECLARE_METATYPE(FontStyles)
Q_DECLARE_METATYPE(BoxFont)

namespace {

using Card = CardFixture;

QStringList leftoverFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".tavelo-save-*")}, QDir::Files | QDir::Hidden);
}

// The card of the example: cut guides on, margins 5 and 10, a bold text box
// in slot 2 and an image box in slot 0.
void buildExampleCard(CardDocument &doc)
{
    doc.setPrintSettings({1, 5, 10});
    doc.AddTextBox();
    doc.AddTextBox();
    QCOMPARE(doc.AddTextBox(), 2);
    doc.DeleteTextBox(0);
    doc.DeleteTextBox(1);
    doc.setTextCaption(2, QStringLiteral("営業部"));
    doc.setTextBounds(2, {20, 30, 120, 30});
    BoxFont font = doc.TextBoxes(2)->Font;
    font.setSize(21, doc.screenPpi());
    font.setStyle(FontStyle::Bold);
    doc.setTextFont(2, font);
    QCOMPARE(doc.AddImageBox(), 0);
    doc.setImagePath(0, QStringLiteral("D:\\cards\\logo.bmp"));
    doc.setImageBounds(0, {250, 10, 64, 64});
}

const QByteArray exampleCardBytes = QByteArrayLiteral(
    "Tavelo DataFile\r\n1\r\n5\r\n10\r\n"
    "#2\r\n\x89\x63\x8b\xc6\x95\x94\r\n20\r\n30\r\n120\r\n30\r\n\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9\r\n21\r\n0\r\nB   \r\n"
    "$0\r\nD:\\cards\\logo.bmp\r\n250\r\n10\r\n64\r\n64\r\n");

} // namespace

class TestCardFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ---- numbers and lines ------------------------------------------------

    void numberRule_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("blanks, sign, zeros") << QByteArray("  -0012") << true << -12;
        QTest::newRow("blank after") << QByteArray("12 ") << false << 0;
        QTest::newRow("largest") << QByteArray("2147483647") << true << INT_MAX;
        QTest::newRow("one too large") << QByteArray("2147483648") << false << 0;
        QTest::newRow("hex lower case, blanks before") << QByteArray("  $ff") << true << 255;
        QTest::newRow("hex beyond 32 bits") << QByteArray("$100000000") << false << 0;
        QTest::newRow("full-width digits") << CodePage932::encode(QStringLiteral("１２")) << false << 0;
    }
    void numberRule()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<std::int32_t> parsed = parseCardInteger(line);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void ioErrors()
    {
        QCOMPARE(ioErrorMessage(ENAMETOOLONG), Msg::invalidFileName());
        QCOMPARE(ioErrorMessage(EIO), QStringLiteral("I/O ｴﾗｰ (5)"));
    }

    void lineRule_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("CR, CR LF, no end") << QByteArray("a\rb\r\nc") << QByteArrayList{"a", "b", "c"};
        QTest::newRow("lone LF is data") << QByteArray("a\nb\r\n") << QByteArrayList{"a\nb"};
        QTest::newRow("Ctrl-Z ends a line and the file") << QByteArray("a\x1A" "b\r\nc\r\n") << QByteArrayList{"a"};
        // A CR LF across the reader's buffer of 64 KiB.
        const QByteArray longLine(65535, 'x');
        QTest::newRow("CR LF split by the buffer") << longLine + "\r\ny\r\n" << QByteArrayList{longLine, "y"};
    }
    void lineRule()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArrayList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lines"));
        QVERIFY(TestFiles::writeFile(path, bytes));
        OpenedFile file = openRegularFile(path);
        QVERIFY(file.ok());
        CardLineReader reader(file.fd.get());
        QByteArrayList read;
        while (!reader.atEnd())
            read << reader.readLine();
        QCOMPARE(read, lines);
        QCOMPARE(reader.readLine(), QByteArray());   // reading at the end gives empty lines
        QVERIFY(reader.atEnd());
    }

    // ---- reading ---------------------------------------------------------

    // The header and the settings. A file without the header is no card and
    // changes nothing; a bad number ends the read where it stands, and what
    // was read stays. The document held {9, 99, 999} before.
    void readsHeaderAndSettings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("infos");
        QTest::addColumn<PrintSettings>("settings");
        QTest::addColumn<int>("textBoxes");
        const PrintSettings untouched{9, 99, 999};
        const QString h = QStringLiteral("Tavelo DataFile");
        const auto card = [](const QByteArray &header) { return header + "\r\n1\r\n2\r\n3\r\n"; };
        const auto settings = [&](const char *name, const QStringList &lines, int guide, int left, int top) {
            QTest::newRow(name) << cardBytes(QStringList{h} + lines) << QString() << QStringList()
                                << PrintSettings{std::uint8_t(guide), left, top} << 0;
        };
        const auto noCard = [&](const char *name, const QByteArray &bytes) {
            QTest::newRow(name) << bytes << QString() << QStringList{Msg::badCardFile()} << untouched << 0;
        };
        const auto badNumber = [&](const char *name, const QByteArray &bytes, const QString &line, PrintSettings read, int boxes) {
            QTest::newRow(name) << bytes << Msg::notAnInteger(line) << QStringList() << read << boxes;
        };
        QTest::newRow("header with text around it") << card(CodePage932::encode(QStringLiteral("旧 Tavelo DataFile 版")))
                                                    << QString() << QStringList() << PrintSettings{1, 2, 3} << 0;
        noCard("header in lower case", card("tavelo datafile"));

        settings("257 keeps 1", {"257", "0", "0"}, 1, 0, 0);
        settings("hex, signs, unchecked margins", {" +1", "$FFFFFFFF", "-2147483648"}, 1, -1, INT_MIN);

        badNumber("top margin", cardBytes({h, "1", "5", "abc"}), "abc", {1, 5, 999}, 0);
        badNumber("file ends after a mark", cardBytes(fixedLines() << "#0"), QString(), {1, 0, 0}, 1);
    }
    void readsHeaderAndSettings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QStringList, infos);
        QFETCH(PrintSettings, settings);
        QFETCH(int, textBoxes);
        Card card;
        card.doc.setPrintSettings({9, 99, 999});
        QCOMPARE(card.loadBytes(bytes), error);
        QCOMPARE(card.doc.printSettings(), settings);
        QCOMPARE(card.doc.textBoxCount(), textBoxes);
        QCOMPARE(card.doc.imageBoxCount(), 0);
        QCOMPARE(card.sink.infos, infos);
        if (!infos.isEmpty())
            QCOMPARE(card.sink.infoButtons.value(0), MsgButtons(MsgButton::Ok));
        QVERIFY(card.sink.errors.isEmpty());
        QVERIFY(!card.doc.Modified());   // a read, even one that ended early, is no change
    }

    // The values of a text record. The bounds run the font–height rule; the
    // size read after them wins. Only the capitals B, I, U and S count in
    // the style field, wherever they stand; an empty font name keeps the
    // default, and a long one is cut to 31 bytes.
    void textRecordValues_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::addColumn<QString>("nameLine");
        QTest::addColumn<QString>("styleLine");
        QTest::addColumn<BoxFont>("font");
        const FontStyles bis = FontStyle::Bold | FontStyle::Italic | FontStyle::StrikeOut;
        const auto row = [](const char *name, int ppi, const QString &nameLine, const QString &styleLine,
                            const QString &fontName, int height, FontStyles style) {
            QTest::newRow(name) << ppi << nameLine << styleLine << BoxFont(fontName, height, int(0x80000012U), style);
        };
        const QString arial = QStringLiteral("Arial");
        row("96 PPI", 96, arial, "B IS", arial, -13, bis);
        row("120 PPI", 120, arial, "B IS", arial, -17, bis);
        row("style in lower case means nothing", 96, arial, "bius", arial, -13, FontStyles());
        row("empty font name keeps the default", 96, QString(), "B IS", QStringLiteral("ＭＳ Ｐ明朝"), -13, bis);
        row("font name cut before a double-byte character", 96, QString(20, QChar(0x660E)), "B IS",
            QString(15, QChar(0x660E)), -13, bis);
    }
    void textRecordValues()
    {
        QFETCH(int, ppi);
        QFETCH(QString, nameLine);
        QFETCH(QString, styleLine);
        QFETCH(BoxFont, font);
        Card card;
        card.doc.setScreenPpi(ppi);
        const QStringList record = textRecord("#5", "株式会社 #1 $2", -7, 300, 210, 40, nameLine, 10, int(0x80000012U), styleLine);
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() << record)), QString());
        const TextBox *box = card.doc.TextBoxes(0);
        QVERIFY(box);
        QCOMPARE(box->Caption, QStringLiteral("株式会社 #1 $2"));
        QCOMPARE(box->bounds, (BoxBounds{-7, 300, 210, 40}));
        QCOMPARE(box->Font, font);
    }

    void markLines()
    {
        Card card;
        const QStringList lines = fixedLines()
                                  << "" << "; a comment" << textRecord("#3", "three") << "x"
                                  << textRecord("#7", "seven") << imageRecord("$4", "") << textRecord("a#b$c", "both marks");
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QCOMPARE(card.doc.textBoxCount(), 3);
        QCOMPARE(card.doc.TextBoxes(0)->Caption, QStringLiteral("three"));
        QCOMPARE(card.doc.TextBoxes(1)->Caption, QStringLiteral("seven"));
        QCOMPARE(card.doc.TextBoxes(1)->Name(), QStringLiteral("box1"));
        QCOMPARE(card.doc.TextBoxes(2)->Caption, QStringLiteral("both marks"));
        QCOMPARE(card.doc.imageBoxCount(), 1);
        QCOMPARE(card.doc.CurrentBox(), BoxRef::text(2));
    }

    // A record without a free slot uses up its mark line only, so a caption
    // that looks like a mark is one more record; the message is shown once.
    void recordBeyondTheSlots()
    {
        QStringList lines = fixedLines();
        for (int i = 0; i < 20; ++i)
            lines << textRecord("#" + QString::number(i), QString::number(i));
        lines << textRecord("#20", "#21") << imageRecord("$0", "");
        Card card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QCOMPARE(card.sink.infos, QStringList{Msg::tooManyBoxes()});
        QCOMPARE(card.doc.textBoxCount(), 20);
        QCOMPARE(card.doc.TextBoxes(19)->Caption, QStringLiteral("19"));
        QCOMPARE(card.doc.imageBoxCount(), 1);   // the image slots are counted apart
        QCOMPARE(card.doc.CurrentBox(), BoxRef::text(19));
    }

    // The pictures load beside the read, but every message comes in the
    // order of the file, a picture's before the error that ends the read;
    // the pictures that load reach their boxes.
    void messageOrder()
    {
        Card card;
        QVERIFY(TestFiles::writeFile(card.path("logo.bmp"), TestFiles::simpleBmp(40, 30)));
        const QString a = card.path("a.bmp"), b = card.path("b.bmp");
        const QStringList records = imageRecord("$0", card.path("logo.bmp")) + imageRecord("$1", a) + imageRecord("$2", b)
                                    + QStringList{"#0", "caption", "12 "};
        card.sink.told << errorBoxText(card.loadBytes(cardBytes(fixedLines() + records)));
        QCOMPARE(card.sink.told, (QStringList{errorBoxText(Msg::cannotOpenFile(a)), errorBoxText(Msg::cannotOpenFile(b)),
                                              errorBoxText(Msg::notAnInteger("12 "))}));
        QVERIFY(!card.doc.ImageBoxes(0)->Picture.isNull());
    }

    // A picture that cannot be loaded (here an endless device) is reported
    // without waiting for it and the read goes on; a box without a picture
    // is read without a message.
    void imageRecords()
    {
        Card card;
        const QString zero = card.path("zero.bmp");
        QCOMPARE(::symlink("/dev/zero", QFile::encodeName(zero).constData()), 0);
        const QStringList lines = fixedLines() << imageRecord("$3", "", -5, 7, 80, 90) << imageRecord("$0", zero)
                                               << textRecord("#0", "after");
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QCOMPARE(card.sink.errors, QStringList{Msg::cannotOpenFile(zero)});
        QVERIFY(card.sink.infos.isEmpty());
        QCOMPARE(card.doc.ImageBoxes(0)->bounds, (BoxBounds{-5, 7, 80, 90}));
        QCOMPARE(card.doc.ImageBoxes(1)->ImagePath, zero);
        QVERIFY(card.doc.ImageBoxes(1)->Picture.isNull());
        QCOMPARE(card.doc.TextBoxes(0)->Caption, QStringLiteral("after"));
    }

    // A picture path holding fields is the design's placeholder: the read
    // loads nothing for it and says nothing; the path stays as written.
    void placeholderPictures_data()
    {
        QTest::addColumn<QString>("path");   // "@" stands for the card's folder
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<bool>("told");
        QTest::newRow("a whole field") << "{写真}" << false << false;
        QTest::newRow("a field in a folder") << "@/{社員番号}-{課}.bmp" << false << false;
        QTest::newRow("full-width braces") << "@/｛写真｝.bmp" << false << false;
        QTest::newRow("a file named with braces is a picture") << "@/logo{1}.bmp" << true << false;
        QTest::newRow("empty braces are no field") << "@/{}.bmp" << false << true;
        QTest::newRow("no field, no file") << "@/none.bmp" << false << true;
    }
    void placeholderPictures()
    {
        QFETCH(QString, path);
        QFETCH(bool, loaded);
        QFETCH(bool, told);
        Card card;
        path.replace(QLatin1Char('@'), card.dir.path());
        QVERIFY(TestFiles::writeFile(card.path("logo{1}.bmp"), TestFiles::simpleBmp(4, 4)));
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() << imageRecord("$0", path) << textRecord("#0", "after"))), QString());
        QCOMPARE(card.sink.told.size(), told ? 1 : 0);
        QCOMPARE(card.doc.ImageBoxes(0)->ImagePath, path);
        QCOMPARE(!card.doc.ImageBoxes(0)->Picture.isNull(), loaded);
        QCOMPARE(card.doc.TextBoxes(0)->Caption, QStringLiteral("after"));
    }

    // Which files cannot be opened at all is the file opener's; these are
    // the messages a card read gives.
    void openFailures()
    {
        Card card;
        QVERIFY(QDir(card.dir.path()).mkdir(QStringLiteral("folder.tvl")));
        QCOMPARE(card.load(card.path("missing.tvl")), Msg::fileNotFound());
        QCOMPARE(card.load(card.path("folder.tvl")), Msg::accessDenied());
        QCOMPARE(::mkfifo(QFile::encodeName(card.path("pipe.tvl")).constData(), 0600), 0);
        QCOMPARE(card.load(card.path("pipe.tvl")), Msg::notRegularFile(card.path("pipe.tvl")));
        QCOMPARE(card.doc.textBoxCount() + card.doc.imageBoxCount(), 0);
        QVERIFY(card.sink.infos.isEmpty());
    }

    // ---- writing ---------------------------------------------------------

    void exampleCardByteForByte()
    {
        Card card;
        buildExampleCard(card.doc);
        QCOMPARE(card.save(card.path()), QString());
        QCOMPARE(TestFiles::readFile(card.path()), exampleCardBytes);
        QVERIFY(card.doc.Modified());   // saving leaves the flag alone

        Card back;
        QCOMPARE(back.load(card.path()), QString());
        const TextBox *box = back.doc.TextBoxes(0);   // the first free slot, not 2
        QVERIFY(box);
        QCOMPARE(box->Font, card.doc.TextBoxes(2)->Font);
        QCOMPARE(back.sink.errors, QStringList{Msg::cannotOpenFile(QStringLiteral("D:\\cards\\logo.bmp"))});
        QCOMPARE(back.sink.picturePaths, QStringList{QStringLiteral("D:\\cards\\logo.bmp")});
    }

    // Styles are written in their places, colours and a guide value from a
    // file as they are kept.
    void writtenValues()
    {
        Card card;
        card.doc.setPrintSettings({200, -3, 0});
        card.doc.AddTextBox();
        BoxFont font = card.doc.TextBoxes(0)->Font;
        font.setStyle(FontStyle::Bold | FontStyle::StrikeOut);
        font.setColor(int(0x80000008U));
        card.doc.setTextFont(0, font);
        QCOMPARE(card.save(card.path()), QString());
        const QByteArray bytes = TestFiles::readFile(card.path());
        QVERIFY(bytes.startsWith("Tavelo DataFile\r\n200\r\n-3\r\n0\r\n#0\r\n\r\n0\r\n0\r\n100\r\n20\r\n"));
        QVERIFY2(bytes.endsWith("\r\n10\r\n-2147483640\r\nB  S\r\n"), bytes.constData());
    }

    // Text that the file cannot hold is refused before anything is written.
    void unstorableText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("box");
        // Any other caption is kept whole in its Caption= line.
        QTest::newRow("half a surrogate pair in a caption") << QStringLiteral("caption") << (QStringLiteral("Tel ") + QChar(0xD83D))
                                                            << QStringLiteral("box1");
        QTest::newRow("hangul in a picture path") << QStringLiteral("path") << QStringLiteral("/home/한/logo.bmp") << QStringLiteral("img0");
    }
    void unstorableText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, box);
        Card card;
        card.doc.AddTextBox();
        card.doc.AddTextBox();
        card.doc.AddImageBox();
        if (field == QLatin1String("caption"))
            card.doc.setTextCaption(1, text);
        else
            card.doc.setImagePath(0, text);
        QVERIFY(TestFiles::writeFile(card.path(), "old card"));
        QCOMPARE(card.save(card.path()), QStringLiteral("refused"));
        QCOMPARE(card.sink.infos, QStringList{Msg::cannotSaveText(box, text)});
        QCOMPARE(card.sink.infoButtons.value(0), MsgButtons(MsgButton::Ok));
        QCOMPARE(TestFiles::readFile(card.path()), QByteArray("old card"));
    }

    // A save that fails leaves the old file as it was and no temporary file.
    void failedSaveKeepsOldFile()
    {
        Card card;
        buildExampleCard(card.doc);
        QVERIFY(QDir(card.dir.path()).mkdir(QStringLiteral("folder.tvl")));
        QVERIFY(TestFiles::writeFile(card.path(), "the old card"));
        QCOMPARE(card.save(card.path("folder.tvl")), Msg::accessDenied());
        QCOMPARE(TestFiles::readFile(card.path()), QByteArray("the old card"));
        QVERIFY(QFileInfo(card.path("folder.tvl")).isDir());
        QCOMPARE(leftoverFiles(card.dir.path()), QStringList());
    }

    void saveKeepsModeAndLinks()
    {
        Card card;
        buildExampleCard(card.doc);
        const QString real = card.path("real.tvl");
        const QString link = card.path("link.tvl");
        QVERIFY(TestFiles::writeFile(real, "old"));
        QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        QCOMPARE(::symlink("real.tvl", QFile::encodeName(link).constData()), 0);
        QCOMPARE(card.save(link), QString());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFiles::readFile(real), exampleCardBytes);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0640);
        QCOMPARE(leftoverFiles(card.dir.path()), QStringList());
    }
};

QTEST_MAIN(TestCardFile)
#include "test_cardfile.moc"
