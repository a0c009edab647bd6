// WriteCardFile: the document as a card file. The whole content is formed
// first, so that a card the file cannot hold is refused before anything is
// written, and then replaces the file in one step.
#include "cardfile/CardFile.h"

#include "base/CodePage932.h"
#include "base/MessageSink.h"
#include "base/MessageText.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "cardfile/CardRecords.h"
#include "cardfile/ExtensionKeys.h"
#include "cardfile/ExtensionLine.h"
#include "files/AtomicFile.h"

#include <QHash>

#include <charconv>
#include <iterator>
#include <optional>
#include <string>

namespace {

// Text as the card file holds it: its code page 932 bytes when they read
// back as the same text and hold no CR or Ctrl-Z, which would end the line
// or the file; nothing for other text. Every save asks for the same few
// face names and paths, each twice (whether it can be stored, then its
// bytes): the answers are kept for the next.
std::optional<QByteArray> storedBytes(const QString &text)
{
    constexpr qsizetype KeptTexts = 64;
    thread_local QHash<QString, std::optional<QByteArray>> kept;
    if (const auto found = kept.constFind(text); found != kept.cend())
        return *found;
    std::optional<QByteArray> stored;
    if (!text.contains(QChar(u'\r')) && !text.contains(QChar(0x1A))) {
        bool ok = false;
        QByteArray bytes = CodePage932::encode(text, &ok);
        if (ok) {
            const CodePage932::Decoded back = CodePage932::decode(bytes);
            if (back.valid && back.text == text)
                stored = std::move(bytes);
        }
    }
    if (kept.size() >= KeptTexts)
        kept.clear();
    kept.insert(text, stored);
    return stored;
}

bool storable(const QString &text)
{
    return storedBytes(text).has_value();
}

struct UnstorableText {
    QString boxName;
    QString text;
};

std::optional<UnstorableText> findUnstorableText(const CardSide &side)
{
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const TextBox *box = side.TextBoxes(slot)) {
            // A caption of any characters is kept whole in its "Caption="
            // line; only half of a surrogate pair is no text at all.
            if (!box->Caption.isValidUtf16())
                return UnstorableText{box->Name(), box->Caption};
            if (!storable(box->Font.name()))
                return UnstorableText{box->Name(), box->Font.name()};
        }
    }
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const MoveImageRecord *record = side.ImageBoxes(slot)) {
            if (!storable(record->ImagePath))
                return UnstorableText{record->PanelName(), record->ImagePath};
        }
    }
    return std::nullopt;
}

std::optional<UnstorableText> findUnstorableText(const CardDocument &doc)
{
    if (std::optional<UnstorableText> front = findUnstorableText(doc.side(Side::Front)))
        return front;
    return findUnstorableText(doc.side(Side::Back));
}

class CardFileContent
{
public:
    CardFileContent() { m_bytes.reserve(4096); }
    void line(const QByteArray &bytes) { line(QByteArrayView(bytes)); }
    void line(QByteArrayView bytes)
    {
        m_bytes.append(bytes.data(), size_t(bytes.size()));
        m_bytes.append("\r\n", 2);
    }
    void line(const QString &text) { line(CodePage932::encode(text)); }
    // A face name or a picture's path: checked before anything is formed,
    // and its bytes kept then.
    void checkedLine(const QString &text)
    {
        const std::optional<QByteArray> stored = storedBytes(text);
        line(stored ? *stored : CodePage932::encode(text));
    }
    void line(std::int32_t number) { line(QByteArrayView(), number); }
    // A mark and a number on one line ("#3").
    void line(QByteArrayView mark, std::int32_t number)
    {
        char digits[16];
        const std::to_chars_result end = std::to_chars(std::begin(digits), std::end(digits), number);
        m_bytes.append(mark.data(), size_t(mark.size()));
        line(QByteArrayView(digits, end.ptr - digits));
    }
    // A property line; nothing for an empty one (the default).
    void optionalLine(const QByteArray &bytes)
    {
        if (!bytes.isEmpty())
            line(bytes);
    }
    // Left, top, width and height, a line each.
    void lines(const BoxBounds &b)
    {
        line(b.Left);
        line(b.Top);
        line(b.Width);
        line(b.Height);
    }
    QByteArray bytes() const { return QByteArray(m_bytes.data(), qsizetype(m_bytes.size())); }

private:
    std::string m_bytes;   // appended to line by line: a QByteArray's append costs ten times as much
};

QByteArray styleField(FontStyles style)
{
    QByteArray field("    ");
    if (style & FontStyle::Bold)
        field[0] = 'B';
    if (style & FontStyle::Italic)
        field[1] = 'I';
    if (style & FontStyle::Underline)
        field[2] = 'U';
    if (style & FontStyle::StrikeOut)
        field[3] = 'S';
    return field;
}

void writeTextRecord(CardFileContent &out, const CardDocument &doc, int slot)
{
    const TextBox *box = doc.TextBoxes(slot);
    out.line("#", slot);
    out.line(captionRecord(box->Caption).bytes);
    out.lines(box->bounds);
    out.checkedLine(box->Font.name());
    out.line(box->Font.size(doc.screenPpi()));
    out.line(box->Font.color());
    out.line(styleField(box->Font.style()));
    for (const ExtensionKeys::BoxKey &key : ExtensionKeys::textBoxKeys())
        out.optionalLine(key.write(doc, slot));
    for (const QByteArray &line : box->UnknownLines)
        out.line(line);
}

