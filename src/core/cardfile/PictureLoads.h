#pragma once
// The pictures of a card being read, loaded on the other cores while the
// reader goes on with the file. Each picture's message is told in the order
// the card names the pictures: before any other message of the read (this
// object stands in for the document's message sink meanwhile) and, at the
// latest, when finish() is called at the end of the read.
#include "base/MessageSink.h"
#include "card/CardDocument.h"

#include <QFuture>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The largest size a job needs a box's picture in (a print job: its printed
// size); asked on the reading thread. The picture is scaled down to it as
// soon as it is loaded, as the sheet would scale it, and the full-size
// picture is not kept.
using PictureFit = std::function<QSize(const BoxBounds &bounds)>;

// The size of the picture loaded for the image box in slot of side.
using PictureSizes = std::function<void(Side side, int slot, QSize size)>;

// A picture that was not where the card said and was loaded from foundPath
// beside the card instead; slot −1 is the side's background.
using PictureFound = std::function<void(Side side, int slot, const QString &storedPath, const QString &foundPath)>;

// What a read keeps of the pictures it loads. By default every picture at
// full size, as the program's document holds it: a box enlarged later still
// prints at full quality.
struct PictureUse {
    // A print job: each picture scaled down as soon as it is loaded.
    PictureFit fit;
    // A job that only reports on the card (tavelo-batch info): the document is
    // given no picture. Each picture gives the message loading it would give;
    // an uncompressed bitmap is answered from its headers, which decide that,
    // any other picture is still loaded whole. Its size is told here, on the
    // reading thread and in the card's order.
    PictureSizes sizesOnly;
    // The card file being read. A picture whose stored path leads nowhere
    // (an image box's or a background's, on either side) is looked for beside
    // it (PicturePlaces); the box or background keeps the path it was found
    // at, so the next save stores it.
    QString cardPath;
    // Told of each picture found beside the card, in the card's order.
    PictureFound found;
    // Work for the reading thread once the whole file is read as a card,
    // while its pictures may still be loading on the other cores (a print
    // job lays out its captions): called before the read waits for them.
    std::function<void()> meanwhile;
};

class PictureLoads : public MessageSink
{
public:
    PictureLoads(CardDocument &doc, PictureUse use);
    ~PictureLoads() override;   // waits for what is still loading, tells nothing
    PictureLoads(const PictureLoads &) = delete;
    PictureLoads &operator=(const PictureLoads &) = delete;

    // Starts loading the picture of the image box in slot of the side shown.
    void load(int slot, const QString &path, const BoxBounds &bounds);
    // Starts loading the background picture of side (kept at full size: a
    // picture that fills the card is cropped before it is scaled).
    void loadBackground(Side side, const QString &path);
    // Waits for every picture started, gives it to its box or tells its message.
    void finish();
    // Once the read is over: one message naming the pictures found beside
    // the card, if any were.
    void tellFound();

    int information(const QString &text, MsgButtons buttons) override;
    void error(const QString &message) override;
    void pictureError(const QString &message, const QString &path) override;
    void notice(const QString &text) override;

private:
    // Starts loading path for slot of side (−1: its background) on another core.
    void start(Side side, int slot, const QString &path, std::optional<QSize> fitted);

    struct Loaded {
        QImage picture;
        QSize size;
        QString error;   // empty when the picture was loaded
        QString foundPath;   // where it was found beside the card; empty: where the card said
    };
    struct Pending {
        Side side;
        int slot;   // −1: the side's background
        QString path;
        std::optional<QSize> fitted;
        QFuture<Loaded> result;   // shared by the boxes of one picture
    };

    CardDocument &m_doc;
    MessageSink *m_sink;
    PictureUse m_use;
    std::vector<Pending> m_pending;
    QStringList m_found;   // the pictures found beside the card, for tellFound()
};
