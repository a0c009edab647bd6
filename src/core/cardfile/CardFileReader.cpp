// LoadCardFile: the card file into a cleared document. Each value is applied
// the moment it is read, through the document's own setters, so a read that
// stops part-way leaves everything read so far.
//
// Lines are examined as they stream past: only a text's first characters and
// a number's first bytes (for the message) are kept, so a line of gigabytes
// costs the time to read it and no memory.
#include "cardfile/CardFile.h"

#include "base/CodePage932.h"
#include "base/FileErrors.h"
#include "base/MessageSink.h"
#include "base/MessageText.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "card/FieldText.h"
#include "cardfile/CardInteger.h"
#include "cardfile/CardLineReader.h"
#include "cardfile/ExtensionKeys.h"
#include "cardfile/ExtensionLine.h"
#include "cardfile/PictureLoads.h"
#include "files/RegularFile.h"

#include <algorithm>
#include <cstring>

namespace {

const QByteArray HeaderText = QByteArrayLiteral("Tavelo DataFile");

// Whether a line holds a text, searched across the pieces it comes in; of
// each piece only the last few bytes are kept.
class TextSearch
{
public:
    explicit TextSearch(const QByteArray &text) : m_text(text) {}
    void feed(const char *bytes, long long size)
    {
        if (m_found)
            return;
        const QByteArrayView piece(bytes, qsizetype(size));
        const qsizetype overlap = m_text.size() - 1;
        // The end of the previous piece may hold the start of the text.
        const QByteArray joint = m_tail + piece.first(std::min(piece.size(), overlap)).toByteArray();
        m_found = joint.contains(m_text) || piece.contains(m_text);
        m_tail = piece.size() >= overlap ? piece.last(overlap).toByteArray() : joint.right(overlap);
    }
    bool found() const { return m_found; }

private:
    QByteArray m_text;
    QByteArray m_tail;   // the last bytes seen, fewer than the text has
    bool m_found = false;
};

// Which of a few single bytes a line holds.
class ByteSearch
{
public:
    explicit ByteSearch(const char *bytes) : m_wanted(bytes) {}
    void feed(const char *bytes, long long size)
    {
        for (qsizetype i = 0; i < m_wanted.size(); ++i) {
            if (!(m_found & (1U << i)) && std::memchr(bytes, m_wanted.at(i), size_t(size)))
                m_found |= 1U << i;
        }
    }
    bool found(char c) const
    {
        const qsizetype at = m_wanted.indexOf(c);
        return at >= 0 && (m_found & (1U << at));
    }

private:
    QByteArray m_wanted;
    unsigned m_found = 0;
};

class CardFileReader
{
public:
    CardFileReader(CardDocument &doc, CardLineReader &lines, PictureLoads &pictures)
        : m_doc(doc), m_lines(&lines), m_pictures(pictures)
    {
    }

    void read(bool *isCard)
    {
        TextSearch header(HeaderText);
        m_lines->readLine([&](const char *bytes, long long size) { header.feed(bytes, size); });
        if (!header.found()) {
            information(Msg::badCardFile());
            return;
        }
        if (isCard)
            *isCard = true;
        readSettings();
        while (!m_lines->atEnd())
            examineLine();
        loadBackgrounds();
    }

private:
    // The background pictures, once their lines are all read; a path with
    // fields is filled by each row of a merge job, as an image box's is.
    void loadBackgrounds()
    {
        for (const Side side : {Side::Front, Side::Back}) {
            const QString &path = m_doc.side(side).background.picturePath;
            if (!path.isEmpty() && !FieldText::isPicturePlaceholder(path))
                m_pictures.loadBackground(side, path);
        }
    }

    // A line that starts a record, a property line of the card or of the box
    // read last, or else one that is skipped. Of other lines only the
    // beginning is kept, however long they are.
    void examineLine()
    {
        ByteSearch mark("#$");
        const CardLineReader::Head head = readHead(mark);
        takeLine(head, mark);
    }

    CardLineReader::Head readHead(ByteSearch &mark)
    {
        return m_lines->readLineHead(ExtensionLine::MaxBytes,
                                     [&](const char *bytes, long long size) { mark.feed(bytes, size); });
    }

