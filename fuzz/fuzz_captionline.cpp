// A text box's "Caption=" line after its record: whatever the line holds, the
// box ends up with its record's caption or with a caption the record stands
// for, and the card then saved reads back as the same caption.
#include "FuzzCheck.h"
#include "base/MessageSink.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

class QuietSink : public MessageSink
{
public:
    int information(const QString &, MsgButtons) override { return mrOk; }
    void error(const QString &) override {}
};

QString readCaption(const QByteArray &card)
{
    const int fd = memfd_create("fuzz-caption", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, card.constData(), size_t(card.size())) == ssize_t(card.size()));
    FUZZ_CHECK(::lseek(fd, 0, SEEK_SET) == 0);
    QuietSink sink;
    CardDocument doc;
    doc.setMessageSink(&sink);
    LoadCardStream(doc, fd);
    ::close(fd);
    const TextBox *box = doc.TextBoxes(0);
    FUZZ_CHECK(box);
    return box->Caption;
}

} // namespace

// The input: a record's caption line, a CR, then the value of the line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cr = bytes.indexOf('\r');
    const QByteArray record = cr < 0 ? QByteArray("a") : bytes.left(cr);
    const QByteArray value = cr < 0 ? bytes : bytes.mid(cr + 1);
    // A line with a record mark starts a record: no property line.
    if (record.contains('\x1a') || value.contains('\r') || value.contains('\x1a') || value.contains('#') || value.contains('$'))
        return 0;
    const QByteArray card = "Tavelo DataFile\r\n0\r\n0\r\n0\r\n#0\r\n" + record
                            + "\r\n0\r\n0\r\n100\r\n20\r\nIPAMincho\r\n10\r\n0\r\n    \r\nCaption=" + value + "\r\n";
    const QString caption = readCaption(card);
    FUZZ_CHECK(caption.isValidUtf16());
    FUZZ_CHECK(caption.size() <= MaxCardTextLength);

    // Saved and read again, the caption is the same.
    QuietSink sink;
    CardDocument doc;
    doc.setMessageSink(&sink);
    doc.AddTextBox();
    doc.setTextCaption(0, caption);
    const std::optional<QByteArray> saved = CardFileBytes(doc);
    FUZZ_CHECK(saved);
    FUZZ_CHECK(readCaption(*saved) == caption);
    return 0;
}
