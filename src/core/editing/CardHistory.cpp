#include "editing/CardHistory.h"

#include "base/Messages.h"

#include <QUndoCommand>

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

// Boxes compare by what the card holds: the editor hiding a text box is no
// change of the card.
bool sameBox(const std::optional<TextBox> &a, const std::optional<TextBox> &b)
{
    if (!a || !b)
        return !a && !b;
    return a->bounds == b->bounds && a->Caption == b->Caption && a->Font == b->Font && a->Setting == b->Setting;
}

bool sameBox(const std::optional<MoveImageRecord> &a, const std::optional<MoveImageRecord> &b)
{
    if (!a || !b)
        return !a && !b;
    return a->bounds == b->bounds && a->ImagePath == b->ImagePath && a->Picture.cacheKey() == b->Picture.cacheKey();
}

std::int32_t movedBy(std::int32_t value, int delta)
{
    const long long moved = static_cast<long long>(value) + delta;
    return static_cast<std::int32_t>(std::clamp<long long>(moved, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

// A command whose change was already made when it is pushed: the stack's
// first redo does nothing.
// Undoing or redoing it first shows the side it changed.
class AppliedCommand : public QUndoCommand
{
public:
    AppliedCommand(CardDocument &doc, const QString &label) : m_doc(doc), m_side(doc.shownSide()) { setText(label); }
    void undo() override
    {
        m_doc.showSide(m_side);
        apply(false);
        m_doc.SetModified();
    }
    void redo() override
    {
        if (m_applied) {
            m_applied = false;
            return;
        }
        m_doc.showSide(m_side);
        apply(true);
        m_doc.SetModified();
    }
    Side side() const { return m_side; }

protected:
    virtual void apply(bool forward) = 0;
    CardDocument &m_doc;
    Side m_side;

private:
    bool m_applied = true;
};

// Moves of a shape by key presses, merged like a box's.
class ShapeMoveCommand : public AppliedCommand
{
public:
    ShapeMoveCommand(CardDocument &doc, BoxRef box, int key, int run, const QList<CardShape> &before,
                     const QList<CardShape> &after)
        : AppliedCommand(doc, Msg::stepMove()), m_box(box), m_key(key), m_run(run), m_before(before), m_after(after)
    {
    }
    int id() const override { return CardHistory::ShapeKeyMoveId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const ShapeMoveCommand *>(other);
        if (next->side() != side() || next->m_box != m_box || next->m_key != m_key || next->m_run != m_run)
            return false;
        m_after = next->m_after;
        return true;
    }

protected:
    void apply(bool forward) override { m_doc.restoreShapes(forward ? m_after : m_before); }

private:
    BoxRef m_box;
    int m_key;
    int m_run;
    QList<CardShape> m_before;
    QList<CardShape> m_after;
};

} // namespace

// What an undo step restores: every box slot and the print settings.
class CardSnapshot
{
public:
    explicit CardSnapshot(const CardDocument &doc) : side(doc.shownSide())
    {
        for (int n = 0; n < CardDocument::SlotCount; ++n) {
            if (const TextBox *box = doc.TextBoxes(n))
                text[n] = *box;
            if (const MoveImageRecord *record = doc.ImageBoxes(n))
                images[n] = *record;
        }
        print = doc.printSettings();
        shapes = doc.shapes();
        background = doc.background();
    }

    std::array<std::optional<TextBox>, CardDocument::SlotCount> text;
    std::array<std::optional<MoveImageRecord>, CardDocument::SlotCount> images;
    PrintSettings print;
    // The side shown's lines and rectangles and background.
    QList<CardShape> shapes;
    CardBackground background;
    Side side;   // the side the slots are of
};

namespace {

// The slots and settings that differ between two snapshots, each with its
// state before and after.
class SnapshotCommand : public AppliedCommand
{
public:
    SnapshotCommand(CardDocument &doc, const QString &label, const CardSnapshot &before, const CardSnapshot &after)
        : AppliedCommand(doc, label), m_before(before), m_after(after)
    {
        for (int n = 0; n < CardDocument::SlotCount; ++n) {
            if (!sameBox(before.text[n], after.text[n]))
                m_textSlots.push_back(n);
            if (!sameBox(before.images[n], after.images[n]))
                m_imageSlots.push_back(n);
        }
    }
    bool changesNothing() const
    {
        return m_textSlots.empty() && m_imageSlots.empty() && m_before.print == m_after.print
               && m_before.shapes == m_after.shapes && m_before.background == m_after.background;
    }
    // A new text box opens for typing at once: the first caption committed
    // into it, right after, belongs to adding it.
    void takeFirstCaptionOf(int slot) { m_captionSlot = slot; }
    int id() const override { return m_captionSlot >= 0 ? CardHistory::FirstCaptionId : -1; }
    bool mergeWith(const QUndoCommand *other) override;

protected:
    void apply(bool forward) override
    {
        const CardSnapshot &state = forward ? m_after : m_before;
        for (int n : m_textSlots)
            m_doc.restoreTextBox(n, state.text[n]);
        for (int n : m_imageSlots)
            m_doc.restoreImageBox(n, state.images[n]);
        if (!(m_before.print == m_after.print))
            m_doc.setPrintSettings(state.print);
        if (m_before.shapes != m_after.shapes)
            m_doc.restoreShapes(state.shapes);
        if (m_before.background != m_after.background)
            m_doc.setBackground(state.background);
    }

private:
    CardSnapshot m_before;
    CardSnapshot m_after;
    std::vector<int> m_textSlots;
    std::vector<int> m_imageSlots;
    int m_captionSlot = -1;
};

class CaptionCommand : public AppliedCommand
{
public:
    CaptionCommand(CardDocument &doc, int slot, const QString &before, const QString &after)
        : AppliedCommand(doc, Msg::stepCaption()), m_slot(slot), m_before(before), m_after(after)
    {
    }
    int id() const override { return CardHistory::FirstCaptionId; }
    int slot() const { return m_slot; }
    const QString &caption() const { return m_after; }

protected:
    void apply(bool forward) override { m_doc.setTextCaption(m_slot, forward ? m_after : m_before); }

private:
    int m_slot;
    QString m_before;
    QString m_after;
};

bool SnapshotCommand::mergeWith(const QUndoCommand *other)
{
    const auto *caption = dynamic_cast<const CaptionCommand *>(other);
    if (!caption || caption->side() != side() || caption->slot() != m_captionSlot || !m_after.text[m_captionSlot])
        return false;
    m_after.text[m_captionSlot]->Caption = caption->caption();
    m_captionSlot = -1;
    return true;
}

class KeyMoveCommand : public AppliedCommand
{
public:
    KeyMoveCommand(CardDocument &doc, BoxRef box, int key, int run, const BoxBounds &before, const BoxBounds &after)
        : AppliedCommand(doc, Msg::stepMove()), m_box(box), m_key(key), m_run(run), m_before(before), m_after(after)
    {
    }
    int id() const override { return CardHistory::KeyMoveId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const KeyMoveCommand *>(other);
        if (next->side() != side() || next->m_box != m_box || next->m_key != m_key || next->m_run != m_run)
            return false;
        m_after = next->m_after;
        return true;
    }

protected:
    void apply(bool forward) override
    {
        const BoxBounds &bounds = forward ? m_after : m_before;
        if (m_box.isText())
            m_doc.setTextBounds(m_box.slot, bounds);
        else
            m_doc.setImageBounds(m_box.slot, bounds);
    }

private:
    BoxRef m_box;
    int m_key;
    int m_run;
    BoxBounds m_before;
    BoxBounds m_after;
};

// Removing the back: undone, the back comes back and is shown.
class RemoveBackCommand : public AppliedCommand
{
public:
    RemoveBackCommand(CardDocument &doc, const CardSide &back)
        : AppliedCommand(doc, Msg::stepRemoveBack()), m_back(back)
    {
        m_side = Side::Back;
    }

protected:
    void apply(bool forward) override
    {
        if (forward) {
            m_doc.removeBack();
        } else {
            m_doc.setSide(Side::Back, m_back);
            m_doc.showSide(Side::Back);
        }
    }

private:
    CardSide m_back;
};

} // namespace

class BoxEditStep
{
public:
    BoxEditStep(const CardDocument &doc, const QString &label) : before(doc), label(label) {}
    CardSnapshot before;
    QString label;
};

CardHistory::CardHistory(CardDocument &doc, QObject *parent) : QObject(parent), m_doc(doc)
{
    m_stack.setUndoLimit(1000);
}

CardHistory::~CardHistory() = default;

void CardHistory::clear()
{
    m_open.reset();
    m_depth = 0;
    m_addedText = -1;
    m_stack.clear();
}

void CardHistory::push(QUndoCommand *command)
{
    m_stack.push(command);
}

void CardHistory::beginStep(const QString &label)
{
    if (m_depth++ == 0)
        m_open = std::make_unique<BoxEditStep>(m_doc, label);
}

void CardHistory::endStep()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    const std::unique_ptr<BoxEditStep> step = std::move(m_open);
    // A step is made on one side; the side is switched between steps only.
    if (step->before.side != m_doc.shownSide()) {
        m_addedText = -1;
        return;
    }
    auto command = std::make_unique<SnapshotCommand>(m_doc, step->label, step->before, CardSnapshot(m_doc));
    if (m_addedText >= 0)
        command->takeFirstCaptionOf(m_addedText);
    m_addedText = -1;
    if (!command->changesNothing())
        push(command.release());
}

void CardHistory::abandonStep()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    m_open.reset();
    m_addedText = -1;
}

