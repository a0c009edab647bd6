// tavelo-batch join and split: a two-sided card made from two cards, and
// taken apart again. The cards are read as the Open command reads them and
// written as Save writes them; their pictures are not loaded, only checked.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "TerminalStream.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "files/AtomicFile.h"

#include <QTextStream>

#include <optional>
#include <vector>

namespace {

// The card files named before -o and after it, or nothing with problem set.
struct SideFiles {
    QStringList inputs;
    QStringList outputs;
};

std::optional<SideFiles> parseFiles(const QStringList &args, int inputs, int outputs, const QString &usage, QString &problem)
{
    SideFiles files;
    bool afterO = false;
    for (const QString &arg : args) {
        if (arg == QLatin1String("-o") && !afterO) {
            afterO = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            problem = QStringLiteral("unknown option '%1'").arg(arg);
            return std::nullopt;
        } else {
            (afterO ? files.outputs : files.inputs) << arg;
        }
    }
    if (files.inputs.size() != inputs || files.outputs.size() != outputs) {
        problem = usage;
        return std::nullopt;
    }
    return files;
}

// Reads a card for join or split; false (after its messages) when nothing
// of it could be read or its read was ended by an error.
bool readWhole(CardDocument &doc, const QString &path, bool &hadMessages)
{
    CollectingSink sink;
    PictureUse checkOnly;
    checkOnly.sizesOnly = [](Side, int, QSize) {};
    const bool isCard = readCard(doc, sink, path, 96, checkOnly);
    TerminalStream err(stderr);
    for (const QString &message : sink.messages())
        err << path << ": " << message << '\n';
    hadMessages = hadMessages || !sink.messages().isEmpty();
    return isCard;
}

// Writes every file whole, after all of them were formed; the exit status.
int writeAll(const std::vector<std::pair<QString, QByteArray>> &files, const char *command)
{
    TerminalStream err(stderr);
    for (const auto &[path, bytes] : files) {
        try {
            AtomicFile::replace(path, bytes);
        } catch (const TaveloError &e) {
            err << "tavelo-batch " << command << ": " << Msg::cannotWriteOutput(path, e.message()) << '\n';
            return 3;
        }
    }
    return 0;
}

int usageProblem(const char *command, const QString &problem)
{
    TerminalStream(stderr) << "tavelo-batch " << command << ": " << problem << "\n\n" << usageText();
    return 2;
}

// A side's boxes as the front of a card of their own, with settings.
std::optional<QByteArray> cardOf(const CardDocument &settingsFrom, const CardSide &front)
{
    CardDocument card;
    card.setPrintSettings(settingsFrom.printSettings());
    card.setSide(Side::Front, front);
    return CardFileBytesIfStorable(card);
}

} // namespace

int runJoinCommand(const QStringList &args)
{
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    QString problem;
    const std::optional<SideFiles> files =
        parseFiles(args, 2, 1, QStringLiteral("join needs FRONT.tvl BACK.tvl -o CARD.tvl"), problem);
    if (!files)
        return usageProblem("join", problem);
    bool hadMessages = false;
    CardDocument front;
    CardDocument back;
    if (!readWhole(front, files->inputs.at(0), hadMessages) || !readWhole(back, files->inputs.at(1), hadMessages))
        return 1;
    TerminalStream err(stderr);
    // Nothing of either card is dropped without a word: a card that already
    // has a back is no front or back for another.
    for (const auto &[doc, path] : {std::pair{&front, files->inputs.at(0)}, std::pair{&back, files->inputs.at(1)}}) {
        if (doc->hasBack()) {
            err << "tavelo-batch join: " << path << ": " << Msg::alreadyTwoSided() << '\n';
            return 1;
        }
    }
    front.setSide(Side::Back, back.side(Side::Front));
    const std::optional<QByteArray> bytes = CardFileBytesIfStorable(front);
    if (!bytes)
        return 3;
    const int status = writeAll({{files->outputs.at(0), *bytes}}, "join");
    return status != 0 ? status : hadMessages ? 1 : 0;
}

int runSplitCommand(const QStringList &args)
{
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    QString problem;
    const std::optional<SideFiles> files =
        parseFiles(args, 1, 2, QStringLiteral("split needs CARD.tvl -o FRONT.tvl BACK.tvl"), problem);
    if (!files)
        return usageProblem("split", problem);
    bool hadMessages = false;
    CardDocument card;
    if (!readWhole(card, files->inputs.at(0), hadMessages))
        return 1;
    if (!card.hasBack()) {
        TerminalStream(stderr) << "tavelo-batch split: " << files->inputs.at(0) << ": " << Msg::noBackToPrint() << '\n';
        return 1;
    }
    const CardSide backSide = card.side(Side::Back);
    card.removeBack();
    const std::optional<QByteArray> front = CardFileBytesIfStorable(card);
    const std::optional<QByteArray> back = cardOf(card, backSide);
    if (!front || !back)
        return 3;
    const int status = writeAll({{files->outputs.at(0), *front}, {files->outputs.at(1), *back}}, "split");
    return status != 0 ? status : hadMessages ? 1 : 0;
}
