// A card file from anywhere, read the way Open reads it, in a folder that
// holds a few pictures (good, broken, a folder, a FIFO, a link loop). Property:
// whatever was read, once written and read again, is the same document, and
// writes the same bytes.
#include "FuzzCheck.h"
#include "base/MessageSink.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "cardfile/PicturePlaces.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class QuietSink : public MessageSink
{
public:
    int information(const QString &, MsgButtons) override { return mrOk; }
    void error(const QString &message) override { errors << message; }
    QStringList errors;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

// The folder the cards are read in; their relative picture paths meet these.
const QTemporaryDir &pictureFolder()
{
    static const QTemporaryDir dir = [] {
        // In memory where the system offers it: rewriting a file on disk
        // makes some file systems flush it, and the fuzzer would wait.
        const QString shm = QStringLiteral("/dev/shm");
        QTemporaryDir made(QDir(shm).exists() ? shm + QStringLiteral("/tavelo-fuzz-XXXXXX") : QString());
        FUZZ_CHECK(made.isValid());
        const QDir samples(QStringLiteral(TAVELO_TEST_DATA));
        for (const QString &name : samples.entryList({QStringLiteral("*.bmp")}, QDir::Files))
            FUZZ_CHECK(QFile::copy(samples.filePath(name), made.filePath(name)));
        writeFile(made.filePath(QStringLiteral("broken.bmp")), "BM not a picture");
        QDir(made.path()).mkdir(QStringLiteral("folder.bmp"));
        ::mkfifo(QFile::encodeName(made.filePath(QStringLiteral("fifo.bmp"))).constData(), 0600);
        ::symlink("loop.bmp", QFile::encodeName(made.filePath(QStringLiteral("loop.bmp"))).constData());
        FUZZ_CHECK(QDir::setCurrent(made.path()));
        return made;
    }();
    return dir;
}

struct ReadCard {
    explicit ReadCard(std::int32_t ppi)
    {
        doc.setMessageSink(&sink);
        doc.setScreenPpi(ppi);
    }
    void read(const QString &path)
    {
        try {
            LoadCardFile(doc, path);
            complete = true;
        } catch (const TaveloError &) {
            // The read ends where the error arose; what was read stays.
        }
    }
    CardDocument doc;
    QuietSink sink;
    bool complete = false;
};

int lastImageSlot(const CardDocument &doc)
{
    int last = -1;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (doc.ImageBoxes(slot))
            last = slot;
    }
    return last;
}

// The file holds a font's size in points, and some pixel heights are no
// whole number of points at the screen's density: a height that the
// font–height rule gave to a record cut short, or the one a size too large to
// convert gives. Those come back as the nearest size; every other height
// comes back as it was.
bool sameFont(const BoxFont &a, const BoxFont &b, std::int32_t ppi)
{
    const std::int32_t height = a.height();
    const bool inPoints = BoxFont::heightFromSize(BoxFont::sizeFromHeight(height, ppi), ppi) == height;
    return a.name() == b.name() && a.size(ppi) == b.size(ppi) && (!inPoints || height == b.height())
        && a.color() == b.color() && a.style() == b.style();
}

// A record cut short by a bad number never got to load its picture nor to
// become the current box; written whole, it does. So these may differ, and
// so may its path when the whole record's picture is found beside the card
// (the same file name, Windows paths too, in any capitals, in the card's
// folder). (A box of the back is read whole or not at all.)
bool sameSide(const CardSide &a, const CardSide &b, std::int32_t ppi, int pictureMayDiffer)
{
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const TextBox *x = a.TextBoxes(slot);
        const TextBox *y = b.TextBoxes(slot);
        if (!x != !y)
            return false;
        if (x && (x->Caption != y->Caption || x->bounds != y->bounds || x->Visible != y->Visible || !sameFont(x->Font, y->Font, ppi)
                  || x->UnknownLines != y->UnknownLines))
            return false;
        const MoveImageRecord *p = a.ImageBoxes(slot);
        const MoveImageRecord *q = b.ImageBoxes(slot);
        if (!p != !q)
            return false;
        const bool foundBeside = p && slot == pictureMayDiffer && !q->Picture.isNull()
                                 && PicturePlaces::fileName(q->ImagePath)
                                               .compare(PicturePlaces::fileName(p->ImagePath), Qt::CaseInsensitive)
                                        == 0;
        if (p && ((p->ImagePath != q->ImagePath && !foundBeside) || p->bounds != q->bounds
                  || p->UnknownLines != q->UnknownLines))
            return false;
        if (p && slot != pictureMayDiffer && p->Picture != q->Picture)
            return false;
    }
    return true;
}

