// The recent cards list: order, limit, duplicates and removal, kept in the
// settings file between two lists (two runs of the program).
#include "session/RecentCards.h"

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
        QTest::newRow("again moves it first") << QStringList{"a", "b", "a"} << QString() << QStringList{"a", "b"};
        QTest::newRow("eight kept, newest first") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"} << QString()
                                                  << QStringList{"10", "9", "8", "7", "6", "5", "4", "3"};
        QTest::newRow("removed") << QStringList{"a", "b", "c"} << "b" << QStringList{"c", "a"};
        QTest::newRow("relative name made absolute") << QStringList{"../x/card"} << QString() << QStringList{"../x/card"};
    }
    void keepsTheMostRecentFirst()
    {
        QFETCH(QStringList, added);
        QFETCH(QString, removed);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        const auto paths = [&](const QStringList &names) {
            QStringList result;
            for (const QString &name : names)
                result << QDir::cleanPath(dir.filePath(name + QStringLiteral(".tvl")));
            return result;
        };
        const QString file = dir.filePath(QStringLiteral("Tavelo.conf"));
        {
            QSettings settings(file, QSettings::IniFormat);
            RecentCards recent(&settings);
            for (const QString &name : added)
                recent.add(name.startsWith(QLatin1Char('.')) ? name + QStringLiteral(".tvl") : paths({name}).first());
            if (!removed.isEmpty())
                recent.remove(paths({removed}).first());
        }
        QSettings again(file, QSettings::IniFormat);
        QCOMPARE(RecentCards(&again).paths(), paths(expected));
    }
};

QTEST_MAIN(TestRecentCards)
#include "test_recentcards.moc"