int CardHistory::addTextBox()
{
    beginStep(Msg::stepAdd());
    const int slot = m_doc.AddTextBox();
    if (m_depth == 1)
        m_addedText = slot;
    slot >= 0 ? endStep() : abandonStep();
    return slot;
}

int CardHistory::addImageBox()
{
    beginStep(Msg::stepAdd());
    const int slot = m_doc.AddImageBox();
    slot >= 0 ? endStep() : abandonStep();
    return slot;
}

void CardHistory::deleteBox(BoxRef box)
{
    beginStep(Msg::stepDelete());
    if (box.isText())
        m_doc.DeleteTextBox(box.slot);
    else if (box.isImage())
        m_doc.DeleteImageBox(box.slot);
    else if (box.isShape())
        m_doc.removeShape(box.slot);
    endStep();
}

int CardHistory::addShape(const CardShape &shape)
{
    beginStep(Msg::stepAddShape());
    const int index = m_doc.addShape(shape);
    index >= 0 ? endStep() : abandonStep();
    return index;
}

void CardHistory::setShape(int index, const CardShape &shape)
{
    const Step step(*this, Msg::stepChangeShape());
    m_doc.setShape(index, shape);
}

void CardHistory::raiseShape(int index)
{
    const Step step(*this, Msg::stepShapeOrder());
    m_doc.raiseShape(index);
}

