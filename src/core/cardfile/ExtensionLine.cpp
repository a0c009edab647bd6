#include "cardfile/ExtensionLine.h"

#include <QStringDecoder>

namespace {

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Bytes a value holds as they are; all others are written %XX.
bool isPlain(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F && c != '%' && c != '#' && c != '$';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

namespace ExtensionLine {

std::optional<Parts> split(const QByteArray &line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0 || equals > MaxKeyBytes || !isLetter(line.at(0)))
        return std::nullopt;
    for (qsizetype i = 1; i < equals; ++i) {
        if (!isLetter(line.at(i)) && !isDigit(line.at(i)))
            return std::nullopt;
    }
    if (line.contains('#') || line.contains('$'))
        return std::nullopt;
    return Parts{line.left(equals), line.mid(equals + 1)};
}

QByteArray escape(const QByteArray &utf8)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        if (isPlain(c)) {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += Hex[byte >> 4];
        out += Hex[byte & 0xF];
    }
    return out;
}

std::optional<QByteArray> unescape(const QByteArray &value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c != '%') {
            if (!isPlain(c))
                return std::nullopt;
            out += c;
            continue;
        }
        const int high = i + 2 < value.size() ? hexValue(value.at(i + 1)) : -1;
        const int low = high >= 0 ? hexValue(value.at(i + 2)) : -1;
        if (low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::optional<QString> text(const QByteArray &value)
{
    const std::optional<QByteArray> bytes = unescape(value);
    if (!bytes)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = utf8.decode(*bytes);
    if (utf8.hasError())
        return std::nullopt;
    return decoded;
}

QByteArray format(const QByteArray &key, const QString &value)
{
    return key + '=' + escape(value.toUtf8());
}

} // namespace ExtensionLine
