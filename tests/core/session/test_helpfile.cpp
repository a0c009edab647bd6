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
        QTest::newRow("empty lists all") << QString() << QStringList{QStringLiteral("Print"), QStringLiteral("ブスウ"), QStringLiteral("印刷"), QStringLiteral("部数"), QStringLiteral("開く")};
        QTest::newRow("partial") << QStringLiteral("刷") << QStringList{QStringLiteral("印刷")};
        QTest::newRow("case-insensitive") << QStringLiteral("pri") << QStringList{QStringLiteral("Print")};
        QTest::newRow("full-width Latin") << QStringLiteral("ＰＲＩ") << QStringList{QStringLiteral("Print")};
        QTest::newRow("hiragana finds katakana") << QStringLiteral("ぶすう") << QStringList{QStringLiteral("ブスウ")};
        QTest::newRow("half-width katakana") << QStringLiteral("ﾌﾞｽｳ") << QStringList{QStringLiteral("ブスウ")};
    }
    void search()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, hits);
        HelpFile file;
        file.parse(QStringLiteral("Title\r\n== 印刷\r\nkeywords: 印刷, 部数, ブスウ, Print\r\nbody\r\n== 開く\nkeywords: 開く\ntext\n"));
        QCOMPARE(file.title(), QStringLiteral("Title"));
        QCOMPARE(file.topics().at(0).text, QStringLiteral("body"));
        QStringList names;
        for (const auto &hit : file.search(key))
            names << hit.first;
        QCOMPARE(names, hits);
    }

    // What users type for the features, in kanji, kana and Latin letters of
    // either width, finds the topic that explains it.
    void shippedFileFindsWhatUsersType_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("topic");
        const QList<QPair<const char *, const char *>> rows = {
            {"QR", "QRコード"}, {"ＱＲ", "QRコード"}, {"差し込み", "差し込み印刷"}, {"さしこみ", "差し込み印刷"},
            {"10面", "用紙 (8面・10面・カスタム)"}, {"１０面", "用紙 (8面・10面・カスタム)"}, {"補正", "印刷位置の補正"},
            {"ほせい", "印刷位置の補正"}, {"元に戻す", "元に戻す・やり直し"}, {"もとにもどす", "元に戻す・やり直し"},
            {"復元", "復元"}, {"ふくげん", "復元"}, {"PNG", "画像ファイル (PNG・JPEG)"}, {"jpeg", "画像ファイル (PNG・JPEG)"},
            {"貼り付け", "切り取り・コピー・貼り付け・複製・削除"}, {"矢印キー", "キーボードでの移動"},
            {"最近使った", "最近使ったファイル"}, {"ダブルクリック", "ダブルクリックとドロップで開く"}};
        for (const auto &[typed, topic] : rows)
            QTest::newRow(typed) << QString::fromUtf8(typed) << QString::fromUtf8(topic);
    }
    void shippedFileFindsWhatUsersType()
    {
        QFETCH(QString, typed);
        QFETCH(QString, topic);
        HelpFile file;
        QVERIFY(file.load(QStringLiteral(TAVELO_SOURCE_DIR "/resources/Tavelo.hlp")));
        QStringList titles;
        for (const auto &hit : file.search(typed))
            titles << file.topics().at(hit.second).title;
        QVERIFY2(titles.contains(topic), qPrintable(titles.join(QLatin1Char(','))));
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
