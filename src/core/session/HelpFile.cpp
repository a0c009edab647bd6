#include "session/HelpFile.h"

#include <QFile>

#include <algorithm>

bool HelpFile::load(const QString &path)
{
    m_title.clear();
    m_topics.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    parse(QString::fromUtf8(file.readAll()));
    return true;
}

void HelpFile::parse(const QString &content)
{
    m_title.clear();
    m_topics.clear();
    QStringList preface;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1String("=="))) {
            m_topics.append({line.mid(2).trimmed(), {}, {}});
        } else if (m_topics.isEmpty()) {
            preface << line;
        } else if (line.startsWith(QLatin1String("keywords:")) && m_topics.last().text.isEmpty()) {
            for (const QString &k : line.mid(9).split(QLatin1Char(','), Qt::SkipEmptyParts))
                m_topics.last().keywords << k.trimmed();
        } else {
            m_topics.last().text += line + QLatin1Char('\n');
        }
    }
    m_title = preface.join(QLatin1Char('\n')).trimmed();
    for (HelpTopic &t : m_topics)
        t.text = t.text.trimmed();
}

QString HelpFile::searchForm(const QString &text)
{
    // Compatibility forms first: half-width katakana and full-width Latin
    // become their usual forms ("ﾌｫﾝﾄ" and "ＱＲ" find "フォント" and "QR").
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    // Hiragana as katakana: "ふぉんと" finds "フォント". The two blocks lie
    // 0x60 apart, from small a to small ke.
    for (QChar &c : folded) {
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(char16_t(c.unicode() + 0x60));
    }
    return folded;
}

QList<QPair<QString, int>> HelpFile::search(const QString &partialKey) const
{
    QList<QPair<QString, int>> hits;
    const QString key = searchForm(partialKey.trimmed());
    for (int i = 0; i < m_topics.size(); ++i) {
        QStringList names = m_topics.at(i).keywords;
        names.prepend(m_topics.at(i).title);
        names.removeDuplicates();
        for (const QString &name : names)
            if (key.isEmpty() || searchForm(name).contains(key))
                hits.append({name, i});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return hits;
}
