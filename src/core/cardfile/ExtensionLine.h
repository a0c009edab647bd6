#pragma once
// The syntax of the card file's extension lines: "Key=Value", the key ASCII
// letters and digits (a letter first), the value with "%", "#", "$", control
// characters and every byte outside printable ASCII written as %XX of its
// UTF-8 bytes. Such a line never holds a record mark, so a reader that knows
// nothing of it skips it.
#include <QByteArray>
#include <QString>

#include <optional>

namespace ExtensionLine {

// The longest extension line read, in bytes: room for the longest caption,
// every character escaped.
inline constexpr qsizetype MaxBytes = 1024 * 1024;
inline constexpr qsizetype MaxKeyBytes = 64;

struct Parts {
    QByteArray key;
    QByteArray value;   // as written, still escaped
};

// The key and the escaped value of a line of that form; nothing for any
// other line (a record mark, an empty or plain line).
std::optional<Parts> split(const QByteArray &line);

QByteArray escape(const QByteArray &utf8);
// The bytes a value stands for; nothing when a % is not followed by two hex
// digits or the value holds a byte that is written escaped.
std::optional<QByteArray> unescape(const QByteArray &value);
// The text a value stands for; nothing when it is badly escaped or not UTF-8.
std::optional<QString> text(const QByteArray &value);

// The line for key and a value in plain text.
QByteArray format(const QByteArray &key, const QString &value);

} // namespace ExtensionLine
