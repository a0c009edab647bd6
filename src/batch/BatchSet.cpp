// tavelo-batch set: changes how text boxes set their captions (alignment,
// 均等割付, glyph scale, spacing, vertical writing, 縦中横) and writes the card,
// as the 文字の配置 dialog does for one box; the front's boxes, or the back's.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "TerminalStream.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <QTextStream>

#include <functional>
#include <optional>
#include <vector>

namespace {

// A picture that cannot be loaded is no reason to refuse: its path is
// written back as it was read.
class SetSink : public CollectingSink
{
public:
    void pictureError(const QString &, const QString &) override {}
};

using Change = std::function<void(TextSetting &)>;

struct SetOptions {
    QString file;
    QString output;               // empty: the card itself
    std::optional<int> slot;      // nothing: every text box
    Side side = Side::Front;      // whose text boxes
    std::vector<Change> changes;
};

std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high || text.trimmed() != text || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return value;
}

// One option and its value; a description of what is wrong, or empty.
QString takeOption(const QString &name, const QString &value, SetOptions &options)
{
    if (name == QLatin1String("--box")) {
        if (value == QLatin1String("all")) {
            options.slot.reset();
            return {};
        }
        options.slot = wholeNumber(value, 0, CardDocument::SlotCount - 1);
        return options.slot ? QString() : QStringLiteral("--box takes a slot from 0 to %1 or 'all', not '%2'")
                                              .arg(CardDocument::SlotCount - 1)
                                              .arg(value);
    }
    if (name == QLatin1String("--side")) {
        if (value != QLatin1String("front") && value != QLatin1String("back"))
            return QStringLiteral("--side takes front or back, not '%1'").arg(value);
        options.side = value == QLatin1String("back") ? Side::Back : Side::Front;
        return {};
    }
    if (name == QLatin1String("--align")) {
        const std::optional<TextAlign> align = TextSetting::alignFromName(value);
        if (!align)
            return QStringLiteral("--align takes left, center, right or justify, not '%1'").arg(value);
        options.changes.push_back([a = *align](TextSetting &s) { s.align = a; });
        return {};
    }
    if (name == QLatin1String("--char-scale")) {
        const QStringList parts = value.split(QLatin1Char(','));
        const std::optional<int> w = parts.size() == 2 ? wholeNumber(parts[0], TextSetting::MinScale, TextSetting::MaxScale) : std::nullopt;
        const std::optional<int> h = parts.size() == 2 ? wholeNumber(parts[1], TextSetting::MinScale, TextSetting::MaxScale) : std::nullopt;
        if (!w || !h)
            return QStringLiteral("--char-scale takes W,H in percent, %1 to %2 each, not '%3'")
                .arg(TextSetting::MinScale)
                .arg(TextSetting::MaxScale)
                .arg(value);
        options.changes.push_back([w = *w, h = *h](TextSetting &s) { s.scaleX = w, s.scaleY = h; });
        return {};
    }
    if (name == QLatin1String("--spacing")) {
        const std::optional<int> n = wholeNumber(value, TextSetting::MinSpacing, TextSetting::MaxSpacing);
        if (!n)
            return QStringLiteral("--spacing takes thousandths of an em from %1 to %2, not '%3'")
                .arg(TextSetting::MinSpacing)
                .arg(TextSetting::MaxSpacing)
                .arg(value);
        options.changes.push_back([n = *n](TextSetting &s) { s.spacing = n; });
        return {};
    }
    if (name == QLatin1String("--vertical")) {
        if (value != QLatin1String("on") && value != QLatin1String("off"))
            return QStringLiteral("--vertical takes on or off, not '%1'").arg(value);
        options.changes.push_back([on = value == QLatin1String("on")](TextSetting &s) { s.vertical = on; });
        return {};
    }
    if (name == QLatin1String("--tcy")) {
        const std::optional<int> n = wholeNumber(value, 0, TextSetting::MaxTcy);
        if (!n)
            return QStringLiteral("--tcy takes 0 to %1 digits, not '%2'").arg(TextSetting::MaxTcy).arg(value);
        options.changes.push_back([n = *n](TextSetting &s) { s.tcy = n; });
        return {};
    }
    if (name == QLatin1String("-o")) {
        options.output = value;
        return value.isEmpty() ? QStringLiteral("-o needs a file name") : QString();
    }
    return QStringLiteral("unknown option '%1'").arg(name);
}

