#include "merge/MergeFields.h"

#include "card/CardDocument.h"
#include "merge/MergeList.h"

namespace MergeFields {
namespace {

constexpr char16_t FullWidthOpen = u'｛';
constexpr char16_t FullWidthClose = u'｝';

bool isOpening(QChar c) { return c == QLatin1Char('{') || c == QChar(FullWidthOpen); }

QChar closingOf(QChar open) { return open == QLatin1Char('{') ? QLatin1Char('}') : QChar(FullWidthClose); }

// Calls plain(text) and field(name, asWritten) for the pieces of text, in order.
template <typename Plain, typename Field>
void scan(const QString &text, Plain plain, Field field)
{
    qsizetype done = 0;   // text before this has been handed on
    qsizetype at = 0;
    while (at < text.size()) {
        if (!isOpening(text[at])) {
            ++at;
            continue;
        }
        const QChar close = closingOf(text[at]);
        qsizetype end = at + 1;
        // An opening brace before the closing one starts the field again: "{{a}" is "{" and "{a}".
        while (end < text.size() && text[end] != close && !isOpening(text[end]))
            ++end;
        if (end == text.size())
            break;
        if (text[end] != close) {
            at = end;
            continue;
        }
        const QString name = text.mid(at + 1, end - at - 1).trimmed();
        if (name.isEmpty()) {
            at = end + 1;
            continue;
        }
        if (at > done)
            plain(QStringView(text).sliced(done, at - done));
        field(name, QStringView(text).sliced(at, end + 1 - at));
        at = done = end + 1;
    }
    if (done < text.size())
        plain(QStringView(text).sliced(done));
}

void addOnce(QStringList &names, const QString &name)
{
    if (!names.contains(name))
        names << name;
}

} // namespace

QStringList namesIn(const QString &text)
{
    QStringList names;
    scan(text, [](QStringView) {}, [&](const QString &name, QStringView) { addOnce(names, name); });
    return names;
}

bool hasFields(const QString &text)
{
    return !namesIn(text).isEmpty();
}

QString fill(const QString &text, const Lookup &lookup)
{
    QString filled;
    filled.reserve(text.size());
    scan(text, [&](QStringView plain) { filled += plain; },
         [&](const QString &name, QStringView written) {
             if (const std::optional<QString> value = lookup(name))
                 filled += *value;
             else
                 filled += written;
         });
    return filled;
}

QStringList namesOnCard(const CardDocument &doc)
{
    QStringList names;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const TextBox *box = doc.TextBoxes(slot))
            for (const QString &name : namesIn(box->Caption))
                addOnce(names, name);
    }
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const MoveImageRecord *record = doc.ImageBoxes(slot))
            for (const QString &name : namesIn(record->ImagePath))
                addOnce(names, name);
    }
    return names;
}

QStringList missingOnCard(const CardDocument &doc, const MergeList &list)
{
    QStringList missing;
    for (const QString &name : namesOnCard(doc)) {
        if (list.columnIndex(name) < 0)
            missing << name;
    }
    return missing;
}

Lookup rowLookup(const MergeList &list, int row)
{
    return [&list, row](const QString &name) { return list.value(row, name); };
}

} // namespace MergeFields
