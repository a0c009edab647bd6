#include "SheetPrinterPdfPages.h"

#include <QRegularExpression>

#include <cstdint>
#include <vector>

namespace SheetPrinterPdfPages {
namespace {

// Far beyond any real job; keeps object numbers and offsets in their fields.
constexpr std::int64_t MaxPages = 1'000'000;
constexpr int XrefEntrySize = 20;   // "oooooooooo ggggg n" and a two-byte line end

// The cross-reference table as the writer makes it: one subsection from
// object 0, then the trailer dictionary.
struct Xref {
    std::vector<std::int64_t> offsets;   // by object number
    QByteArray trailer;
};

std::optional<std::int64_t> numberAt(const QByteArray &text, qsizetype &at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    const qsizetype start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 12)
        ++at;
    bool ok = false;
    const std::int64_t value = text.mid(start, at - start).toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(value) : std::nullopt;
}

std::optional<std::int64_t> lastStartXref(const QByteArray &pdf)
{
    qsizetype at = pdf.lastIndexOf("startxref");
    if (at < 0)
        return std::nullopt;
    at += qsizetype(sizeof "startxref" - 1);
    return numberAt(pdf, at);
}

std::optional<Xref> readXref(const QByteArray &pdf, std::int64_t start)
{
    if (start < 0 || start >= pdf.size() || !pdf.mid(qsizetype(start), 4).startsWith("xref"))
        return std::nullopt;
    qsizetype at = qsizetype(start) + 4;
    const std::optional<std::int64_t> first = numberAt(pdf, at);
    const std::optional<std::int64_t> count = numberAt(pdf, at);
    if (first != 0 || !count || *count < 1 || *count > MaxPages)
        return std::nullopt;
    while (at < pdf.size() && (pdf[at] == '\r' || pdf[at] == '\n'))
        ++at;
    Xref xref;
    for (std::int64_t n = 0; n < *count; ++n, at += XrefEntrySize) {
        const QByteArray entry = pdf.mid(at, XrefEntrySize);
        bool ok = false;
        const std::int64_t offset = entry.left(10).toLongLong(&ok);
        if (entry.size() != XrefEntrySize || !ok || (entry[17] != 'n' && entry[17] != 'f'))
            return std::nullopt;
        xref.offsets.push_back(entry[17] == 'n' ? offset : -1);
    }
    const qsizetype trailer = pdf.indexOf("trailer", at);
    const qsizetype end = pdf.indexOf("startxref", at);
    if (trailer != at || end < trailer)
        return std::nullopt;
    xref.trailer = pdf.mid(trailer, end - trailer);
    return xref;
}

// The body of object number between "number 0 obj" and "endobj"; only for
// objects without a stream.
std::optional<QByteArray> objectBody(const QByteArray &pdf, const Xref &xref, std::int64_t number)
{
    if (number < 1 || number >= std::int64_t(xref.offsets.size()) || xref.offsets[size_t(number)] < 0)
        return std::nullopt;
    const qsizetype at = qsizetype(xref.offsets[size_t(number)]);
    const QByteArray header = QByteArray::number(number) + " 0 obj";
    if (at >= pdf.size() || !pdf.mid(at, header.size()).startsWith(header))
        return std::nullopt;
    const qsizetype start = at + header.size();
    const qsizetype end = pdf.indexOf("endobj", start);
    const qsizetype stream = pdf.indexOf("stream", start);
    if (end < 0 || (stream >= 0 && stream < end))
        return std::nullopt;
    return pdf.mid(start, end - start);
}

// The object that key refers to in a dictionary: "/Key 12 0 R".
std::optional<std::int64_t> reference(const QByteArray &dictionary, const char *key)
{
    const QRegularExpression pattern(QStringLiteral("/%1\\s+(\\d+)\\s+0\\s+R").arg(QLatin1String(key)));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(dictionary));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

const QRegularExpression &onlyKid()
{
    static const QRegularExpression pattern(QStringLiteral("/Kids\\s*\\[\\s*(\\d+)\\s+0\\s+R\\s*\\]"));
    return pattern;
}

const QRegularExpression &countOfOne()
{
    static const QRegularExpression pattern(QStringLiteral("/Count\\s+1\\b"));
    return pattern;
}

QByteArray xrefEntry(std::int64_t offset)
{
    return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
}

} // namespace

std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages)
{
    if (pages < 1 || pages > MaxPages)
        return std::nullopt;
    if (pages == 1)
        return pdf;
    const std::optional<std::int64_t> xrefStart = lastStartXref(pdf);
    const std::optional<Xref> xref = xrefStart ? readXref(pdf, *xrefStart) : std::nullopt;
    if (!xref)
        return std::nullopt;
    const std::optional<std::int64_t> root = reference(xref->trailer, "Root");
    const std::optional<QByteArray> catalog = root ? objectBody(pdf, *xref, *root) : std::nullopt;
    const std::optional<std::int64_t> pagesObject = catalog ? reference(*catalog, "Pages") : std::nullopt;
    const std::optional<QByteArray> tree = pagesObject ? objectBody(pdf, *xref, *pagesObject) : std::nullopt;
    if (!tree)
        return std::nullopt;
    const QString treeText = QString::fromLatin1(*tree);
    const QRegularExpressionMatch kid = onlyKid().match(treeText);
    if (!kid.hasMatch() || !countOfOne().match(treeText).hasMatch())
        return std::nullopt;
    const std::int64_t firstPage = kid.captured(1).toLongLong();
    const std::optional<QByteArray> page = objectBody(pdf, *xref, firstPage);
    if (!page || reference(*page, "Parent") != pagesObject)
        return std::nullopt;

    // The further pages take the numbers after the last object.
    const std::int64_t firstNew = std::int64_t(xref->offsets.size());
    const std::int64_t newPages = pages - 1;
    QByteArray update = pdf.endsWith('\n') ? QByteArray() : QByteArray("\n");
    QByteArray kids = "/Kids [\n" + QByteArray::number(firstPage) + " 0 R\n";
    std::vector<std::int64_t> offsets;
    for (std::int64_t n = firstNew; n < firstNew + newPages; ++n) {
        offsets.push_back(pdf.size() + update.size());
        update += QByteArray::number(n) + " 0 obj" + *page + "endobj\n";
        kids += QByteArray::number(n) + " 0 R\n";
    }
    kids += "]";
    const std::int64_t treeOffset = pdf.size() + update.size();
    const QString newTree = QString(treeText)
                                .replace(onlyKid(), QString::fromLatin1(kids))
                                .replace(countOfOne(), QStringLiteral("/Count %1").arg(pages));
    update += QByteArray::number(*pagesObject) + " 0 obj" + newTree.toLatin1() + "endobj\n";

    const std::int64_t newXref = pdf.size() + update.size();
    update += "xref\n" + QByteArray::number(*pagesObject) + " 1\n" + xrefEntry(treeOffset);
    update += QByteArray::number(firstNew) + ' ' + QByteArray::number(newPages) + '\n';
    for (std::int64_t offset : offsets)
        update += xrefEntry(offset);
    update += "trailer\n<<\n/Size " + QByteArray::number(firstNew + newPages) + "\n/Root "
              + QByteArray::number(*root) + " 0 R\n";
    if (const std::optional<std::int64_t> info = reference(xref->trailer, "Info"))
        update += "/Info " + QByteArray::number(*info) + " 0 R\n";
    update += "/Prev " + QByteArray::number(*xrefStart) + "\n>>\nstartxref\n" + QByteArray::number(newXref)
              + "\n%%EOF\n";
    return pdf + update;
}

} // namespace SheetPrinterPdfPages