std::optional<SetOptions> parseSetOptions(const QStringList &args, QString &problem)
{
    SetOptions options;
    bool haveFile = false;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args.at(i);
        QString value;
        if (name.startsWith(QLatin1String("--")) && name.contains(QLatin1Char('='))) {
            value = name.section(QLatin1Char('='), 1);
            name = name.section(QLatin1Char('='), 0, 0);
        } else if (name.startsWith(QLatin1Char('-')) && name.size() > 1) {
            if (i + 1 == args.size()) {
                problem = QStringLiteral("%1 needs a value").arg(name);
                return std::nullopt;
            }
            value = args.at(++i);
        } else if (haveFile) {
            problem = QStringLiteral("only one card file can be set");
            return std::nullopt;
        } else {
            options.file = name;
            haveFile = true;
            continue;
        }
        problem = takeOption(name, value, options);
        if (!problem.isEmpty())
            return std::nullopt;
    }
    if (!haveFile)
        problem = QStringLiteral("set needs a card file");
    else if (options.changes.empty())
        problem = QStringLiteral("set needs at least one of --align, --char-scale, --spacing, --vertical, --tcy");
    if (!problem.isEmpty())
        return std::nullopt;
    return options;
}

} // namespace

int runSetCommand(const QStringList &args)
{
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    TerminalStream err(stderr);
    QString problem;
    const std::optional<SetOptions> options = parseSetOptions(args, problem);
    if (!options) {
        err << "tavelo-batch set: " << problem << "\n\n" << usageText();
        return 2;
    }

    SetSink sink;
    CardDocument doc;
    PictureUse sizesOnly;
    sizesOnly.sizesOnly = [](Side, int, QSize) {};
    const bool isCard = readCard(doc, sink, options->file, 96, sizesOnly);
    // What the read could not keep (a cut text, unreadable characters, a bad
    // line) would be lost for good by writing: the card stays as it is.
    if (!isCard || !sink.messages().isEmpty()) {
        for (const QString &message : sink.messages())
            err << "tavelo-batch set: " << message << '\n';
        err << "tavelo-batch set: " << options->file << " was not changed\n";
        return 1;
    }
    if (options->side == Side::Back) {
        if (!doc.hasBack()) {
            err << "tavelo-batch set: " << options->file << ": " << Msg::noBackToPrint() << '\n';
            err << "tavelo-batch set: " << options->file << " was not changed\n";
            return 1;
        }
        doc.showSide(Side::Back);
    }
    int changed = 0;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const TextBox *box = doc.TextBoxes(slot);
        if (!box || (options->slot && *options->slot != slot))
            continue;
        TextSetting setting = box->Setting;
        for (const Change &change : options->changes)
            change(setting);
        doc.setTextSetting(slot, setting);
        ++changed;
    }
    if (changed == 0) {
        err << "tavelo-batch set: " << options->file << " has no text box "
            << (options->slot ? QString::number(*options->slot) : QString())
            << (options->side == Side::Back ? QStringLiteral(" on its back") : QString()) << '\n';
        return 1;
    }
    const QString output = options->output.isEmpty() ? options->file : options->output;
    try {
        if (!WriteCardFile(doc, output) || !sink.messages().isEmpty()) {
            for (const QString &message : sink.messages())
                err << "tavelo-batch set: " << message << '\n';
            return 3;
        }
    } catch (const TaveloError &e) {
        err << "tavelo-batch set: " << e.message() << '\n';
        return 3;
    }
    return 0;
}
