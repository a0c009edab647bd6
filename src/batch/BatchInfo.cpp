// tavelo-batch info: reads a card as the Open command does and prints what it
// holds as one JSON object.
#include "BatchCommands.h"

#include "BatchCard.h"
#include "CollectingSink.h"
#include "JsonWriter.h"
#include "TerminalStream.h"
#include "card/CardDocument.h"
#include "card/FieldText.h"
#include "picture/SvgPicture.h"
#include "qr/QrCaption.h"

#include <QTextStream>

#include <array>
#include <cstdio>
#include <optional>

namespace {

struct InfoOptions {
    QString file;
    std::int32_t screenDpi = 96;
};

constexpr int MaxScreenDpi = 100000;

std::optional<std::int32_t> parseDpi(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > MaxScreenDpi)
        return std::nullopt;
    return value;
}

// The options, or a description of what is wrong with them.
std::optional<InfoOptions> parseInfoOptions(const QStringList &args, QString &problem)
{
    InfoOptions options;
    bool haveFile = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        QString dpiText;
        if (arg == QLatin1String("--screen-dpi")) {
            if (i + 1 == args.size()) {
                problem = QStringLiteral("--screen-dpi needs a value");
                return std::nullopt;
            }
            dpiText = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--screen-dpi="))) {
            dpiText = arg.mid(int(qstrlen("--screen-dpi=")));
        } else if (arg.startsWith(QLatin1String("--"))) {
            problem = QStringLiteral("unknown option '%1'").arg(arg);
            return std::nullopt;
        } else if (haveFile) {
            problem = QStringLiteral("only one card file can be read");
            return std::nullopt;
        } else {
            options.file = arg;
            haveFile = true;
            continue;
        }
        const std::optional<std::int32_t> dpi = parseDpi(dpiText);
        if (!dpi) {
            problem = QStringLiteral("--screen-dpi takes a whole number from 1 to %1, not '%2'").arg(MaxScreenDpi).arg(dpiText);
            return std::nullopt;
        }
        options.screenDpi = *dpi;
    }
    if (!haveFile) {
        problem = QStringLiteral("info needs a card file");
        return std::nullopt;
    }
    return options;
}

void writeBounds(JsonWriter &json, const BoxBounds &bounds)
{
    json.key(QStringLiteral("left")).value(std::int64_t(bounds.Left));
    json.key(QStringLiteral("top")).value(std::int64_t(bounds.Top));
    json.key(QStringLiteral("width")).value(std::int64_t(bounds.Width));
    json.key(QStringLiteral("height")).value(std::int64_t(bounds.Height));
}

void writeFont(JsonWriter &json, const BoxFont &font, std::int32_t ppi)
{
    json.beginObject();
    json.key(QStringLiteral("name")).value(font.name());
    json.key(QStringLiteral("size")).value(std::int64_t(font.size(ppi)));
    json.key(QStringLiteral("height")).value(std::int64_t(font.height()));
    json.key(QStringLiteral("color")).value(std::int64_t(font.color()));
    json.key(QStringLiteral("style")).beginArray();
    const std::pair<FontStyle, const char *> members[] = {
        {FontStyle::Bold, "bold"}, {FontStyle::Italic, "italic"}, {FontStyle::Underline, "underline"}, {FontStyle::StrikeOut, "strikeout"}};
    for (const auto &[flag, name] : members) {
        if (font.style().testFlag(flag))
            json.value(QString::fromLatin1(name));
    }
    json.endArray();
    json.endObject();
}

// How the caption is set; every box has these members, the default included.
void writeSetting(JsonWriter &json, const TextSetting &setting)
{
    json.key(QStringLiteral("align")).value(TextSetting::alignName(setting.align));
    json.key(QStringLiteral("charScale")).beginArray();
    json.value(std::int64_t(setting.scaleX));
    json.value(std::int64_t(setting.scaleY));
    json.endArray();
    json.key(QStringLiteral("spacing")).value(std::int64_t(setting.spacing));
    json.key(QStringLiteral("vertical")).value(setting.vertical);
    json.key(QStringLiteral("tcy")).value(std::int64_t(setting.tcy));
}

