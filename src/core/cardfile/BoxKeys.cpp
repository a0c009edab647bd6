// The boxes' extension lines, each written directly after its box's record.
#include "cardfile/ExtensionKeys.h"

#include "base/CodePage932.h"
#include "base/MessageSink.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "cardfile/ExtensionLine.h"

#include <QHash>
#include <QRegularExpression>

#include <optional>

namespace {

using ExtensionKeys::Read;

// A whole number written plainly: an optional minus sign and up to six
// digits (every value these lines hold is far smaller).
std::optional<int> plainNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("\\A-?[0-9]{1,6}\\z"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

// A number of the line within [low, high].
std::optional<int> numberIn(const QByteArray &value, int low, int high)
{
    const std::optional<QString> text = ExtensionLine::text(value);
    if (!text)
        return std::nullopt;
    const std::optional<int> n = plainNumber(*text);
    if (!n || *n < low || *n > high)
        return std::nullopt;
    return n;
}

// Changes the box's setting as read; the box's bounds stay as the file has
// them (the document turns a box only when a user turns it).
template <typename Change>
Read changeSetting(CardDocument &doc, int slot, Change change)
{
    const TextBox *box = doc.TextBoxes(slot);
    if (!box)
        return Read::Bad;
    TextBox changed = *box;
    if (!change(changed.Setting))
        return Read::Bad;
    doc.restoreTextBox(slot, changed);
    return Read::Applied;
}

const TextSetting *settingOf(const CardDocument &doc, int slot)
{
    const TextBox *box = doc.TextBoxes(slot);
    return box ? &box->Setting : nullptr;
}

Read readAlign(CardDocument &doc, int slot, const QByteArray &value)
{
    return changeSetting(doc, slot, [&](TextSetting &setting) {
        const std::optional<QString> text = ExtensionLine::text(value);
        const std::optional<TextAlign> align = text ? TextSetting::alignFromName(*text) : std::nullopt;
        if (align)
            setting.align = *align;
        return align.has_value();
    });
}

QByteArray writeAlign(const CardDocument &doc, int slot)
{
    const TextSetting *setting = settingOf(doc, slot);
    if (!setting || setting->align == TextAlign::Left)
        return {};
    return ExtensionLine::format("Align", TextSetting::alignName(setting->align));
}

Read readCharScale(CardDocument &doc, int slot, const QByteArray &value)
{
    return changeSetting(doc, slot, [&](TextSetting &setting) {
        const qsizetype comma = value.indexOf(',');
        if (comma < 0)
            return false;
        const std::optional<int> w = numberIn(value.left(comma), TextSetting::MinScale, TextSetting::MaxScale);
        const std::optional<int> h = numberIn(value.mid(comma + 1), TextSetting::MinScale, TextSetting::MaxScale);
        if (!w || !h)
            return false;
        setting.scaleX = *w;
        setting.scaleY = *h;
        return true;
    });
}

QByteArray writeCharScale(const CardDocument &doc, int slot)
{
    const TextSetting *setting = settingOf(doc, slot);
    if (!setting || (setting->scaleX == 100 && setting->scaleY == 100))
        return {};
    return ExtensionLine::format("CharScale", QStringLiteral("%1,%2").arg(setting->scaleX).arg(setting->scaleY));
}

Read readSpacing(CardDocument &doc, int slot, const QByteArray &value)
{
    return changeSetting(doc, slot, [&](TextSetting &setting) {
        const std::optional<int> n = numberIn(value, TextSetting::MinSpacing, TextSetting::MaxSpacing);
        if (n)
            setting.spacing = *n;
        return n.has_value();
    });
}

QByteArray writeSpacing(const CardDocument &doc, int slot)
{
    const TextSetting *setting = settingOf(doc, slot);
    if (!setting || setting->spacing == 0)
        return {};
    return ExtensionLine::format("Spacing", QString::number(setting->spacing));
}

Read readVertical(CardDocument &doc, int slot, const QByteArray &value)
{
    return changeSetting(doc, slot, [&](TextSetting &setting) {
        const std::optional<int> n = numberIn(value, 0, 1);
        if (n)
            setting.vertical = *n == 1;
        return n.has_value();
    });
}

QByteArray writeVertical(const CardDocument &doc, int slot)
{
    const TextSetting *setting = settingOf(doc, slot);
    if (!setting || !setting->vertical)
        return {};
    return ExtensionLine::format("Vertical", QStringLiteral("1"));
}

Read readTcy(CardDocument &doc, int slot, const QByteArray &value)
{
    return changeSetting(doc, slot, [&](TextSetting &setting) {
        const std::optional<int> n = numberIn(value, 0, TextSetting::MaxTcy);
        if (n)
            setting.tcy = *n;
        return n.has_value();
    });
}

// Only a vertical line sets digits side by side: a horizontal box has no line.
QByteArray writeTcy(const CardDocument &doc, int slot)
{
    const TextSetting *setting = settingOf(doc, slot);
    if (!setting || !setting->vertical || setting->tcy == TextSetting::DefaultTcy)
        return {};
    return ExtensionLine::format("Tcy", QString::number(setting->tcy));
}

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

namespace {

CaptionRecord heldInRecord(const QString &caption)
{
    // Most captions are held whole: one conversion answers.
    if (!caption.contains(u'\r') && !caption.contains(QChar(0x1A))) {
        bool ok = false;
        QByteArray bytes = CodePage932::encode(caption, &ok);
        if (ok) {
            const CodePage932::Decoded back = CodePage932::decode(bytes);
            if (back.valid && back.text == caption)
                return {caption, std::move(bytes)};
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
    QByteArray bytes = CodePage932::encode(record);
    return {record, std::move(bytes)};
}

} // namespace

CaptionRecord captionRecord(const QString &caption)
{
    // A save asks twice for each caption (its record, its Caption line):
    // the last answer is kept for the same text. Text shared with the one
    // kept is that text: a change would have made a copy of its own.
    thread_local QString lastCaption;
    thread_local CaptionRecord lastRecord;
    if (!caption.isNull() && caption.isSharedWith(lastCaption))
        return lastRecord;
    CaptionRecord record = heldInRecord(caption);
    lastCaption = caption;
    lastRecord = record;
    return record;
}

QString captionInRecord(const QString &caption)
{
    return captionRecord(caption).text;
}

namespace ExtensionKeys {

const QList<BoxKey> &textBoxKeys()
{
    static const QList<BoxKey> keys = {
        {"Caption", readCaption, writeCaption},
        {"Align", readAlign, writeAlign},
        {"CharScale", readCharScale, writeCharScale},
        {"Spacing", readSpacing, writeSpacing},
        {"Vertical", readVertical, writeVertical},
        {"Tcy", readTcy, writeTcy},
    };
    return keys;
}

const QList<BoxKey> &imageBoxKeys()
{
    static const QList<BoxKey> keys = {};
    return keys;
}

} // namespace ExtensionKeys
