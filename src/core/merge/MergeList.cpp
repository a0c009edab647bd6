#include "merge/MergeList.h"

#include "base/CodePage932.h"
#include "base/FileErrors.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "files/RegularFile.h"

#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace {

bool isLineEnd(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

// The line (from 1) that holds text[at].
int lineOf(const QString &text, qsizetype at)
{
    int line = 1;
    for (qsizetype i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n') || (text[i] == QLatin1Char('\r') && (i + 1 == text.size() || text[i + 1] != QLatin1Char('\n'))))
            ++line;
    }
    return line;
}

struct Decoded {
    QString text;
    MergeList::Encoding encoding;
};

// Text through a Qt decoder; nothing when some bytes were no character.
std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes, qsizetype *badAt)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    *badAt = text.indexOf(QChar(QChar::ReplacementCharacter));
    return std::nullopt;
}

// Where text holds half a surrogate pair, or −1. Qt's decoders let them
// through; they are no character and cannot be printed or saved.
qsizetype loneSurrogateAt(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return i;
    }
    return -1;
}

// UTF-16 text, strictly: every two bytes a unit, surrogates in pairs. An odd
// last byte is half a character, and the list is refused at its line.
QString decodeUtf16(QByteArrayView bytes, QStringConverter::Encoding qt, MergeList::Encoding encoding)
{
    const QString name = mergeEncodingName(encoding);
    const auto refuse = [&](qsizetype at) {
        const QString shown = QStringDecoder(qt).decode(bytes);
        throw TaveloError(Msg::mergeListBadEncoding(name, lineOf(shown, at < 0 ? shown.size() : at)));
    };
    if (bytes.size() % 2 != 0)
        refuse(-1);
    qsizetype badAt = -1;
    const std::optional<QString> text = decodeStrictly(qt, bytes, &badAt);
    if (!text)
        refuse(badAt);
    if (const qsizetype lone = loneSurrogateAt(*text); lone >= 0)
        refuse(lone);
    return *text;
}

// UTF-16 saved without a byte order mark: the NUL bytes of its ASCII
// characters (digits, commas, line ends) stand at odd offsets (little
// endian) or at even ones (big endian). Text in any other encoding holds no
// NUL at all.
std::optional<MergeList::Encoding> utf16WithoutMark(QByteArrayView bytes)
{
    qsizetype even = 0;
    qsizetype odd = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0')
            ++(i % 2 == 0 ? even : odd);
    }
    if (odd > 0 && odd >= 4 * even)
        return MergeList::Encoding::Utf16LE;
    if (even > 0 && even >= 4 * odd)
        return MergeList::Encoding::Utf16BE;
    return std::nullopt;
}

// A file that is not UTF-8 as a whole but holds a line that plainly is
// (Japanese text in UTF-8, two or more three-byte characters): lines in
// UTF-8 and in code page 932 together, which no single decoding reads.
// The line (from 1) of such a UTF-8 line, or 0.
int utf8LineIn(const QByteArray &bytes)
{
    int line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView text = QByteArrayView(bytes).sliced(start, end - start);
        int wide = 0;
        for (const char c : text)
            wide += (static_cast<unsigned char>(c) & 0xF0) == 0xE0 ? 1 : 0;
        qsizetype badAt = -1;
        if (wide >= 2 && decodeStrictly(QStringConverter::Utf8, text, &badAt))
            return line;
        start = end + 1;
        ++line;
    }
    return 0;
}

Decoded decode(const QByteArray &bytes)
{
    struct Bom {
        QByteArrayView mark;
        QStringConverter::Encoding qt;
        MergeList::Encoding encoding;
    };
    static const Bom boms[] = {
        {"\xEF\xBB\xBF", QStringConverter::Utf8, MergeList::Encoding::Utf8Bom},
        {"\xFF\xFE", QStringConverter::Utf16LE, MergeList::Encoding::Utf16LE},
        {"\xFE\xFF", QStringConverter::Utf16BE, MergeList::Encoding::Utf16BE},
    };
    qsizetype badAt = -1;
    for (const Bom &bom : boms) {
        if (!QByteArrayView(bytes).startsWith(bom.mark))
            continue;
        const QByteArrayView body = QByteArrayView(bytes).sliced(bom.mark.size());
        if (bom.qt != QStringConverter::Utf8)
            return {decodeUtf16(body, bom.qt, bom.encoding), bom.encoding};
        const std::optional<QString> text = decodeStrictly(bom.qt, body, &badAt);
        if (!text) {
            QStringDecoder lenient(bom.qt);
            const QString shown = lenient.decode(body);
            throw TaveloError(Msg::mergeListBadEncoding(mergeEncodingName(bom.encoding), lineOf(shown, badAt)));
        }
        return {*text, bom.encoding};
    }
    if (const std::optional<MergeList::Encoding> utf16 = utf16WithoutMark(bytes)) {
        const bool little = *utf16 == MergeList::Encoding::Utf16LE;
        return {decodeUtf16(bytes, little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE, *utf16), *utf16};
    }
    if (const std::optional<QString> text = decodeStrictly(QStringConverter::Utf8, bytes, &badAt))
        return {*text, MergeList::Encoding::Utf8};
    if (const int utf8Line = utf8LineIn(bytes)) {
        QStringDecoder lenient(QStringConverter::Utf8);
        const QString shown = lenient.decode(bytes);
        throw TaveloError(Msg::mergeListMixedEncoding(lineOf(shown, shown.indexOf(QChar(QChar::ReplacementCharacter))), utf8Line));
    }
    const CodePage932::Decoded sjis = CodePage932::decode(bytes);
    if (!sjis.valid)
        throw TaveloError(Msg::mergeListUnknownEncoding(lineOf(sjis.text, sjis.text.indexOf(QChar(QChar::ReplacementCharacter)))));
    return {sjis.text, MergeList::Encoding::CodePage932};
}