void writeTextBoxes(JsonWriter &json, const CardDocument &doc, const CardSide &side)
{
    json.key(QStringLiteral("textBoxes")).beginArray();
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const TextBox *box = side.TextBoxes(slot);
        if (!box)
            continue;
        json.beginObject();
        json.key(QStringLiteral("slot")).value(std::int64_t(slot));
        json.key(QStringLiteral("name")).value(box->Name());
        json.key(QStringLiteral("caption")).value(box->Caption);
        if (const std::optional<QrCaption> qr = qrCaption(box->Caption)) {
            json.key(QStringLiteral("qr")).value(true);
            json.key(QStringLiteral("content")).value(qr->content);
            json.key(QStringLiteral("level")).value(QString(QLatin1Char(qrLevelLetter(qr->level))));
        }
        writeBounds(json, box->bounds);
        json.key(QStringLiteral("font"));
        writeFont(json, box->Font, doc.screenPpi());
        writeSetting(json, box->Setting);
        json.endObject();
    }
    json.endArray();
}

// The size of each image box's picture, when it was loaded.
using PictureSizeTable = std::array<std::optional<QSize>, CardDocument::SlotCount>;
// The path the card file holds, for each picture found beside the card
// instead: the image boxes' by slot, then the background's.
using StoredPathTable = std::array<QString, CardDocument::SlotCount + 1>;
constexpr size_t BackgroundEntry = CardDocument::SlotCount;

void writeImageBoxes(JsonWriter &json, const CardSide &side, const PictureSizeTable &pictureSizes,
                     const StoredPathTable &storedPaths)
{
    json.key(QStringLiteral("imageBoxes")).beginArray();
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = side.ImageBoxes(slot);
        if (!record)
            continue;
        json.beginObject();
        json.key(QStringLiteral("slot")).value(std::int64_t(slot));
        json.key(QStringLiteral("name")).value(record->PanelName());
        // The path the picture was loaded from, as a save would store it.
        json.key(QStringLiteral("path")).value(record->ImagePath);
        if (const QString &stored = storedPaths[size_t(slot)]; !stored.isEmpty())
            json.key(QStringLiteral("storedPath")).value(stored);
        writeBounds(json, record->bounds);
        // A path with fields: the picture of each merge row, none of its own.
        if (FieldText::isPicturePlaceholder(record->ImagePath))
            json.key(QStringLiteral("placeholder")).value(true);
        // A drawing: its size is the one it has at 96 dpi.
        if (SvgPicture::isSvgName(record->ImagePath))
            json.key(QStringLiteral("svg")).value(true);
        json.key(QStringLiteral("picture"));
        if (const std::optional<QSize> &size = pictureSizes[size_t(slot)]; !size) {
            json.null();
        } else {
            json.beginObject();
            json.key(QStringLiteral("width")).value(std::int64_t(size->width()));
            json.key(QStringLiteral("height")).value(std::int64_t(size->height()));
            json.endObject();
        }
        json.endObject();
    }
    json.endArray();
}

// The side's background: null for none.
void writeBackground(JsonWriter &json, const CardSide &side, const StoredPathTable &storedPaths)
{
    json.key(QStringLiteral("background"));
    const CardBackground &background = side.background;
    if (background.isEmpty()) {
        json.null();
        return;
    }
    json.beginObject();
    json.key(QStringLiteral("color"));
    if (background.color)
        json.value(std::int64_t(*background.color));
    else
        json.null();
    json.key(QStringLiteral("picture"));
    if (background.picturePath.isEmpty())
        json.null();
    else
        json.value(background.picturePath);
    if (const QString &stored = storedPaths[BackgroundEntry]; !stored.isEmpty())
        json.key(QStringLiteral("storedPicture")).value(stored);
    if (FieldText::isPicturePlaceholder(background.picturePath))
        json.key(QStringLiteral("placeholder")).value(true);
    json.key(QStringLiteral("fit"))
        .value(background.fit == BackgroundFit::Fill ? QStringLiteral("fill") : QStringLiteral("stretch"));
    json.endObject();
}

