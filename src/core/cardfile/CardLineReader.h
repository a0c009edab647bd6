#pragma once
// Reads a card file line by line from an open file, through a small buffer.
// A line is handed over piece by piece as it is read, so that a line of any
// length costs no more memory than the buffer.
//
// A line is every byte up to the next CR; an LF right after the CR belongs to
// the line end, a lone LF is an ordinary byte. Byte 26 (Ctrl-Z) ends the file.
// Reading at the end gives an empty line. A failing read throws a TaveloError
// with the I/O message.
#include <QByteArray>

#include <array>
#include <functional>

class CardLineReader
{
public:
    using Pieces = std::function<void(const char *bytes, long long size)>;

    explicit CardLineReader(int fd) : m_fd(fd) {}
    // Reads lines held in memory (a box record carried in a property line).
    explicit CardLineReader(const QByteArray &bytes) : m_memory(bytes) {}

    bool atEnd();
    // Reads one line and gives it to take in pieces; an empty line gives none.
    void readLine(const Pieces &take);
    // The whole line, for lines known to be short.
    QByteArray readLine();

    // The first maxBytes bytes of a line, and whether there were more.
    struct Head {
        QByteArray bytes;
        bool cut = false;
    };
    // alsoTake, when given, sees every piece of the whole line as well.
    Head readLineHead(long long maxBytes, const Pieces &alsoTake = nullptr);

    // How many lines were read: the number of the line read last.
    int linesRead() const { return m_linesRead; }

private:
    // The next byte without taking it, or −1 at the end of the file.
    int peek();
    bool fill();

    static constexpr char CR = '\r';
    static constexpr char LF = '\n';
    static constexpr char EndOfFile = 26;

    int m_fd = -1;        // −1: the lines come from m_memory
    QByteArray m_memory;
    long long m_memoryPos = 0;
    // Only what a read filled is looked at, so the buffer is not cleared
    // first: clearing it cost a read of a small card more than its lines did.
    std::array<char, 64 * 1024> m_buffer;
    const char *m_data = nullptr;   // the bytes at hand: m_buffer, or m_memory's own
    long long m_pos = 0;
    long long m_len = 0;
    bool m_ended = false;   // the file's end or Ctrl-Z was reached
    int m_linesRead = 0;
};
