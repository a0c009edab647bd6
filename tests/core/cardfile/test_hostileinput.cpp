// Card files made to hurt: lines of gigabytes, a million marks, bytes that
// are no character. Each is read to an expected end: no crash, no hang, no
// memory that grows with the file, and what can be read is kept.
#include "CardFixture.h"
#include "RecordingSink.h"
#include "TestFiles.h"
#include "base/CodePage932.h"
#include "base/MessageText.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/BoxFont.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "files/UniqueFd.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>

namespace {

const QByteArray Header = "Tavelo DataFile\r\n";
const QByteArray Settings = "1\r\n0\r\n0\r\n";

// A text record at 10, 20, 100 × 20 in black, without and with its mark and caption.
const QByteArray RecordAfterCaption = "10\r\n20\r\n100\r\n20\r\nArial\r\n10\r\n0\r\n    \r\n";

QByteArray record(const QByteArray &caption)
{
    return "#0\r\n" + caption + "\r\n" + RecordAfterCaption;
}

using Card = CardFixture;

// The first text box in one line, to compare with what a row expects.
QString firstTextBox(const CardDocument &doc)
{
    const TextBox *box = doc.TextBoxes(0);
    if (!box)
        return QStringLiteral("none");
    const BoxBounds &b = box->bounds;
    return QStringLiteral("%1|%2,%3,%4,%5|%6").arg(box->Caption).arg(b.Left).arg(b.Top).arg(b.Width).arg(b.Height).arg(box->Font.color());
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
            << Header + Settings + "#0\r\n" << "\r\n" + RecordAfterCaption + record("next") << QString()
            << QStringList{Msg::textCut(MaxCardTextLength)} << 2;
        QTest::newRow("number line is shown cut in the message")
            << Header << QByteArray("\r\n0\r\n0\r\n")
            << Msg::notAnInteger(QString(MaxTextShownInMessage, QChar(0)) + QChar(0x2026)) << QStringList() << 0;
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

        QTest::newRow("NUL byte in a caption")
            << Header + Settings + record(QByteArray("a\0b", 3)) << QString() << QStringList() << 1
            << QString::fromUtf16(u"a\0b|10,20,100,20|0", 18) << true;
        const QString replaced = QStringLiteral("\uFFFD");
        QTest::newRow("lead byte at the end of a caption, no character in the next, told once")
            << Header + Settings + record("abc\x81") + record("\xFF\xFF") + record("kept") << QString()
            << QStringList{Msg::unreadableCharacters()} << 3 << "abc" + replaced + "|10,20,100,20|0" << false;
        QTest::newRow("double-byte caption cut between characters")
            << Header + Settings + "#0\r\n" + CodePage932::encode(QString(MaxCardTextLength + 1, QChar(0x540D))) + "\r\n"
                   + RecordAfterCaption
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
        QVERIFY(!card.doc.Modified());
        // Text that came in as U+FFFD is saved as it now reads (the record
        // holds 〓, its Caption= line U+FFFD): read again, it is the same.
        if (infos.contains(Msg::unreadableCharacters())) {
            QCOMPARE(card.save(card.path(QStringLiteral("again.tvl"))), QString());
            Card again;
            QCOMPARE(again.load(card.path(QStringLiteral("again.tvl"))), QString());
            QVERIFY(again.sink.infos.isEmpty());
            QCOMPARE(firstTextBox(again.doc), first);
        }
        if (savedAlike) {
            QCOMPARE(WriteCardFile(card.doc, card.path(QStringLiteral("again.tvl"))), true);
            QCOMPARE(TestFiles::readFile(card.path(QStringLiteral("again.tvl"))), bytes);
        }
    }

    // Control codes map to themselves, so a caption's U+001C never becomes
    // Ctrl-Z, the end of a card file; a lone lead byte becomes U+FFFD.
    void codePage932()
    {
        const QByteArray bytes("\x96\xBC\x1C\x8E\x68");
        QCOMPARE(CodePage932::decode(bytes).text, QString::fromUtf16(u"名\x1C刺"));
        QCOMPARE(CodePage932::encode(QString::fromUtf16(u"名\x1C刺")), bytes);
        const CodePage932::Decoded cut = CodePage932::decode("a\x81");
        QCOMPARE(cut.text, QString::fromUtf16(u"a\xFFFD"));
        QVERIFY(!cut.valid);
    }

    // Conversions one after another, as a read makes them: a text with no
    // character for some bytes, or one that cannot be written, must not make
    // the texts after it look faulty too.
    void codePage932InTurn_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const QString meishi = QString::fromUtf16(u"名刺");
        QTest::newRow("after a byte with no character")
            << QByteArray("\xA0") << QByteArray("\x96\xBC\x8E\x68") << meishi << true;
        QTest::newRow("after a lone lead byte")
            << QByteArray("a\x81") << QByteArray("\x96\xBC\x8E\x68") << meishi << true;
        QTest::newRow("after a good text")
            << QByteArray("ok") << QByteArray("\x96\xBC\xA0") << QString::fromUtf16(u"名\xFFFD") << false;
        QTest::newRow("a lead byte before the end of a text")
            << QByteArray("\x96") << QByteArray("\xBC") << QString::fromUtf16(u"\xFF7C") << true;
    }

    void codePage932InTurn()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        (void)CodePage932::decode(before);
        const CodePage932::Decoded decoded = CodePage932::decode(bytes);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.valid, valid);

        bool ok = true;
        (void)CodePage932::encode(QString::fromUtf16(u"𠮷 ☎"), &ok);
        QVERIFY(!ok);
        QCOMPARE(CodePage932::encode(QString::fromUtf16(u"名刺"), &ok), QByteArray("\x96\xBC\x8E\x68"));
        QVERIFY(ok);
        (void)CodePage932::encode(QString(QChar(0xD842)), &ok);
        QVERIFY(!ok);
        QCOMPARE(CodePage932::encode(QStringLiteral("a"), &ok), QByteArray("a"));
        QVERIFY(ok);
    }

    // A face name is kept to its first 31 bytes, never half a character.
    void faceNameBytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kept");
        const QString a31(31, QLatin1Char('a'));
        const QString a15(15, QChar(0x3042));
        QTest::newRow("a usual name") << QString::fromUtf16(u"ＭＳ Ｐ明朝") << QString::fromUtf16(u"ＭＳ Ｐ明朝");
        QTest::newRow("31 single bytes") << a31 << a31;
        QTest::newRow("32 single bytes") << a31 + QLatin1Char('b') << a31;
        QTest::newRow("a double byte across the limit")
            << QLatin1Char('x') + a15 + QChar(0x3044) << QLatin1Char('x') + a15;
        QTest::newRow("16 double bytes") << a15 + QChar(0x3044) << a15;
        QTest::newRow("a character with no code: its stand-in counts") << a31.left(30) + QChar(0x260E) << a31.left(30);
        QTest::newRow("half a pair at the end counts nothing") << a31 + QChar(0xD842) << a31 + QChar(0xD842);
    }

    void faceNameBytes()
    {
        QFETCH(QString, name);
        QFETCH(QString, kept);
        QCOMPARE(CodePage932::truncateToBytes(name, BoxFont::MaxNameBytes), kept);
    }
};

QTEST_GUILESS_MAIN(TestHostileInput)
#include "test_hostileinput.moc"
