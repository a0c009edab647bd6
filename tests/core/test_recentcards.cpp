// The recent cards list: order, limit, duplicates and removal, kept in the
// settings file between two lists (two runs of the program).
#include "RecentCards.h"

#include <QTemporaryDir>
#include <QTest>

class TestRecentCards : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsTheMostRecentFirst_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")} << QString() << QStringList{"c", "b", "a"};
        QTest::newRow("again moves it first") << QStringList{"a", "b", "a"} << QString() << QStringList{"a", "b"};
        QTest::newRow("eight kept") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"} << QString()
                                    << QStringList{"10", "9", "8", "7", "6", "5", "4", "3"};
        QTest::newRow("removed") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")} << "b" << QStringList{"c", "a"};
        QTest::newRow("removing a stranger") << QStringList{"a"} << "z" << QStringList{"a"};
    }
    void keepsTheMostRecentFirst()
    {
        QFETCH(QStringList, added);
        QFETCH(QString, removed);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Tavelo.conf"));
        {
            QSettings settings(file, QSettings::IniFormat);
            RecentCards recent(&settings);
            for (const QString &name : added)
                recent.add(dir.filePath(name + QStringLiteral(".tvl")));
            if (!removed.isEmpty())
                recent.remove(dir.filePath(removed + QStringLiteral(".tvl")));
        }
        QSettings again(file, QSettings::IniFormat);
        QStringList want;
        for (const QString &name : expected)
            want << dir.filePath(name + QStringLiteral(".tvl"));
        QCOMPARE(RecentCards(&again).paths(), want);
    }

    void relativePathsAreKeptWhole()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("t.conf")), QSettings::IniFormat);
        RecentCards recent(&settings);
        recent.add(QStringLiteral("card.tvl"));
        QVERIFY(QFileInfo(recent.paths().first()).isAbsolute());
    }
};

QTEST_MAIN(TestRecentCards)
#include "test_recentcards.moc"
