#pragma once
// An address list for merge printing, as a spreadsheet saves it: comma- or
// tab-separated values (quoted fields, doubled quotes, line breaks inside
// quotes), the first row naming the columns. The encoding is found from the
// bytes: a byte order mark (UTF-8, UTF-16 LE or BE), else UTF-16 by the NUL
// bytes of its ASCII characters, else valid UTF-8, else code page 932. UTF-16
// with half a character (an odd last byte, a lone surrogate) and lists whose
// lines mix UTF-8 and code page 932 are refused with the line.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class MergeList
{
public:
    enum class Encoding { Utf8Bom, Utf16LE, Utf16BE, Utf8, CodePage932 };

    // Beyond these a list is refused rather than read for minutes.
    static constexpr int MaxRows = 100000;
    static constexpr int MaxColumns = 1000;
    static constexpr qint64 MaxFileBytes = qint64(64) << 20;

    // Reads the list file at path. Throws a TaveloError with a message the
    // user can act on: the I/O message of a file that cannot be read, or
    // what is wrong with the list and where.
    static MergeList read(const QString &path);
    // The same from the file's bytes; fileName only tells a .tsv file.
    static MergeList fromBytes(const QByteArray &bytes, const QString &fileName = {});

    Encoding encoding() const { return m_encoding; }
    QChar delimiter() const { return m_delimiter; }
    const QStringList &columns() const { return m_columns; }
    int rowCount() const { return int(m_rowStarts.size()); }

    // The column's index, or −1 when the list has no such column.
    int columnIndex(const QString &name) const;
    // The value of column in row (both from 0); empty for a field the row
    // left out.
    QString value(int row, int column) const;
    // The value of the column named name in row, or nothing when the list
    // has no such column.
    std::optional<QString> value(int row, const QString &name) const;

private:
    struct Cell {
        std::int32_t start = 0;
        std::int32_t length = 0;
    };

    friend class MergeListParser;

    Encoding m_encoding = Encoding::Utf8;
    QChar m_delimiter = QLatin1Char(',');
    QStringList m_columns;
    // Every data field's text one after the other; the cells point into it.
    QString m_text;
    std::vector<Cell> m_cells;
    std::vector<std::int64_t> m_rowStarts;   // index of each row's first cell
};

// The encoding as people know it ("UTF-8", "Shift_JIS (CP932)", …) and as
// tavelo-batch names it ("utf-8", "cp932", …).
QString mergeEncodingName(MergeList::Encoding encoding);
QString mergeEncodingKey(MergeList::Encoding encoding);
