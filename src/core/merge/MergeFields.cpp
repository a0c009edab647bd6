#include "merge/MergeFields.h"

#include "card/CardDocument.h"
#include "merge/MergeList.h"

namespace MergeFields {
namespace {

void addOnce(QStringList &names, const QString &name)
{
    if (!names.contains(name))
        names << name;
}

} // namespace

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
