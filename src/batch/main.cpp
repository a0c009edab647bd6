// tavelo-batch: the card file and the card sheet from the command line, on the
// core library alone.
#include "BatchCommands.h"
#include "TerminalStream.h"
#include "base/HeapTuning.h"
#include "base/Messages.h"
#include "base/OutOfMemory.h"
#include "base/QuietQt.h"
#include "sheet/FontMapping.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    // No window is ever shown: the offscreen platform unless the caller chose one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QuietQt::install();
    // Only printing and exporting draw text. Reading a card (info, merge-info) needs
    // neither fonts nor a platform: a core application starts faster and
    // leaves no font database to be set up just to be torn down at the end.
    const bool prints = argc > 1 && (std::strcmp(argv[1], "print") == 0 || std::strcmp(argv[1], "export") == 0);
    std::unique_ptr<QCoreApplication> app;
    if (prints) {
        HeapTuning::keepLargeBuffers();
        app = std::make_unique<QGuiApplication>(argc, argv);
        FontMapping::installFaceSubstitutions();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    QStringList args = QCoreApplication::arguments().mid(1);
    TerminalStream err(stderr);
    if (args.isEmpty()) {
        err << usageText();
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    // A job that runs out of memory is stopped here, before anything of it
    // is written (files are only ever replaced whole).
    try {
        if (command == QLatin1String("info"))
            return runInfoCommand(args);
        if (command == QLatin1String("print"))
            return runPrintCommand(args);
        if (command == QLatin1String("merge-info"))
            return runMergeInfoCommand(args);
        if (command == QLatin1String("set"))
            return runSetCommand(args);
        if (command == QLatin1String("pack"))
            return runPackCommand(args);
        if (command == QLatin1String("export"))
            return runExportCommand(args);
        if (command == QLatin1String("join"))
            return runJoinCommand(args);
        if (command == QLatin1String("split"))
            return runSplitCommand(args);
    } catch (const std::exception &e) {
        if (!isOutOfMemory(e))
            throw;
        err << "tavelo-batch " << command << ": " << Msg::outOfMemory() << '\n';
        return 3;
    }
    err << "tavelo-batch: unknown command '" << command << "'\n\n" << usageText();
    return 2;
}
