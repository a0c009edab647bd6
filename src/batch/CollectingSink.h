#pragma once
// A message sink that keeps every message as the program would have shown it:
// information texts as they stand, error texts as the error box shows them.
#include "base/MessageSink.h"

#include <QStringList>

class CollectingSink : public MessageSink
{
public:
    int information(const QString &text, MsgButtons buttons) override
    {
        m_messages << text;
        return buttons.testFlag(MsgButton::Ok) || !buttons.testFlag(MsgButton::Yes) ? int(mrOk) : int(mrYes);
    }
    void error(const QString &message) override { m_messages << errorBoxText(message); }
    // Told, and no failure: kept apart from the messages that make the exit status 1.
    void notice(const QString &text) override { m_notices << text; }

    const QStringList &messages() const { return m_messages; }
    const QStringList &notices() const { return m_notices; }

private:
    QStringList m_messages;
    QStringList m_notices;
};