bool sameDocument(const CardDocument &a, const CardDocument &b, bool complete)
{
    if (!(a.printSettings() == b.printSettings()) || a.Modified() != b.Modified() || a.shownSide() != b.shownSide())
        return false;
    if (complete && a.CurrentBox() != b.CurrentBox())
        return false;
    return sameSide(a.side(Side::Front), b.side(Side::Front), a.screenPpi(), complete ? -1 : lastImageSlot(a))
           && sameSide(a.side(Side::Back), b.side(Side::Back), a.screenPpi(), -1);
}

// The documents side by side when the property fails.
void describe(const char *title, const CardDocument &doc)
{
    std::fprintf(stderr, "-- %s: guide %d margins %d %d current %d/%d modified %d\n", title, doc.PrintGuide(),
                 doc.MarginLeft(), doc.MarginTop(), int(doc.CurrentBox().kind), doc.CurrentBox().slot, doc.Modified());
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const TextBox *box = doc.TextBoxes(slot))
            std::fprintf(stderr, "text %d [%s] %d %d %d %d font [%s] %d %d %u\n", slot, qPrintable(box->Caption),
                         box->bounds.Left, box->bounds.Top, box->bounds.Width, box->bounds.Height,
                         qPrintable(box->Font.name()), box->Font.height(), box->Font.color(), unsigned(box->Font.style()));
        if (const MoveImageRecord *image = doc.ImageBoxes(slot))
            std::fprintf(stderr, "image %d [%s] %d %d %d %d picture %dx%d\n", slot, qPrintable(image->ImagePath),
                         image->bounds.Left, image->bounds.Top, image->bounds.Width, image->bounds.Height,
                         image->Picture.width(), image->Picture.height());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QTemporaryDir &dir = pictureFolder();
    const QString cardPath = dir.filePath(QStringLiteral("card.tvl"));
    const QString copyPath = dir.filePath(QStringLiteral("copy.tvl"));
    const std::int32_t ppi = size % 2 == 0 ? 96 : 120;

    writeFile(cardPath, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    ReadCard first(ppi);
    first.read(cardPath);

    // Text that the file cannot hold (bytes that were no character) is
    // refused by the writer; such a card is not written back.
    const std::optional<QByteArray> bytes = CardFileBytes(first.doc);
    if (!bytes)
        return 0;
    writeFile(copyPath, *bytes);
    ReadCard second(ppi);
    second.read(copyPath);

    FUZZ_CHECK(second.complete);
    if (!sameDocument(first.doc, second.doc, first.complete)) {
        describe("read", first.doc);
        describe("written and read again", second.doc);
    }
    FUZZ_CHECK(sameDocument(first.doc, second.doc, first.complete));
    if (first.complete)
        FUZZ_CHECK(second.sink.errors == first.sink.errors);
    // A path found beside the card is written as found.
    const int cut = first.complete ? -1 : lastImageSlot(first.doc);
    if (cut < 0 || first.doc.ImageBoxes(cut)->ImagePath == second.doc.ImageBoxes(cut)->ImagePath)
        FUZZ_CHECK(CardFileBytes(second.doc) == bytes);
    return 0;
}