// Lines and rectangles, bottom first; widths and radii in tenths of a millimetre.
void writeShapes(JsonWriter &json, const CardSide &side)
{
    json.key(QStringLiteral("shapes")).beginArray();
    for (const CardShape &shape : side.shapes) {
        json.beginObject();
        QString kind = QStringLiteral("rectangle");
        if (shape.isLine()) {
            kind = shape.direction == LineDirection::Horizontal ? QStringLiteral("horizontal line")
                   : shape.direction == LineDirection::Vertical ? QStringLiteral("vertical line")
                                                                 : QStringLiteral("line");
        }
        json.key(QStringLiteral("kind")).value(kind);
        json.key(QStringLiteral("x1")).value(std::int64_t(shape.x1));
        json.key(QStringLiteral("y1")).value(std::int64_t(shape.y1));
        json.key(QStringLiteral("x2")).value(std::int64_t(shape.x2));
        json.key(QStringLiteral("y2")).value(std::int64_t(shape.y2));
        json.key(QStringLiteral("width")).value(std::int64_t(shape.widthTenths));
        json.key(QStringLiteral("color")).value(std::int64_t(shape.color));
        json.key(QStringLiteral("style"))
            .value(shape.style == StrokeStyle::Dashed   ? QStringLiteral("dashed")
                   : shape.style == StrokeStyle::Dotted ? QStringLiteral("dotted")
                                                        : QStringLiteral("solid"));
        if (!shape.isLine()) {
            json.key(QStringLiteral("fill"));
            if (shape.fill)
                json.value(std::int64_t(*shape.fill));
            else
                json.null();
            json.key(QStringLiteral("radius")).value(std::int64_t(shape.radiusTenths));
        }
        json.endObject();
    }
    json.endArray();
}

QByteArray cardInfoJson(const QString &file, const CardDocument &doc, const std::array<PictureSizeTable, 2> &pictureSizes,
                        const std::array<StoredPathTable, 2> &storedPaths, const QStringList &messages)
{
    JsonWriter json;
    json.beginObject();
    json.key(QStringLiteral("file")).value(file);
    json.key(QStringLiteral("printGuide")).value(std::int64_t(doc.PrintGuide()));
    json.key(QStringLiteral("marginLeft")).value(std::int64_t(doc.MarginLeft()));
    json.key(QStringLiteral("marginTop")).value(std::int64_t(doc.MarginTop()));
    // As print --layout takes it.
    json.key(QStringLiteral("layout")).value(formatPaperLayoutMm(doc.printSettings().Layout));
    json.key(QStringLiteral("modified")).value(doc.Modified());
    writeTextBoxes(json, doc, doc.side(Side::Front));
    writeImageBoxes(json, doc.side(Side::Front), pictureSizes[0], storedPaths[0]);
    writeBackground(json, doc.side(Side::Front), storedPaths[0]);
    writeShapes(json, doc.side(Side::Front));
    // The back in the front's shape; a card without one has no "back".
    if (doc.hasBack()) {
        json.key(QStringLiteral("back")).beginObject();
        writeTextBoxes(json, doc, doc.side(Side::Back));
        writeImageBoxes(json, doc.side(Side::Back), pictureSizes[1], storedPaths[1]);
        writeBackground(json, doc.side(Side::Back), storedPaths[1]);
        writeShapes(json, doc.side(Side::Back));
        json.endObject();
    }
    json.key(QStringLiteral("messages")).beginArray();
    for (const QString &message : messages)
        json.value(message);
    json.endArray();
    json.endObject();
    return json.toUtf8() + '\n';
}

} // namespace

int runInfoCommand(const QStringList &args)
{
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout) << usageText();
        return 0;
    }
    QString problem;
    const std::optional<InfoOptions> options = parseInfoOptions(args, problem);
    if (!options) {
        TerminalStream(stderr) << "tavelo-batch info: " << problem << "\n\n" << usageText();
        return 2;
    }

    CollectingSink sink;
    CardDocument doc;
    // Only the pictures' sizes are told: the card is read without keeping them.
    std::array<PictureSizeTable, 2> pictureSizes;
    PictureUse sizesOnly;
    sizesOnly.sizesOnly = [&](Side side, int slot, QSize size) {
        pictureSizes[side == Side::Back ? 1 : 0][size_t(slot)] = size;
    };
    std::array<StoredPathTable, 2> storedPaths;
    sizesOnly.found = [&](Side side, int slot, const QString &stored, const QString &) {
        storedPaths[side == Side::Back ? 1 : 0][slot < 0 ? BackgroundEntry : size_t(slot)] = stored;
    };
    readCard(doc, sink, options->file, options->screenDpi, sizesOnly);

    const QByteArray out = cardInfoJson(options->file, doc, pictureSizes, storedPaths, sink.messages());
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    return sink.messages().isEmpty() ? 0 : 1;
}
