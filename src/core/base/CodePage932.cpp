#include "base/CodePage932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace CodePage932 {
namespace {
const char *const kName = "windows-31j";

// Making a converter looks its name up in ICU's alias tables and opens a new
// one: for a card of 20 text boxes that was most of the time a read took, and
// three times as much when the caches were cold (the first read after a
// save's sync). Each thread therefore keeps one converter each way, stateless,
// so nothing is carried from one text to the next; one that has met an error
// is replaced, so that hasError() speaks of the texts converted since it was
// asked for. Made in place and never moved: ICU's callbacks hold its address.
template<typename Converter> Converter &keptConverter(std::optional<Converter> &kept)
{
    if (!kept || kept->hasError())
        kept.emplace(kName, QStringConverter::Flag::Stateless);
    return *kept;
}

QStringDecoder &threadDecoder()
{
    thread_local std::optional<QStringDecoder> kept;
    return keptConverter(kept);
}

QStringEncoder &threadEncoder()
{
    thread_local std::optional<QStringEncoder> kept;
    return keptConverter(kept);
}

// The system's code page maps every control code to itself. ICU's table
// swaps three of them (byte 0x1A is U+001C, 0x1C is U+007F, 0x7F is U+001A),
// which would write a caption's U+001C as Ctrl-Z, the end of a card file.
// These three are converted here and only the text between them by ICU.
bool isSwappedControl(char16_t c) { return c == 0x1A || c == 0x1C || c == 0x7F; }

// Text between the swapped control codes; ICU marks a byte sequence without
// a character with U+001A, which such a piece cannot otherwise hold.
// A lead byte without its second byte at the end is a failed sequence too.
QString decodePiece(const QByteArray &bytes, qsizetype from, qsizetype to, bool &valid)
{
    const QByteArray piece = bytes.sliced(from, to - from);
    const qsizetype whole = wholeCharacterBytes(piece);
    QStringDecoder &decoder = threadDecoder();
    QString text = decoder.decode(QByteArrayView(piece).first(whole));
    if (decoder.hasError()) {
        valid = false;
        text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    }
    if (whole < piece.size()) {
        valid = false;
        text += QChar(QChar::ReplacementCharacter);
    }
    return text;
}
} // namespace

QByteArray encode(const QString &text, bool *ok)
{
    // Stateless: half a surrogate pair before a control code is an error.
    QStringEncoder &encoder = threadEncoder();
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isSwappedControl(text.at(i).unicode()))
            continue;
        bytes += encoder.encode(QStringView(text).sliced(from, i - from));
        if (i < text.size())
            bytes += char(text.at(i).unicode());
        from = i + 1;
    }
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

Decoded decode(const QByteArray &bytes)
{
    Decoded result;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && !isSwappedControl(static_cast<unsigned char>(bytes.at(i))))
            continue;
        result.text += decodePiece(bytes, from, i, result.valid);
        if (i < bytes.size())
            result.text += QChar(static_cast<unsigned char>(bytes.at(i)));
        from = i + 1;
    }
    return result;
}

qsizetype wholeCharacterBytes(const QByteArray &bytes)
{
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype next = end + (isLeadByte(static_cast<unsigned char>(bytes.at(end))) ? 2 : 1);
        if (next > bytes.size())
            break;
        end = next;
    }
    return end;
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
    // A half surrogate pair at the end counts no bytes, as it did when it was
    // held back for a character that never came.
    QStringEncoder &encoder = threadEncoder();
    // Every character is converted on its own, so a text that fits whole
    // (a face name nearly always does) is measured in one conversion.
    if (QByteArray(encoder.encode(text)).size() <= maxBytes)
        return text;
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
