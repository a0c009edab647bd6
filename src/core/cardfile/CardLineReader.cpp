#include "cardfile/CardLineReader.h"

#include "base/FileErrors.h"
#include "files/RegularFile.h"

#include <algorithm>
#include <limits>

bool CardLineReader::fill()
{
    if (m_ended)
        return false;
    long long n = 0;
    if (m_fd < 0) {
        // Lines in memory are read where they stand.
        n = m_memory.size() - m_memoryPos;
        m_data = m_memory.constData() + m_memoryPos;
        m_memoryPos += n;
    } else {
        n = readSome(m_fd, m_buffer.data(), static_cast<long long>(m_buffer.size()));
        m_data = m_buffer.data();
    }
    if (n < 0)
        throwIoError(errno);
    m_pos = 0;
    m_len = n;
    if (n == 0)
        m_ended = true;
    return n > 0;
}

int CardLineReader::peek()
{
    if (m_pos == m_len && !fill())
        return -1;
    const char c = m_data[m_pos];
    if (c == EndOfFile) {
        m_ended = true;
        m_pos = m_len = 0;
        return -1;
    }
    return static_cast<unsigned char>(c);
}

bool CardLineReader::atEnd()
{
    return peek() < 0;
}

void CardLineReader::readLine(const Pieces &take)
{
    if (m_linesRead < std::numeric_limits<int>::max())
        ++m_linesRead;
    for (;;) {
        if (peek() < 0)
            return;
        const char *begin = m_data + m_pos;
        const char *end = m_data + m_len;
        const char *stop = std::find_if(begin, end, [](char c) { return c == CR || c == EndOfFile; });
        if (stop != begin)
            take(begin, stop - begin);
        m_pos += stop - begin;
        if (stop == end)
            continue;
        if (*stop == EndOfFile) {
            peek();   // marks the end
            return;
        }
        ++m_pos;   // the CR
        if (peek() == LF)
            ++m_pos;
        return;
    }
}

QByteArray CardLineReader::readLine()
{
    QByteArray line;
    readLine([&](const char *bytes, long long size) { line.append(bytes, qsizetype(size)); });
    return line;
}

CardLineReader::Head CardLineReader::readLineHead(long long maxBytes, const Pieces &alsoTake)
{
    Head head;
    readLine([&](const char *bytes, long long size) {
        if (alsoTake)
            alsoTake(bytes, size);
        const long long room = maxBytes - head.bytes.size();
        if (size > room)
            head.cut = true;
        if (room > 0)
            head.bytes.append(bytes, qsizetype(std::min(size, room)));
    });
    return head;
}
