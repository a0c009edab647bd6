#pragma once
// The pictures of a PDF sheet, compressed on every core. Qt's PDF writer
// compresses each picture it embeds itself, one after the other, on the
// drawing thread, and offers no way to hand it a stream made elsewhere.
// The sheet is therefore drawn with a stand-in for each picture (one pixel
// of a colour of its own), and each stand-in's image in the written file
// (qpdf) then gets the picture's size and samples, compressed on the other
// cores while the sheet is drawn. A PDF image always fills the square its
// drawing instruction maps it to, whatever its number of samples: the
// picture lands exactly where the stand-in was drawn.
#include <QFuture>
#include <QImage>

#include <cstddef>
#include <optional>
#include <vector>

class QPDF;
class QPDFObjectHandle;

class PdfPictureStreams
{
public:
    // Starts compressing the pictures Qt would embed as plain colour images
    // (no alpha channel, not a bitmap); the others are drawn as they are.
    // Stand-ins are numbered from firstStandIn: the pictures of several
    // sheets drawn into one document each need stand-ins of their own.
    explicit PdfPictureStreams(const std::vector<QImage> &pictures, std::size_t firstStandIn = 0);
    ~PdfPictureStreams();   // waits for the compression
    PdfPictureStreams(const PdfPictureStreams &) = delete;
    PdfPictureStreams &operator=(const PdfPictureStreams &) = delete;

    // What to draw in place of each picture, in the order given.
    const std::vector<QImage> &drawn() const { return m_drawn; }
    bool empty() const { return m_streams.empty(); }
    // How many stand-ins there are (the next sheet's firstStandIn).
    std::size_t standInCount() const { return m_streams.size(); }
    // The size of the compressed pictures, once the compression is done.
    qsizetype compressedBytes();

    // Puts each picture's stream in place of its stand-in in the drawn
    // document, once the compression is done. False, with the document unusable, when any stand-in is
    // not found as the image Qt writes for it (a picture whose box lies off
    // the page, say): the sheet must then be drawn with the pictures.
    bool replaceStandIns(QPDF &document);

    // The colour of a stand-in as Qt writes it: a one-pixel 8-bit RGB image
    // without a mask. Nothing for any other image.
    static std::optional<QRgb> standInColourOf(QPDFObjectHandle image);

private:
    struct Stream {
        QRgb standInColour;
        int width;
        int height;
        QByteArray deflated;   // the picture's RGB samples, zlib format
    };

    std::vector<QImage> m_drawn;
    std::vector<QImage> m_pictures;   // the pictures behind m_streams
    std::vector<Stream> m_streams;
    QFuture<void> m_compressed;
};
