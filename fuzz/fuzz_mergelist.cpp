// The merge list reader: whatever bytes it is given, it either refuses them
// with a message or gives a list within its limits, with named columns, each
// once, and values that hold no carriage return (a caption never may) and no
// half of a surrogate pair; its values filled into a text with a limit are the
// text filled whole, cut.
#include "FuzzCheck.h"
#include "base/TaveloError.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"

#include <QRegularExpression>
#include <QSet>

namespace {

bool pairedSurrogates(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const MergeList list = MergeList::fromBytes(bytes, size % 2 ? QStringLiteral("list.tsv") : QString());
        FUZZ_CHECK(!list.columns().isEmpty() && list.columns().size() <= MergeList::MaxColumns);
        FUZZ_CHECK(list.rowCount() <= MergeList::MaxRows);
        FUZZ_CHECK(QSet<QString>(list.columns().begin(), list.columns().end()).size() == list.columns().size());
        for (int row = 0; row < list.rowCount(); ++row) {
            for (int column = 0; column < list.columns().size(); ++column) {
                FUZZ_CHECK(!list.value(row, column).contains(QLatin1Char('\r')));
                FUZZ_CHECK(pairedSurrogates(list.value(row, column)));
            }
            // A field naming the first column takes its value as it stands.
            const QString name = list.columns().first();
            if (!name.contains(QRegularExpression(QStringLiteral("[{}｛｝]"))))
                FUZZ_CHECK(MergeFields::fill(QLatin1Char('{') + name + QLatin1Char('}'), MergeFields::rowLookup(list, row))
                           == list.value(row, 0));
        }
        FUZZ_CHECK(list.value(list.rowCount(), 0).isEmpty());
        // A fill with a limit is the whole fill cut there, told when cut.
        if (list.rowCount() > 0) {
            const QString text = list.columns().join(QStringLiteral("}{")).prepend(QLatin1Char('{')) + QLatin1Char('}');
            const QString whole = MergeFields::fill(text, MergeFields::rowLookup(list, 0));
            const qsizetype limit = qsizetype(size % 64);
            bool cut = false;
            FUZZ_CHECK(FieldText::fill(text, MergeFields::rowLookup(list, 0), limit, &cut) == whole.left(limit));
            FUZZ_CHECK(cut == (whole.size() > limit));
        }
    } catch (const TaveloError &e) {
        FUZZ_CHECK(!e.message().isEmpty());
    }
    return 0;
}
