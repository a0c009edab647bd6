#include "CodePage932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace CodePage932 {
namespace {
const char *const kName = "windows-31j";
}

QByteArray encode(const QString &text, bool *ok)
{
    QStringEncoder encoder(kName);
    QByteArray bytes = encoder.encode(text);
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

Decoded decode(const QByteArray &bytes)
{
    Decoded result;
    // ICU marks bytes without a character with SUB (0x1A); a card file cannot
    // hold SUB itself (it ends the file), so each one is a failed sequence.
    QStringDecoder decoder(kName);
    QString text = decoder.decode(bytes);
    result.valid = !decoder.hasError();
    if (!result.valid)
        text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    result.text = text;
    return result;
}

bool canEncode(const QString &text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

bool canEncode(QChar c)
{
    return canEncode(QString(c));
}

QString truncateToBytes(const QString &text, int maxBytes)
{
    QStringEncoder encoder(kName);
    int bytes = 0;
    int i = 0;
    while (i < text.size()) {
        const int len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray piece = encoder.encode(QStringView(text).mid(i, len));
        const int n = int(piece.size());
        if (bytes + n > maxBytes)
            break;
        bytes += n;
        i += len;
    }
    return text.left(i);
}

} // namespace CodePage932
