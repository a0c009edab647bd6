#pragma once
// Text of the user's card placed in a message: cut, so that a message box
// never has to show a megabyte of text.
#include <QString>

constexpr int MaxTextShownInMessage = 200;

inline QString elideForMessage(const QString &text)
{
    if (text.size() <= MaxTextShownInMessage)
        return text;
    return text.left(MaxTextShownInMessage) + QChar(0x2026);
}