    void takeLine(const CardLineReader::Head &head, const ByteSearch &mark)
    {
        if (mark.found('#')) {
            const int slot = addBox(m_doc.textBoxCount(), [&] { return m_doc.AddTextBox(); });
            m_owner = slot >= 0 ? Owner::Box : Owner::Nobody;
            m_box = BoxRef::text(slot);
            if (slot >= 0)
                readTextRecord(slot);
            return;
        }
        if (mark.found('$')) {
            const int slot = addBox(m_doc.imageBoxCount(), [&] { return m_doc.AddImageBox(); });
            m_owner = slot >= 0 ? Owner::Box : Owner::Nobody;
            m_box = BoxRef::image(slot);
            if (slot >= 0)
                readImageRecord(slot);
            return;
        }
        if (const std::optional<ExtensionLine::Parts> parts = ExtensionLine::split(head.bytes))
            readExtensionLine(*parts, head);
    }

    int lineNumber() const { return m_carrierLine > 0 ? m_carrierLine : m_lines->linesRead(); }

    // A box of the back: the record its line carries, and that box's own
    // lines after it, read as the front's are, into the back. A value that
    // is no record is reported and nothing of it is read; so is a second
    // record in the same line.
    void readBackBox(const QByteArray &value, const CardLineReader::Head &line, QString (*message)(int, const QString &))
    {
        const int number = m_lines->linesRead();
        const std::optional<QByteArray> record = ExtensionLine::unescape(value);
        if (!record) {
            badLine(number, line, message);
            return;
        }
        CardLineReader inner(*record);
        ByteSearch mark("#$");
        CardLineReader *const file = m_lines;
        m_lines = &inner;
        m_carrierLine = number;
        const auto restore = [&] {
            m_lines = file;
            m_carrierLine = 0;
            m_owner = Owner::Card;
            m_doc.showSide(Side::Front);
        };
        try {
            const CardLineReader::Head first = readHead(mark);
            if (!mark.found('#') && !mark.found('$')) {
                restore();
                badLine(number, line, message);
                return;
            }
            m_doc.showSide(Side::Back);
            try {
                takeLine(first, mark);
            } catch (const TaveloError &) {
                // A record cut short: the rest of the card is still read.
                if (m_box.isText())
                    m_doc.DeleteTextBox(m_box.slot);
                else if (m_box.isImage())
                    m_doc.DeleteImageBox(m_box.slot);
                restore();
                badLine(number, line, message);
                return;
            }
            while (!m_lines->atEnd()) {
                ByteSearch next("#$");
                const CardLineReader::Head head = readHead(next);
                if (next.found('#') || next.found('$')) {
                    restore();
                    badLine(number, line, message);
                    return;
                }
                takeLine(head, next);
            }
        } catch (...) {
            restore();
            throw;
        }
        restore();
    }

    // A property line goes to its owner: the card before the first record,
    // else the box of the record before it (none when that record found no
    // free slot). A key this program does not know is kept as it stands.
    void readExtensionLine(const ExtensionLine::Parts &parts, const CardLineReader::Head &head)
    {
        using namespace ExtensionKeys;
        const int lineNumber = this->lineNumber();
        if (m_owner == Owner::Nobody)
            return;
        if (m_owner == Owner::Card && m_carrierLine == 0) {
            for (const CardKey &known : cardKeys()) {
                if (known.backBox && parts.key == known.key) {
                    if (head.cut)
                        badLine(lineNumber, head, known.badMessage);
                    else
                        readBackBox(parts.value, head, known.badMessage);
                    return;
                }
            }
        }
        auto take = [&](const auto &keys, auto apply, auto keep) {
            for (const auto &known : keys) {
                if (parts.key != known.key)
                    continue;
                if (head.cut || apply(known) == Read::Bad)
                    badLine(lineNumber, head, known.badMessage);
                return;
            }
            if (head.cut)
                badLine(lineNumber, head, nullptr);
            else
                keep();
        };
        const int slot = m_box.slot;
        if (m_owner == Owner::Card) {
            take(cardKeys(), [&](const CardKey &k) { return k.read ? k.read(m_doc, parts.value) : Read::Bad; },
                 [&] { m_doc.keepUnknownCardLine(head.bytes); });
        } else if (m_box.isText()) {
            take(textBoxKeys(), [&](const BoxKey &k) { return k.read(m_doc, slot, parts.value); },
                 [&] { m_doc.keepUnknownTextLine(slot, head.bytes); });
        } else {
            take(imageBoxKeys(), [&](const BoxKey &k) { return k.read(m_doc, slot, parts.value); },
                 [&] { m_doc.keepUnknownImageLine(slot, head.bytes); });
        }
    }

