#pragma once
// Reads a card file line by line from an open file, through a small buffer so
// that a line of any length is read once and nothing else is held.
//
// A line is every byte up to the next CR; an LF right after the CR belongs to
// the line end, a lone LF is an ordinary byte. Byte 26 (Ctrl-Z) ends the file.
// Reading at the end gives an empty line. A failing read throws a TaveloError
// with the I/O message.
#include <QByteArray>

#include <array>

class CardLineReader
{
public:
    explicit CardLineReader(int fd) : m_fd(fd) {}

    bool atEnd();
    QByteArray readLine();

private:
    // The next byte without taking it, or −1 at the end of the file.
    int peek();
    bool fill();

    static constexpr char CR = '\r';
    static constexpr char LF = '\n';
    static constexpr char EndOfFile = 26;

    int m_fd;
    std::array<char, 64 * 1024> m_buffer {};
    long long m_pos = 0;
    long long m_len = 0;
    bool m_ended = false;   // the file's end or Ctrl-Z was reached
};
