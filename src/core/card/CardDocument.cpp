#include "card/CardDocument.h"

#include "base/MessageSink.h"
#include "base/Messages.h"

#include <stdexcept>

namespace {
bool validSlot(int slot) { return slot >= 0 && slot < CardDocument::SlotCount; }
}

CardDocument::CardDocument(QObject *parent) : QObject(parent) {}

BoxFont CardDocument::newTextBoxFont() const
{
    // The card panel has the main window's font, "System" at −13 for a
    // 96 PPI layout, scaled with the screen.
    BoxFont font(QStringLiteral("System"), mulDiv(-13, m_screenPpi, 96));
    font.setName(BoxFont::defaultTextBoxFace());
    return font;
}

void CardDocument::tooManyBoxes()
{
    if (m_sink)
        m_sink->information(Msg::tooManyBoxes(), MsgButton::Ok);
}

int CardDocument::AddTextBox()
{
    int n = 0;
    while (n < SlotCount && shown().text[n])
        ++n;
    if (n == SlotCount) {
        tooManyBoxes();
        return -1;
    }
    TextBox box;
    box.Tag = n;
    box.bounds = {10 * n, 10 * n, 100, 20};
    box.Font = newTextBoxFont();
    shown().text[n] = box;
    Q_EMIT textBoxAdded(n);
    SetModified();
    return n;
}

int CardDocument::AddImageBox()
{
    int n = 0;
    while (n < SlotCount && shown().images[n])
        ++n;
    if (n == SlotCount) {
        tooManyBoxes();
        return -1;
    }
    MoveImageRecord record;
    record.Tag = n;
    record.bounds = {10 * n + 100, 10 * n, 64, 64};
    shown().images[n] = record;
    Q_EMIT imageBoxAdded(n);
    SetModified();
    return n;
}

bool CardDocument::removeTextBox(int slot)
{
    if (!validSlot(slot) || !shown().text[slot])
        return false;
    shown().text[slot].reset();
    if (m_currentBox == BoxRef::text(slot))
        SetCurrentBox({});
    Q_EMIT textBoxRemoved(slot);
    return true;
}

bool CardDocument::removeImageBox(int slot)
{
    if (!validSlot(slot) || !shown().images[slot])
        return false;
    shown().images[slot].reset();
    if (m_currentBox == BoxRef::image(slot))
        SetCurrentBox({});
    Q_EMIT imageBoxRemoved(slot);
    return true;
}

void CardDocument::DeleteTextBox(int slot)
{
    if (removeTextBox(slot))
        SetModified();
}

void CardDocument::DeleteImageBox(int slot)
{
    if (removeImageBox(slot))
        SetModified();
}

void CardDocument::ClearBoxes()
{
    showSide(Side::Front);
    m_sides[index(Side::Back)] = CardSide();
    for (int n = 0; n < SlotCount; ++n) {
        removeTextBox(n);
        removeImageBox(n);
    }
    restoreShapes({});
    setBackground(Side::Front, CardBackground());
    m_unknownCardLines.clear();
    SetCurrentBox({});
    SetModified(false);
}

const TextBox *CardSide::TextBoxes(int slot) const
{
    return validSlot(slot) && text[size_t(slot)] ? &*text[size_t(slot)] : nullptr;
}

const MoveImageRecord *CardSide::ImageBoxes(int slot) const
{
    return validSlot(slot) && images[size_t(slot)] ? &*images[size_t(slot)] : nullptr;
}

int CardSide::textBoxCount() const
{
    int count = 0;
    for (const auto &box : text)
        count += box ? 1 : 0;
    return count;
}

int CardSide::imageBoxCount() const
{
    int count = 0;
    for (const auto &box : images)
        count += box ? 1 : 0;
    return count;
}

const TextBox *CardDocument::TextBoxes(int slot) const
{
    return shown().TextBoxes(slot);
}

const MoveImageRecord *CardDocument::ImageBoxes(int slot) const
{
    return shown().ImageBoxes(slot);
}

int CardDocument::textBoxCount() const
{
    return shown().textBoxCount();
}

int CardDocument::imageBoxCount() const
{
    return shown().imageBoxCount();
}

void CardDocument::reportSide(bool added)
{
    for (int n = 0; n < SlotCount; ++n) {
        if (shown().text[size_t(n)])
            added ? Q_EMIT textBoxAdded(n) : Q_EMIT textBoxRemoved(n);
        if (shown().images[size_t(n)])
            added ? Q_EMIT imageBoxAdded(n) : Q_EMIT imageBoxRemoved(n);
    }
}

void CardDocument::showSide(Side side)
{
    if (side == m_shown)
        return;
    SetCurrentBox({});
    reportSide(false);
    m_shown = side;
    reportSide(true);
    Q_EMIT shapesChanged();
    Q_EMIT backgroundChanged();
    Q_EMIT shownSideChanged(side);
}

