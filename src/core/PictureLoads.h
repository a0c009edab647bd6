#pragma once
// The pictures of a card being read, loaded on the other cores while the
// reader goes on with the file. Each picture's message is told in the order
// the card names the pictures: before any other message of the read (this
// object stands in for the document's message sink meanwhile) and, at the
// latest, when finish() is called at the end of the read.
#include "CardDocument.h"
#include "MessageSink.h"

#include <QFuture>
#include <QImage>
#include <QString>

#include <functional>
#include <vector>

// The largest size a job needs a box's picture in (a print job: its printed
// size); asked on the reading thread. The picture is scaled down to it as
// soon as it is loaded, as the sheet would scale it, and the full-size
// picture is not kept.
using PictureFit = std::function<QSize(const BoxBounds &bounds)>;

class PictureLoads : public MessageSink
{
public:
    PictureLoads(CardDocument &doc, PictureFit fit);
    ~PictureLoads() override;   // waits for what is still loading, tells nothing
    PictureLoads(const PictureLoads &) = delete;
    PictureLoads &operator=(const PictureLoads &) = delete;

    // Starts loading the picture of the image box in slot.
    void load(int slot, const QString &path, const BoxBounds &bounds);
    // Waits for every picture started, gives it to its box or tells its message.
    void finish();

    int information(const QString &text, MsgButtons buttons) override;
    void error(const QString &message) override;
    void pictureError(const QString &message, const QString &path) override;

private:
    struct Loaded {
        QImage picture;
        QString error;   // empty when the picture was loaded
    };
    struct Pending {
        int slot;
        QString path;
        QFuture<Loaded> result;
    };

    CardDocument &m_doc;
    MessageSink *m_sink;
    PictureFit m_fit;
    std::vector<Pending> m_pending;
};
