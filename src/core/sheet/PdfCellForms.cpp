#include "sheet/PdfCellForms.h"

#include "sheet/PdfPictureStreams.h"
#include "sheet/PictureDeflate.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace {

// The picture stand-ins' colours end in 0x5a; these in 0xa5.
constexpr int StandInBlue = 0xa5;
constexpr std::size_t MaxForms = 1 << 16;

QRgb standInColour(std::size_t index)
{
    return qRgb(int((index >> 8) & 0xff), int(index & 0xff), StandInBlue);
}

// A number as a PDF content stream takes it, to a hundred-thousandth of a
// device pixel: coarser, a reader's smoothed edges land a shade apart from
// the same outline written by Qt.
void appendNumber(QByteArray &out, qreal value)
{
    const qreal rounded = std::round(value * 100000) / 100000;
    out += QByteArray::number(rounded == 0 ? 0.0 : rounded, 'f', 5);
    while (out.endsWith('0'))
        out.chop(1);
    if (out.endsWith('.'))
        out.chop(1);
    out += ' ';
}

void appendPoint(QByteArray &out, qreal x, qreal y, QPoint origin)
{
    appendNumber(out, x - origin.x());
    appendNumber(out, y - origin.y());
}

void appendColour(QByteArray &out, const QColor &colour, const char *op)
{
    appendNumber(out, colour.redF());
    appendNumber(out, colour.greenF());
    appendNumber(out, colour.blueF());
    out += op;
    out += '\n';
}

bool sameEnd(const QPainterPath::Element &a, const QPainterPath::Element &b)
{
    return a.x == b.x && a.y == b.y;
}

QPDFObjectHandle numbers(std::initializer_list<double> values)
{
    QPDFObjectHandle array = QPDFObjectHandle::newArray();
    for (double value : values)
        array.appendItem(QPDFObjectHandle::newReal(value, 12));
    return array;
}

} // namespace

std::optional<PdfCellForms::StandIn> PdfCellForms::standIn(const void *identity, std::shared_ptr<const void> keep,
                                                          const QColor &colour, const QRect &rect,
                                                          const std::function<QByteArray()> &content)
{
    for (const Form &form : m_forms) {
        if (form.identity == identity && form.colour == colour.rgba())
            return StandIn{form.standIn, form.rect};
    }
    if (!identity || colour.alpha() != 255 || rect.isEmpty() || m_forms.size() >= MaxForms)
        return std::nullopt;
    Form form{identity, std::move(keep), colour.rgba(), standInColour(m_forms.size()), rect, content(),
              QImage(1, 1, QImage::Format_RGB32)};
    form.standIn.fill(form.standInColour);
    m_forms.push_back(form);
    return StandIn{form.standIn, form.rect};
}

std::optional<PdfCellForms::StandIn> PdfCellForms::standInForOutline(const std::shared_ptr<const void> &owner,
                                                                     const QPainterPath &outline, qreal penWidth,
                                                                     const QColor &colour)
{
    if (outline.isEmpty())
        return std::nullopt;
    // The stroke reaches half the pen beyond the outline. A reader clips the
    // form to its box with smoothed edges, which would thin the glyphs in a
    // pixel the box's edge crosses at the reader's resolution: the box
    // stands well clear of them, half an em (twelve pens). Whole pixels, so
    // the writer places the stand-in exactly where the form expects it.
    const qreal reach = penWidth / 2 + 12 * penWidth + 1;
    const QRect rect = outline.boundingRect().adjusted(-reach, -reach, reach, reach).toAlignedRect();
    return standIn(owner.get(), owner, colour, rect,
                   [&] { return outlineContent(outline, rect.topLeft(), penWidth, colour); });
}

std::optional<PdfCellForms::StandIn> PdfCellForms::standInForRectangles(const QVector<QRect> &rectangles, int side,
                                                                        const QColor &colour)
{
    if (rectangles.isEmpty())
        return std::nullopt;
    // The quiet zone keeps the modules well inside the form's box.
    return standIn(rectangles.constData(), std::make_shared<const QVector<QRect>>(rectangles), colour,
                   QRect(0, 0, side, side), [&] {
                       QByteArray out;
                       out.reserve(rectangles.size() * 20 + 32);
                       appendColour(out, colour, "rg");
                       for (const QRect &r : rectangles) {
                           out += QByteArray::number(r.x()) + ' ' + QByteArray::number(r.y()) + ' '
                                  + QByteArray::number(r.width()) + ' ' + QByteArray::number(r.height()) + " re\n";
                       }
                       out += "f\n";
                       return out;
                   });
}

