#pragma once
// The cards last opened or saved, most recent first, kept in the user's
// settings. A convenience of the File menu only: nothing here decides how a
// card is read, drawn or printed.
#include <QSettings>
#include <QStringList>

class RecentCards
{
public:
    static constexpr int Limit = 8;

    // settings: the user's (~/.config/Tavelo/Tavelo.conf) unless a test gives
    // its own.
    explicit RecentCards(QSettings *settings = nullptr);

    QStringList paths() const;
    // Puts path first; an older entry of the same file goes, and the list
    // keeps the Limit most recent.
    void add(const QString &path);
    void remove(const QString &path);

private:
    void store(const QStringList &paths);

    QSettings m_userSettings;
    QSettings *m_settings;
};
