#include "picture/PngDecoder.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "picture/PictureLimits.h"

#include <QColorSpace>

#include <png.h>

#include <cstring>
#include <vector>

namespace {

// The file being read, as libpng asks for it.
struct Source {
    const unsigned char *data;
    size_t size;
    size_t at;
    bool readingEnd;   // after the pixels: a missing last checksum is forgiven, as Qt does
};

}   // namespace

// libpng's callbacks. Errors jump back to the setjmp of the step that ran;
// nothing is written anywhere (libpng's own handler prints to stderr).
extern "C" {

static void readBytes(png_structp png, png_bytep out, size_t length)
{
    auto *source = static_cast<Source *>(png_get_io_ptr(png));
    const size_t left = source->size - source->at;
    if (source->readingEnd && left < 4 && length == 4) {
        static const unsigned char iendCrc[4] = {0xAE, 0x42, 0x60, 0x82};
        std::memcpy(out, iendCrc, 4);
        source->at = source->size;
        return;
    }
    if (length > left)
        png_error(png, "cut short");
    std::memcpy(out, source->data + source->at, length);
    source->at += length;
}

static void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

static void quietWarning(png_structp, png_const_charp) {}

}   // extern "C"

namespace {

[[noreturn]] void invalid() { throw TaveloError(Msg::invalidBitmap()); }

// libpng's structures for one read, freed however the read ends.
class PngRead
{
public:
    PngRead()
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
        if (png)
            info = png_create_info_struct(png);
        if (info)
            end = png_create_info_struct(png);
    }
    ~PngRead() { png_destroy_read_struct(&png, &info, &end); }
    PngRead(const PngRead &) = delete;
    PngRead &operator=(const PngRead &) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop end = nullptr;
};

// What the picture becomes: its format and the transforms that give it.
struct Plan {
    QImage::Format format = QImage::Format_Invalid;
    bool invertMono = false;
    bool packing = false;
    bool expand = false;
    bool grayToRgb = false;
    bool filler8 = false;
    bool filler16 = false;
    bool bgr = false;
    bool swap = false;
    int grayColours = 0;   // an indexed grey picture: the size of its grey table
};

// Each step that libpng may end with an error runs in a function of its own
// that holds nothing with a destructor: the jump back skips no C++ object.
bool readInfo(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    return true;
}

bool applyPlan(png_structp png, png_infop info, const Plan *plan)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_interlace_handling(png);
    if (plan->invertMono)
        png_set_invert_mono(png);
    if (plan->packing)
        png_set_packing(png);
    if (plan->expand)
        png_set_expand(png);
    if (plan->grayToRgb)
        png_set_gray_to_rgb(png);
    if (plan->filler8)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (plan->filler16)
        png_set_filler(png, 0xFFFF, PNG_FILLER_AFTER);
    if (plan->bgr)
        png_set_bgr(png);
    if (plan->swap)
        png_set_swap(png);
    png_read_update_info(png, info);
    return true;
}

bool readPixels(png_structp png, png_infop end, png_bytepp rows, Source *source)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    source->readingEnd = true;
    png_read_end(png, end);
    return true;
}

bool hasTransparency(png_structp png, png_infop info) { return png_get_valid(png, info, PNG_INFO_tRNS) != 0; }

// The formats Qt's reader chooses, on a little-endian machine.
Plan planFor(png_structp png, png_infop info)
{
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    const bool transparent = hasTransparency(png, info);
    Plan plan;
    if (type == PNG_COLOR_TYPE_GRAY) {
        if (depth == 1) {
            plan.invertMono = true;
            plan.format = QImage::Format_Mono;
        } else if (depth == 16 && !transparent) {
            plan.swap = true;
            plan.format = QImage::Format_Grayscale16;
        } else if (depth == 16) {
            plan.expand = plan.grayToRgb = plan.swap = true;
            plan.format = QImage::Format_RGBA64;
        } else if (depth == 8 && !transparent) {
            plan.expand = true;
            plan.format = QImage::Format_Grayscale8;
        } else {
            plan.packing = depth < 8;
            plan.grayColours = depth < 8 ? 1 << depth : 256;
            plan.format = QImage::Format_Indexed8;
        }
    } else if (type == PNG_COLOR_TYPE_PALETTE) {
        plan.packing = depth != 1;
        plan.bgr = true;
        plan.format = depth == 1 ? QImage::Format_Mono : QImage::Format_Indexed8;
    } else if (depth == 16) {
        const bool alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || transparent;
        plan.filler16 = !alpha;
        plan.expand = transparent;   // a transparent colour becomes an alpha channel
        plan.grayToRgb = (type & PNG_COLOR_MASK_COLOR) == 0;
        plan.swap = true;
        plan.format = alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64;
    } else {
        const bool alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || transparent;
        plan.expand = true;
        plan.grayToRgb = type == PNG_COLOR_TYPE_GRAY_ALPHA;
        plan.filler8 = !alpha;
        plan.bgr = true;
        plan.format = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    }
    return plan;
}

