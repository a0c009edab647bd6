#pragma once
// An error raised by an operation: it ends the running command, and the
// application's error guard shows its message in the error box.
#include <QString>
#include <stdexcept>

class TaveloError : public std::runtime_error
{
public:
    explicit TaveloError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Ends a handler without any message, like a cancelled operation.
class SilentAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "abort"; }
};
