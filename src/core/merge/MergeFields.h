#pragma once
// Merge fields: a column name between braces, ASCII "{氏名}" or full-width
// "｛氏名｝", in a caption, a picture path or a QR code's content. A field
// whose name the list has is replaced by the row's value; any other brace
// pair (an unknown name, empty braces) stays as it stands.
#include "card/FieldText.h"

#include <QString>
#include <QStringList>

class CardDocument;
class MergeList;

namespace MergeFields {

// The grammar of fields is the card's own (card/FieldText.h).
using FieldText::Lookup;
using FieldText::namesIn;
using FieldText::hasFields;
using FieldText::fill;

// The fields the card uses: in its captions (QR contents included), then in
// its picture paths, each once, in slot order.
QStringList namesOnCard(const CardDocument &doc);
// Those of them that are no column of list.
QStringList missingOnCard(const CardDocument &doc, const MergeList &list);

// The lookup of a list's row (from 0).
Lookup rowLookup(const MergeList &list, int row);

} // namespace MergeFields
