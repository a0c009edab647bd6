#include "sheet/SheetPrinterPdfPages.h"

#include "sheet/PdfCellForms.h"
#include "sheet/PdfPictureStreams.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Function.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

namespace SheetPrinterPdfPages {
namespace {

// Far beyond any real job.
constexpr int MaxPages = 1'000'000;
// About what each further page adds to the file.
constexpr qsizetype PageObjectBytes = 256;

// A PDF of pdf's bytes, read without repairs.
void readInto(QPDF &document, const char *name, const QByteArray &pdf)
{
    document.setSuppressWarnings(true);
    document.setAttemptRecovery(false);
    document.processMemoryFile(name, pdf.constData(), size_t(pdf.size()));
}

// Two PDFs read, the pages of the second to go into the first.
struct TwoDocuments {
    TwoDocuments(const QByteArray &firstPdf, const char *firstName, const QByteArray &secondPdf, const char *secondName)
    {
        readInto(first, firstName, firstPdf);
        readInto(second, secondName, secondPdf);
    }
    QPDF first;
    QPDF second;
};

// The document's pages as they stand, then copies − 1 times again in the
// same order. A page of the document added again goes in as a shallow copy:
// a page object of its own that refers to the same content and resources.
void repeatPages(QPDFPageDocumentHelper &pageTree, int copies)
{
    const std::vector<QPDFPageObjectHelper> once = pageTree.getAllPages();
    for (int n = 1; n < copies; ++n) {
        for (const QPDFPageObjectHelper &page : once)
            pageTree.addPage(page, false);
    }
}

// Written straight into memory reserved for the whole file (expected bytes):
// the pictures are most of it and need not be copied again. The drawn
// streams are written as the PDF writer compressed them.
QByteArray writtenToMemory(QPDF &document, qsizetype expected)
{
    QByteArray written;
    written.reserve(expected);
    Pl_Function output("sheet", nullptr, [&written](const unsigned char *data, size_t length) {
        written.append(reinterpret_cast<const char *>(data), qsizetype(length));
    });
    QPDFWriter writer(document);
    writer.setOutputPipeline(&output);
    writer.setStreamDataMode(qpdf_s_preserve);
    writer.write();
    return written;
}

std::optional<QByteArray> rewritten(const QByteArray &pdf, int pages, PdfPictureStreams *pictures,
                                    const PdfCellForms *outlines = nullptr)
{
    if (pages < 1 || pages > MaxPages)
        return std::nullopt;
    const bool withOutlines = outlines && !outlines->empty();
    if (pages == 1 && (!pictures || pictures->empty()) && !withOutlines)
        return pdf;
    try {
        QPDF document;
        readInto(document, "sheet", pdf);
        QPDFPageDocumentHelper pageTree(document);
        if (pageTree.getAllPages().size() != 1)
            return std::nullopt;
        if (pictures && !pictures->empty() && !pictures->replaceStandIns(document))
            return std::nullopt;
        if (withOutlines && !outlines->replaceStandIns(document))
            return std::nullopt;
        repeatPages(pageTree, pages);
        return writtenToMemory(document, pdf.size() + (pictures ? pictures->compressedBytes() : 0)
                                             + qsizetype(pages) * PageObjectBytes);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

// A stream's bytes as stored (still compressed).
std::string storedBytes(QPDFObjectHandle stream)
{
    const std::shared_ptr<Buffer> data = stream.getRawStreamData();
    return std::string(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
}

// An image's mask is an image without a mask of its own; deeper is no image
// of Qt's (and a mask naming itself ends here).
constexpr int MaskDepth = 2;

bool sameImage(QPDFObjectHandle a, QPDFObjectHandle b, int depth = 0);

// The same value of key in both dictionaries: a mask the same image, any
// other entry the same text.
bool sameEntry(QPDFObjectHandle a, QPDFObjectHandle b, const std::string &key, int depth)
{
    if (a.hasKey(key) != b.hasKey(key))
        return false;
    QPDFObjectHandle valueA = a.getKey(key), valueB = b.getKey(key);
    if (valueA.isStream() || valueB.isStream())
        return sameImage(valueA, valueB, depth + 1);
    return valueA.unparseResolved() == valueB.unparseResolved();
}

// Two image streams that draw the same: the same dictionary (the stored
// length aside), the same stored bytes, the same masks.
bool sameImage(QPDFObjectHandle a, QPDFObjectHandle b, int depth)
{
    if (depth > MaskDepth || !a.isStream() || !b.isStream())
        return false;
    if (a.getObjGen() == b.getObjGen())
        return true;
    QPDFObjectHandle dictA = a.getDict(), dictB = b.getDict();
    std::set<std::string> keys = dictA.getKeys();
    for (const std::string &key : dictB.getKeys())
        keys.insert(key);
    keys.erase("/Length");
    return std::all_of(keys.begin(), keys.end(),
                       [&](const std::string &key) { return sameEntry(dictA, dictB, key, depth); })
           && storedBytes(a) == storedBytes(b);
}

// The images of a document's pages, found by what they hold.
class ImagesByContent
{
public:
    void add(QPDFObjectHandle image) { m_images.emplace(key(image), image); }

    // An image added that draws the same as image, or nothing.
    std::optional<QPDFObjectHandle> same(QPDFObjectHandle image) const
    {
        const auto [begin, end] = m_images.equal_range(key(image));
        for (auto at = begin; at != end; ++at) {
            if (sameImage(at->second, image))
                return at->second;
        }
        return std::nullopt;
    }

private:
    static std::size_t key(QPDFObjectHandle image)
    {
        QPDFObjectHandle dict = image.getDict();
        return std::hash<std::string>()(dict.getKey("/Width").unparseResolved() + ' '
                                        + dict.getKey("/Height").unparseResolved());
    }

    std::unordered_multimap<std::size_t, QPDFObjectHandle> m_images;
};

// Makes the resources of the pages refer to a known image instead of one
// that draws the same. Pages have resources of their own that name the same
// images: each image is compared once.
void shareKnownImages(const std::vector<QPDFPageObjectHelper> &pages, const ImagesByContent &known)
{
    std::map<QPDFObjGen, std::optional<QPDFObjectHandle>> sameAs;
    for (QPDFPageObjectHelper page : pages) {
        QPDFObjectHandle resources = page.getObjectHandle().getKey("/Resources");
        QPDFObjectHandle xobjects =
            resources.isDictionary() ? resources.getKey("/XObject") : QPDFObjectHandle::newNull();
        if (!xobjects.isDictionary())
            continue;
        for (const std::string &name : xobjects.getKeys()) {
            QPDFObjectHandle image = xobjects.getKey(name);
            if (!image.isStream() || image.getDict().getKey("/Subtype").unparse() != "/Image")
                continue;
            auto found = sameAs.find(image.getObjGen());
            if (found == sameAs.end())
                found = sameAs.emplace(image.getObjGen(), known.same(image)).first;
            if (found->second)
                xobjects.replaceKey(name, *found->second);
        }
    }
}

} // namespace

std::optional<QByteArray> joined(const QByteArray &first, const QByteArray &second, PdfPictureStreams *pictures)
{
    try {
        TwoDocuments parts(first, "first", second, "second");
        QPDF &document = parts.first;
        QPDFPageDocumentHelper pageTree(document);
        const std::vector<QPDFPageObjectHelper> firstPages = pageTree.getAllPages();
        const std::vector<QPDFPageObjectHelper> secondPages = QPDFPageDocumentHelper(parts.second).getAllPages();
        if (firstPages.empty() || secondPages.empty() || firstPages.size() + secondPages.size() > MaxPages)
            return std::nullopt;
        ImagesByContent known;
        for (QPDFPageObjectHelper page : firstPages) {
            for (const auto &[name, image] : page.getImages())
                known.add(image);
        }
        for (const QPDFPageObjectHelper &page : secondPages)
            pageTree.addPage(page, false);
        const std::vector<QPDFPageObjectHelper> all = pageTree.getAllPages();
        shareKnownImages({all.begin() + std::ptrdiff_t(firstPages.size()), all.end()}, known);
        if (pictures && !pictures->empty() && !pictures->replaceStandIns(document))
            return std::nullopt;
        return writtenToMemory(document, first.size() + second.size() + (pictures ? pictures->compressedBytes() : 0));
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

std::optional<QByteArray> alternated(const QByteArray &front, const QByteArray &back, int copies)
{
    if (copies < 1 || copies > MaxPages / 2)
        return std::nullopt;
    try {
        TwoDocuments sides(front, "front", back, "back");
        QPDF &document = sides.first;
        QPDFPageDocumentHelper pageTree(document);
        const std::vector<QPDFPageObjectHelper> backPages = QPDFPageDocumentHelper(sides.second).getAllPages();
        if (pageTree.getAllPages().size() != 1 || backPages.size() != 1)
            return std::nullopt;
        // The back's page comes in with everything it refers to.
        pageTree.addPage(backPages.front(), false);
        repeatPages(pageTree, copies);
        return writtenToMemory(document, front.size() + back.size() + qsizetype(2) * copies * PageObjectBytes);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages)
{
    return rewritten(pdf, pages, nullptr);
}

std::optional<QByteArray> finishedSheet(const QByteArray &pdf, int pages, PdfPictureStreams &pictures,
                                        const PdfCellForms *outlines)
{
    return rewritten(pdf, pages, &pictures, outlines);
}

} // namespace SheetPrinterPdfPages
