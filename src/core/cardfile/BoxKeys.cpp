// The boxes' extension lines, each written directly after its box's record.
#include "cardfile/ExtensionKeys.h"

#include "base/CodePage932.h"
#include "base/MessageSink.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "cardfile/ExtensionLine.h"

#include <QHash>

namespace {

using ExtensionKeys::Read;

// The whole caption, when its record cannot hold it. The line is taken only
// while it still stands for the record: a program that knows nothing of it
// may have changed the record since, and what the user sees there wins.
Read readCaption(CardDocument &doc, int slot, const QByteArray &value)
{
    const std::optional<QString> caption = ExtensionLine::text(value);
    const TextBox *box = doc.TextBoxes(slot);
    // No longer than a record's caption may be: as much as the editor takes.
    if (!caption || !box || !caption->isValidUtf16() || caption->size() > MaxCardTextLength)
        return Read::Bad;
    if (captionInRecord(*caption) != captionInRecord(box->Caption)) {
        if (MessageSink *sink = doc.messageSink())
            sink->information(Msg::captionLineOutdated(box->Name()), MsgButton::Ok);
        return Read::Applied;
    }
    doc.setTextCaption(slot, *caption);
    return Read::Applied;
}

QByteArray writeCaption(const CardDocument &doc, int slot)
{
    const QString &caption = doc.TextBoxes(slot)->Caption;
    if (captionInRecord(caption) == caption)
        return {};
    return ExtensionLine::format("Caption", caption);
}

} // namespace

QString captionInRecord(const QString &caption)
{
    // Most captions are held whole: one conversion answers.
    if (!caption.contains(u'\r') && !caption.contains(QChar(0x1A))) {
        bool ok = false;
        const QByteArray bytes = CodePage932::encode(caption, &ok);
        if (ok) {
            const CodePage932::Decoded back = CodePage932::decode(bytes);
            if (back.valid && back.text == caption)
                return caption;
        }
    }
    // Else character by character, each distinct one converted once: a
    // character the record holds is one that code page 932 stores and reads
    // back unchanged, and neither CR nor Ctrl-Z, which end a line or the file.
    QHash<QStringView, bool> held;
    QString record;
    record.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size();) {
        const qsizetype length =
            caption.at(i).isHighSurrogate() && i + 1 < caption.size() && caption.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QStringView character = QStringView(caption).sliced(i, length);
        auto it = held.find(character);
        if (it == held.end()) {
            bool holds = character != u"\r" && character != u"\x1a";
            if (holds) {
                bool ok = false;
                const QByteArray bytes = CodePage932::encode(character.toString(), &ok);
                const CodePage932::Decoded back = CodePage932::decode(bytes);
                holds = ok && back.valid && back.text == character;
            }
            it = held.insert(character, holds);
        }
        record += *it ? character : QStringView(&CaptionStandIn, 1);
        i += length;
    }
    return record;
}

namespace ExtensionKeys {

const QList<BoxKey> &textBoxKeys()
{
    static const QList<BoxKey> keys = {
        {"Caption", readCaption, writeCaption},
    };
    return keys;
}

const QList<BoxKey> &imageBoxKeys()
{
    static const QList<BoxKey> keys = {};
    return keys;
}

} // namespace ExtensionKeys
