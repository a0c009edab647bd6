#include "BenchCard.h"

#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "picture/PictureLoader.h"
#include "sheet/SheetPrinter.h"

#include "Measure.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <array>

namespace BenchCard {
namespace {

// A picture like a photograph or a logo: smooth shading, a few shapes and a
// stripe pattern, different for every index.
QImage makePicture(int index)
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv((index * 37) % 360, 160, 230);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(PictureWidth * (0.2 + 0.03 * index), PictureHeight * 0.4), PictureWidth * 0.8);
    shade.setColorAt(0, base.lighter(160));
    shade.setColorAt(1, base.darker(250));
    p.fillRect(image.rect(), shade);
    for (int n = 0; n < 12; ++n) {
        p.setBrush(QColor::fromHsv((index * 37 + n * 29) % 360, 200, 200, 170));
        p.setPen(QPen(Qt::black, 6));
        const int size = 120 + 23 * ((n * 7 + index) % 11);
        p.drawEllipse((n * 331 + index * 97) % (PictureWidth - size), (n * 173 + index * 61) % (PictureHeight - size),
                      size, size);
    }
    p.setPen(QPen(Qt::white, 3));
    for (int x = -PictureHeight; x < PictureWidth; x += 24 + index)
        p.drawLine(x, PictureHeight, x + PictureHeight, 0);
    return image;
}

void putLE(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

// An uncompressed 24-bit Windows bitmap, rows bottom-up, each padded to 4 bytes.
QByteArray bmp24(const QImage &image)
{
    const int rowBytes = (image.width() * 3 + 3) & ~3;
    const std::uint32_t pixelBytes = std::uint32_t(rowBytes) * std::uint32_t(image.height());
    QByteArray out;
    out.reserve(int(54 + pixelBytes));
    out += "BM";
    putLE(out, 54 + pixelBytes, 4);
    putLE(out, 0, 4);
    putLE(out, 54, 4);
    putLE(out, 40, 4);
    putLE(out, std::uint32_t(image.width()), 4);
    putLE(out, std::uint32_t(image.height()), 4);
    putLE(out, 1, 2);
    putLE(out, 24, 2);
    putLE(out, 0, 4);
    putLE(out, pixelBytes, 4);
    putLE(out, 3780, 4);
    putLE(out, 3780, 4);
    putLE(out, 0, 4);
    putLE(out, 0, 4);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < image.width(); ++x) {
            row[3 * x] = char(qBlue(line[x]));
            row[3 * x + 1] = char(qGreen(line[x]));
            row[3 * x + 2] = char(qRed(line[x]));
        }
        out += row;
    }
    return out;
}

struct SampleText {
    const char16_t *caption;
    const char16_t *face;
    int points;
    FontStyles style;
};

// Captions of a real card: names, titles, addresses, numbers; some too long
// for their place, so the printed caption is cut to the card.
const std::array<SampleText, CardDocument::SlotCount> Texts = {{
    {u"株式会社タベロ印刷", u"ＭＳ Ｐ明朝", 12, FontStyle::Bold},
    {u"代表取締役社長　山田太郎", u"ＭＳ 明朝", 11, {}},
    {u"営業本部　第一営業部　課長", u"ＭＳ ゴシック", 9, {}},
    {u"やまだ　たろう", u"ＭＳ Ｐゴシック", 8, FontStyle::Italic},
    {u"〒100-0005 東京都千代田区丸の内一丁目1番1号", u"ＭＳ Ｐ明朝", 8, {}},
    {u"丸の内タベロビル十二階", u"ＭＳ 明朝", 8, {}},
    {u"電話 03-1234-5678", u"ＭＳ ゴシック", 9, {}},
    {u"ファクス 03-1234-5679", u"ＭＳ Ｐゴシック", 9, {}},
    {u"携帯 090-1234-5678", u"ＭＳ ゴシック", 9, FontStyle::Bold},
    {u"メール taro.yamada@example.jp", u"ＭＳ Ｐゴシック", 8, FontStyle::Underline},
    {u"ウェブ https://www.example.jp/", u"ＭＳ Ｐ明朝", 8, {}},
    {u"名刺・封筒・はがきの印刷と製本", u"ＭＳ 明朝", 10, {}},
    {u"営業時間　平日午前九時から午後六時まで", u"ＭＳ Ｐゴシック", 8, {}},
    {u"大阪支店　大阪府大阪市北区梅田三丁目", u"ＭＳ ゴシック", 8, FontStyle::Italic},
    {u"名古屋営業所　愛知県名古屋市中村区", u"ＭＳ Ｐ明朝", 8, {}},
    {u"一級印刷技能士", u"ＭＳ 明朝", 10, FontStyle::Bold},
    {u"品質と納期をお約束します", u"ＭＳ Ｐゴシック", 9, FontStyle::StrikeOut},
    {u"創業一九五二年", u"ＭＳ ゴシック", 9, {}},
    {u"ＩＳＯ９００１認証取得", u"ＭＳ Ｐ明朝", 9, {}},
    {u"お気軽にお問い合わせください", u"ＭＳ 明朝", 8, FontStyle::Bold | FontStyle::Italic},
}};