    void badLine(int lineNumber, const CardLineReader::Head &head, QString (*message)(int, const QString &))
    {
        QString text = CodePage932::decode(head.bytes.left(2 * (MaxTextShownInMessage + 1))).text;
        if (head.cut)
            text += QChar(0x2026);
        information(message ? message(lineNumber, text) : Msg::badExtensionLine(lineNumber, elideForMessage(text)));
    }

    void readSettings()
    {
        PrintSettings settings = m_doc.printSettings();
        // A card without a layout line is printed on the standard sheet.
        settings.Layout = PaperLayout::standard();
        settings.Duplex = DuplexMode::OneSided;
        settings.PrintGuide = static_cast<std::uint8_t>(static_cast<std::uint32_t>(readNumber()));
        m_doc.setPrintSettings(settings);
        settings.MarginLeft = readNumber();
        m_doc.setPrintSettings(settings);
        settings.MarginTop = readNumber();
        m_doc.setPrintSettings(settings);
    }

    // The full-slots message is shown once per read: a file with a million
    // surplus records would otherwise ask for a million clicks.
    template <typename Add>
    int addBox(int occupied, Add add)
    {
        if (occupied == CardDocument::SlotCount && m_toldFull)
            return -1;
        const int slot = add();
        if (slot < 0)
            m_toldFull = true;
        return slot;
    }

    void readTextRecord(int slot)
    {
        m_doc.setTextCaption(slot, readText());
        // One field at a time: a change of size applies the font–height rule,
        // and the font size read later replaces that height.
        readBounds(m_doc.TextBoxes(slot)->bounds, [&](const BoxBounds &b) { m_doc.setTextBounds(slot, b); });
        BoxFont font = m_doc.TextBoxes(slot)->Font;
        font.setName(readText());   // an empty name leaves the name
        m_doc.setTextFont(slot, font);
        font.setSize(readNumber(), m_doc.screenPpi());
        m_doc.setTextFont(slot, font);
        font.setColor(readNumber());
        m_doc.setTextFont(slot, font);
        font.setStyle(styleFromField(readByteSearch("BIUS")));
        m_doc.setTextFont(slot, font);
        m_doc.SetCurrentBox(BoxRef::text(slot));
    }

    void readImageRecord(int slot)
    {
        const QString path = readText();
        m_doc.setImagePath(slot, path);
        readBounds(m_doc.ImageBoxes(slot)->bounds, [&](const BoxBounds &b) { m_doc.setImageBounds(slot, b); });
        // A box whose picture was never chosen is stored with an empty path.
        if (path.isEmpty())
            return;
        // A path with fields is filled by each row of a merge job: the
        // design holds no picture for it, and nothing is wrong with it.
        if (FieldText::isPicturePlaceholder(path))
            return;
        // A picture that cannot be loaded is reported, and the box stays with
        // its path and bounds: the rest of the card is still read.
        m_pictures.load(slot, path, m_doc.ImageBoxes(slot)->bounds);
    }

    // Left, top, width and height, each applied as soon as it is read.
    template <typename Apply>
    void readBounds(BoxBounds bounds, Apply apply)
    {
        for (std::int32_t BoxBounds::*field : {&BoxBounds::Left, &BoxBounds::Top, &BoxBounds::Width, &BoxBounds::Height}) {
            bounds.*field = readNumber();
            apply(bounds);
        }
    }

