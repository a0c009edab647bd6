#include "card/FieldText.h"

#include <QFileInfo>

#include <algorithm>

namespace FieldText {
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

QString fill(const QString &text, const Lookup &lookup, qsizetype limit, bool *cut)
{
    QString filled;
    bool full = false;
    const auto add = [&](QStringView piece) {
        if (full)
            return;
        const qsizetype room = limit - filled.size();
        if (piece.size() > room) {
            filled += piece.first(std::max<qsizetype>(room, 0));
            full = true;
            return;
        }
        filled += piece;
    };
    scan(text, add, [&](const QString &name, QStringView written) {
        if (full)
            return;
        if (const std::optional<QString> value = lookup(name))
            add(*value);
        else
            add(written);
    });
    if (cut)
        *cut = full;
    return filled;
}

bool isPicturePlaceholder(const QString &path)
{
    return hasFields(path) && !QFileInfo::exists(path);
}

} // namespace FieldText
