#include "session/RecentCards.h"

#include <QFileInfo>

namespace {
const QString kKey = QStringLiteral("recentCards");

QString normalised(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}
} // namespace

RecentCards::RecentCards(QSettings *settings)
    : m_userSettings(QStringLiteral("Tavelo"), QStringLiteral("Tavelo")), m_settings(settings ? settings : &m_userSettings)
{
}

QStringList RecentCards::paths() const
{
    QStringList paths = m_settings->value(kKey).toStringList();
    paths.removeAll(QString());
    paths.removeDuplicates();
    return paths.mid(0, Limit);
}

void RecentCards::add(const QString &path)
{
    const QString entry = normalised(path);
    QStringList list = paths();
    list.removeAll(entry);
    list.prepend(entry);
    store(list.mid(0, Limit));
}

void RecentCards::remove(const QString &path)
{
    QStringList list = paths();
    list.removeAll(normalised(path));
    store(list);
}

void RecentCards::store(const QStringList &paths)
{
    m_settings->setValue(kKey, paths);
    m_settings->sync();
}
