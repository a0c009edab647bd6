#pragma once
// The card being designed: a front and a back, each with 20 text box slots
// and 20 image box slots; the side shown and edited, the box the user last
// worked on, the modified flag, the file name and the print settings. Widgets show the document and change it only through this class;
// the card file, the sheet renderer and the command-line tool read it here.
#include "card/BoxFont.h"
#include "card/CardShape.h"
#include "card/PrintSettings.h"
#include "card/TextSetting.h"
#include "files/FileFingerprint.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class MessageSink;

struct BoxBounds {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const BoxBounds &o) const
    {
        return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height;
    }
    bool operator!=(const BoxBounds &o) const { return !(*this == o); }
};

struct TextBox {
    int Tag = 0;   // the slot number
    BoxBounds bounds;
    QString Caption;
    BoxFont Font;
    TextSetting Setting;   // alignment, scale, spacing, vertical writing
    bool Visible = true;   // false while the inline editor stands over the box
    // Property lines of the card file whose keys this program does not know,
    // as read; written back after the box's own (a newer program's settings
    // survive an edit here).
    QList<QByteArray> UnknownLines;
    QString Name() const { return QStringLiteral("box%1").arg(Tag); }
};

// One image box slot: the panel's bounds, the picture and the file it came from.
struct MoveImageRecord {
    int Tag = 0;
    BoxBounds bounds;
    QString ImagePath;   // empty until a picture was loaded
    QImage Picture;      // null while the box holds no picture
    QList<QByteArray> UnknownLines;   // as for a text box
    QString PanelName() const { return QStringLiteral("img%1").arg(Tag); }
    QString ImageName() const { return QStringLiteral("pic%1").arg(Tag); }
};

// What CurrentBox names: nothing, a text box, or an image box's picture.
struct BoxRef {
    enum Kind { None, Text, Image, Shape };
    Kind kind = None;
    int slot = -1;
    static BoxRef text(int slot) { return {Text, slot}; }
    static BoxRef image(int slot) { return {Image, slot}; }
    static BoxRef shape(int index) { return {Shape, index}; }
    bool isText() const { return kind == Text; }
    bool isImage() const { return kind == Image; }
    bool isShape() const { return kind == Shape; }
    bool operator==(const BoxRef &o) const { return kind == o.kind && (kind == None || slot == o.slot); }
    bool operator!=(const BoxRef &o) const { return !(*this == o); }
};

// The two sides of a card. The front is what every card has and what a
// reader of the oldest card files reads; a back exists once a box is on it.
enum class Side { Front, Back };

// One side's boxes: the slots as the document holds them, a value that can
// be kept, compared slot by slot and put back whole (undo, join, split).
struct CardSide {
    static constexpr int SlotCount = 20;
    std::array<std::optional<TextBox>, SlotCount> text;
    std::array<std::optional<MoveImageRecord>, SlotCount> images;

    const TextBox *TextBoxes(int slot) const;          // null for an empty slot
    const MoveImageRecord *ImageBoxes(int slot) const; // null for an empty slot
    int textBoxCount() const;
    int imageBoxCount() const;
    bool isEmpty() const
    {
        return textBoxCount() == 0 && imageBoxCount() == 0 && shapes.isEmpty() && background.isEmpty();
    }

    // Drawn first, under everything of the side.
    CardBackground background;
    // Lines and rectangles, drawn after the background and before the
    // pictures, in this order (the last on top).
    static constexpr int MaxShapes = 20;
    QList<CardShape> shapes;
};

class CardDocument : public QObject
{
    Q_OBJECT
public:
    static constexpr int SlotCount = CardSide::SlotCount;

    explicit CardDocument(QObject *parent = nullptr);

    // Messages of the document (the full-slots message) go here.
    void setMessageSink(MessageSink *sink) { m_sink = sink; }
    MessageSink *messageSink() const { return m_sink; }

    // The screen density the boxes' pixels and font heights belong to.
    std::int32_t screenPpi() const { return m_screenPpi; }
    void setScreenPpi(std::int32_t ppi) { m_screenPpi = ppi; }

    // The font a new text box starts from: the card panel's, then renamed.
    BoxFont newTextBoxFont() const;

    // The box operations below (adding, deleting, the boxes' setters, the
    // current box and the box signals) work on the side shown.
    Side shownSide() const { return m_shown; }
    // Shows the other side: the boxes of the side left are reported removed,
    // those of the side shown added, then shownSideChanged; the current box
    // is cleared. Showing the side already shown does nothing.
    void showSide(Side side);
    // Either side's boxes, for the renderer, the card file, printing and the
    // command-line tool.
    const CardSide &side(Side which) const { return m_sides[index(which)]; }
    // Whether the card has a back: a box on its back side.
    bool hasBack() const { return !m_sides[index(Side::Back)].isEmpty(); }
    // Replaces a side's boxes whole (join, split, undo of removing the back);
    // the boxes' Tags become their slots. Sets the modified flag.
    void setSide(Side which, const CardSide &boxes);
    // Removes every box of the back; the front is shown.
    void removeBack();

    // Slot number of the new box, or −1 (after the full-slots message).
    int AddTextBox();
    int AddImageBox();
    void DeleteTextBox(int slot);
    void DeleteImageBox(int slot);
    void ClearBoxes();

    const TextBox *TextBoxes(int slot) const;         // null for an empty slot
    const MoveImageRecord *ImageBoxes(int slot) const; // null for an empty slot
    int textBoxCount() const;
    int imageBoxCount() const;

