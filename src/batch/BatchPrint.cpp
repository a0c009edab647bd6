// tavelo-batch print: reads a card as the Open command does and prints its
// sheet into a PDF file or PNG files, with the print settings of the card or
// those given on the command line.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "TerminalStream.h"
#include "card/CardDocument.h"
#include "files/AtomicFile.h"
#include "files/WriteTarget.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "merge/MergePrinter.h"
#include "sheet/CardSheet.h"
#include "sheet/SheetPrinter.h"

#include "base/Messages.h"
#include "base/TaveloError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <limits>
#include <optional>
#include <unistd.h>

namespace {

constexpr int MaxCopies = 10000;
constexpr int MaxDpi = 100000;

struct PrintOptions {
    QString card;
    QString output;
    SheetJob job;
    std::int32_t screenDpi = 96;
    std::optional<std::int32_t> marginLeft;
    std::optional<std::int32_t> marginTop;
    std::optional<bool> guides;
    std::optional<PaperLayout> layout;
    // Which sides (none given: both for a two-sided card, else the front)
    // and how the page turns for its back.
    std::optional<SheetSides> sides;
    SheetTurn turn = SheetTurn::LongEdge;
    // Merge printing: the list, the mode and the rows as given.
    QString mergeList;
    MergeMode mergeMode = MergeMode::Sheet;
    std::optional<QString> rows;
    bool mergeOnly = false;   // an option that needs --merge was given
};

// A shift of the sheet from the command line: a metre either way at most.
constexpr std::int32_t MaxOffsetTenths = 10000;

std::optional<std::int32_t> parseInteger(const QString &text, std::int64_t lowest, std::int64_t highest)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return std::int32_t(value);
}

// A paper size by the name people use for it: "A4", "Letter", "B5" (ISO),
// "JIS B5", "Executive" …; case and blanks do not matter.
std::optional<QPageSize> pageSizeNamed(const QString &name)
{
    const auto simplified = [](QString text) { return text.remove(QLatin1Char(' ')).toCaseFolded(); };
    const QString wanted = simplified(name);
    for (int n = 0; n <= QPageSize::LastPageSize; ++n) {
        const auto id = QPageSize::PageSizeId(n);
        if (id == QPageSize::Custom)
            continue;
        // Names such as "Letter / ANSI A" or "Executive (7.5 x 10 in)" also
        // answer to their first word.
        const QString fullName = QPageSize::name(id);
        const QString shortName = fullName.section(QRegularExpression(QStringLiteral(" [/(]")), 0, 0);
        for (const QString &candidate : {fullName, shortName, QPageSize::key(id)}) {
            if (simplified(candidate) == wanted)
                return QPageSize(id);
        }
    }
    return std::nullopt;
}

class PrintOptionParser
{
public:
    explicit PrintOptionParser(const QStringList &args) : m_args(args) {}

    // The options, or nothing with problem() saying what is wrong.
    std::optional<PrintOptions> parse()
    {
        PrintOptions options;
        for (m_next = 0; m_next < m_args.size() && m_problem.isEmpty();) {
            const QString arg = m_args.at(m_next++);
            if (arg == QLatin1String("-o"))
                options.output = value(arg);
            else if (isOption(arg, "--copies"))
                options.job.copies = integer(arg, 1, MaxCopies).value_or(1);
            else if (isOption(arg, "--dpi"))
                options.job.dpi = integer(arg, 1, MaxDpi).value_or(600);
            else if (isOption(arg, "--screen-dpi"))
                options.screenDpi = integer(arg, 1, MaxDpi).value_or(96);
            else if (isOption(arg, "--page-size"))
                options.job.pageSize = pageSize(arg);
            else if (isOption(arg, "--margin-left"))
                options.marginLeft = integer(arg, PrintSettings::MarginMin, PrintSettings::MarginMax);
            else if (isOption(arg, "--margin-top"))
                options.marginTop = integer(arg, PrintSettings::MarginMin, PrintSettings::MarginMax);
            else if (isOption(arg, "--guides"))
                options.guides = onOff(arg);
            else if (isOption(arg, "--layout"))
                options.layout = layout(arg);
            else if (isOption(arg, "--offset-x"))
                options.job.offset.x = offset(arg);
            else if (isOption(arg, "--offset-y"))
                options.job.offset.y = offset(arg);
            else if (isOption(arg, "--sides"))
                options.sides = sides(arg);
            else if (isOption(arg, "--flip"))
                options.turn = flip(arg);
            else if (isOption(arg, "--merge"))
                options.mergeList = value(arg);
            else if (isOption(arg, "--merge-mode"))
                options.mergeMode = mergeMode(arg, options.mergeOnly);
            else if (isOption(arg, "--rows")) {
                options.rows = value(arg);
                options.mergeOnly = true;
            }
            else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
                m_problem = QStringLiteral("unknown option '%1'").arg(arg);
            else if (!options.card.isEmpty())
                m_problem = QStringLiteral("only one card file can be printed");
            else
                options.card = arg;
        }
        if (m_problem.isEmpty() && options.card.isEmpty())
            m_problem = QStringLiteral("print needs a card file");
        if (m_problem.isEmpty() && options.mergeOnly && options.mergeList.isEmpty())
            m_problem = QStringLiteral("--merge-mode and --rows need --merge LIST");
        if (m_problem.isEmpty() && options.output.isEmpty())
            m_problem = Msg::outputNeedsFormat();
        if (!m_problem.isEmpty())
            return std::nullopt;
        return options;
    }