    static FontStyles styleFromField(const ByteSearch &field)
    {
        FontStyles style;
        if (field.found('B'))
            style |= FontStyle::Bold;
        if (field.found('I'))
            style |= FontStyle::Italic;
        if (field.found('U'))
            style |= FontStyle::Underline;
        if (field.found('S'))
            style |= FontStyle::StrikeOut;
        return style;
    }

    ByteSearch readByteSearch(const char *bytes)
    {
        ByteSearch search(bytes);
        m_lines->readLine([&](const char *piece, long long size) { search.feed(piece, size); });
        return search;
    }

    std::int32_t readNumber()
    {
        // Enough bytes for the characters a message shows even when all are
        // double-byte; one more character is kept so that the cut is noticed.
        const long long bytesShown = (MaxTextShownInMessage + 1) * 2;
        CardIntegerParser parser;
        const CardLineReader::Head head =
            m_lines->readLineHead(bytesShown, [&](const char *bytes, long long size) { parser.feed(bytes, size); });
        if (const std::optional<std::int32_t> value = parser.value())
            return *value;
        QString text = CodePage932::decode(head.bytes).text;
        if (head.cut)
            text = text.left(MaxTextShownInMessage + 1);
        throw TaveloError(Msg::notAnInteger(elideForMessage(text)));
    }

    // Bytes that are no code page 932 character become U+FFFD, and a text
    // longer than a box can hold keeps its beginning; the user is told once
    // per file of each.
    QString readText()
    {
        // Every character takes one or two bytes.
        CardLineReader::Head head = m_lines->readLineHead(2 * qsizetype(MaxCardTextLength));
        if (head.cut)
            head.bytes.truncate(CodePage932::wholeCharacterBytes(head.bytes));
        CodePage932::Decoded decoded = CodePage932::decode(head.bytes);
        if (head.cut || decoded.text.size() > MaxCardTextLength) {
            decoded.text.truncate(MaxCardTextLength);
            decoded.valid = !decoded.text.contains(QChar(QChar::ReplacementCharacter));
            tellOnce(m_toldCutText, Msg::textCut(MaxCardTextLength));
        }
        if (!decoded.valid)
            tellOnce(m_toldUnreadableText, Msg::unreadableCharacters());
        return decoded.text;
    }

    void tellOnce(bool &told, const QString &text)
    {
        if (told)
            return;
        told = true;
        information(text);
    }

    void information(const QString &text)
    {
        if (MessageSink *sink = m_doc.messageSink())
            sink->information(text, MsgButton::Ok);
    }

    CardDocument &m_doc;
    CardLineReader *m_lines;   // the file, or the record a back line carries
    int m_carrierLine = 0;     // that back line's number while it is read
    PictureLoads &m_pictures;
    bool m_toldUnreadableText = false;
    bool m_toldCutText = false;
    bool m_toldFull = false;
    // Who the next property line belongs to: the card, the box of the record
    // read last, or nobody (that record found no free slot).
    enum class Owner { Card, Box, Nobody };
    Owner m_owner = Owner::Card;
    BoxRef m_box;
};

} // namespace

void LoadCardFile(CardDocument &doc, const QString &path, bool *isCard, const PictureUse &use)
{
    if (isCard)
        *isCard = false;
    OpenedFile file = openRegularFile(path);
    if (!file.ok())
        throw TaveloError(openFailureMessage(path, file));
    PictureUse beside = use;
    if (beside.cardPath.isEmpty())
        beside.cardPath = path;
    LoadCardStream(doc, file.fd.get(), isCard, beside);
}

void LoadCardStream(CardDocument &doc, int fd, bool *isCard, const PictureUse &use)
{
    if (isCard)
        *isCard = false;
    CardLineReader lines(fd);
    // The pictures load on the other cores while the file is read; their
    // messages come in the file's order, before an error that ends the read.
    PictureLoads pictures(doc, use);
    bool read = false;
    bool *const found = isCard ? isCard : &read;
    try {
        CardFileReader(doc, lines, pictures).read(found);
        if (*found && use.meanwhile)
            use.meanwhile();
    } catch (...) {
        pictures.tellFound();
        doc.SetModified(false);
        throw;
    }
    pictures.tellFound();
    // Reading is no change of the card, finished or ended early.
    doc.SetModified(false);
}
