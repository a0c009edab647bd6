// tavelo-batch export: the print-shop PDF of a card (or of every row of a
// merge list), with the preflight's problems on stderr.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "TerminalStream.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "files/AtomicFile.h"
#include "files/WriteTarget.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "merge/MergePlan.h"
#include "printshop/PrintShopExport.h"
#include "sheet/CardSheet.h"
#include "sheet/SheetLayout.h"

#include <QFileInfo>
#include <QTextStream>

#include <optional>
#include <unistd.h>

namespace {

constexpr std::int32_t MaxScreenDpi = 100000;

struct ExportOptions {
    QString card;
    QString output;
    PrintShopJob job;
    std::int32_t screenDpi = 96;
    QString mergeList;
    std::optional<QString> rows;
};

// The options, or nothing with *problem saying what is wrong.
std::optional<ExportOptions> parseOptions(const QStringList &args, QString *problem)
{
    ExportOptions options;
    for (int next = 0; next < args.size();) {
        QString arg = args.at(next++);
        std::optional<QString> inlineValue;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            inlineValue = arg.section(QLatin1Char('='), 1);
            arg = arg.section(QLatin1Char('='), 0, 0);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (next == args.size()) {
                *problem = QStringLiteral("%1 needs a value").arg(arg);
                return std::nullopt;
            }
            return args.at(next++);
        };
        const auto wrong = [&](const QString &v, const char *takes) {
            *problem = QStringLiteral("%1 takes %2, not '%3'").arg(arg, QLatin1String(takes), v);
            return std::nullopt;
        };
        const bool takesValue = arg == QLatin1String("-o") || arg == QLatin1String("--bleed")
                                || arg == QLatin1String("--marks") || arg == QLatin1String("--sides")
                                || arg == QLatin1String("--merge") || arg == QLatin1String("--rows")
                                || arg == QLatin1String("--screen-dpi");
        if (!takesValue) {
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
                *problem = QStringLiteral("unknown option '%1'").arg(arg);
                return std::nullopt;
            }
            if (!options.card.isEmpty()) {
                *problem = QStringLiteral("only one card file can be exported");
                return std::nullopt;
            }
            options.card = arg;
            continue;
        }
        const std::optional<QString> v = value();
        if (!v)
            return std::nullopt;
        if (arg == QLatin1String("-o")) {
            options.output = *v;
        } else if (arg == QLatin1String("--bleed")) {
            const std::optional<std::int32_t> tenths = parseBleedMm(*v);
            if (!tenths)
                return wrong(*v, "millimetres from 0 to 5 with at most one decimal");
            options.job.options.bleedTenthsMm = *tenths;
        } else if (arg == QLatin1String("--marks")) {
            if (*v == QLatin1String("jp"))
                options.job.options.marks = CropMarks::Japanese;
            else if (*v == QLatin1String("none"))
                options.job.options.marks = CropMarks::None;
            else
                return wrong(*v, "none or jp");
        } else if (arg == QLatin1String("--sides")) {
            if (*v == QLatin1String("front"))
                options.job.sides = SideChoice::Front;
            else if (*v == QLatin1String("back"))
                options.job.sides = SideChoice::Back;
            else if (*v == QLatin1String("both"))
                options.job.sides = SideChoice::Both;
            else
                return wrong(*v, "front, back or both");
        } else if (arg == QLatin1String("--merge")) {
            options.mergeList = *v;
        } else if (arg == QLatin1String("--rows")) {
            options.rows = *v;
        } else {
            bool ok = false;
            const qlonglong dpi = v->toLongLong(&ok);
            if (!ok || dpi < 1 || dpi > MaxScreenDpi)
                return wrong(*v, "a whole number from 1 to 100000");
            options.screenDpi = std::int32_t(dpi);
        }
    }
    if (options.card.isEmpty())
        *problem = QStringLiteral("export needs a card file");
    else if (options.output.isEmpty())
        *problem = QStringLiteral("export needs -o OUT.pdf (or -o - for standard output)");
    else if (options.rows && options.mergeList.isEmpty())
        *problem = QStringLiteral("--rows needs --merge LIST");
    if (!problem->isEmpty())
        return std::nullopt;
    return options;
}

