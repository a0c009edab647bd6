// The card's own extension lines, written after the three settings lines.
#include "cardfile/ExtensionKeys.h"

#include "base/MessageText.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "card/PaperLayout.h"
#include "cardfile/CardFile.h"
#include "cardfile/CardRecords.h"
#include "cardfile/ExtensionLine.h"
#include "cardfile/ShapeLines.h"

#include <utility>

namespace {

using ExtensionKeys::Read;

Read readLayout(CardDocument &doc, const QByteArray &value)
{
    const std::optional<PaperLayout> layout = PaperLayoutLine::parse(PaperLayoutLine::Prefix + value);
    if (!layout)
        return Read::Bad;
    PrintSettings settings = doc.printSettings();
    settings.Layout = *layout;
    doc.setPrintSettings(settings);
    return Read::Applied;
}

QByteArray writeLayout(const CardDocument &doc)
{
    // The standard sheet has no line.
    return PaperLayoutLine::format(doc.printSettings().Layout);
}

QString badLayout(int lineNumber, const QString &line)
{
    // No layout line is longer than this: the rest is not shown.
    constexpr qsizetype Shown = 64;
    return Msg::badLayoutLine(lineNumber, line.size() > Shown ? line.left(Shown) + QChar(0x2026) : line);
}

// The duplex mode: a word, no line for one-sided printing.
constexpr std::pair<DuplexMode, const char *> DuplexWords[] = {
    {DuplexMode::LongEdge, "long"}, {DuplexMode::ShortEdge, "short"}, {DuplexMode::BackOnly, "back"}};

Read readDuplex(CardDocument &doc, const QByteArray &value)
{
    for (const auto &[mode, word] : DuplexWords) {
        if (value == word) {
            PrintSettings settings = doc.printSettings();
            settings.Duplex = mode;
            doc.setPrintSettings(settings);
            return Read::Applied;
        }
    }
    return Read::Bad;
}

QByteArray writeDuplex(const CardDocument &doc)
{
    for (const auto &[mode, word] : DuplexWords) {
        if (doc.printSettings().Duplex == mode)
            return QByteArrayLiteral("Duplex=") + word;
    }
    return {};
}

QString badDuplex(int lineNumber, const QString &line)
{
    return Msg::badDuplexLine(lineNumber, elideForMessage(line));
}

QByteArray writeBack(const CardDocument &doc)
{
    return CardRecords::backLines(doc);
}

QString badBack(int lineNumber, const QString &line)
{
    return Msg::badBackLine(lineNumber, elideForMessage(line));
}

// The background and the shapes of a side, written after the back's boxes:
// the front's keys as named, the back's with "Back" before them.
template <Side S>
QByteArray sideKey(const char *name)
{
    return (S == Side::Back ? QByteArrayLiteral("Back") : QByteArray()) + name;
}

// The side's background with one of its fields set.
template <Side S, typename Field, typename Value>
Read setBackgroundField(CardDocument &doc, Field CardBackground::*field, const Value &value)
{
    CardBackground background = doc.side(S).background;
    background.*field = value;
    doc.setBackground(S, background);
    return Read::Applied;
}

template <Side S>
Read readBackground(CardDocument &doc, const QByteArray &value)
{
    const std::optional<std::int32_t> color = ShapeLines::parseColor(value);
    if (!color)
        return Read::Bad;
    return setBackgroundField<S>(doc, &CardBackground::color, color);
}

template <Side S>
QByteArray writeBackground(const CardDocument &doc)
{
    const std::optional<std::int32_t> &color = doc.side(S).background.color;
    if (!color)
        return {};
    return sideKey<S>("Background=") + QByteArray::number(*color);
}

// The picture itself is loaded when the whole file has been read.
template <Side S>
Read readBackgroundPicture(CardDocument &doc, const QByteArray &value)
{
    const std::optional<QString> path = ExtensionLine::text(value);
    if (!path || path->isEmpty() || path->size() > MaxCardTextLength)
        return Read::Bad;
    return setBackgroundField<S>(doc, &CardBackground::picturePath, *path);
}

template <Side S>
QByteArray writeBackgroundPicture(const CardDocument &doc)
{
    const QString &path = doc.side(S).background.picturePath;
    if (path.isEmpty())
        return {};
    return ExtensionLine::format(sideKey<S>("BackgroundPicture"), path);
}

template <Side S>
Read readBackgroundFit(CardDocument &doc, const QByteArray &value)
{
    if (value != "fill")
        return Read::Bad;
    return setBackgroundField<S>(doc, &CardBackground::fit, BackgroundFit::Fill);
}

template <Side S>
QByteArray writeBackgroundFit(const CardDocument &doc)
{
    const CardBackground &background = doc.side(S).background;
    if (background.picturePath.isEmpty() || background.fit != BackgroundFit::Fill)
        return {};
    return sideKey<S>("BackgroundFit=fill");
}

QString badBackground(int lineNumber, const QString &line)
{
    return Msg::badBackgroundLine(lineNumber, elideForMessage(line));
}

// One line a shape, bottom first; a side holds MaxShapes at most, and a line
// past them is reported like a bad one.
template <Side S>
Read readShape(CardDocument &doc, const QByteArray &value)
{
    const std::optional<CardShape> shape = ShapeLines::parseShape(value);
    if (!shape || !doc.appendShape(S, *shape))
        return Read::Bad;
    return Read::Applied;
}

template <Side S>
QByteArray writeShapes(const CardDocument &doc)
{
    QByteArray lines;
    for (const CardShape &shape : doc.side(S).shapes) {
        if (!lines.isEmpty())
            lines += "\r\n";
        lines += sideKey<S>("Shape=") + ShapeLines::formatShape(shape);
    }
    return lines;
}

QString badShape(int lineNumber, const QString &line)
{
    return Msg::badShapeLine(lineNumber, elideForMessage(line));
}

// The rows of one side, in the order their lines are written.
template <Side S>
QList<ExtensionKeys::CardKey> sideRows()
{
    return {
        {sideKey<S>("Background"), readBackground<S>, writeBackground<S>, badBackground},
        {sideKey<S>("BackgroundPicture"), readBackgroundPicture<S>, writeBackgroundPicture<S>, badBackground},
        {sideKey<S>("BackgroundFit"), readBackgroundFit<S>, writeBackgroundFit<S>, badBackground},
        {sideKey<S>("Shape"), readShape<S>, writeShapes<S>, badShape},
    };
}

} // namespace

namespace ExtensionKeys {

const QList<CardKey> &cardKeys()
{
    static const QList<CardKey> keys = QList<CardKey>{
        {"Layout", readLayout, writeLayout, badLayout},
        {"Duplex", readDuplex, writeDuplex, badDuplex},
        {"Back", nullptr, writeBack, badBack, true},
    } + sideRows<Side::Front>() + sideRows<Side::Back>();
    return keys;
}

} // namespace ExtensionKeys
