// A box from the clipboard: whatever is read back, copied again, must read
// back as the same box.
#include "FuzzCheck.h"
#include "base/MessageSink.h"
#include "base/TaveloError.h"
#include "editing/BoxClipboard.h"

namespace {

class QuietSink : public MessageSink
{
public:
    int information(const QString &, MsgButtons) override { return mrOk; }
    void error(const QString &) override {}
};

bool sameBox(const ClipBox &a, const ClipBox &b)
{
    if (a.text && b.text)
        return a.text->bounds == b.text->bounds && a.text->Caption == b.text->Caption && a.text->Font == b.text->Font;
    if (a.image && b.image)
        return a.image->bounds == b.image->bounds && a.image->ImagePath == b.image->ImagePath;
    if (a.shape && b.shape)
        return *a.shape == *b.shape;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QuietSink sink;
    std::optional<ClipBox> box;
    try {
        box = BoxClipboard::decodeBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), 96, &sink);
    } catch (const TaveloError &) {
        return 0;
    }
    if (!box)
        return 0;
    CardDocument doc;
    doc.setMessageSink(&sink);
    if (box->text)
        doc.restoreTextBox(0, box->text);
    else if (box->image)
        doc.restoreImageBox(0, box->image);
    else
        doc.restoreShapes({*box->shape});
    const BoxRef ref = box->text ? BoxRef::text(0) : box->image ? BoxRef::image(0) : BoxRef::shape(0);
    const std::optional<QByteArray> again = BoxClipboard::encodeBytes(doc, ref);
    if (!again)
        return 0;   // text the card file cannot store (a NUL, say)
    const std::optional<ClipBox> back = BoxClipboard::decodeBytes(*again, 96, &sink);
    FUZZ_CHECK(back && sameBox(*box, *back));
    return 0;
}
