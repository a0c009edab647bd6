// tavelo-batch merge-info: what a merge of a card and a list would use, as
// one JSON object.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "JsonWriter.h"
#include "TerminalStream.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"

#include <QTextStream>

#include <cstdio>

namespace {

void writeStrings(JsonWriter &json, const QString &key, const QStringList &values)
{
    json.key(key).beginArray();
    for (const QString &value : values)
        json.value(value);
    json.endArray();
}

QByteArray mergeInfoJson(const MergeList &list, const CardDocument &doc)
{
    JsonWriter json;
    json.beginObject();
    json.key(QStringLiteral("encoding")).value(mergeEncodingKey(list.encoding()));
    json.key(QStringLiteral("delimiter")).value(list.delimiter() == QLatin1Char('\t') ? QStringLiteral("tab") : QStringLiteral("comma"));
    writeStrings(json, QStringLiteral("columns"), list.columns());
    json.key(QStringLiteral("rows")).value(std::int64_t(list.rowCount()));
    writeStrings(json, QStringLiteral("fields"), MergeFields::namesOnCard(doc));
    writeStrings(json, QStringLiteral("missing"), MergeFields::missingOnCard(doc, list));
    json.endObject();
    return json.toUtf8() + '\n';
}

} // namespace

int runMergeInfoCommand(const QStringList &args)
{
    TerminalStream err(stderr);
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--"))) {
            err << "tavelo-batch merge-info: unknown option '" << arg << "'\n\n" << usageText();
            return 2;
        }
    }
    if (args.size() != 2) {
        err << "tavelo-batch merge-info: needs a card file and a list file\n\n" << usageText();
        return 2;
    }
    CollectingSink sink;
    CardDocument doc;
    // The pictures are read for their messages alone.
    PictureUse noPictures;
    noPictures.sizesOnly = [](Side, int, QSize) {};
    const bool isCard = readCard(doc, sink, args.at(0), 96, noPictures);
    QStringList warnings = sink.messages();
    // A picture path with fields is no file until it is filled.
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = doc.ImageBoxes(slot);
        if (record && MergeFields::hasFields(record->ImagePath))
            warnings.removeAll(errorBoxText(Msg::cannotOpenFile(record->ImagePath)));
    }
    if (!isCard) {
        for (const QString &warning : warnings)
            err << warning << '\n';
        return 1;
    }
    std::optional<MergeList> list;
    try {
        list = MergeList::read(args.at(1));
    } catch (const TaveloError &e) {
        for (const QString &warning : warnings)
            err << warning << '\n';
        err << args.at(1) << ": " << e.message() << '\n';
        return 1;
    }
    const QByteArray out = mergeInfoJson(*list, doc);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    const QStringList missing = MergeFields::missingOnCard(doc, *list);
    if (!missing.isEmpty())
        warnings << Msg::mergeMissingFields(missing);
    for (const QString &warning : warnings)
        err << warning << '\n';
    return warnings.isEmpty() ? 0 : 1;
}
