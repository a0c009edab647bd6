#pragma once
// A message sink for tests: records every message and answers with a queue of
// prepared results (OK when the queue is empty).
#include "base/MessageSink.h"

#include <QList>
#include <QStringList>

class RecordingSink : public MessageSink
{
public:
    int information(const QString &text, MsgButtons buttons) override
    {
        infos << text;
        infoButtons << buttons;
        told << text;
        return answers.isEmpty() ? int(mrOk) : answers.takeFirst();
    }
    void error(const QString &message) override
    {
        errors << message;
        told << errorBoxText(message);
    }
    void pictureError(const QString &message, const QString &path) override
    {
        picturePaths << path;
        error(message);
    }

    QStringList infos;
    QList<MsgButtons> infoButtons;
    QStringList errors;
    QStringList picturePaths;   // of the errors that were a picture's
    QStringList told;   // every message in the order it came: errors as the error box shows them
    QList<int> answers;
};
