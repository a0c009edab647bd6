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
    while (n < SlotCount && m_text[n])
        ++n;
    if (n == SlotCount) {
        tooManyBoxes();
        return -1;
    }
    TextBox box;
    box.Tag = n;
    box.bounds = {10 * n, 10 * n, 100, 20};
    box.Font = newTextBoxFont();
    m_text[n] = box;
    Q_EMIT textBoxAdded(n);
    SetModified();
    return n;
}

int CardDocument::AddImageBox()
{
    int n = 0;
    while (n < SlotCount && m_images[n])
        ++n;
    if (n == SlotCount) {
        tooManyBoxes();
        return -1;
    }
    MoveImageRecord record;
    record.Tag = n;
    record.bounds = {10 * n + 100, 10 * n, 64, 64};
    m_images[n] = record;
    Q_EMIT imageBoxAdded(n);
    SetModified();
    return n;
}

bool CardDocument::removeTextBox(int slot)
{
    if (!validSlot(slot) || !m_text[slot])
        return false;
    m_text[slot].reset();
    if (m_currentBox == BoxRef::text(slot))
        SetCurrentBox({});
    Q_EMIT textBoxRemoved(slot);
    return true;
}

bool CardDocument::removeImageBox(int slot)
{
    if (!validSlot(slot) || !m_images[slot])
        return false;
    m_images[slot].reset();
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
    for (int n = 0; n < SlotCount; ++n) {
        removeTextBox(n);
        removeImageBox(n);
    }
    m_unknownCardLines.clear();
    SetCurrentBox({});
    SetModified(false);
}

const TextBox *CardDocument::TextBoxes(int slot) const
{
    return validSlot(slot) && m_text[slot] ? &*m_text[slot] : nullptr;
}

const MoveImageRecord *CardDocument::ImageBoxes(int slot) const
{
    return validSlot(slot) && m_images[slot] ? &*m_images[slot] : nullptr;
}

int CardDocument::textBoxCount() const
{
    int count = 0;
    for (const auto &box : m_text)
        count += box ? 1 : 0;
    return count;
}

int CardDocument::imageBoxCount() const
{
    int count = 0;
    for (const auto &box : m_images)
        count += box ? 1 : 0;
    return count;
}

TextBox &CardDocument::text(int slot)
{
    if (!validSlot(slot) || !m_text[slot])
        throw std::out_of_range("no text box in this slot");
    return *m_text[slot];
}

MoveImageRecord &CardDocument::image(int slot)
{
    if (!validSlot(slot) || !m_images[slot])
        throw std::out_of_range("no image box in this slot");
    return *m_images[slot];
}

void CardDocument::setTextBounds(int slot, const BoxBounds &bounds)
{
    TextBox &box = text(slot);
    if (box.bounds == bounds)
        return;
    const bool resized = box.bounds.Width != bounds.Width || box.bounds.Height != bounds.Height;
    box.bounds = bounds;
    if (resized)
        box.Font.setHeight(fontHeightForBoxHeight(bounds.Height));
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

void CardDocument::restoreTextBox(int slot, const std::optional<TextBox> &box)
{
    if (!validSlot(slot))
        return;
    if (!box) {
        removeTextBox(slot);
        return;
    }
    const bool added = !m_text[slot];
    m_text[slot] = *box;
    m_text[slot]->Tag = slot;
    m_text[slot]->Visible = true;
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
    const bool added = !m_images[slot];
    m_images[slot] = *record;
    m_images[slot]->Tag = slot;
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