// Tab-separated when the name says so, or when the first line holds a tab
// and no comma.
QChar delimiterOf(const QString &text, const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive))
        return QLatin1Char('\t');
    qsizetype end = 0;
    while (end < text.size() && !isLineEnd(text[end]))
        ++end;
    const QStringView first = QStringView(text).first(end);
    return first.contains(QLatin1Char('\t')) && !first.contains(QLatin1Char(',')) ? QLatin1Char('\t') : QLatin1Char(',');
}

} // namespace

// Reads the records of the text one by one, RFC 4180 style; the fields of
// the record just read go into the list's cells.
class MergeListParser
{
public:
    MergeListParser(const QString &text, QChar delimiter, MergeList &list)
        : m_text(text), m_delimiter(delimiter), m_list(list)
    {
    }

    void parse()
    {
        // The header: the first record that is not a blank line.
        std::vector<QString> header;
        while (header.empty() && !atEnd())
            header = readHeaderRecord();
        if (header.empty())
            throw TaveloError(Msg::mergeListNoHeader());
        QSet<QString> seen;
        for (size_t n = 0; n < header.size(); ++n) {
            const QString name = header[n].trimmed();
            const int column = int(n) + 1;
            if (name.isEmpty())
                throw TaveloError(Msg::mergeListEmptyName(column));
            if (seen.contains(name))
                throw TaveloError(Msg::mergeListDuplicateName(column, name));
            seen.insert(name);
            m_list.m_columns << name;
        }
        while (!atEnd())
            readDataRecord();
    }

private:
    bool atEnd() const { return m_at >= m_text.size(); }

    std::vector<QString> readHeaderRecord()
    {
        std::vector<QString> fields;
        const qsizetype startText = m_list.m_text.size();
        bool blank = false;
        readRecord(MergeList::MaxColumns, [&](qsizetype from, qsizetype length) {
            fields.push_back(m_list.m_text.mid(from, length));
        }, &blank, Msg::mergeListTooManyColumns(MergeList::MaxColumns));
        m_list.m_text.truncate(startText);
        if (blank)
            fields.clear();
        return fields;
    }

    void readDataRecord()
    {
        const int columns = int(m_list.m_columns.size());
        const size_t firstCell = m_list.m_cells.size();
        const qsizetype firstText = m_list.m_text.size();
        bool blank = false;
        const int line = m_line;
        readRecord(columns, [&](qsizetype from, qsizetype length) {
            m_list.m_cells.push_back({std::int32_t(from), std::int32_t(length)});
        }, &blank, Msg::mergeListTooManyFields(line, columns));
        if (blank) {
            m_list.m_cells.resize(firstCell);
            m_list.m_text.truncate(firstText);
            return;
        }
        if (m_list.rowCount() == MergeList::MaxRows)
            throw TaveloError(Msg::mergeListTooManyRows(MergeList::MaxRows));
        m_list.m_rowStarts.push_back(std::int64_t(firstCell));
    }

    // One record: its fields are appended to the list's text and handed to
    // field as they are read; more than maxFields is the error tooMany.
    // *blank tells a line without anything on it.
    template <typename Field>
    void readRecord(int maxFields, Field field, bool *blank, const QString &tooMany)
    {
        int count = 0;
        bool anyQuoted = false;
        qsizetype lastLength = 0;
        for (;;) {
            if (++count > maxFields)
                throw TaveloError(tooMany);
            const qsizetype from = m_list.m_text.size();
            const bool quoted = !atEnd() && m_text[m_at] == QLatin1Char('"');
            anyQuoted = anyQuoted || quoted;
            if (quoted)
                readQuoted();
            else
                readPlain();
            lastLength = m_list.m_text.size() - from;
            field(from, lastLength);
            if (atEnd())
                break;
            const QChar c = m_text[m_at];
            if (c == m_delimiter) {
                ++m_at;
                continue;
            }
            skipLineEnd();
            break;
        }
        *blank = count == 1 && !anyQuoted && lastLength == 0;
    }

