#include "sheet/PdfPictureStreams.h"

#include "sheet/PictureDeflate.h"

#include <QHash>
#include <QtConcurrent/QtConcurrentMap>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>


#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {


// The samples Qt's PDF writer embeds for an opaque picture: red, green and
// blue bytes, row after row with nothing between the rows.
QByteArray rgbSamples(const QImage &picture)
{
    const QImage pixels = picture.format() == QImage::Format_RGB32 ? picture
                                                                   : picture.convertToFormat(QImage::Format_RGB32);
    const int width = pixels.width();
    QByteArray samples(qsizetype(width) * 3 * pixels.height(), Qt::Uninitialized);
    uchar *out = reinterpret_cast<uchar *>(samples.data());
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            *out++ = uchar(qRed(row[x]));
            *out++ = uchar(qGreen(row[x]));
            *out++ = uchar(qBlue(row[x]));
        }
    }
    return samples;
}

// Qt writes such a picture as 8-bit RGB samples without a mask.
bool embeddedAsColourSamples(const QImage &picture)
{
    return !picture.isNull() && picture.depth() != 1 && !picture.hasAlphaChannel();
}

// One colour for each stand-in, none shared.
QRgb standInColour(std::size_t index)
{
    return qRgb(int((index >> 8) & 0xff), int(index & 0xff), 0x5a);
}

} // namespace

std::optional<QRgb> PdfPictureStreams::standInColourOf(QPDFObjectHandle image)
{
    QPDFObjectHandle dict = image.getDict();
    if (dict.getKey("/Subtype").unparse() != "/Image" || dict.getKey("/ColorSpace").unparse() != "/DeviceRGB"
        || dict.getKey("/BitsPerComponent").unparse() != "8" || dict.getKey("/Width").unparse() != "1"
        || dict.getKey("/Height").unparse() != "1" || dict.hasKey("/SMask") || dict.hasKey("/Mask"))
        return std::nullopt;
    const std::shared_ptr<Buffer> data = image.getStreamData(qpdf_dl_generalized);
    if (data->getSize() != 3)
        return std::nullopt;
    const unsigned char *rgb = data->getBuffer();
    return qRgb(rgb[0], rgb[1], rgb[2]);
}

PdfPictureStreams::PdfPictureStreams(const std::vector<QImage> &pictures, std::size_t firstStandIn)
{
    m_drawn = pictures;
    // A picture shown by several boxes is embedded once: one stand-in for it.
    QHash<qint64, std::size_t> standInOf;
    for (std::size_t n = 0; n < pictures.size(); ++n) {
        const QImage &picture = pictures[n];
        if (!embeddedAsColourSamples(picture))
            continue;
        if (const auto known = standInOf.constFind(picture.cacheKey()); known != standInOf.cend()) {
            m_drawn[n] = m_drawn[*known];
            continue;
        }
        const QRgb colour = standInColour(firstStandIn + m_streams.size());
        QImage standIn(1, 1, QImage::Format_RGB32);
        standIn.fill(colour);
        m_drawn[n] = standIn;
        standInOf.insert(picture.cacheKey(), n);
        m_streams.push_back({colour, picture.width(), picture.height(), {}});
        m_pictures.push_back(picture);
    }
    m_compressed = QtConcurrent::map(m_streams, [this](Stream &stream) {
        const std::size_t n = std::size_t(&stream - m_streams.data());
        const QByteArray samples = rgbSamples(m_pictures[n]);
        stream.deflated = PictureDeflate::zlibStream(samples.constData(), std::size_t(samples.size()));
    });
}

PdfPictureStreams::~PdfPictureStreams()
{
    m_compressed.waitForFinished();
}

qsizetype PdfPictureStreams::compressedBytes()
{
    m_compressed.waitForFinished();
    qsizetype bytes = 0;
    for (const Stream &stream : m_streams)
        bytes += stream.deflated.size();
    return bytes;
}

bool PdfPictureStreams::replaceStandIns(QPDF &document)
{
    m_compressed.waitForFinished();
    // A document joined from parts may hold a stand-in more than once: each
    // gets the picture.
    std::vector<std::shared_ptr<Buffer>> replaced(m_streams.size());
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(document).getAllPages()) {
        for (auto &[name, image] : page.getImages()) {
            const std::optional<QRgb> colour = standInColourOf(image);
            if (!colour)
                continue;
            for (std::size_t n = 0; n < m_streams.size(); ++n) {
                const Stream &stream = m_streams[n];
                if (stream.standInColour != *colour || stream.deflated.isEmpty())
                    continue;
                QPDFObjectHandle dict = image.getDict();
                dict.replaceKey("/Width", QPDFObjectHandle::newInteger(stream.width));
                dict.replaceKey("/Height", QPDFObjectHandle::newInteger(stream.height));
                if (!replaced[n]) {
                    replaced[n] = std::make_shared<Buffer>(std::size_t(stream.deflated.size()));
                    std::memcpy(replaced[n]->getBuffer(), stream.deflated.constData(),
                                std::size_t(stream.deflated.size()));
                }
                image.replaceStreamData(replaced[n], QPDFObjectHandle::newName("/FlateDecode"),
                                        QPDFObjectHandle::newNull());
                break;
            }
        }
    }
    return std::all_of(replaced.begin(), replaced.end(),
                       [](const std::shared_ptr<Buffer> &bytes) { return bytes != nullptr; });
}
