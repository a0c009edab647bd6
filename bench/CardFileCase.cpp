// The card file: the largest card written and read in this process, once
// with its image boxes holding no picture (the file and its records alone)
// and once with the 20 bitmaps, which the read decodes. Every operation is
// timed on its own, the large and the half card taking turns, so that a busy
// spell of the machine hits both alike; the figure is the median.
//
// A save syncs the file and its folder to the disk before and after the
// rename; how long the disk takes to confirm that is the disk's, not the
// program's, and varies with whatever else writes to it. The timed files
// therefore lie in a RAM folder (the syncs are still made, they just do not
// wait for a device); the same write to the disk is shown for reference.
#include "Cases.h"

#include "BenchCard.h"
#include "Limits.h"
#include "Measure.h"
#include "ResultTable.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int OperationsPerRun = 200;   // on a card without pictures
constexpr int PictureReadsPerRun = 3;   // on a card with pictures
// The Open command within this much of reading and decoding the pictures.
constexpr double OpenTargetRatio = 1.5;
// A save or a read of the card without pictures against the same bytes
// written as safely, or read and decoded: the records are made and parsed
// besides.
constexpr double WriteTargetRatio = 6;
constexpr double ReadTargetRatio = 10;

// A card in memory and in its file, and a document to read the file into.
struct Card {
    CardDocument doc;
    QString path;
    CardDocument reader;
    bool pictureLess;
    std::vector<double> writes, reads;

    Card(const QString &dir, const QString &name, int boxes, const QStringList &pictures)
        : path(QDir(dir).filePath(name)), pictureLess(pictures.isEmpty())
    {
        BenchCard::fill(doc, boxes, pictures);
        BenchCard::loadPictures(doc);
        WriteCardFile(doc, path);
    }

    void timeWrite() { writes.push_back(secondsPerCall(1, [&] { WriteCardFile(doc, path); })); }

    // As the Open command does: the card is cleared, then read. A card with
    // pictures frees so much that the read would find its pages in the heap
    // or not by chance; every such read starts with the free memory given back.
    // A card without pictures is read once untimed first: the reads follow a
    // save to the disk, whose syncs put this thread to sleep while the other
    // programs on the machine empty the caches, and the card read first after
    // that paid for them alone (40 µs on the loaded 2-core machine, more than
    // the half card's whole read, which made the largest card 3 × the half).
    void timeRead()
    {
        reader.ClearBoxes();
        if (pictureLess) {
            LoadCardFile(reader, path);
            reader.ClearBoxes();
        } else {
            returnFreedMemory();
        }
        reads.push_back(secondsPerCall(1, [&] { LoadCardFile(reader, path); }));
    }
};

// The least a save of these bytes does: a new file beside path written,
// synced, renamed over path, and the folder synced.
void plainAtomicWrite(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temporary.constData(), target.constData()) != 0)
        return;
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// The least a read of the card does: its bytes read and decoded from code
// page 932.
void plainRead(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QStringDecoder decoder("windows-31j");
    const QString text = decoder.decode(file.readAll());
    (void)text;
}

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
    constexpr int Slots = CardDocument::SlotCount;
    Card bare(dir, QStringLiteral("bare.tvl"), Slots, {});
    Card bareHalf(dir, QStringLiteral("bare-half.tvl"), Slots / 2, {});
    Card pictures(dir, QStringLiteral("pictures.tvl"), Slots, setup.pictures);
    Card picturesHalf(dir, QStringLiteral("pictures-half.tvl"), Slots / 2, setup.pictures);
    Card onDisk(setup.dir, QStringLiteral("disk.tvl"), Slots, {});

    QFile written(bare.path);
    const QByteArray bareBytes = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    const QString plainPath = QDir(dir).filePath(QStringLiteral("plain.tvl"));
    std::vector<double> plainWrites, plainReads;
    for (int n = 0; n < setup.runs * OperationsPerRun; ++n) {
        plainWrites.push_back(secondsPerCall(1, [&] { plainAtomicWrite(plainPath, bareBytes); }));
        plainReads.push_back(secondsPerCall(1, [&] { plainRead(plainPath); }));
        for (Card *card : {&bare, &bareHalf, &pictures, &onDisk})
            card->timeWrite();
        for (Card *card : {&bare, &bareHalf})
            card->timeRead();
    }
    // What the machine allows the read with pictures: reading and decoding
    // them on every core, measured just before.
    const Limit openLimit = Limits::pictures(setup.pictures, QSize(), false, setup.runs);
    // The first read of each card is untimed (it fills the file cache and
    // the picture memory, 3 to 6 times as long as the next). A read is short,
    // and the growth of two cards' reads is a ratio of two medians: each is
    // the median of three times as many reads as the other figures.
    for (Card *card : {&pictures, &picturesHalf}) {
        card->timeRead();
        card->reads.clear();
    }
    for (int n = 0; n < PictureReadsPerRun * setup.runs; ++n) {
        for (Card *card : {&pictures, &picturesHalf})
            card->timeRead();
    }
    pictures.reader.ClearBoxes();
    picturesHalf.reader.ClearBoxes();

    table.section(QStringLiteral("3. Card file, largest card, per operation"));
    table.ratio(QStringLiteral("write, no pictures, against writing its bytes as safely"), median(bare.writes),
                median(plainWrites), WriteTargetRatio);
    table.ratio(QStringLiteral("read, no pictures, against reading and decoding its bytes"), median(bare.reads),
                median(plainReads), ReadTargetRatio);
    table.reference(QStringLiteral("write, 20 pictures held (only paths are written)"), milliseconds(median(pictures.writes)));
    table.reference(QStringLiteral("limit: ") + openLimit.parts(), QStringLiteral("-"));
    table.ratio(QStringLiteral("read, 20 pictures decoded (the Open command)"), median(pictures.reads), openLimit.total(),
                OpenTargetRatio);
    table.reference(QStringLiteral("write, no pictures, to the disk (waits for its syncs)"), milliseconds(median(onDisk.writes)));
    table.section(QStringLiteral("growth of the card file (twice the load; linear is x2)"));
    table.doubling(QStringLiteral("write, no pictures, 10+10 -> 20+20 boxes"), median(bareHalf.writes), median(bare.writes));
    table.doubling(QStringLiteral("read, no pictures, 10+10 -> 20+20 boxes"), median(bareHalf.reads), median(bare.reads));
    table.doubling(QStringLiteral("read, pictures, 10+10 -> 20+20 boxes"), median(picturesHalf.reads), median(pictures.reads));
}
