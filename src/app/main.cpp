// Start-up: the application object, its title, the three windows, the loop.
#include "base/Messages.h"
#include "base/QuietQt.h"
#include "sheet/FontMapping.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ToolIcons.h"
#include "window/Main.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char **argv)
{
    QuietQt::install();
    TaveloApplication app(argc, argv);
    app.setWindowIcon(ToolIcons::program());
    app.setApplicationName(Msg::applicationTitle());
    FontMapping::installFaceSubstitutions();

    // The program speaks Japanese, and so do the system dialogs it opens.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    TForm1 form;   // creates the About box and the print settings dialog, hidden
    // Card files named on the command line (Qt has taken its own options out
    // of the arguments); anything that looks like an option is left alone.
    QStringList paths;
    for (const QString &argument : app.arguments().mid(1)) {
        if (!argument.startsWith(QLatin1Char('-')))
            paths << argument;
    }
    form.openAtStart(paths);
    form.show();
    return app.exec();
}
