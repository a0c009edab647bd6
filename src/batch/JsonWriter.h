#pragma once
// Writes JSON with the keys in the order they are given (Qt's JSON objects
// sort them), indented by two spaces.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class JsonWriter
{
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    // The key of the next value in the open object.
    JsonWriter &key(const QString &name);

    void value(const QString &text);
    void value(std::int64_t number);
    void value(bool flag);
    void null();

    // The document so far, in UTF-8.
    QByteArray toUtf8() const { return m_out.toUtf8(); }

    static QString quoted(const QString &text);

private:
    void beforeValue();
    void open(QChar bracket);
    void close(QChar bracket);
    void newLine();

    struct Level {
        bool empty = true;
    };
    QString m_out;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};
