#pragma once
// Files that tests write for themselves: card files from lines of text, and
// Windows bitmaps built byte by byte; and the pages of a PDF file written.
#include "base/CodePage932.h"
#include "cardfile/ExtensionLine.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <functional>

namespace TestFiles {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pages of a PDF file as the program's PDF writer makes it.
inline qsizetype pdfPageCount(const QByteArray &pdf)
{
    return pdf.count("/Type /Page") - pdf.count("/Type /Pages");
}

// Lines in code page 932, each ended by CR LF.
inline QByteArray cardBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += CodePage932::encode(line) + "\r\n";
    return bytes;
}

// The four fixed lines: header, cut guides, left and top margin.
inline QStringList fixedLines(int guide = 1, int left = 0, int top = 0)
{
    return {QStringLiteral("Tavelo DataFile"), QString::number(guide), QString::number(left), QString::number(top)};
}

// The ten lines of a text box record.
inline QStringList textRecord(const QString &mark, const QString &caption, int left = 10, int top = 20,
                              int width = 100, int height = 20, const QString &font = QStringLiteral("ＭＳ Ｐ明朝"),
                              int size = 10, int color = 0, const QString &style = QStringLiteral("    "))
{
    return {mark, caption, QString::number(left), QString::number(top), QString::number(width),
            QString::number(height), font, QString::number(size), QString::number(color), style};
}

inline QStringList imageRecord(const QString &mark, const QString &path, int left = 100, int top = 0,
                               int width = 64, int height = 64)
{
    return {mark, path, QString::number(left), QString::number(top), QString::number(width), QString::number(height)};
}

// A box of the back as the card file keeps it: its record and property
// lines in one Back= line.
inline QString backLine(const QStringList &record)
{
    return QStringLiteral("Back=") + QString::fromLatin1(ExtensionLine::escape(cardBytes(record)));
}

// A bitmap file: pixel(x, y) gives the stored value of the pixel in picture
// rows from the top (a palette index, or the packed 16/24/32-bit value).
struct BmpLayout {
    std::int32_t width = 1;
    std::int32_t height = 1;   // negative: rows stored from the top
    int bitCount = 24;
    std::uint32_t headerSize = 40;
    std::uint32_t compression = 0;
    QVector<QRgb> palette;
    QVector<std::uint32_t> masks;   // after a 40-byte header for compression 3, inside a later one
    std::uint32_t colorsUsed = 0;
    QByteArray data;                // the pixel data as it stands (run-length data), instead of pixel
    std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0U; };
};

inline void putLE(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

inline QByteArray makeBmp(const BmpLayout &layout)
{
    const int rows = layout.height < 0 ? -layout.height : layout.height;
    const int stride = (layout.width * layout.bitCount + 31) / 32 * 4;
    const int entrySize = layout.headerSize == 12 ? 3 : 4;
    QByteArray header;
    putLE(header, layout.headerSize, 4);
    if (layout.headerSize == 12) {
        putLE(header, std::uint32_t(layout.width), 2);
        putLE(header, std::uint32_t(layout.height), 2);
        putLE(header, 1, 2);
        putLE(header, std::uint32_t(layout.bitCount), 2);
    } else {
        putLE(header, std::uint32_t(layout.width), 4);
        putLE(header, std::uint32_t(layout.height), 4);
        putLE(header, 1, 2);
        putLE(header, std::uint32_t(layout.bitCount), 2);
        putLE(header, layout.compression, 4);
        putLE(header, std::uint32_t(layout.data.isEmpty() ? stride * rows : layout.data.size()), 4);
        putLE(header, 3780, 4);
        putLE(header, 3780, 4);
        putLE(header, layout.colorsUsed, 4);
        putLE(header, 0, 4);
        if (layout.headerSize > 40) {
            for (std::uint32_t mask : layout.masks)
                putLE(header, mask, 4);
        }
        while (header.size() < int(layout.headerSize))
            header += char(0);
    }
    if (layout.headerSize <= 40) {
        for (std::uint32_t mask : layout.masks)
            putLE(header, mask, 4);
    }
    for (QRgb c : layout.palette) {
        header += char(qBlue(c));
        header += char(qGreen(c));
        header += char(qRed(c));
        if (entrySize == 4)
            header += char(0);
    }
    QByteArray pixels = layout.data;
    for (int r = 0; r < rows && layout.data.isEmpty(); ++r) {
        const int y = layout.height < 0 ? r : rows - 1 - r;
        QByteArray row(stride, char(0));
        for (int x = 0; x < layout.width; ++x) {
            const std::uint32_t v = layout.pixel(x, y);
            switch (layout.bitCount) {
            case 1: row[x / 8] = char(row[x / 8] | char((v & 1) << (7 - x % 8))); break;
            case 4: row[x / 2] = char(row[x / 2] | char((v & 0xF) << (x % 2 == 0 ? 4 : 0))); break;
            case 8: row[x] = char(v); break;
            default:
                for (int i = 0; i < layout.bitCount / 8; ++i)
                    row[x * layout.bitCount / 8 + i] = char((v >> (8 * i)) & 0xFF);
            }
        }
        pixels += row;
    }
    QByteArray file("BM");
    putLE(file, std::uint32_t(14 + header.size() + pixels.size()), 4);
    putLE(file, 0, 4);
    putLE(file, std::uint32_t(14 + header.size()), 4);
    return file + header + pixels;
}

// A plain 24-bit picture of the given size.
inline QByteArray simpleBmp(int width, int height)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.pixel = [](int x, int y) { return std::uint32_t((x * 40) << 16 | (y * 40) << 8 | 0x80); };
    return makeBmp(layout);
}

} // namespace TestFiles
