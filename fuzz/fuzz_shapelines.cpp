// The card file's shape and background values: whatever a shape line
// accepts is a shape within its ranges that writes back, without a record
// mark, to a value that reads as the same shape; a card whose property
// lines are the input reads without fault and saves to bytes that read back
// to the same shapes and background.
#include "FuzzCheck.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "cardfile/ShapeLines.h"

#include <QTemporaryDir>

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray value(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<CardShape> shape = ShapeLines::parseShape(value)) {
        FUZZ_CHECK(shape->normalized() == *shape);
        const QByteArray written = ShapeLines::formatShape(*shape);
        FUZZ_CHECK(!written.contains('#') && !written.contains('$'));
        // Numbers may be read in more than one spelling ("00"); the one
        // written reads back to the same shape.
        FUZZ_CHECK(ShapeLines::parseShape(written) == shape);
    }
    ShapeLines::parseColor(value);

    // The input as the card's property lines, after a header.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.tvl"));
    QByteArray card = "Tavelo DataFile\r\n0\r\n0\r\n0\r\n" + value;
    card.replace('#', ' ').replace('$', ' ');
    FILE *file = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!file)
        return 0;
    std::fwrite(card.constData(), 1, size_t(card.size()), file);
    std::fclose(file);
    CardDocument doc;
    try {
        LoadCardFile(doc, path);
    } catch (...) {
        return 0;
    }
    for (const Side side : {Side::Front, Side::Back})
        FUZZ_CHECK(doc.side(side).shapes.size() <= CardSide::MaxShapes);
    const std::optional<QByteArray> bytes = CardFileBytesIfStorable(doc);
    FUZZ_CHECK(bytes.has_value());
    FILE *again = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!again)
        return 0;
    std::fwrite(bytes->constData(), 1, size_t(bytes->size()), again);
    std::fclose(again);
    CardDocument reread;
    LoadCardFile(reread, path);
    for (const Side side : {Side::Front, Side::Back}) {
        FUZZ_CHECK(reread.side(side).shapes == doc.side(side).shapes);
        FUZZ_CHECK(reread.side(side).background.color == doc.side(side).background.color);
        FUZZ_CHECK(reread.side(side).background.picturePath == doc.side(side).background.picturePath);
    }
    return 0;
}
