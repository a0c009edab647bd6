// The memory of large pictures: what a picture gives back is kept for the
// next one of about its size, within a bound, and a picture in kept memory
// holds exactly what is written to it.
#include "picture/PictureMemory.h"

#include <QTest>

#include <algorithm>
#include <vector>

namespace {

constexpr std::size_t MiB = std::size_t(1) << 20;

// An image of about megabytes MiB (32-bit, 1024 pixels a row).
QImage pictureOf(int megabytes)
{
    return PictureMemory::newImage(1024, megabytes * 256, QImage::Format_RGB32);
}

void paint(QImage &image, uint seed)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<uint *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = 0xff000000u | (seed * 2654435761u + uint(y) * 1031u + uint(x));
    }
}

bool holds(const QImage &image, uint seed)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const uint *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] != (0xff000000u | (seed * 2654435761u + uint(y) * 1031u + uint(x))))
                return false;
        }
    }
    return true;
}

} // namespace

class TestPictureMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A card opened after another: its pictures take the memory the last
    // ones gave back, and hold what is written, however the last ones were
    // written.
    void nextCardReusesMemory()
    {
        std::vector<const uchar *> first;
        {
            std::vector<QImage> card;
            for (uint n = 0; n < 20; ++n) {
                card.push_back(pictureOf(8));
                QVERIFY(!card.back().isNull());
                paint(card.back(), n);
                first.push_back(card.back().constBits());
            }
        }
        QVERIFY(PictureMemory::keptBytes() >= 20 * 8 * MiB);
        std::vector<QImage> next;
        int reused = 0;
        for (uint n = 0; n < 20; ++n) {
            next.push_back(pictureOf(8));
            paint(next.back(), 100 + n);
            reused += std::count(first.begin(), first.end(), next.back().constBits()) > 0;
        }
        QCOMPARE(reused, 20);
        for (uint n = 0; n < 20; ++n)
            QVERIFY2(holds(next[n], 100 + n), qPrintable(QString::number(n)));
    }

    // However much is given back, what is kept stays within its bound; a
    // small picture does not take a large piece, nor does a large picture
    // come from kept memory too small for it.
    void keptWithinBounds()
    {
        {
            std::vector<QImage> many;
            for (int n = 0; n < 48; ++n)
                many.push_back(pictureOf(8));   // 384 MiB, never written
        }
        const std::size_t kept = PictureMemory::keptBytes();
        QVERIFY(kept <= 256 * MiB);
        QVERIFY(kept >= 200 * MiB);

        const QImage small = pictureOf(2);
        QCOMPARE(PictureMemory::keptBytes(), kept);
        const QImage large = pictureOf(24);
        QCOMPARE(PictureMemory::keptBytes(), kept);
        const QImage tiny = PictureMemory::newImage(16, 16, QImage::Format_RGB32);
        QVERIFY(!tiny.isNull());
        QCOMPARE(PictureMemory::keptBytes(), kept);
        const QImage same = pictureOf(8);
        QCOMPARE(PictureMemory::keptBytes(), kept - 8 * MiB);
    }
};

QTEST_APPLESS_MAIN(TestPictureMemory)
#include "test_picturememory.moc"