void setColours(png_structp png, png_infop info, const Plan &plan, QImage &image)
{
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p transparentColour = nullptr;
    png_get_tRNS(png, info, &alphas, &alphaCount, &transparentColour);
    const int type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &palette, &count);
        image.setColorCount(image.format() == QImage::Format_Mono ? 2 : count);
        for (int i = 0; i < count && i < image.colorCount(); ++i) {
            const int alpha = alphas && i < alphaCount ? alphas[i] : 0xFF;
            image.setColor(i, qRgba(palette[i].red, palette[i].green, palette[i].blue, alpha));
        }
    } else if (plan.format == QImage::Format_Mono) {
        image.setColorCount(2);
        image.setColor(1, qRgb(0, 0, 0));
        image.setColor(0, qRgb(255, 255, 255));
        if (transparentColour && transparentColour->gray == 0)
            image.setColor(1, qRgba(0, 0, 0, 0));
        else if (transparentColour && transparentColour->gray == 1)
            image.setColor(0, qRgba(255, 255, 255, 0));
    } else if (plan.grayColours > 0) {
        image.setColorCount(plan.grayColours);
        for (int i = 0; i < plan.grayColours; ++i) {
            const int c = i * 255 / (plan.grayColours - 1);
            image.setColor(i, qRgba(c, c, c, 0xFF));
        }
        if (transparentColour && transparentColour->gray < plan.grayColours)
            image.setColor(transparentColour->gray, 0);
    }
}

// An index beyond the palette is drawn in its first colour, as Qt draws it.
void clampIndexes(QImage &image)
{
    if (image.format() != QImage::Format_Indexed8)
        return;
    const int colours = image.colorCount();
    for (int y = 0; y < image.height(); ++y) {
        uchar *p = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (p[x] >= colours)
                p[x] = 0;
        }
    }
}

// The colour space the file names, as Qt's reader takes it: an ICC profile,
// else sRGB, else a gamma (with the file's primaries when it gives them).
QColorSpace colourSpaceOf(png_structp png, png_infop info)
{
    if (png_get_valid(png, info, PNG_INFO_iCCP)) {
        png_charp name = nullptr;
        int compression = 0;
        png_bytep profile = nullptr;
        png_uint_32 length = 0;
        png_get_iCCP(png, info, &name, &compression, &profile, &length);
        QColorSpace space =
            QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char *>(profile), qsizetype(length)));
        if (space.isValid())
            return space;
    }
    if (png_get_valid(png, info, PNG_INFO_sRGB)) {
        int intent = -1;
        png_get_sRGB(png, info, &intent);
        if (intent >= 0 && intent <= 3)
            return QColorSpace(QColorSpace::SRgb);
    }
    double fileGamma = 0.0;
    if (png_get_valid(png, info, PNG_INFO_gAMA) && png_get_gAMA(png, info, &fileGamma) && fileGamma > 0.0) {
        const float gamma = float(1.0 / fileGamma);   // the file gives the encoding exponent
        double white[2], red[2], green[2], blue[2];
        if (png_get_valid(png, info, PNG_INFO_cHRM)
            && png_get_cHRM(png, info, &white[0], &white[1], &red[0], &red[1], &green[0], &green[1], &blue[0],
                            &blue[1])) {
            const QColorSpace space(QPointF(white[0], white[1]), QPointF(red[0], red[1]), QPointF(green[0], green[1]),
                                    QPointF(blue[0], blue[1]), QColorSpace::TransferFunction::Gamma, gamma);
            if (space.isValid())
                return space;
        }
        return QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma, gamma);
    }
    return QColorSpace();
}

}   // namespace

namespace PngDecoder {

QImage decode(const QByteArray &bytes)
{
    PngRead read;
    if (!read.end)
        invalid();
    Source source{reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size()), 0, false};
    png_set_read_fn(read.png, &source, readBytes);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
    // Reads the files whose compressed data claims a window too small, as Qt does.
    png_set_option(read.png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
    if (!readInfo(read.png, read.info))
        invalid();
    const std::int64_t width = png_get_image_width(read.png, read.info);
    const std::int64_t height = png_get_image_height(read.png, read.info);
    if (width <= 0 || height <= 0 || width * height > PictureLimits::MaxPixels)
        invalid();

    const Plan plan = planFor(read.png, read.info);
    if (!applyPlan(read.png, read.info, &plan))
        invalid();
    // Plain memory, as Qt's reader takes: huge pages made a picture at the
    // size limit (10000 x 10000) load in 2.5 s instead of 1.2 s.
    QImage image(int(width), int(height), plan.format);
    if (image.isNull() || size_t(image.bytesPerLine()) < png_get_rowbytes(read.png, read.info))
        invalid();
    setColours(read.png, read.info, plan, image);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < int(height); ++y)
        rows[size_t(y)] = image.scanLine(y);
    if (!readPixels(read.png, read.end, rows.data(), &source))
        invalid();
    if (png_get_color_type(read.png, read.info) == PNG_COLOR_TYPE_PALETTE)
        clampIndexes(image);

    image.setDotsPerMeterX(int(png_get_x_pixels_per_meter(read.png, read.info)));
    image.setDotsPerMeterY(int(png_get_y_pixels_per_meter(read.png, read.info)));
    png_int_32 offsetX = 0;
    png_int_32 offsetY = 0;
    int unit = PNG_OFFSET_PIXEL;
    if (png_get_oFFs(read.png, read.info, &offsetX, &offsetY, &unit) && unit == PNG_OFFSET_PIXEL)
        image.setOffset(QPoint(offsetX, offsetY));
    const QColorSpace space = colourSpaceOf(read.png, read.info);
    if (space.isValid())
        image.setColorSpace(space);
    return image;
}

}   // namespace PngDecoder
