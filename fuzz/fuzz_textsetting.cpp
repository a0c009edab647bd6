// A text box's setting lines from anywhere: the first line is the caption,
// the others stand after the box's record. Properties: what is read is a
// setting the card can store; written and read again it is the same setting
// and the same bytes; the caption laid out with it ends at a finite place.
#include "FuzzCheck.h"
#include "base/MessageSink.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "editing/BoxClipboard.h"
#include "text/CaptionLayout.h"

#include <QFont>
#include <QGuiApplication>

#include <cmath>
#include <cstdint>
#include <memory>

namespace {

class QuietSink : public MessageSink
{
public:
    int information(const QString &, MsgButtons) override { return mrOk; }
    void error(const QString &) override {}
};

// Fonts need the application object; the offscreen platform needs no display.
void needApplication()
{
    static std::unique_ptr<QGuiApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_textsetting";
        static char *argv[] = {name, nullptr};
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}

// Caption-long at most: layouts of long captions are the layout's own cost.
constexpr qsizetype MaxCaption = 256;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    needApplication();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> lines = bytes.split('\n');
    const QString caption = QString::fromUtf8(lines.takeFirst()).left(MaxCaption);

    QByteArray card = "Tavelo DataFile\r\n1\r\n0\r\n0\r\n#0\r\nA\r\n0\r\n0\r\n42\r\n300\r\nIPAMincho\r\n10\r\n0\r\n    \r\n";
    for (const QByteArray &line : lines)
        card += line + "\r\n";
    QuietSink sink;
    std::optional<ClipBox> read;
    try {
        read = BoxClipboard::decodeBytes(card, 96, &sink);
    } catch (const TaveloError &) {
        return 0;   // a number line the reader refuses ends the read, as Open does
    }
    if (!read || !read->text)
        return 0;
    const TextSetting setting = read->text->Setting;
    FUZZ_CHECK(setting.isValid());

    CardDocument doc;
    doc.setMessageSink(&sink);
    doc.restoreTextBox(0, *read->text);
    const std::optional<QByteArray> written = CardFileBytes(doc);
    FUZZ_CHECK(written);
    const std::optional<ClipBox> again = BoxClipboard::decodeBytes(*written, 96, &sink);
    FUZZ_CHECK(again && again->text);
    FUZZ_CHECK(again->text->Setting.vertical == setting.vertical && again->text->Setting.align == setting.align
               && again->text->Setting.scaleX == setting.scaleX && again->text->Setting.scaleY == setting.scaleY
               && again->text->Setting.spacing == setting.spacing);
    FUZZ_CHECK(!setting.vertical || again->text->Setting.tcy == setting.tcy);
    CardDocument twice;
    twice.restoreTextBox(0, *again->text);
    FUZZ_CHECK(CardFileBytes(twice) == written);

    QFont font(QStringLiteral("IPAMincho"));
    font.setPixelSize(24);
    const CaptionLayout laid = CaptionLayout::lay(caption, font, setting, QSizeF(300, 42));
    FUZZ_CHECK(std::isfinite(laid.lineEnd()));
    return 0;
}