void CardDocument::setSide(Side which, const CardSide &boxes)
{
    CardSide placed = boxes;
    for (int n = 0; n < SlotCount; ++n) {
        if (placed.text[size_t(n)])
            placed.text[size_t(n)]->Tag = n;
        if (placed.images[size_t(n)])
            placed.images[size_t(n)]->Tag = n;
    }
    if (which != m_shown) {
        m_sides[index(which)] = placed;
        SetModified();
        return;
    }
    // The side shown goes slot by slot, so the widgets follow.
    for (int n = 0; n < SlotCount; ++n) {
        restoreTextBox(n, placed.text[size_t(n)]);
        restoreImageBox(n, placed.images[size_t(n)]);
    }
    restoreShapes(placed.shapes);
    setBackground(which, placed.background);
    SetModified();
}

void CardDocument::removeBack()
{
    showSide(Side::Front);
    if (!hasBack())
        return;
    m_sides[index(Side::Back)] = CardSide();
    SetModified();
}

TextBox &CardDocument::text(int slot)
{
    if (!validSlot(slot) || !shown().text[slot])
        throw std::out_of_range("no text box in this slot");
    return *shown().text[slot];
}

MoveImageRecord &CardDocument::image(int slot)
{
    if (!validSlot(slot) || !shown().images[slot])
        throw std::out_of_range("no image box in this slot");
    return *shown().images[slot];
}

void CardDocument::setTextBounds(int slot, const BoxBounds &bounds)
{
    TextBox &box = text(slot);
    if (box.bounds == bounds)
        return;
    const bool resized = box.bounds.Width != bounds.Width || box.bounds.Height != bounds.Height;
    box.bounds = bounds;
    if (resized)
        box.Font.setHeight(fontHeightForBoxHeight(box.Setting.vertical ? bounds.Width : bounds.Height));
    Q_EMIT textBoxChanged(slot);
    SetModified();
    if (resized)
        Q_EMIT textBoxResized(slot);
}

void CardDocument::setTextCaption(int slot, const QString &caption)
{
    TextBox &box = text(slot);
    if (box.Caption == caption)
        return;
    box.Caption = caption;
    Q_EMIT textBoxChanged(slot);
    SetModified();
}

void CardDocument::setTextFont(int slot, const BoxFont &font)
{
    TextBox &box = text(slot);
    if (box.Font == font)
        return;
    box.Font = font;
    Q_EMIT textBoxChanged(slot);
    SetModified();
}

void CardDocument::setTextSetting(int slot, const TextSetting &setting)
{
    TextBox &box = text(slot);
    if (box.Setting == setting)
        return;
    const bool turned = box.Setting.vertical != setting.vertical;
    box.Setting = setting;
    if (turned)
        std::swap(box.bounds.Width, box.bounds.Height);
    Q_EMIT textBoxChanged(slot);
    SetModified();
}

void CardDocument::setTextVisible(int slot, bool visible)
{
    TextBox &box = text(slot);
    if (box.Visible == visible)
        return;
    box.Visible = visible;
    Q_EMIT textBoxChanged(slot);
}

void CardDocument::beginEditing(int slot)
{
    setTextVisible(slot, false);
    SetModified();
}

void CardDocument::commitEditing(int slot)
{
    setTextVisible(slot, true);
    SetModified();
}

void CardDocument::setImageBounds(int slot, const BoxBounds &bounds)
{
    MoveImageRecord &record = image(slot);
    if (record.bounds == bounds)
        return;
    record.bounds = bounds;
    Q_EMIT imageBoxChanged(slot);
    SetModified();
}

void CardDocument::keepUnknownTextLine(int slot, const QByteArray &line)
{
    text(slot).UnknownLines.append(line);
}

void CardDocument::keepUnknownImageLine(int slot, const QByteArray &line)
{
    image(slot).UnknownLines.append(line);
}

void CardDocument::setImagePath(int slot, const QString &path)
{
    MoveImageRecord &record = image(slot);
    if (record.ImagePath == path)
        return;
    record.ImagePath = path;
    Q_EMIT imageBoxChanged(slot);
    SetModified();
}

void CardDocument::setImagePicture(int slot, const QImage &picture)
{
    image(slot).Picture = picture;
    Q_EMIT imageBoxChanged(slot);
    SetModified();   // a picture loaded, even the same file again
}

void CardDocument::setImagePath(Side side, int slot, const QString &path)
{
    if (side == m_shown) {
        setImagePath(slot, path);
        return;
    }
    auto &record = m_sides[index(side)].images;
    if (!validSlot(slot) || !record[size_t(slot)])
        throw std::out_of_range("no image box in this slot");
    if (record[size_t(slot)]->ImagePath == path)
        return;
    record[size_t(slot)]->ImagePath = path;
    SetModified();
}

void CardDocument::setImagePicture(Side side, int slot, const QImage &picture)
{
    if (side == m_shown) {
        setImagePicture(slot, picture);
        return;
    }
    auto &record = m_sides[index(side)].images;
    if (!validSlot(slot) || !record[size_t(slot)])
        throw std::out_of_range("no image box in this slot");
    record[size_t(slot)]->Picture = picture;
    SetModified();
}

