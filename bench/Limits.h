#pragma once
// What the machine allows a case, measured in this process just before the
// case, with the libraries the program uses (Qt, libdeflate, zlib), every
// stage on every core: the work no program can avoid (a process's start,
// reading the pictures' bytes, decoding and scaling them, compressing what
// the file holds), each stage the median of several runs. A case's time
// divided by its limit travels from one machine to the next; the time alone
// does not.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

struct Limit {
    double start = 0;      // a process that starts and ends at once
    double read = 0;       // the pictures' bytes, from the file cache
    double decode = 0;     // their rows to 32-bit pixels
    double scale = 0;      // to the printed size
    double compress = 0;   // what the output file holds, deflated
    double shape = 0;      // captions shaped, each distinct text once

    double total() const { return start + read + decode + scale + compress + shape; }
    // The parts in milliseconds, for the table.
    QString parts() const;
};

namespace Limits {

// The median wall time of a program that starts and ends at once (a usage
// error or the help text), from just before the start to the exit.
double bareStart(const QString &program, const QStringList &args, int runs);

// The stages of a picture job on every core: the files read, their 24-bit
// rows converted to 32-bit pixels, the pixels scaled to printedSize, and
// the scaled samples compressed at the PDF's level (libdeflate). A path
// given twice is one picture, as a job embeds it once.
Limit pictures(const QStringList &paths, QSize printedSize, bool compress, int runs);

// Compressing bytes as the PNG pages are (zlib at their level), in one band
// a core.
double compressPngBands(const QByteArray &bytes, int runs);

// The bytes a PNG file compresses: its IDAT data inflated.
QByteArray pngFilteredRows(const QString &path);

// Compressing what a PDF file holds in its Flate streams (inflated from
// the file), as Qt's PDF writer does (zlib's default level), in one part
// a core; the count of those bytes in *bytes.
double compressPdfStreams(const QString &path, int runs, qsizetype *bytes);

// Shaping each of texts once with Qt's text layout, in the font of a
// 10-point caption at dpi, on one core.
double shapeTexts(const QStringList &texts, int dpi, int runs);

} // namespace Limits