void writeImageRecord(CardFileContent &out, const CardDocument &doc, int slot)
{
    const MoveImageRecord *record = doc.ImageBoxes(slot);
    out.line("$", slot);
    out.checkedLine(record->ImagePath);
    out.lines(record->bounds);
    for (const ExtensionKeys::BoxKey &key : ExtensionKeys::imageBoxKeys())
        out.optionalLine(key.write(doc, slot));
    for (const QByteArray &line : record->UnknownLines)
        out.line(line);
}

QByteArray cardFileContent(const CardDocument &doc)
{
    CardFileContent out;
    out.line(QByteArrayLiteral("Tavelo DataFile"));
    out.line(std::int32_t(doc.PrintGuide()));
    out.line(doc.MarginLeft());
    out.line(doc.MarginTop());
    // Property lines carry neither record mark: readers knowing nothing of
    // them skip them.
    for (const ExtensionKeys::CardKey &key : ExtensionKeys::cardKeys())
        out.optionalLine(key.write(doc));
    for (const QByteArray &line : doc.unknownCardLines())
        out.line(line);
    // The front's records, wherever the document stands.
    const BoxesOf front(doc, Side::Front);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (front->TextBoxes(slot))
            writeTextRecord(out, *front, slot);
    }
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (front->ImageBoxes(slot))
            writeImageRecord(out, *front, slot);
    }
    return out.bytes();
}

} // namespace

BoxesOf::BoxesOf(const CardDocument &doc, Side side)
{
    if (doc.shownSide() == side) {
        m_doc = &doc;
        return;
    }
    m_copy = std::make_unique<CardDocument>();
    m_copy->setScreenPpi(doc.screenPpi());
    m_copy->setPrintSettings(doc.printSettings());
    m_copy->setSide(Side::Front, doc.side(side));
    m_doc = m_copy.get();
}

BoxesOf::~BoxesOf() = default;

namespace CardRecords {

QByteArray backLines(const CardDocument &doc)
{
    const BoxesOf back(doc, Side::Back);
    QByteArray lines;
    const auto add = [&](const CardFileContent &record) {
        if (!lines.isEmpty())
            lines += "\r\n";
        lines += BackKey + '=' + ExtensionLine::escape(record.bytes());
    };
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (back->TextBoxes(slot)) {
            CardFileContent record;
            writeTextRecord(record, *back, slot);
            add(record);
        }
    }
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (back->ImageBoxes(slot)) {
            CardFileContent record;
            writeImageRecord(record, *back, slot);
            add(record);
        }
    }
    return lines;
}

} // namespace CardRecords

std::optional<QByteArray> CardFileBytes(const CardDocument &doc)
{
    if (const std::optional<UnstorableText> bad = findUnstorableText(doc)) {
        if (MessageSink *sink = doc.messageSink())
            sink->information(Msg::cannotSaveText(bad->boxName, elideForMessage(bad->text)), MsgButton::Ok);
        return std::nullopt;
    }
    return cardFileContent(doc);
}

std::optional<QByteArray> CardFileBytesIfStorable(const CardDocument &doc)
{
    if (findUnstorableText(doc))
        return std::nullopt;
    return cardFileContent(doc);
}

std::optional<QByteArray> CardFileBytesWithPictures(const CardDocument &doc, const PicturePathFor &pathFor)
{
    // The card as it stands with the other paths, written as any card is.
    CardDocument copy;
    copy.setMessageSink(doc.messageSink());
    copy.setScreenPpi(doc.screenPpi());
    copy.setPrintSettings(doc.printSettings());
    for (const QByteArray &line : doc.unknownCardLines())
        copy.keepUnknownCardLine(line);
    for (const Side side : {Side::Front, Side::Back}) {
        CardSide boxes = doc.side(side);
        for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
            if (std::optional<MoveImageRecord> &record = boxes.images[size_t(slot)])
                record->ImagePath = pathFor(side, slot, record->ImagePath);
        }
        if (!boxes.background.picturePath.isEmpty())
            boxes.background.picturePath = pathFor(side, -1, boxes.background.picturePath);
        copy.setSide(side, boxes);
    }
    return CardFileBytes(copy);
}

bool WriteCardFile(const CardDocument &doc, const QString &path)
{
    const std::optional<QByteArray> bytes = CardFileBytes(doc);
    if (!bytes)
        return false;
    AtomicFile::replace(path, *bytes);
    return true;
}

bool SaveCardFile(CardDocument &doc)
{
    if (!WriteCardFile(doc, doc.DocFileName()))
        return false;
    // The same card forms the same bytes: what was just written.
    if (const std::optional<QByteArray> bytes = CardFileBytesIfStorable(doc))
        doc.setDiskFingerprint(FileFingerprint::ofWritten(doc.DocFileName(), *bytes));
    doc.SetModified(false);
    return true;
}
