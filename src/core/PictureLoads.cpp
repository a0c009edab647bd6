#include "PictureLoads.h"

#include "CardSheet.h"
#include "PictureLoader.h"
#include "TaveloError.h"

#include <QtConcurrent/QtConcurrentRun>

#include <optional>

PictureLoads::PictureLoads(CardDocument &doc, PictureFit fit)
    : m_doc(doc), m_sink(doc.messageSink()), m_fit(std::move(fit))
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
    const std::optional<QSize> fitted = m_fit ? std::optional<QSize>(m_fit(bounds)) : std::nullopt;
    m_pending.push_back({slot, path, QtConcurrent::run([path, fitted] {
                             Loaded loaded;
                             try {
                                 loaded.picture = PictureLoader::load(path);
                                 if (fitted)
                                     loaded.picture = pictureForPrint(loaded.picture, *fitted);
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
        if (loaded.error.isEmpty())
            m_doc.setImagePicture(p.slot, loaded.picture);
        else if (m_sink)
            m_sink->pictureError(loaded.error, p.path);
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
