// The card's own extension lines, written after the three settings lines.
#include "cardfile/ExtensionKeys.h"

#include "base/Messages.h"
#include "card/CardDocument.h"
#include "card/PaperLayout.h"

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

} // namespace

namespace ExtensionKeys {

const QList<CardKey> &cardKeys()
{
    static const QList<CardKey> keys = {
        {"Layout", readLayout, writeLayout, badLayout},
    };
    return keys;
}

} // namespace ExtensionKeys
