#include "session/CardAutosave.h"

#include "base/MessageSink.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "session/RecoveryCopies.h"

#include <QUndoStack>

CardAutosave::CardAutosave(CardDocument &doc, QUndoStack *history, RecoverySession &session, QObject *parent)
    : QObject(parent), m_doc(doc), m_session(session)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CardAutosave::writeCopy);
    for (auto signal : {&CardDocument::textBoxAdded, &CardDocument::textBoxRemoved, &CardDocument::textBoxChanged,
                        &CardDocument::textBoxResized, &CardDocument::imageBoxAdded, &CardDocument::imageBoxRemoved,
                        &CardDocument::imageBoxChanged})
        connect(&doc, signal, this, &CardAutosave::changed);
    connect(&doc, &CardDocument::docFileNameChanged, this, &CardAutosave::changed);
    connect(&doc, &CardDocument::modifiedChanged, this, &CardAutosave::changed);
    if (history)
        connect(history, &QUndoStack::indexChanged, this, &CardAutosave::changed);
}

void CardAutosave::setDelays(int writeMs, int retryMs)
{
    m_writeDelay = writeMs;
    m_retryDelay = retryMs;
}

void CardAutosave::changed()
{
    // The wait starts with the first change, so a long run of changes (a
    // drag) is still copied within the delay.
    if (!m_stopped && !m_timer.isActive())
        m_timer.start(m_writeDelay);
}

void CardAutosave::cardMatchesFile()
{
    m_timer.stop();
    const std::optional<QByteArray> bytes = CardFileBytesIfStorable(m_doc);
    m_matchesFile = bytes.has_value();
    m_fileBytes = bytes.value_or(QByteArray());
    m_fileName = m_doc.DocFileName();
    m_session.discard();
    m_copyBytes.clear();
    m_copyName.clear();
}

bool CardAutosave::copyNow()
{
    m_timer.stop();
    m_matchesFile = false;
    const std::optional<QByteArray> bytes = CardFileBytesIfStorable(m_doc);
    return bytes && tryWrite(*bytes);
}

void CardAutosave::stop()
{
    m_stopped = true;
    m_timer.stop();
    m_session.discard();
}

void CardAutosave::writeCopy()
{
    if (m_stopped)
        return;
    // Text the card file cannot hold is refused by Save with a message; the
    // copy waits for the card to be storable again and keeps the last one.
    const std::optional<QByteArray> bytes = CardFileBytesIfStorable(m_doc);
    if (!bytes)
        return;
    if (m_matchesFile && *bytes == m_fileBytes && m_doc.DocFileName() == m_fileName) {
        if (!m_copyBytes.isNull() || m_session.hasCopy())
            m_session.discard();
        m_copyBytes.clear();
        m_copyName.clear();
        return;
    }
    if (*bytes == m_copyBytes && m_doc.DocFileName() == m_copyName && m_session.hasCopy())
        return;
    tryWrite(*bytes);
}

bool CardAutosave::tryWrite(const QByteArray &bytes)
{
    try {
        m_session.write(bytes, m_doc.DocFileName());
    } catch (const TaveloError &error) {
        m_copyBytes.clear();
        ++m_failures;
        if (m_failures >= FailuresBeforeMessage && !m_failureShown) {
            m_failureShown = true;
            if (MessageSink *sink = m_doc.messageSink())
                sink->information(Msg::recoveryCopyFailed(m_session.folder(), error.message()), MsgButton::Ok);
        }
        if (!m_stopped)
            m_timer.start(m_retryDelay);
        return false;
    }
    m_copyBytes = bytes;
    m_copyName = m_doc.DocFileName();
    m_failures = 0;
    m_failureShown = false;
    return true;
}
