// tavelo-batch pack: the card and copies of its pictures in one folder, the
// card's picture paths pointing into it.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "TerminalStream.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardPack.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

struct PackOptions {
    QString card;
    QString folder;
};

std::optional<PackOptions> parsePackOptions(const QStringList &args, QString &problem)
{
    PackOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            if (i + 1 == args.size()) {
                problem = QStringLiteral("%1 needs a folder").arg(arg);
                return std::nullopt;
            }
            options.folder = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--output="))) {
            options.folder = arg.mid(int(qstrlen("--output=")));
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            problem = QStringLiteral("unknown option '%1'").arg(arg);
            return std::nullopt;
        } else if (!options.card.isEmpty()) {
            problem = QStringLiteral("only one card file can be packed");
            return std::nullopt;
        } else {
            options.card = arg;
        }
    }
    if (options.card.isEmpty() || options.folder.isEmpty()) {
        problem = QStringLiteral("pack needs a card file and -o FOLDER");
        return std::nullopt;
    }
    return options;
}

} // namespace

int runPackCommand(const QStringList &args)
{
    TerminalStream err(stderr);
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    QString problem;
    const std::optional<PackOptions> options = parsePackOptions(args, problem);
    if (!options) {
        err << "tavelo-batch pack: " << problem << "\n\n" << usageText();
        return 2;
    }
    // Refused before the card is read: nothing in the folder is overwritten.
    const QFileInfo folder(options->folder);
    if (folder.exists() && !folder.isDir()) {
        err << "tavelo-batch pack: " << Msg::notAFolder(QDir::toNativeSeparators(folder.absoluteFilePath())) << '\n';
        return 2;
    }
    if (CardPack::holdsFiles(options->folder)) {
        err << "tavelo-batch pack: " << Msg::packFolderNotEmpty(QDir::toNativeSeparators(folder.absoluteFilePath())) << '\n';
        return 2;
    }

    CollectingSink sink;
    CardDocument doc;
    // The pictures are copied as files: only their messages are wanted here.
    PictureUse noPictures;
    noPictures.sizesOnly = [](Side, int, QSize) {};
    const bool isCard = readCard(doc, sink, options->card, 96, noPictures);
    for (const QString &message : sink.messages())
        err << message << '\n';
    err.flush();
    if (!isCard)
        return 1;   // nothing of the card could be read: no folder to make of it

    CollectingSink packSink;
    doc.setMessageSink(&packSink);
    CardPack::Packed packed;
    try {
        packed = CardPack::pack(doc, options->folder, CardPack::Existing::Refuse);
    } catch (const TaveloError &e) {
        err << "tavelo-batch pack: " << e.message() << '\n';
        return 3;
    }
    for (const QString &message : packSink.messages())
        err << message << '\n';
    if (packed.cardFile.isEmpty())
        return 3;   // the card's text cannot be stored: nothing was written
    if (!packed.missing.isEmpty())
        err << Msg::picturesNotPacked(packed.missing) << '\n';
    QTextStream(stdout) << packed.cardFile << '\n';
    return sink.messages().isEmpty() && packed.missing.isEmpty() ? 0 : 1;
}