// Why the output cannot be written, with the exit status, or nothing.
std::optional<std::pair<int, QString>> outputProblem(const QString &output)
{
    if (output == QLatin1String("-"))
        return std::nullopt;
    if (QFileInfo(output).fileName().compare(QLatin1String(".pdf"), Qt::CaseInsensitive) == 0)
        return std::make_pair(2, Msg::outputNameOnlyExtension(output));
    const WriteTarget target = writeTarget(output);
    if (!target.refusal.isEmpty())
        return std::make_pair(3, Msg::cannotWriteOutput(output, target.refusal));
    const bool stream = target.kind == WriteTarget::Kind::Stream || target.kind == WriteTarget::Kind::Descriptor;
    if (!stream && !output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return std::make_pair(
            2, QStringLiteral("-o needs a file name ending in .pdf, a device or a pipe, or - for standard output"));
    return std::nullopt;
}

}   // namespace

int runExportCommand(const QStringList &args)
{
    TerminalStream err(stderr);
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    QString problem;
    std::optional<ExportOptions> options = parseOptions(args, &problem);
    if (!options) {
        err << "tavelo-batch export: " << problem << "\n\n" << usageText();
        return 2;
    }
    if (const auto refused = outputProblem(options->output)) {
        err << "tavelo-batch export: " << refused->second << '\n';
        if (refused->first == 2)
            err << '\n' << usageText();
        return refused->first;
    }

    CollectingSink sink;
    CardDocument doc;
    // Each picture is kept at most at the density it is drawn at: more would
    // never reach the page, and the preflight judges what prints.
    PictureUse printedSize;
    printedSize.fit = [&](const BoxBounds &bounds) {
        return CardSheet::printedPictureSize(SheetLayout::singleCard(PrintShopExport::Dpi, options->screenDpi, 0),
                                             bounds);
    };
    const bool isCard = readCard(doc, sink, options->card, options->screenDpi, printedSize);
    for (const QString &message : sink.messages())
        err << message << '\n';
    err.flush();
    if (!isCard)
        return 1;
    if (options->job.title.isEmpty())
        options->job.title = QFileInfo(options->card).completeBaseName();
    QString sidesProblem;
    if (!PrintShopExport::chosenSides(doc, options->job.sides, &sidesProblem)) {
        err << "tavelo-batch export: " << sidesProblem << '\n';
        return 1;   // nothing written
    }

    QStringList preflight;
    QString error;
    std::optional<QByteArray> pdf;
    if (options->mergeList.isEmpty()) {
        pdf = PrintShopExport::pdf(doc, options->job, &preflight, &error);
    } else {
        std::optional<MergeList> list;
        try {
            list = MergeList::read(options->mergeList);
        } catch (const TaveloError &e) {
            err << options->mergeList << ": " << e.message() << '\n';
            return 1;
        }
        std::vector<int> rows = allRows(list->rowCount());
        if (options->rows) {
            QString rowsProblem;
            const std::optional<std::vector<int>> chosen =
                parseRowSelection(*options->rows, list->rowCount(), &rowsProblem);
            if (!chosen) {
                err << "tavelo-batch export: --rows: " << rowsProblem << "\n\n" << usageText();
                return 2;
            }
            rows = *chosen;
        }
        const QStringList missing = MergeFields::missingOnCard(doc, *list);
        if (!missing.isEmpty())
            preflight << Msg::mergeMissingFields(missing);
        pdf = PrintShopExport::mergedPdf(doc, *list, rows, options->job, &preflight, &error);
    }
    if (pdf) {
        if (options->output == QLatin1String("-")) {
            try {
                AtomicFile::writeStream(STDOUT_FILENO, *pdf);
            } catch (const TaveloError &e) {
                error = Msg::cannotWriteOutput(Msg::standardOutput(), e.message());
                pdf.reset();
            }
        } else if (!PrintShopExport::save(options->output, *pdf, &error)) {
            pdf.reset();
        }
    }
    for (const QString &line : preflight)
        err << line << '\n';
    if (!pdf) {
        err << "tavelo-batch export: " << error << '\n';
        return 3;
    }
    return preflight.isEmpty() && sink.messages().isEmpty() ? 0 : 1;
}