    void readPlain()
    {
        const qsizetype from = m_at;
        while (!atEnd() && m_text[m_at] != m_delimiter && !isLineEnd(m_text[m_at]))
            ++m_at;
        m_list.m_text += QStringView(m_text).sliced(from, m_at - from);
    }

    // A quoted field: doubled quotes are one quote; a line break inside is
    // kept as a line feed.
    void readQuoted()
    {
        const int openedOn = m_line;
        ++m_at;
        for (;;) {
            if (atEnd())
                throw TaveloError(Msg::mergeListOpenQuote(openedOn));
            const QChar c = m_text[m_at];
            if (c == QLatin1Char('"')) {
                if (m_at + 1 < m_text.size() && m_text[m_at + 1] == QLatin1Char('"')) {
                    m_list.m_text += QLatin1Char('"');
                    m_at += 2;
                    continue;
                }
                ++m_at;
                break;
            }
            if (isLineEnd(c)) {
                skipLineEnd();
                m_list.m_text += QLatin1Char('\n');
                continue;
            }
            m_list.m_text += c;
            ++m_at;
        }
        if (!atEnd() && m_text[m_at] != m_delimiter && !isLineEnd(m_text[m_at]))
            throw TaveloError(Msg::mergeListAfterQuote(m_line));
    }

    // CR LF, LF or CR.
    void skipLineEnd()
    {
        if (m_text[m_at] == QLatin1Char('\r') && m_at + 1 < m_text.size() && m_text[m_at + 1] == QLatin1Char('\n'))
            ++m_at;
        ++m_at;
        ++m_line;
    }

    const QString &m_text;
    QChar m_delimiter;
    MergeList &m_list;
    qsizetype m_at = 0;
    int m_line = 1;
};

MergeList MergeList::read(const QString &path)
{
    OpenedFile file = openRegularFile(path);
    if (!file.ok())
        throw TaveloError(openFailureMessage(path, file));
    if (file.size > MaxFileBytes)
        throw TaveloError(Msg::mergeListTooLarge(MaxFileBytes >> 20));
    QByteArray bytes(qsizetype(file.size), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const long long n = readSome(file.fd.get(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            throwIoError(errno);
        if (n == 0)
            break;
        filled += qsizetype(n);
    }
    bytes.truncate(filled);
    return fromBytes(bytes, QFileInfo(path).fileName());
}

MergeList MergeList::fromBytes(const QByteArray &bytes, const QString &fileName)
{
    if (bytes.size() > MaxFileBytes)
        throw TaveloError(Msg::mergeListTooLarge(MaxFileBytes >> 20));
    const Decoded decoded = decode(bytes);
    MergeList list;
    list.m_encoding = decoded.encoding;
    list.m_delimiter = delimiterOf(decoded.text, fileName);
    MergeListParser(decoded.text, list.m_delimiter, list).parse();
    list.m_text.squeeze();
    return list;
}

int MergeList::columnIndex(const QString &name) const
{
    return int(m_columns.indexOf(name));
}

QString MergeList::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    const std::int64_t first = m_rowStarts[size_t(row)];
    const std::int64_t end = size_t(row) + 1 < m_rowStarts.size() ? m_rowStarts[size_t(row) + 1] : std::int64_t(m_cells.size());
    if (first + column >= end)
        return {};
    const Cell &cell = m_cells[size_t(first + column)];
    return m_text.mid(cell.start, cell.length);
}

std::optional<QString> MergeList::value(int row, const QString &name) const
{
    const int column = columnIndex(name);
    if (column < 0)
        return std::nullopt;
    return value(row, column);
}

QString mergeEncodingName(MergeList::Encoding encoding)
{
    switch (encoding) {
    case MergeList::Encoding::Utf8Bom:
        return QStringLiteral("UTF-8 (BOM)");
    case MergeList::Encoding::Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case MergeList::Encoding::Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case MergeList::Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case MergeList::Encoding::CodePage932:
        break;
    }
    return QStringLiteral("シフトJIS (CP932)");
}

QString mergeEncodingKey(MergeList::Encoding encoding)
{
    switch (encoding) {
    case MergeList::Encoding::Utf8Bom:
        return QStringLiteral("utf-8-bom");
    case MergeList::Encoding::Utf16LE:
        return QStringLiteral("utf-16le");
    case MergeList::Encoding::Utf16BE:
        return QStringLiteral("utf-16be");
    case MergeList::Encoding::Utf8:
        return QStringLiteral("utf-8");
    case MergeList::Encoding::CodePage932:
        break;
    }
    return QStringLiteral("cp932");
}
