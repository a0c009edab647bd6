// Card files and pictures made to hurt: lines of gigabytes, a million marks,
// numbers at the 32-bit edges, bytes that are no character, pictures that
// are no file. Each is read to an expected end: no crash, no hang, no memory
// that grows with the file, and what can be read is kept.
#include "CardDocument.h"
#include "CardFile.h"
#include "CodePage932.h"
#include "MessageText.h"
#include "Messages.h"
#include "CardFixture.h"
#include "RecordingSink.h"
#include "TaveloError.h"
#include "TestFiles.h"
#include "UniqueFd.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using TestFiles::cardBytes;
using TestFiles::textRecord;

const QByteArray Header = "Tavelo DataFile\r\n";
const QByteArray Settings = "1\r\n0\r\n0\r\n";

// The lines of a text record after its caption.
QByteArray recordAfterCaption(const QByteArray &left = "10", const QByteArray &top = "20", const QByteArray &width = "100",
                              const QByteArray &height = "20", const QByteArray &color = "0")
{
    return left + "\r\n" + top + "\r\n" + width + "\r\n" + height + "\r\nArial\r\n10\r\n" + color + "\r\n    \r\n";
}

QByteArray record(const QByteArray &caption, const QByteArray &left = "10", const QByteArray &top = "20",
                  const QByteArray &width = "100", const QByteArray &height = "20", const QByteArray &color = "0")
{
    return "#0\r\n" + caption + "\r\n" + recordAfterCaption(left, top, width, height, color);
}

using Card = CardFixture;

// The first text box in one line, to compare with what a row expects.
QString firstTextBox(const CardDocument &doc)
{
    const TextBox *box = doc.TextBoxes(0);
    if (!box)
        return QStringLiteral("none");
    const BoxBounds &b = box->bounds;
    return QStringLiteral("%1|%2,%3,%4,%5|%6")
        .arg(box->Caption)
        .arg(b.Left)
        .arg(b.Top)
        .arg(b.Width)
        .arg(b.Height)
        .arg(box->Font.color());
}

// A file of head, then 2^31 zero bytes that take no disk space, then tail.
bool writeSparseFile(const QString &path, const QByteArray &head, const QByteArray &tail)
{
    const off_t gap = off_t(1) << 31;
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    return fd.isOpen() && ::write(fd.get(), head.constData(), size_t(head.size())) == head.size()
        && ::pwrite(fd.get(), tail.constData(), size_t(tail.size()), off_t(head.size()) + gap) == tail.size();
}

