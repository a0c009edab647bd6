#pragma once
// Fields in a text: a column name between braces, ASCII "{氏名}" or full-width
// "｛氏名｝", in a caption, a picture path or a QR code's content. A field
// whose name a merge row has is replaced by the row's value; any other brace
// pair (an unknown name, empty braces) stays as it stands.
//
// The card knows fields without knowing merge lists: a picture path that
// holds fields is a placeholder of the design, loaded only once a row fills it.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace FieldText {

// The value for a field name, or nothing when there is no such column.
using Lookup = std::function<std::optional<QString>(const QString &name)>;

// The names of the fields in text, in their order, each once.
QStringList namesIn(const QString &text);
bool hasFields(const QString &text);

// text with every field that lookup knows replaced by its value.
QString fill(const QString &text, const Lookup &lookup);

// The same, stopping once the result reaches limit characters: a row's
// values can make a text of any length, and the part past the limit is never
// built. *cut says whether anything was left off.
QString fill(const QString &text, const Lookup &lookup, qsizetype limit, bool *cut);

// A picture path that holds fields names no file until a merge row fills it:
// the card shows it as a placeholder and loads nothing. A file of that very
// name, braces and all, is still a picture.
bool isPicturePlaceholder(const QString &path);

} // namespace FieldText