    // Every change of a text box's size sets its font height to 2 − Height,
    // or 2 − Width for a vertical box (its characters stand across its width).
    void setTextBounds(int slot, const BoxBounds &bounds);
    void setTextCaption(int slot, const QString &caption);
    void setTextFont(int slot, const BoxFont &font);
    // Turning a box from horizontal to vertical or back swaps its width and
    // height, so its font height stays as it was.
    void setTextSetting(int slot, const TextSetting &setting);
    void setTextVisible(int slot, bool visible);

    void setImageBounds(int slot, const BoxBounds &bounds);
    void setImagePath(int slot, const QString &path);
    void setImagePicture(int slot, const QImage &picture);
    // The same on either side (a picture loaded for the back while reading).
    void setImagePath(Side side, int slot, const QString &path);
    void setImagePicture(Side side, int slot, const QImage &picture);

    // The side shown's shapes, bottom first. addShape returns the new
    // shape's place, or −1 (after a message) when the side has MaxShapes.
    const QList<CardShape> &shapes() const { return shown().shapes; }
    int addShape(const CardShape &shape);
    void setShape(int index, const CardShape &shape);
    void removeShape(int index);
    // Moves a shape to the top (last) or the bottom (first) of the others.
    void raiseShape(int index);
    void lowerShape(int index);
    // Puts the side shown's shapes back as they were (undo, paste): no
    // modified flag, as for restoreTextBox.
    void restoreShapes(const QList<CardShape> &shapes);
    // A shape of either side (the reader); false when that side is full.
    bool appendShape(Side side, const CardShape &shape);

    const CardBackground &background() const { return shown().background; }
    void setBackground(const CardBackground &background);
    // Either side's (the reader, a picture loaded for the background).
    void setBackground(Side side, const CardBackground &background);
    void setBackgroundPicture(Side side, const QImage &picture);

    // Puts a slot back as it was (empty, or the box as given, shown), for undo
    // and paste: no font-height rule, no modified flag.
    void restoreTextBox(int slot, const std::optional<TextBox> &box);
    void restoreImageBox(int slot, const std::optional<MoveImageRecord> &record);

    // The modified flag: the card holds changes that its file does not.
    // One rule, kept by the operations of this class, the history and the
    // card file's read and save (nothing else sets or clears it):
    // - set by every change of the card: adding or deleting a box, a change of
    //   a box's bounds (a move or a resize), caption, font, text setting,
    //   picture or picture path, a change of the print settings, an undo or redo;
    // - set when the inline editor opens over a box and when it is committed
    //   into the box, whether or not the text changed (beginEditing,
    //   commitEditing);
    // - cleared by ClearBoxes (New, Open, closing), by a read (LoadCardFile)
    //   and by a successful save (SaveCardFile).
    // restoreTextBox and restoreImageBox (undo, paste) leave the flag to the
    // history that calls them. Showing or hiding a box is no change.
    bool Modified() const { return m_modified; }
    void SetModified(bool modified = true);

    // The inline editor stands over the box (the box is hidden) / was
    // committed into it (the box is shown again).
    void beginEditing(int slot);
    void commitEditing(int slot);

    BoxRef CurrentBox() const { return m_currentBox; }
    void SetCurrentBox(BoxRef box)
    {
        if (m_currentBox == box)
            return;
        m_currentBox = box;
        Q_EMIT currentBoxChanged();
    }

    const QString &DocFileName() const { return m_docFileName; }
    void SetDocFileName(const QString &name);

    // The card's file as it was last read or written, to tell before a save
    // whether another program has changed it since; nothing when that is not
    // known (a new card, a recovered one). Another file name forgets it.
    const std::optional<FileFingerprint> &diskFingerprint() const { return m_diskFingerprint; }
    void setDiskFingerprint(const std::optional<FileFingerprint> &print) { m_diskFingerprint = print; }

    const PrintSettings &printSettings() const { return m_print; }
    void setPrintSettings(const PrintSettings &settings);
    std::uint8_t PrintGuide() const { return m_print.PrintGuide; }
    std::int32_t MarginLeft() const { return m_print.MarginLeft; }
    std::int32_t MarginTop() const { return m_print.MarginTop; }

    // The card's property lines of keys this program does not know, as read;
    // written back after the card's own. ClearBoxes forgets them.
    const QList<QByteArray> &unknownCardLines() const { return m_unknownCardLines; }
    void keepUnknownCardLine(const QByteArray &line) { m_unknownCardLines.append(line); }
    void keepUnknownTextLine(int slot, const QByteArray &line);
    void keepUnknownImageLine(int slot, const QByteArray &line);

Q_SIGNALS:
    void textBoxAdded(int slot);
    void textBoxRemoved(int slot);
    void textBoxChanged(int slot);
    void textBoxResized(int slot);   // after the font–height rule was applied
    void imageBoxAdded(int slot);
    void imageBoxRemoved(int slot);
    void imageBoxChanged(int slot);
    void docFileNameChanged(const QString &name);
    void modifiedChanged(bool modified);
    void currentBoxChanged();
    void shownSideChanged(Side side);
    void shapesChanged();
    void backgroundChanged();

private:
    static int index(Side which) { return which == Side::Back ? 1 : 0; }
    CardSide &shown() { return m_sides[index(m_shown)]; }
    const CardSide &shown() const { return m_sides[index(m_shown)]; }
    void reportSide(bool added);
    TextBox &text(int slot);
    bool removeTextBox(int slot);
    bool removeImageBox(int slot);
    MoveImageRecord &image(int slot);
    void tooManyBoxes();

    MessageSink *m_sink = nullptr;
    std::int32_t m_screenPpi = 96;
    std::array<CardSide, 2> m_sides;
    Side m_shown = Side::Front;
    BoxRef m_currentBox;
    QString m_docFileName;
    std::optional<FileFingerprint> m_diskFingerprint;
    bool m_modified = false;
    PrintSettings m_print;
    QList<QByteArray> m_unknownCardLines;
};
