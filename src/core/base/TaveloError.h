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

// A picture that could not be loaded: the loader's message, and the file it
// was loaded from so that the error box can say which picture failed.
class PictureError : public TaveloError
{
public:
    PictureError(const QString &message, const QString &path) : TaveloError(message), m_path(path) {}
    const QString &path() const { return m_path; }

private:
    QString m_path;
};

// Ends a handler without any message, like a cancelled operation.
class SilentAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "abort"; }
};
