#pragma once
// What tavelo-batch writes to a terminal. Texts from cards, lists and the
// command line may hold control characters; written as they stand, an escape
// or a bell byte would reach the terminal as a command (a card could clear
// the screen or set the window's title). Every such character but the line
// feed is written escaped: \x1b for C0 and DEL, \u009b for C1.
#include <QString>
#include <QTextStream>

#include <cstdio>

QString terminalText(const QString &text);

class TerminalStream
{
public:
    explicit TerminalStream(FILE *file) : m_stream(file) {}

    TerminalStream &operator<<(const QString &text)
    {
        m_stream << terminalText(text);
        return *this;
    }
    // The tool's own words, as they stand.
    TerminalStream &operator<<(const char *text)
    {
        m_stream << text;
        return *this;
    }
    TerminalStream &operator<<(char c)
    {
        m_stream << c;
        return *this;
    }
    void flush() { m_stream.flush(); }

private:
    QTextStream m_stream;
};
