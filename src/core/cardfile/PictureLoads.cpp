#include "cardfile/PictureLoads.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "cardfile/PicturePlaces.h"
#include "picture/PictureLoader.h"
#include "picture/SvgPicture.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <optional>
#include <utility>

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
    const QString cardPath = m_use.cardPath;
    m_pending.push_back({m_doc.shownSide(), slot, path, QtConcurrent::run([path, cardPath, fitted, sizeOnly] {
                             Loaded loaded;
                             // Only a path that leads to nothing is looked for
                             // elsewhere: a file that is there and cannot be read
                             // is reported as it is.
                             QString from = path;
                             if (!cardPath.isEmpty() && !QFileInfo::exists(path)) {
                                 if (const std::optional<QString> beside = PicturePlaces::besideCard(path, cardPath)) {
                                     from = *beside;
                                     loaded.foundPath = *beside;
                                 }
                             }
                             try {
                                 if (sizeOnly) {
                                     loaded.size = PictureLoader::loadSize(from);
                                     return loaded;
                                 }
                                 loaded.picture = PictureLoader::load(from);
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
        if (!loaded.foundPath.isEmpty()) {
            m_doc.setImagePath(p.side, p.slot, loaded.foundPath);
            m_found << QDir::toNativeSeparators(loaded.foundPath);
            if (m_use.found)
                m_use.found(p.side, p.slot, p.path, loaded.foundPath);
        }
        if (!loaded.error.isEmpty()) {
            if (m_sink)
                m_sink->pictureError(loaded.error, loaded.foundPath.isEmpty() ? p.path : loaded.foundPath);
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

void PictureLoads::tellFound()
{
    finish();
    if (m_found.isEmpty())
        return;
    const QStringList found = std::exchange(m_found, {});
    if (m_sink)
        m_sink->information(Msg::picturesFoundBesideCard(found), MsgButton::Ok);
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