long peakMemoryKiB()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A line of 2 GiB is streamed past: only what the card keeps of it is
    // held, so the peak memory hardly moves.
    void gigabyteLines_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("infos");
        QTest::addColumn<int>("textBoxes");
        QTest::newRow("caption keeps its first 32767 characters")
            << Header + Settings + "#0\r\n" << "\r\n" + recordAfterCaption() + record("next") << QString()
            << QStringList{Msg::textCut(MaxCardTextLength)} << 2;
        QTest::newRow("number line is shown cut in the message")
            << Header << QByteArray("\r\n0\r\n0\r\n")
            << Msg::notAnInteger(QString(MaxTextShownInMessage, QChar(0)) + QChar(0x2026)) << QStringList() << 0;
        QTest::newRow("skipped line between records")
            << Header + Settings + record("first") + "; " << "\r\n" + record("second") << QString() << QStringList() << 2;
        QTest::newRow("header found at the end of its line")
            << QByteArray() << "Tavelo DataFile\r\n" + Settings + record("only") << QString() << QStringList() << 1;
    }
    void gigabyteLines()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        QFETCH(QString, error);
        QFETCH(QStringList, infos);
        QFETCH(int, textBoxes);
        Card card;
        QVERIFY(writeSparseFile(card.path(), head, tail));
        const long before = peakMemoryKiB();
        QCOMPARE(card.load(card.path()), error);
        QVERIFY2(peakMemoryKiB() - before < 64 * 1024, qPrintable(QStringLiteral("peak grew by %1 KiB").arg(peakMemoryKiB() - before)));
        QCOMPARE(card.sink.infos, infos);
        QCOMPARE(card.doc.textBoxCount(), textBoxes);
        if (!infos.isEmpty())
            QCOMPARE(card.doc.TextBoxes(0)->Caption, QString(MaxCardTextLength, QChar(0)));
    }

    void hostileCards_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("infos");
        QTest::addColumn<int>("textBoxes");
        QTest::addColumn<QString>("first");   // the first text box: caption|bounds|colour
        QTest::addColumn<bool>("savedAlike");  // saving it again gives the same bytes

        QByteArray twenty = Header + Settings;
        for (int i = 0; i < CardDocument::SlotCount; ++i)
            twenty += record(QByteArray::number(i));
        const QString firstOfTwenty = QStringLiteral("0|10,20,100,20|0");
        QTest::newRow("a million surplus marks, one message")
            << twenty + QByteArray("#\r\n").repeated(1000000) << QString() << QStringList{Msg::tooManyBoxes()} << 20
            << firstOfTwenty << false;
        QTest::newRow("a million lines of neither mark")
            << Header + Settings + QByteArray("x\r\n").repeated(1000000) + record("end") << QString() << QStringList()
            << 1 << QStringLiteral("end|10,20,100,20|0") << false;

        QTest::newRow("bounds at the 32-bit limits")
            << Header + Settings + record("edge", "2147483647", "-2147483648", "  +2147483647", "-2147483648")
            << QString() << QStringList() << 1 << QStringLiteral("edge|2147483647,-2147483648,2147483647,-2147483648|0")
            << false;
        QTest::newRow("width one past the limit")
            << Header + Settings + record("past", "1", "2", "2147483648") << Msg::notAnInteger("2147483648")
            << QStringList() << 1 << QStringLiteral("past|1,2,100,20|0") << false;
        QTest::newRow("height one below the limit")
            << Header + Settings + record("below", "1", "2", "3", "-2147483649") << Msg::notAnInteger("-2147483649")
            << QStringList() << 1 << QStringLiteral("below|1,2,3,20|0") << false;
        QTest::newRow("colour $FFFFFFFF is -1")
            << Header + Settings + record("hex", "1", "2", "3", "4", "$FFFFFFFF") << QString() << QStringList() << 1
            << QStringLiteral("hex|1,2,3,4|-1") << false;

        QTest::newRow("NUL byte in a caption")
            << Header + Settings + record(QByteArray("a\0b", 3)) << QString() << QStringList() << 1
            << QString::fromUtf16(u"a\0b|10,20,100,20|0", 18) << true;
        QTest::newRow("control codes stay what they are")
            << Header + Settings + record("\x1C\x7F\x01") << QString() << QStringList() << 1
            << QString::fromUtf16(u"\x1C\x7F\x01|10,20,100,20|0") << true;

        const QString replaced = QStringLiteral("\uFFFD");
        QTest::newRow("lead byte at the end of a caption")
            << Header + Settings + record("abc\x81") + record("kept") << QString() << QStringList{Msg::unreadableCharacters()}
            << 2 << "abc" + replaced + "|10,20,100,20|0" << false;
        QTest::newRow("lead byte before DEL")
            << Header + Settings + record("\x81\x7F") + record("kept") << QString() << QStringList{Msg::unreadableCharacters()}
            << 2 << replaced + QChar(0x7F) + "|10,20,100,20|0" << false;
        QTest::newRow("bytes that are no character alone")
            << Header + Settings + record("\x80\xA0\xFD") + record("kept") << QString()
            << QStringList{Msg::unreadableCharacters()} << 2 << replaced.repeated(3) + "|10,20,100,20|0" << false;

        QTest::newRow("caption longer than a box holds")
            << Header + Settings + record(QByteArray(MaxCardTextLength + 1, 'x')) + record("kept") << QString()
            << QStringList{Msg::textCut(MaxCardTextLength)} << 2
            << QString(MaxCardTextLength, QLatin1Char('x')) + "|10,20,100,20|0" << false;
        QTest::newRow("double-byte caption cut between characters")
            << Header + Settings + "#0\r\n" + CodePage932::encode(QString(MaxCardTextLength + 1, QChar(0x540D))) + "\r\n"
                   + recordAfterCaption()
            << QString() << QStringList{Msg::textCut(MaxCardTextLength)} << 1
            << QString(MaxCardTextLength, QChar(0x540D)) + "|10,20,100,20|0" << false;
    }
    void hostileCards()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QStringList, infos);
        QFETCH(int, textBoxes);
        QFETCH(QString, first);
        QFETCH(bool, savedAlike);
        Card card;
        QCOMPARE(card.loadBytes(bytes), error);
        QCOMPARE(card.sink.infos, infos);
        QCOMPARE(card.doc.textBoxCount(), textBoxes);
        QCOMPARE(firstTextBox(card.doc), first);
        if (savedAlike) {
            QCOMPARE(WriteCardFile(card.doc, card.path(QStringLiteral("again.tvl"))), true);
            QCOMPARE(TestFiles::readFile(card.path(QStringLiteral("again.tvl"))), bytes);
        }
    }

    // A picture that is not one is reported, without waiting for it, and
    // the rest of the card is read.
    void hostilePictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QSize>("size");
        QTest::newRow("claims 100000 x 100000 pixels") << QStringLiteral("huge.bmp") << Msg::invalidBitmap() << QSize();
        QTest::newRow("palette index out of range is black") << QStringLiteral("index.bmp") << QString() << QSize(2, 1);
        QTest::newRow("folder") << QStringLiteral("folder.bmp") << Msg::cannotOpenFile("@/folder.bmp") << QSize();
        QTest::newRow("FIFO without a writer") << QStringLiteral("fifo.bmp") << Msg::cannotOpenFile("@/fifo.bmp") << QSize();
        QTest::newRow("symbolic link loop") << QStringLiteral("loop.bmp") << Msg::cannotOpenFile("@/loop.bmp") << QSize();
        QTest::newRow("endless device") << QStringLiteral("zero.bmp") << Msg::cannotOpenFile("@/zero.bmp") << QSize();
    }
    void hostilePictures()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QFETCH(QSize, size);
        Card card;
        const QDir dir(card.dir.path());
        QVERIFY(TestFiles::writeFile(card.path("huge.bmp"), TestFiles::makeBmp(TestFiles::BmpLayout()).replace(18, 8, QByteArray("\xA0\x86\x01\0\xA0\x86\x01\0", 8))));
        TestFiles::BmpLayout indexed;
        indexed.width = 2;
        indexed.bitCount = 8;
        indexed.palette = {qRgb(255, 0, 0)};
        indexed.colorsUsed = 1;
        indexed.pixel = [](int x, int) { return x == 0 ? 0U : 200U; };
        QVERIFY(TestFiles::writeFile(card.path("index.bmp"), TestFiles::makeBmp(indexed)));
        QVERIFY(dir.mkdir(QStringLiteral("folder.bmp")));
        QCOMPARE(::mkfifo(QFile::encodeName(card.path("fifo.bmp")).constData(), 0600), 0);
        QCOMPARE(::symlink("loop.bmp", QFile::encodeName(card.path("loop.bmp")).constData()), 0);
        QCOMPARE(::symlink("/dev/zero", QFile::encodeName(card.path("zero.bmp")).constData()), 0);

        const QString path = card.path(name);
        const QByteArray bytes = cardBytes(QStringList{QStringLiteral("Tavelo DataFile"), "1", "0", "0", "$0", path, "1", "2", "3", "4"}
                                           << textRecord("#0", "after"));
        QCOMPARE(card.loadBytes(bytes), QString());
        QCOMPARE(card.sink.errors, error.isEmpty() ? QStringList() : QStringList{QString(error).replace('@', card.dir.path())});
        const MoveImageRecord *image = card.doc.ImageBoxes(0);
        QVERIFY(image);
        QCOMPARE(image->ImagePath, path);
        QCOMPARE(image->Picture.size(), size.isValid() ? size : QSize(0, 0));
        if (size.isValid()) {
            QCOMPARE(image->Picture.pixel(0, 0), qRgb(255, 0, 0));
            QCOMPARE(image->Picture.pixel(1, 0), qRgb(0, 0, 0));
        }
        QCOMPARE(card.doc.TextBoxes(0)->Caption, QStringLiteral("after"));
    }

    // Code page 932 as the system has it: control codes map to themselves
    // (so a caption's U+001C never becomes Ctrl-Z, the end of a card file),
    // and a byte sequence without a character becomes U+FFFD and is told.
    void codePage932_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("Ctrl-Z, FS and DEL") << QByteArray("\x1A\x1C\x7F") << QString::fromUtf16(u"\x1A\x1C\x7F") << true;
        QTest::newRow("control code between kanji") << QByteArray("\x96\xBC\x1C\x8E\x68") << QString::fromUtf16(u"名\x1C刺") << true;
        QTest::newRow("lone lead byte at the end") << QByteArray("a\x81") << QString::fromUtf16(u"a\xFFFD") << false;
        QTest::newRow("lead byte before a control code") << QByteArray("\x81\x1C") << QString::fromUtf16(u"\xFFFD\x1C") << false;
        QTest::newRow("no character and a real Ctrl-Z") << QByteArray("\xFF\x1A") << QString::fromUtf16(u"\xFFFD\x1A") << false;
    }
    void codePage932()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const CodePage932::Decoded decoded = CodePage932::decode(bytes);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.valid, valid);
        if (valid) {
            bool ok = false;
            QCOMPARE(CodePage932::encode(text, &ok), bytes);
            QVERIFY(ok);
        }
    }
};

QTEST_GUILESS_MAIN(TestHostileInput)
#include "test_hostileinput.moc"