constexpr std::array<std::int32_t, 6> Colors = {0x000000, 0x800000, 0x008000, 0x000080, 0x404040, 0x0000C0};

void addTextBox(CardDocument &doc, int n)
{
    const int slot = doc.AddTextBox();
    const SampleText &sample = Texts[std::size_t(n)];
    doc.setTextCaption(slot, QString::fromUtf16(sample.caption));
    // Two columns of ten rows over the whole card, over the pictures.
    doc.setTextBounds(slot, {4 + (n % 2) * 170, 4 + (n / 2) * 20, 160, 18});
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setName(QString::fromUtf16(sample.face));
    font.setSize(sample.points, doc.screenPpi());
    font.setColor(Colors[std::size_t(n) % Colors.size()]);
    font.setStyle(sample.style);
    doc.setTextFont(slot, font);
}

void addImageBox(CardDocument &doc, int n, const QString &picture)
{
    const int slot = doc.AddImageBox();
    doc.setImagePath(slot, picture);
    // Five columns of four rows filling the card.
    doc.setImageBounds(slot, {8 + (n % 5) * (ImageBoxWidth + 2), 8 + (n / 5) * (ImageBoxHeight + 2), ImageBoxWidth,
                              ImageBoxHeight});
}

} // namespace

QStringList writePictures(const QString &dir, int count)
{
    QStringList paths;
    for (int n = 0; n < count; ++n) {
        const QString path = QDir(dir).filePath(QStringLiteral("picture%1.bmp").arg(n + 1, 2, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bmp24(makePicture(n))) < 0)
            return {};
        paths << path;
    }
    return paths;
}

void fill(CardDocument &doc, int boxes, const QStringList &pictures)
{
    const int count = std::min(boxes, int(CardDocument::SlotCount));
    for (int n = 0; n < count; ++n)
        addImageBox(doc, n, n < pictures.size() ? pictures.at(n) : QString());
    for (int n = 0; n < count; ++n)
        addTextBox(doc, n);
}

void loadPictures(CardDocument &doc)
{
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = doc.ImageBoxes(slot);
        if (record && !record->ImagePath.isEmpty())
            doc.setImagePicture(slot, PictureLoader::load(record->ImagePath));
    }
}

bool writeCard(const QString &path, int boxes, const QStringList &pictures)
{
    CardDocument doc;
    fill(doc, boxes, pictures);
    return WriteCardFile(doc, path);
}

double pdfSeconds(const CardDocument &doc, const QString &path)
{
    returnFreedMemory();
    QString error;
    bool written = false;
    const double seconds = secondsPerCall(1, [&] { written = SheetPrinter::writePdf(doc, SheetJob{}, path, &error); });
    if (!written) {
        std::fprintf(stderr, "tavelo-bench: %s\n", qPrintable(error));
        std::exit(1);
    }
    return seconds;
}

} // namespace BenchCard
