// LoadCardFile: the card file into a cleared document. Each value is applied
// the moment it is read, through the document's own setters, so a read that
// stops part-way leaves everything read so far.
#include "CardFile.h"

#include "CardDocument.h"
#include "CardLineReader.h"
#include "CodePage932.h"
#include "FileErrors.h"
#include "MessageSink.h"
#include "Messages.h"
#include "MessageText.h"
#include "PictureLoader.h"
#include "RegularFile.h"
#include "TaveloError.h"

namespace {

const char *const HeaderText = "Tavelo DataFile";

class CardFileReader
{
public:
    CardFileReader(CardDocument &doc, CardLineReader &lines) : m_doc(doc), m_lines(lines) {}

    void read()
    {
        if (!m_lines.readLine().contains(HeaderText)) {
            information(Msg::badCardFile());
            return;
        }
        readSettings();
        while (!m_lines.atEnd()) {
            const QByteArray mark = m_lines.readLine();
            if (mark.contains('#')) {
                const int slot = m_doc.AddTextBox();
                if (slot >= 0)
                    readTextRecord(slot);
            } else if (mark.contains('$')) {
                const int slot = m_doc.AddImageBox();
                if (slot >= 0)
                    readImageRecord(slot);
            }
        }
    }

private:
    void readSettings()
    {
        PrintSettings settings = m_doc.printSettings();
        settings.PrintGuide = static_cast<std::uint8_t>(static_cast<std::uint32_t>(readNumber()));
        m_doc.setPrintSettings(settings);
        settings.MarginLeft = readNumber();
        m_doc.setPrintSettings(settings);
        settings.MarginTop = readNumber();
        m_doc.setPrintSettings(settings);
    }

    void readTextRecord(int slot)
    {
        m_doc.setTextCaption(slot, readText());
        // One field at a time: a change of size applies the font–height rule,
        // and the font size read later replaces that height.
        BoxBounds bounds = m_doc.TextBoxes(slot)->bounds;
        for (std::int32_t BoxBounds::*field : {&BoxBounds::Left, &BoxBounds::Top, &BoxBounds::Width, &BoxBounds::Height}) {
            bounds.*field = readNumber();
            m_doc.setTextBounds(slot, bounds);
        }
        BoxFont font = m_doc.TextBoxes(slot)->Font;
        font.setName(readText());   // an empty name leaves the name
        m_doc.setTextFont(slot, font);
        font.setSize(readNumber(), m_doc.screenPpi());
        m_doc.setTextFont(slot, font);
        font.setColor(readNumber());
        m_doc.setTextFont(slot, font);
        font.setStyle(styleFromField(m_lines.readLine()));
        m_doc.setTextFont(slot, font);
        m_doc.SetCurrentBox(BoxRef::text(slot));
    }

    void readImageRecord(int slot)
    {
        const QString path = readText();
        m_doc.setImagePath(slot, path);
        BoxBounds bounds = m_doc.ImageBoxes(slot)->bounds;
        for (std::int32_t BoxBounds::*field : {&BoxBounds::Left, &BoxBounds::Top, &BoxBounds::Width, &BoxBounds::Height}) {
            bounds.*field = readNumber();
            m_doc.setImageBounds(slot, bounds);
        }
        // A box whose picture was never chosen is stored with an empty path.
        if (path.isEmpty())
            return;
        // A picture that cannot be loaded is reported, and the box stays with
        // its path and bounds: the rest of the card is still read.
        try {
            m_doc.setImagePicture(slot, PictureLoader::load(path));
        } catch (const TaveloError &e) {
            if (MessageSink *sink = m_doc.messageSink())
                sink->error(e.message());
        }
    }

    static FontStyles styleFromField(const QByteArray &field)
    {
        FontStyles style;
        if (field.contains('B'))
            style |= FontStyle::Bold;
        if (field.contains('I'))
            style |= FontStyle::Italic;
        if (field.contains('U'))
            style |= FontStyle::Underline;
        if (field.contains('S'))
            style |= FontStyle::StrikeOut;
        return style;
    }

    std::int32_t readNumber()
    {
        const QByteArray line = m_lines.readLine();
        if (const std::optional<std::int32_t> value = parseCardInteger(line))
            return *value;
        throw TaveloError(Msg::notAnInteger(shownInMessage(line)));
    }

    static QString shownInMessage(const QByteArray &line)
    {
        // Enough bytes for the characters shown even when all are double-byte;
        // one more character is decoded so that the cut is always noticed.
        const qsizetype bytesNeeded = (MaxTextShownInMessage + 1) * 2;
        QString text = CodePage932::decode(line.left(bytesNeeded)).text;
        if (line.size() > bytesNeeded)
            text = text.left(MaxTextShownInMessage + 1);
        return elideForMessage(text);
    }

    // Bytes that are no code page 932 character become U+FFFD; the user is
    // told once per file.
    QString readText()
    {
        CodePage932::Decoded decoded = CodePage932::decode(m_lines.readLine());
        if (!decoded.valid && !m_toldUnreadableText) {
            m_toldUnreadableText = true;
            information(Msg::unreadableCharacters());
        }
        return decoded.text;
    }

    void information(const QString &text)
    {
        if (MessageSink *sink = m_doc.messageSink())
            sink->information(text, MsgButton::Ok);
    }

    CardDocument &m_doc;
    CardLineReader &m_lines;
    bool m_toldUnreadableText = false;
};

} // namespace

void LoadCardFile(CardDocument &doc, const QString &path)
{
    OpenedFile file = openRegularFile(path);
    if (!file.ok())
        throw TaveloError(openErrorMessage(path, file.error));
    CardLineReader lines(file.fd.get());
    CardFileReader(doc, lines).read();
}
