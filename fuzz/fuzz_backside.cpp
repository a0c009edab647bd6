// The value of a back line from anywhere: the bytes are carried, escaped, in
// a Back= line of a card whose front has one box. Properties: the read is
// never ended by what the line holds, the front is read whole, and the card
// written and read again writes the same bytes.
#include "FuzzCheck.h"
#include "base/MessageSink.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "cardfile/ExtensionLine.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

class QuietSink : public MessageSink
{
public:
    int information(const QString &, MsgButtons) override { return mrOk; }
    void error(const QString &) override {}
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

const QByteArray FrontRecord = QByteArrayLiteral("#0\r\nfront\r\n1\r\n2\r\n100\r\n20\r\nArial\r\n10\r\n0\r\n    \r\n");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("card.tvl"));
    const QByteArray value = ExtensionLine::escape(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    writeFile(path, "Tavelo DataFile\r\n0\r\n0\r\n0\r\nBack=" + value + "\r\n" + FrontRecord);

    QuietSink sink;
    CardDocument doc;
    doc.setMessageSink(&sink);
    LoadCardFile(doc, path);   // throws only for a fault of the front's record
    FUZZ_CHECK(doc.shownSide() == Side::Front);
    FUZZ_CHECK(doc.textBoxCount() == 1 && doc.TextBoxes(0)->Caption == QLatin1String("front"));
    FUZZ_CHECK(doc.side(Side::Back).textBoxCount() + doc.side(Side::Back).imageBoxCount() <= 1);

    const std::optional<QByteArray> bytes = CardFileBytesIfStorable(doc);
    if (!bytes)
        return 0;
    writeFile(path, *bytes);
    CardDocument again;
    again.setMessageSink(&sink);
    LoadCardFile(again, path);
    FUZZ_CHECK(CardFileBytesIfStorable(again) == bytes);
    return 0;
}
