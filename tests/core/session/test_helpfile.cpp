// The help file format and its keyword search, and the shipped help file.
#include "session/HelpFile.h"

#include <QTest>

class TestHelpFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void search_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("hits");
        QTest::newRow("empty lists all") << QString() << QStringList{QStringLiteral("Print"), QStringLiteral("印刷"), QStringLiteral("部数"), QStringLiteral("開く")};
        QTest::newRow("partial") << QStringLiteral("刷") << QStringList{QStringLiteral("印刷")};
        QTest::newRow("case-insensitive") << QStringLiteral("pri") << QStringList{QStringLiteral("Print")};
    }
    void search()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, hits);
        HelpFile file;
        file.parse(QStringLiteral("Title\r\n== 印刷\r\nkeywords: 印刷, 部数, Print\r\nbody\r\n== 開く\nkeywords: 開く\ntext\n"));
        QCOMPARE(file.title(), QStringLiteral("Title"));
        QCOMPARE(file.topics().at(0).text, QStringLiteral("body"));
        QStringList names;
        for (const auto &hit : file.search(key))
            names << hit.first;
        QCOMPARE(names, hits);
    }

    void shippedFileExplainsEveryCommand()
    {
        HelpFile file;
        QVERIFY(file.load(QStringLiteral(TAVELO_SOURCE_DIR "/resources/Tavelo.hlp")));
        const QStringList commands = QStringLiteral("新規作成 開く 上書き保存 名前を付けて保存 書式設定 印刷プレビュー 印刷 終了 "
                                                    "新規ﾃｷｽﾄﾎﾞｯｸｽ追加 新規ｲﾒｰｼﾞﾎﾞｯｸｽ追加 フォント 削除 ｼﾞｰｼﾞｮﾝ情報")
                                         .split(QLatin1Char(' '));
        for (const QString &command : commands)
            QVERIFY2(!file.search(command).isEmpty(), qPrintable(command));
    }
};

QTEST_GUILESS_MAIN(TestHelpFile)
#include "test_helpfile.moc"