QByteArray PdfCellForms::outlineContent(const QPainterPath &outline, QPoint origin, qreal penWidth,
                                           const QColor &colour)
{
    QByteArray out;
    out.reserve(outline.elementCount() * 24 + 96);
    appendColour(out, colour, "rg");
    appendColour(out, colour, "RG");
    appendNumber(out, penWidth);
    out += "w 1 J 1 j [] 0 d\n";
    // As Qt's PDF writer writes a path: a subpath that ends where it began
    // is closed, so its ends are joined rather than capped.
    int start = -1;
    for (int i = 0; i < outline.elementCount(); ++i) {
        const QPainterPath::Element &element = outline.elementAt(i);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            if (start >= 0 && sameEnd(outline.elementAt(start), outline.elementAt(i - 1)))
                out += "h\n";
            appendPoint(out, element.x, element.y, origin);
            out += "m\n";
            start = i;
            break;
        case QPainterPath::LineToElement:
            appendPoint(out, element.x, element.y, origin);
            out += "l\n";
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 >= outline.elementCount())
                return out + "n\n";
            appendPoint(out, element.x, element.y, origin);
            appendPoint(out, outline.elementAt(i + 1).x, outline.elementAt(i + 1).y, origin);
            appendPoint(out, outline.elementAt(i + 2).x, outline.elementAt(i + 2).y, origin);
            out += "c\n";
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    if (start >= 0 && sameEnd(outline.elementAt(start), outline.elementAt(outline.elementCount() - 1)))
        out += "h\n";
    out += outline.fillRule() == Qt::WindingFill ? "B\n" : "B*\n";
    return out;
}

bool PdfCellForms::replaceStandIns(QPDF &document) const
{
    // Each stand-in colour's image; a second image of that colour is a real
    // picture's.
    std::map<QRgb, QPDFObjectHandle> found;
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(document).getAllPages()) {
        for (auto &[name, image] : page.getImages()) {
            const std::optional<QRgb> colour = PdfPictureStreams::standInColourOf(image);
            if (!colour || qBlue(*colour) != StandInBlue)
                continue;
            const auto [at, first] = found.try_emplace(*colour, image);
            if (!first && at->second.getObjGen() != image.getObjGen())
                return false;
        }
    }
    for (const Form &form : m_forms) {
        const auto image = found.find(form.standInColour);
        if (image == found.end())
            return false;
        QPDFObjectHandle stream = image->second;
        QPDFObjectHandle dict = stream.getDict();
        for (const char *key : {"/Width", "/Height", "/ColorSpace", "/BitsPerComponent", "/Interpolate", "/Intent",
                                "/Decode", "/Filter", "/DecodeParms", "/Length"})
            dict.removeKey(key);
        const double width = form.rect.width(), height = form.rect.height();
        dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        dict.replaceKey("/FormType", QPDFObjectHandle::newInteger(1));
        dict.replaceKey("/BBox", numbers({0, 0, width, height}));
        // The stand-in fills the unit square, its top row at the top: the
        // form's y runs down from its top-left corner, as the page's did.
        dict.replaceKey("/Matrix", numbers({1 / width, 0, 0, -1 / height, 0, 1}));
        dict.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
        const QByteArray deflated = PictureDeflate::zlibStream(form.content.constData(), std::size_t(form.content.size()));
        if (deflated.isEmpty())
            return false;
        auto bytes = std::make_shared<Buffer>(std::size_t(deflated.size()));
        std::memcpy(bytes->getBuffer(), deflated.constData(), std::size_t(deflated.size()));
        stream.replaceStreamData(bytes, QPDFObjectHandle::newName("/FlateDecode"), QPDFObjectHandle::newNull());
    }
    return true;
}