void CardHistory::lowerShape(int index)
{
    const Step step(*this, Msg::stepShapeOrder());
    m_doc.lowerShape(index);
}

void CardHistory::setBackground(const CardBackground &background)
{
    const Step step(*this, Msg::stepBackground());
    m_doc.setBackground(background);
}

int CardHistory::pasteShape(const CardShape &shape, const QString &label)
{
    beginStep(label);
    const int index = m_doc.addShape(shape.movedBy(10, 10));
    index >= 0 ? endStep() : abandonStep();
    return index;
}

void CardHistory::setCaption(int slot, const QString &caption)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    if (!box || box->Caption == caption)
        return;
    const QString before = box->Caption;
    m_doc.setTextCaption(slot, caption);
    // A step being collected (a drag that closed the editor) starts after
    // this commit, so the two undo one after the other.
    if (m_open && m_open->before.text[slot])
        m_open->before.text[slot]->Caption = caption;
    push(new CaptionCommand(m_doc, slot, before, caption));
}

void CardHistory::setFont(int slot, const BoxFont &font)
{
    beginStep(Msg::stepFont());
    m_doc.setTextFont(slot, font);
    endStep();
}

void CardHistory::setTextSetting(int slot, const TextSetting &setting)
{
    beginStep(Msg::stepTextSetting());
    m_doc.setTextSetting(slot, setting);
    endStep();
}

void CardHistory::setPicture(int slot, const QString &path, const QImage &picture)
{
    beginStep(Msg::stepPicture());
    m_doc.setImagePicture(slot, picture);
    m_doc.setImagePath(slot, path);
    endStep();
}

void CardHistory::removeBack()
{
    if (!m_doc.hasBack())
        return;
    const CardSide back = m_doc.side(Side::Back);
    m_doc.removeBack();
    push(new RemoveBackCommand(m_doc, back));
}

void CardHistory::setPrintSettings(const PrintSettings &settings)
{
    beginStep(Msg::stepPrintSettings());
    m_doc.setPrintSettings(settings);
    endStep();
}

int CardHistory::pasteBox(const ClipBox &box, const QString &label)
{
    if (box.shape)
        return pasteShape(*box.shape, label);
    beginStep(label);
    int slot = -1;
    if (box.text) {
        slot = m_doc.AddTextBox();
        if (slot >= 0) {
            TextBox placed = *box.text;
            placed.bounds.Left = movedBy(placed.bounds.Left, 10);
            placed.bounds.Top = movedBy(placed.bounds.Top, 10);
            m_doc.restoreTextBox(slot, placed);
        }
    } else if (box.image) {
        slot = m_doc.AddImageBox();
        if (slot >= 0) {
            MoveImageRecord placed = *box.image;
            placed.bounds.Left = movedBy(placed.bounds.Left, 10);
            placed.bounds.Top = movedBy(placed.bounds.Top, 10);
            m_doc.restoreImageBox(slot, placed);
        }
    }
    slot >= 0 ? endStep() : abandonStep();
    return slot;
}

void CardHistory::moveByKey(BoxRef box, int key, int dx, int dy)
{
    if (box.isShape()) {
        // One step a run of presses, as for a box.
        if (box.slot < 0 || box.slot >= m_doc.shapes().size())
            return;
        const CardShape moved = m_doc.shapes().at(box.slot).movedBy(dx, dy);
        if (moved == m_doc.shapes().at(box.slot))
            return;
        const CardSnapshot before(m_doc);
        m_doc.setShape(box.slot, moved);
        push(new ShapeMoveCommand(m_doc, box, key, m_keyRun, before.shapes, m_doc.shapes()));
        return;
    }
    const TextBox *text = box.isText() ? m_doc.TextBoxes(box.slot) : nullptr;
    const MoveImageRecord *image = box.isImage() ? m_doc.ImageBoxes(box.slot) : nullptr;
    if (!text && !image)
        return;
    const BoxBounds before = text ? text->bounds : image->bounds;
    BoxBounds after = before;
    after.Left = movedBy(before.Left, dx);
    after.Top = movedBy(before.Top, dy);
    if (after == before)
        return;
    if (text)
        m_doc.setTextBounds(box.slot, after);
    else
        m_doc.setImageBounds(box.slot, after);
    push(new KeyMoveCommand(m_doc, box, key, m_keyRun, before, after));
}
