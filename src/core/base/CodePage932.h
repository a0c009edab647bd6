#pragma once
// Card files keep their text in code page 932 (Shift-JIS with the Windows
// extensions). These helpers convert between that and Qt's strings.
#include <QByteArray>
#include <QString>

namespace CodePage932 {

struct Decoded {
    QString text;
    bool valid = true;   // false when some byte sequence had no character; it became U+FFFD
};

QByteArray encode(const QString &text, bool *ok = nullptr);
Decoded decode(const QByteArray &bytes);

// True when every character of text has a code page 932 form.
bool canEncode(const QString &text);
bool canEncode(QChar c);

// The longest prefix of text whose code page 932 form has at most maxBytes
// bytes; a double-byte character is never split.
QString truncateToBytes(const QString &text, int maxBytes);

// True when byte b opens a double-byte character.
constexpr bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The length of the longest prefix of bytes that does not end inside a
// double-byte character.
qsizetype wholeCharacterBytes(const QByteArray &bytes);

} // namespace CodePage932
