// Every command of the main window's menus, its context menus included, has a
// topic in the shipped help file that its own caption finds.
#include "UiTestSupport.h"
#include "session/HelpFile.h"

#include <QMenuBar>
#include <QRegularExpression>

namespace {
// A menu caption as the user reads it: without its access key and dots.
QString plainCaption(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    caption.remove(QLatin1Char('&'));
    caption.remove(QStringLiteral("..."));
    return caption.trimmed();
}

void collectCommands(const QMenu *menu, QStringList &captions)
{
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        if (const QMenu *sub = action->menu()) {
            captions << plainCaption(sub->title());
            continue;   // submenus list cards or list columns, not commands
        }
        captions << plainCaption(action->text());
    }
}
}

class TestHelpTopics : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyMenuCommandHasATopic()
    {
        TestWindow w;
        HelpFile help;
        QVERIFY(help.load(QStringLiteral(TAVELO_SOURCE_DIR "/resources/Tavelo.hlp")));
        QStringList captions;
        for (const QAction *top : w.form.menuBar()->actions())
            collectCommands(top->menu(), captions);
        collectCommands(w.form.PopupMenu1, captions);
        collectCommands(w.form.PopupMenu2, captions);
        QVERIFY(captions.size() > 20);
        QStringList missing;
        for (const QString &caption : captions) {
            // The undo items name the step they undo: "元に戻す: 移動".
            const QString command = caption.section(QLatin1Char(':'), 0, 0).trimmed();
            if (help.search(command).isEmpty())
                missing << command;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(TestHelpTopics)
#include "test_helptopics.moc"