void CardDocument::restoreTextBox(int slot, const std::optional<TextBox> &box)
{
    if (!validSlot(slot))
        return;
    if (!box) {
        removeTextBox(slot);
        return;
    }
    const bool added = !shown().text[slot];
    shown().text[slot] = *box;
    shown().text[slot]->Tag = slot;
    shown().text[slot]->Visible = true;
    if (added)
        Q_EMIT textBoxAdded(slot);
    else
        Q_EMIT textBoxChanged(slot);
}

void CardDocument::restoreImageBox(int slot, const std::optional<MoveImageRecord> &record)
{
    if (!validSlot(slot))
        return;
    if (!record) {
        removeImageBox(slot);
        return;
    }
    const bool added = !shown().images[slot];
    shown().images[slot] = *record;
    shown().images[slot]->Tag = slot;
    if (added)
        Q_EMIT imageBoxAdded(slot);
    else
        Q_EMIT imageBoxChanged(slot);
}

void CardDocument::SetModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

void CardDocument::setPrintSettings(const PrintSettings &settings)
{
    if (m_print == settings)
        return;
    m_print = settings;
    SetModified();
}

void CardDocument::SetDocFileName(const QString &name)
{
    if (name != m_docFileName)
        m_diskFingerprint.reset();
    m_docFileName = name;
    Q_EMIT docFileNameChanged(name);
}

int CardDocument::addShape(const CardShape &shape)
{
    if (shown().shapes.size() >= CardSide::MaxShapes) {
        if (m_sink)
            m_sink->information(Msg::tooManyShapes(CardSide::MaxShapes), MsgButton::Ok);
        return -1;
    }
    shown().shapes.append(shape.normalized());
    Q_EMIT shapesChanged();
    SetModified();
    return int(shown().shapes.size() - 1);
}

void CardDocument::setShape(int index, const CardShape &shape)
{
    QList<CardShape> &shapes = shown().shapes;
    if (index < 0 || index >= shapes.size())
        throw std::out_of_range("no shape at this place");
    const CardShape normal = shape.normalized();
    if (shapes.at(index) == normal)
        return;
    shapes[index] = normal;
    Q_EMIT shapesChanged();
    SetModified();
}

void CardDocument::removeShape(int index)
{
    QList<CardShape> &shapes = shown().shapes;
    if (index < 0 || index >= shapes.size())
        return;
    shapes.removeAt(index);
    if (m_currentBox.isShape())
        SetCurrentBox({});
    Q_EMIT shapesChanged();
    SetModified();
}

void CardDocument::raiseShape(int index)
{
    QList<CardShape> &shapes = shown().shapes;
    if (index < 0 || index >= shapes.size() - 1)
        return;
    shapes.move(index, shapes.size() - 1);
    if (m_currentBox == BoxRef::shape(index))
        SetCurrentBox(BoxRef::shape(int(shapes.size() - 1)));
    Q_EMIT shapesChanged();
    SetModified();
}

void CardDocument::lowerShape(int index)
{
    QList<CardShape> &shapes = shown().shapes;
    if (index <= 0 || index >= shapes.size())
        return;
    shapes.move(index, 0);
    if (m_currentBox == BoxRef::shape(index))
        SetCurrentBox(BoxRef::shape(0));
    Q_EMIT shapesChanged();
    SetModified();
}

void CardDocument::restoreShapes(const QList<CardShape> &shapes)
{
    QList<CardShape> kept = shapes.mid(0, CardSide::MaxShapes);
    for (CardShape &shape : kept)
        shape = shape.normalized();
    if (shown().shapes == kept)
        return;
    shown().shapes = kept;
    if (m_currentBox.isShape() && m_currentBox.slot >= kept.size())
        SetCurrentBox({});
    Q_EMIT shapesChanged();
}

bool CardDocument::appendShape(Side side, const CardShape &shape)
{
    QList<CardShape> &shapes = m_sides[index(side)].shapes;
    if (shapes.size() >= CardSide::MaxShapes)
        return false;
    shapes.append(shape.normalized());
    if (side == m_shown)
        Q_EMIT shapesChanged();
    SetModified();
    return true;
}

void CardDocument::setBackground(const CardBackground &background)
{
    setBackground(m_shown, background);
}

void CardDocument::setBackground(Side side, const CardBackground &background)
{
    CardBackground &kept = m_sides[index(side)].background;
    if (kept == background)
        return;
    kept = background;
    if (side == m_shown)
        Q_EMIT backgroundChanged();
    SetModified();
}

void CardDocument::setBackgroundPicture(Side side, const QImage &picture)
{
    m_sides[index(side)].background.picture = picture;
    if (side == m_shown)
        Q_EMIT backgroundChanged();
    SetModified();
}
