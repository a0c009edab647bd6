#pragma once
// Where the core's messages go: message boxes in the program, a list in the
// command-line tool and in tests.
#include <QDir>
#include <QFileInfo>
#include <QFlags>
#include <QString>

// Overwrite and SaveAs answer the question before a save over a card that
// another program has changed.
enum class MsgButton : unsigned { Yes = 1, No = 2, Ok = 4, Cancel = 8, Overwrite = 16, SaveAs = 32 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// Results of the information box: the code of the button pressed.
enum MsgResult : int { mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7, mrOverwrite = 20, mrSaveAs = 21 };

class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // The information box; returns the code of the button pressed.
    virtual int information(const QString &text, MsgButtons buttons) = 0;
    // The error box; the text is the error's message, without the final ".".
    virtual void error(const QString &message) = 0;
    // The error box for a picture that could not be loaded from path. Sinks
    // that list the path elsewhere keep the message alone.
    virtual void pictureError(const QString &message, const QString &path)
    {
        (void)path;
        error(message);
    }
    // What the program did on its own that the user should know of, and
    // nothing went wrong (pictures found beside a moved card): the
    // information box in the program; the command-line tool says it on
    // stderr and still reports success.
    virtual void notice(const QString &text) { information(text, MsgButton::Ok); }
};

// The error box always adds a full stop, also after one that is already there.
inline QString errorBoxText(const QString &message) { return message + QLatin1Char('.'); }

// A picture's error box: the message as above and, on a line of its own, the
// full path of the picture (with so many pictures on a card, the message alone
// does not say which one failed), unless the message names it already. A
// relative path is shown as the file that was tried: from the current folder.
// A path written on Windows (C:\…, \\server\…) names no file here and has no
// folder to be taken from: it is shown as it stands, not after the current
// folder (a card from Windows showed its path twice, the second time wrong).
inline bool isWindowsPath(const QString &path)
{
    const bool drive = path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':')
                       && (path.at(2) == QLatin1Char('\\') || path.at(2) == QLatin1Char('/'));
    return drive || path.startsWith(QLatin1String("\\\\"));
}
inline QString pictureErrorBoxText(const QString &message, const QString &path)
{
    if (isWindowsPath(path))
        return message.contains(path) ? errorBoxText(message) : errorBoxText(message) + QLatin1Char('\n') + path;
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (message.contains(fullPath))
        return errorBoxText(message);
    return errorBoxText(message) + QLatin1Char('\n') + fullPath;
}
