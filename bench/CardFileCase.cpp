// The card file: the largest card written and read in this process, once
// with its image boxes holding no picture (the file and its records alone)
// and once with the 20 bitmaps, which the read decodes.
//
// A save syncs the file and its folder to the disk before and after the
// rename; how long the disk takes to confirm that is the disk's, not the
// program's, and varies with whatever else writes to it. The timed files
// therefore lie in a RAM folder (the syncs are still made, they just do not
// wait for a device); the same write to the disk is shown for reference.
#include "Cases.h"

#include "BenchCard.h"
#include "CardDocument.h"
#include "CardFile.h"
#include "Measure.h"
#include "ResultTable.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <list>

namespace {

constexpr int Repeat = 200;   // operations per run on a card without pictures

double writeSeconds(const CardDocument &doc, const QString &path, int repeat)
{
    return secondsPerCall(repeat, [&] { WriteCardFile(doc, path); });
}

// Each read goes into a fresh document, made before the clock starts.
double readSeconds(const QString &path, int repeat)
{
    std::list<CardDocument> readers(static_cast<std::size_t>(repeat));
    auto next = readers.begin();
    return secondsPerCall(repeat, [&] { LoadCardFile(*next++, path); });
}

struct Card {
    CardDocument doc;
    QString path;
    Card(const QString &dir, const QString &name, int boxes, const QStringList &pictures)
        : path(QDir(dir).filePath(name))
    {
        BenchCard::fill(doc, boxes, pictures);
        BenchCard::loadPictures(doc);
    }
};

// A folder in memory when the machine has one.
QString ramFolderOr(const QString &fallback)
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : fallback;
}

QString milliseconds(double seconds)
{
    return QString::number(seconds * 1000, 'f', 3) + QStringLiteral(" ms");
}

} // namespace

void cardFileCase(const BenchSetup &setup, ResultTable &table)
{
    QTemporaryDir ram(ramFolderOr(setup.dir) + QStringLiteral("/tavelo-bench-XXXXXX"));
    const QString dir = ram.isValid() ? ram.path() : setup.dir;
    const Card bare(dir, QStringLiteral("bare.tvl"), 20, {});
    const Card bareHalf(dir, QStringLiteral("bare-half.tvl"), 10, {});
    const Card pictures(dir, QStringLiteral("pictures.tvl"), 20, setup.pictures);
    const Card picturesHalf(dir, QStringLiteral("pictures-half.tvl"), 10, setup.pictures);
    const QString onDisk = QDir(setup.dir).filePath(QStringLiteral("disk.tvl"));

    std::vector<double> writeBare, writeBareHalf, writePictures, writeDisk;
    std::vector<double> readBare, readBareHalf, readPictures, readPicturesHalf;
    for (int run = 0; run < setup.runs; ++run) {
        writeBare.push_back(writeSeconds(bare.doc, bare.path, Repeat));
        writeBareHalf.push_back(writeSeconds(bareHalf.doc, bareHalf.path, Repeat));
        writePictures.push_back(writeSeconds(pictures.doc, pictures.path, Repeat));
        writeSeconds(picturesHalf.doc, picturesHalf.path, 1);
        writeDisk.push_back(writeSeconds(bare.doc, onDisk, Repeat));
        readBare.push_back(readSeconds(bare.path, Repeat));
        readBareHalf.push_back(readSeconds(bareHalf.path, Repeat));
        readPictures.push_back(readSeconds(pictures.path, 1));
        readPicturesHalf.push_back(readSeconds(picturesHalf.path, 1));
    }
    const double ms = 1000;
    table.section(QStringLiteral("3. Card file, largest card, per operation"));
    table.atMost(QStringLiteral("write, no pictures"), median(writeBare) * ms, 1, QStringLiteral(" ms"), 3);
    table.atMost(QStringLiteral("read, no pictures"), median(readBare) * ms, 1, QStringLiteral(" ms"), 3);
    table.reference(QStringLiteral("write, 20 pictures held (only paths are written)"), milliseconds(median(writePictures)));
    table.reference(QStringLiteral("read, 20 pictures decoded"), milliseconds(median(readPictures)));
    table.reference(QStringLiteral("write, no pictures, to the disk (waits for its syncs)"), milliseconds(median(writeDisk)));
    table.section(QStringLiteral("growth of the card file (twice the load; linear is x2)"));
    table.doubling(QStringLiteral("write, no pictures, 10+10 -> 20+20 boxes"), median(writeBareHalf), median(writeBare));
    table.doubling(QStringLiteral("read, no pictures, 10+10 -> 20+20 boxes"), median(readBareHalf), median(readBare));
    table.doubling(QStringLiteral("read, pictures, 10+10 -> 20+20 boxes"), median(readPicturesHalf), median(readPictures));
}
