#include "cardfile/PictureLoads.h"

#include "base/TaveloError.h"
#include "picture/PictureLoader.h"
#include "picture/SvgPicture.h"

#include <QtConcurrent/QtConcurrentRun>

#include <optional>

PictureLoads::PictureLoads(CardDocument &doc, PictureUse use)
    : m_doc(doc), m_sink(doc.messageSink()), m_use(std::move(use))
{
    m_doc.setMessageSink(this);
}

PictureLoads::~PictureLoads()
{
    for (Pending &pending : m_pending)
        pending.result.waitForFinished();
    m_doc.setMessageSink(m_sink);
}

void PictureLoads::load(int slot, const QString &path, const BoxBounds &bounds)
{
    const std::optional<QSize> fitted = m_use.fit ? std::optional<QSize>(m_use.fit(bounds)) : std::nullopt;
    const bool sizeOnly = bool(m_use.sizesOnly);
    m_pending.push_back({m_doc.shownSide(), slot, path, QtConcurrent::run([path, fitted, sizeOnly] {
                             Loaded loaded;
                             try {
                                 if (sizeOnly) {
                                     loaded.size = PictureLoader::loadSize(path);
                                     return loaded;
                                 }
                                 loaded.picture = PictureLoader::load(path);
                                 loaded.size = loaded.picture.size();
                                 // A drawing stays one: it is drawn at the printer's size.
                                 if (fitted && !SvgPicture::isVector(loaded.picture))
                                     loaded.picture = pictureForPrint(loaded.picture, *fitted);
                             } catch (const TaveloError &e) {
                                 loaded.error = e.message();
                             }
                             return loaded;
                         })});
}

void PictureLoads::loadBackground(Side side, const QString &path)
{
    const bool sizeOnly = bool(m_use.sizesOnly);
    m_pending.push_back({side, -1, path, QtConcurrent::run([path, sizeOnly] {
                             Loaded loaded;
                             try {
                                 if (sizeOnly)
                                     loaded.size = PictureLoader::loadSize(path);
                                 else
                                     loaded.picture = PictureLoader::load(path);
                             } catch (const TaveloError &e) {
                                 loaded.error = e.message();
                             }
                             return loaded;
                         })});
}

void PictureLoads::finish()
{
    // Taken out first: a message box shown below may let more come in.
    std::vector<Pending> pending;
    pending.swap(m_pending);
    for (Pending &p : pending) {
        Loaded loaded = p.result.result();
        if (!loaded.error.isEmpty()) {
            if (m_sink)
                m_sink->pictureError(loaded.error, p.path);
        } else if (p.slot < 0) {
            if (!m_use.sizesOnly)
                m_doc.setBackgroundPicture(p.side, loaded.picture);
        } else if (m_use.sizesOnly) {
            m_use.sizesOnly(p.side, p.slot, loaded.size);
        } else {
            m_doc.setImagePicture(p.side, p.slot, loaded.picture);
        }
    }
}

int PictureLoads::information(const QString &text, MsgButtons buttons)
{
    finish();
    return m_sink ? m_sink->information(text, buttons) : int(mrOk);
}

void PictureLoads::error(const QString &message)
{
    finish();
    if (m_sink)
        m_sink->error(message);
}

void PictureLoads::pictureError(const QString &message, const QString &path)
{
    finish();
    if (m_sink)
        m_sink->pictureError(message, path);
}