    const QString &problem() const { return m_problem; }

    static bool isPdf(const QString &path) { return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }
    static bool isPng(const QString &path) { return path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive); }

private:
    // "--name VALUE" and "--name=VALUE" both name the option.
    bool isOption(const QString &arg, const char *name)
    {
        const QLatin1String option(name);
        if (arg == option)
            return true;
        if (!arg.startsWith(option + QLatin1Char('=')))
            return false;
        m_inlineValue = arg.mid(option.size() + 1);
        return true;
    }

    QString value(const QString &arg)
    {
        if (m_inlineValue) {
            const QString v = *m_inlineValue;
            m_inlineValue.reset();
            return v;
        }
        if (m_next == m_args.size()) {
            m_problem = QStringLiteral("%1 needs a value").arg(arg);
            return {};
        }
        return m_args.at(m_next++);
    }

    std::optional<std::int32_t> integer(const QString &arg, std::int64_t lowest, std::int64_t highest)
    {
        const QString text = value(arg);
        const std::optional<std::int32_t> number = parseInteger(text, lowest, highest);
        if (!number && m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes a whole number from %2 to %3, not '%4'")
                            .arg(optionName(arg)).arg(lowest).arg(highest).arg(text);
        return number;
    }

    QPageSize pageSize(const QString &arg)
    {
        const QString text = value(arg);
        const std::optional<QPageSize> size = pageSizeNamed(text);
        if (!size && m_problem.isEmpty())
            m_problem = QStringLiteral("unknown page size '%1'").arg(text);
        return size.value_or(QPageSize(QPageSize::A4));
    }

    std::optional<PaperLayout> layout(const QString &arg)
    {
        const QString text = value(arg);
        const std::optional<PaperLayout> layout = parsePaperLayoutMm(text);
        if (!layout && m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes 8, 10 or C,R,OX,OY,PX,PY (columns 1-4, rows 1-8, origin and pitch "
                                       "in millimetres with at most one decimal, pitch at least 91 by 55), not '%2'")
                            .arg(optionName(arg), text);
        return layout;
    }

    std::int32_t offset(const QString &arg)
    {
        const QString text = value(arg);
        const std::optional<std::int32_t> tenths = parseTenthsOfMm(text);
        if ((!tenths || *tenths < -MaxOffsetTenths || *tenths > MaxOffsetTenths) && m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes millimetres from -1000 to 1000 with at most one decimal, not '%2'")
                            .arg(optionName(arg), text);
        return tenths.value_or(0);
    }

    MergeMode mergeMode(const QString &arg, bool &mergeOnly)
    {
        mergeOnly = true;
        const QString text = value(arg);
        if (text == QLatin1String("card"))
            return MergeMode::Card;
        if (text != QLatin1String("sheet") && m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes sheet or card, not '%2'").arg(optionName(arg), text);
        return MergeMode::Sheet;
    }

    std::optional<SheetSides> sides(const QString &arg)
    {
        const QString text = value(arg);
        if (text == QLatin1String("front"))
            return SheetSides::of(DuplexMode::OneSided);
        if (text == QLatin1String("back"))
            return SheetSides::of(DuplexMode::BackOnly);
        if (text == QLatin1String("both"))
            return SheetSides::of(DuplexMode::LongEdge);
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes front, back or both, not '%2'").arg(optionName(arg), text);
        return std::nullopt;
    }

    SheetTurn flip(const QString &arg)
    {
        const QString text = value(arg);
        if (text == QLatin1String("short"))
            return SheetTurn::ShortEdge;
        if (text != QLatin1String("long") && m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes long or short, not '%2'").arg(optionName(arg), text);
        return SheetTurn::LongEdge;
    }

    std::optional<bool> onOff(const QString &arg)
    {
        const QString text = value(arg);
        if (text == QLatin1String("on"))
            return true;
        if (text == QLatin1String("off"))
            return false;
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("%1 takes on or off, not '%2'").arg(optionName(arg), text);
        return std::nullopt;
    }

    static QString optionName(const QString &arg) { return arg.section(QLatin1Char('='), 0, 0); }

    const QStringList &m_args;
    int m_next = 0;
    std::optional<QString> m_inlineValue;
    QString m_problem;
};

// What -o names, decided before the card is read.
struct OutputChoice {
    bool pdf = true;
    bool standardOutput = false;   // -o -
    int status = 0;                // not 0: the exit status of a problem
    QString problem;
};

OutputChoice chooseOutput(const QString &output)
{
    OutputChoice choice;
    if (output == QLatin1String("-")) {
        choice.standardOutput = true;
        return choice;
    }
    const auto refuse = [&choice](int status, const QString &problem) {
        choice.status = status;
        choice.problem = problem;
        return choice;
    };
    // ".png" would give the hidden pages ".png-1", ".png-2", ...
    const QString name = QFileInfo(output).fileName();
    if (name.compare(QLatin1String(".pdf"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String(".png"), Qt::CaseInsensitive) == 0)
        return refuse(2, Msg::outputNameOnlyExtension(output));
    const WriteTarget target = writeTarget(output);
    if (!target.refusal.isEmpty())
        return refuse(3, Msg::cannotWriteOutput(output, target.refusal));
    const bool stream = target.kind == WriteTarget::Kind::Stream || target.kind == WriteTarget::Kind::Descriptor;
    if (PrintOptionParser::isPng(output)) {
        if (stream)
            return refuse(2, Msg::pngOutputIsStream(output));
        choice.pdf = false;
        return choice;
    }
    if (!PrintOptionParser::isPdf(output) && !stream)
        return refuse(2, Msg::outputNeedsFormat());
    return choice;
}

// Puts a PDF made in memory on standard output; false with *error when it
// was not made or not written.
bool toStandardOutput(const std::optional<QByteArray> &pdf, QString *error)
{
    if (!pdf)
        return false;
    try {
        AtomicFile::writeStream(STDOUT_FILENO, *pdf);
        return true;
    } catch (const TaveloError &e) {
        *error = Msg::cannotWriteOutput(Msg::standardOutput(), e.message());
        return false;
    }
}

void applyOverrides(CardDocument &doc, const PrintOptions &options)
{
    PrintSettings settings = doc.printSettings();
    if (options.marginLeft)
        settings.MarginLeft = *options.marginLeft;
    if (options.marginTop)
        settings.MarginTop = *options.marginTop;
    if (options.guides)
        settings.PrintGuide = *options.guides ? 1 : 0;
    if (options.layout)
        settings.Layout = *options.layout;
    doc.setPrintSettings(settings);
}

// The sides the job prints of the card: those asked for, or both when the
// card has a back; nothing, with *problem saying why, when it cannot be printed.
std::optional<SheetSides> sidesOf(const CardDocument &doc, const PrintOptions &options, QString *problem)
{
    SheetSides asked = options.sides.value_or(SheetSides::of(doc.hasBack() ? DuplexMode::LongEdge : DuplexMode::OneSided));
    asked.turn = options.turn;
    return SheetPrinter::sidesFor(doc, asked, problem);
}

// The merge part of the print command; the exit status.
int printMerged(const CardDocument &doc, const PrintOptions &options, const OutputChoice &output, bool cardHadMessages)
{
    QStringList warnings;
    TerminalStream err(stderr);
    std::optional<MergeList> list;
    try {
        list = MergeList::read(options.mergeList);
    } catch (const TaveloError &e) {
        err << options.mergeList << ": " << e.message() << '\n';
        return 1;   // nothing printed
    }
    std::vector<int> rows = allRows(list->rowCount());
    if (options.rows) {
        QString problem;
        const std::optional<std::vector<int>> chosen = parseRowSelection(*options.rows, list->rowCount(), &problem);
        if (!chosen) {
            err << "tavelo-batch print: --rows: " << problem << "\n\n" << usageText();
            return 2;
        }
        rows = *chosen;
    }
    const QStringList missing = MergeFields::missingOnCard(doc, *list);
    if (!missing.isEmpty())
        warnings << Msg::mergeMissingFields(missing);

    const MergePlan plan = MergePrinter::planFor(doc, options.mergeMode, std::move(rows), options.job.copies);
    QString error;
    bool written = false;
    if (output.standardOutput)
        written = toStandardOutput(MergePrinter::pdf(doc, *list, plan, options.job, Msg::standardOutput(), &error, &warnings), &error);
    else if (output.pdf)
        written = MergePrinter::writePdf(doc, *list, plan, options.job, options.output, &error, &warnings);
    else
        written = MergePrinter::writePng(doc, *list, plan, options.job, options.output, &error, &warnings);
    for (const QString &warning : warnings)
        err << warning << '\n';
    if (!written) {
        err << "tavelo-batch print: " << error << '\n';
        return 3;
    }
    return warnings.isEmpty() && !cardHadMessages ? 0 : 1;
}

} // namespace

int runPrintCommand(const QStringList &args)
{
    TerminalStream err(stderr);
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    PrintOptionParser parser(args);
    const std::optional<PrintOptions> options = parser.parse();
    if (!options) {
        err << "tavelo-batch print: " << parser.problem() << "\n\n" << usageText();
        return 2;
    }
    const OutputChoice output = chooseOutput(options->output);
    if (output.status != 0) {
        err << "tavelo-batch print: " << output.problem << '\n';
        if (output.status == 2)
            err << '\n' << usageText();
        return output.status;
    }

    CollectingSink sink;
    CardDocument doc;
    // The job prints each picture at one size: it is scaled to that as soon
    // as it is loaded, and the full-size picture is not kept.
    PictureUse printedSize;
    printedSize.fit = [&](const BoxBounds &bounds) {
        // The card's settings are read before its boxes.
        const SheetLayout layout(options->job.dpi, options->job.dpi, options->screenDpi,
                                 options->marginLeft.value_or(doc.MarginLeft()), options->marginTop.value_or(doc.MarginTop()),
                                 options->layout.value_or(doc.printSettings().Layout), options->job.offset);
        return CardSheet::printedPictureSize(layout, bounds);
    };
    // The captions are laid out while the pictures load.
    if (options->mergeList.isEmpty()) {
        printedSize.meanwhile = [&] {
            applyOverrides(doc, *options);
            if (const std::optional<SheetSides> sides = sidesOf(doc, *options, nullptr)) {
                SheetJob ahead = options->job;
                ahead.sides = *sides;
                SheetPrinter::layOutCaptionsAhead(doc, ahead, output.pdf || output.standardOutput
                                                                  ? SheetPrinter::FileOutput::Pdf
                                                                  : SheetPrinter::FileOutput::Png);
            }
        };
    }
    const bool isCard = readCard(doc, sink, options->card, options->screenDpi, printedSize);
    const QStringList &messages = sink.messages();
    for (const QString &message : messages)
        err << message << '\n';
    err.flush();
    if (!isCard)
        return 1;   // nothing to print: a blank sheet would pass for the card
    applyOverrides(doc, *options);
    PrintOptions job = *options;
    QString error;
    const std::optional<SheetSides> sides = sidesOf(doc, *options, &error);
    if (!sides) {
        err << "tavelo-batch print: " << options->card << ": " << error << '\n';
        return 1;   // nothing printed
    }
    job.job.sides = *sides;
    if (!job.mergeList.isEmpty())
        return printMerged(doc, job, output, !messages.isEmpty());

    bool written = false;
    if (output.standardOutput)
        written = toStandardOutput(SheetPrinter::pdf(doc, job.job, Msg::standardOutput(), &error), &error);
    else if (output.pdf)
        written = SheetPrinter::writePdf(doc, job.job, job.output, &error);
    else
        written = SheetPrinter::writePng(doc, job.job, job.output, &error);
    if (!written) {
        err << "tavelo-batch print: " << error << '\n';
        return 3;
    }
    return sink.messages().isEmpty() ? 0 : 1;
}
