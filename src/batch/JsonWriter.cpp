#include "JsonWriter.h"

void JsonWriter::newLine()
{
    m_out += QLatin1Char('\n');
    m_out += QString(int(m_levels.size()) * 2, QLatin1Char(' '));
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    if (!m_levels.back().empty)
        m_out += QLatin1Char(',');
    m_levels.back().empty = false;
    newLine();
}

JsonWriter &JsonWriter::key(const QString &name)
{
    beforeValue();
    m_out += quoted(name) + QLatin1String(": ");
    m_afterKey = true;
    return *this;
}

void JsonWriter::open(QChar bracket)
{
    beforeValue();
    m_out += bracket;
    m_levels.push_back({});
}

void JsonWriter::close(QChar bracket)
{
    const bool empty = m_levels.back().empty;
    m_levels.pop_back();
    if (!empty)
        newLine();
    m_out += bracket;
}

void JsonWriter::beginObject() { open(QLatin1Char('{')); }
void JsonWriter::endObject() { close(QLatin1Char('}')); }
void JsonWriter::beginArray() { open(QLatin1Char('[')); }
void JsonWriter::endArray() { close(QLatin1Char(']')); }

void JsonWriter::value(const QString &text)
{
    beforeValue();
    m_out += quoted(text);
}

void JsonWriter::value(std::int64_t number)
{
    beforeValue();
    m_out += QString::number(number);
}

void JsonWriter::value(bool flag)
{
    beforeValue();
    m_out += flag ? QLatin1String("true") : QLatin1String("false");
}

void JsonWriter::null()
{
    beforeValue();
    m_out += QLatin1String("null");
}

QString JsonWriter::quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            // DEL and C1 too: JSON allows them raw, but a terminal showing
            // the output would take them as commands.
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}
