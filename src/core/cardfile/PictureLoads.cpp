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
    start(m_doc.shownSide(), slot, path, m_use.fit ? std::optional<QSize>(m_use.fit(bounds)) : std::nullopt);
}

void PictureLoads::loadBackground(Side side, const QString &path) { start(side, -1, path, std::nullopt); }

void PictureLoads::start(Side side, int slot, const QString &path, std::optional<QSize> fitted)
{
    // A picture the card names twice at the same size (a logo on both
    // sides) is loaded once, and both boxes hold the one picture.
    for (const Pending &earlier : m_pending) {
        if (earlier.path == path && earlier.fitted == fitted) {
            m_pending.push_back({side, slot, path, fitted, earlier.result});
            return;
        }
    }
    const bool sizeOnly = bool(m_use.sizesOnly);
    const QString cardPath = m_use.cardPath;
    m_pending.push_back({side, slot, path, fitted, QtConcurrent::run([path, cardPath, fitted, sizeOnly] {
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

void PictureLoads::finish()
{
    // Taken out first: a message box shown below may let more come in.
    std::vector<Pending> pending;
    pending.swap(m_pending);
    for (Pending &p : pending) {
        Loaded loaded = p.result.result();
        // A file of the same name that is no picture either is reported
        // under its own path, and the card keeps the path it stored.
        if (!loaded.foundPath.isEmpty() && loaded.error.isEmpty()) {
            if (p.slot < 0) {
                CardBackground background = m_doc.side(p.side).background;
                background.picturePath = loaded.foundPath;
                m_doc.setBackground(p.side, background);
            } else {
                m_doc.setImagePath(p.side, p.slot, loaded.foundPath);
            }
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
        m_sink->notice(Msg::picturesFoundBesideCard(found));
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

void PictureLoads::notice(const QString &text)
{
    finish();
    if (m_sink)
        m_sink->notice(text);
}

void PictureLoads::pictureError(const QString &message, const QString &path)
{
    finish();
    if (m_sink)
        m_sink->pictureError(message, path);
}
