#pragma once
// The help file beside the program: topics with a title, keywords and text.
//
//   == Title of the topic
//   keywords: first, second, ...
//   Text of the topic, any number of lines.
//
// Lines before the first "==" are the file's own title. UTF-8.
#include <QList>
#include <QString>
#include <QStringList>

struct HelpTopic {
    QString title;
    QStringList keywords;
    QString text;
};

class HelpFile
{
public:
    // False when the file cannot be read; the topics are then empty.
    bool load(const QString &path);
    void parse(const QString &content);

    const QString &title() const { return m_title; }
    const QList<HelpTopic> &topics() const { return m_topics; }

    // Every keyword (and topic title) that contains the typed text, sorted,
    // each with the index of its topic. Both are compared in searchForm().
    QList<QPair<QString, int>> search(const QString &partialKey) const;

    // Text as the search compares it: case, half- and full-width forms and
    // hiragana against katakana do not matter.
    static QString searchForm(const QString &text);

private:
    QString m_title;
    QList<HelpTopic> m_topics;
};
