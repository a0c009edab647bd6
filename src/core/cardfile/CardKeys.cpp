// The card's own extension lines, written after the three settings lines.
#include "cardfile/ExtensionKeys.h"

#include "base/MessageText.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "card/PaperLayout.h"
#include "cardfile/CardRecords.h"

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

} // namespace

namespace ExtensionKeys {

const QList<CardKey> &cardKeys()
{
    static const QList<CardKey> keys = {
        {"Layout", readLayout, writeLayout, badLayout},
        {"Duplex", readDuplex, writeDuplex, badDuplex},
        {"Back", nullptr, writeBack, badBack, true},
    };
    return keys;
}

} // namespace ExtensionKeys
