// The boxes' extension lines, each written directly after its box's record.
#include "cardfile/ExtensionKeys.h"

#include "card/CardDocument.h"
#include "cardfile/ExtensionLine.h"

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

} // namespace

namespace ExtensionKeys {

const QList<BoxKey> &textBoxKeys()
{
    static const QList<BoxKey> keys = {
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
