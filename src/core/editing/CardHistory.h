#pragma once
// The undo history of the card. Every change a user makes to the card goes
// through here and becomes one step of a QUndoStack; undoing a step puts every
// box it touched back exactly as it was, so the card file written afterwards
// is the one written before the step. A step belongs to the side shown when
// it was made: undoing or redoing it shows that side again.
//
// A step is either one of the operations below or whatever the caller changes
// on the document between beginStep and endStep (a whole drag, a font chosen
// and the box refitted). Nothing that changes no box and no print setting
// becomes a step. Undo and redo set the modified flag: the card changed.
#include "card/CardDocument.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>

class CardSnapshot;
class BoxEditStep;

// A box as the clipboard carries it: exactly one of the three is set.
struct ClipBox {
    std::optional<TextBox> text;
    std::optional<MoveImageRecord> image;
    std::optional<CardShape> shape;
};

class CardHistory : public QObject
{
    Q_OBJECT
public:
    explicit CardHistory(CardDocument &doc, QObject *parent = nullptr);
    ~CardHistory() override;

    QUndoStack &stack() { return m_stack; }
    CardDocument &document() { return m_doc; }

    // New and Open start an empty history.
    void clear();

    // Collects the changes made until endStep into one step called label.
    // Steps nest: only the outermost one is recorded.
    void beginStep(const QString &label);
    void endStep();
    // Ends the open step without recording it; the changes stay.
    void abandonStep();
    bool inStep() const { return m_depth > 0; }

    // A step for the lifetime of the object; an error that ends the handler
    // still leaves what was done as one step.
    class Step
    {
    public:
        Step(CardHistory &history, const QString &label) : m_history(history) { history.beginStep(label); }
        ~Step() { m_history.endStep(); }
        Step(const Step &) = delete;
        Step &operator=(const Step &) = delete;

    private:
        CardHistory &m_history;
    };

    // The operations, each one step. Both adds return the slot or −1 after
    // the full-slots message.
    int addTextBox();
    int addImageBox();
    void deleteBox(BoxRef box);
    // A committed caption: a step of its own even while a drag is collected;
    // the first one into a text box just added is part of adding it.
    void setCaption(int slot, const QString &caption);
    void setFont(int slot, const BoxFont &font);
    void setTextSetting(int slot, const TextSetting &setting);
    void setPicture(int slot, const QString &path, const QImage &picture);
    void setPrintSettings(const PrintSettings &settings);
    // Removes every box of the back, one step; the front is shown.
    void removeBack();
    // Adds the box at the lowest free slot of its kind, 10 pixels right of and
    // below where it stood; the slot, or −1 after the full-slots message.
    int pasteBox(const ClipBox &box, const QString &label);

    // Moves a box by a key press. Presses of the same key on the same box in
    // a row are one step; breakKeyRun ends the row.
    void moveByKey(BoxRef box, int key, int dx, int dy);
    void breakKeyRun() { ++m_keyRun; }

    // Lines and rectangles of the side shown, each one step; the adds return
    // the shape's place or −1 after the message that the side is full.
    int addShape(const CardShape &shape);
    void setShape(int index, const CardShape &shape);
    void raiseShape(int index);
    void lowerShape(int index);
    // Adds a copy 10 pixels right of and below the shape.
    int pasteShape(const CardShape &shape, const QString &label);
    void setBackground(const CardBackground &background);

    static constexpr int KeyMoveId = 1;
    static constexpr int FirstCaptionId = 2;
    static constexpr int ShapeKeyMoveId = 3;

private:
    void push(QUndoCommand *command);

    CardDocument &m_doc;
    QUndoStack m_stack;
    int m_depth = 0;
    int m_keyRun = 0;
    int m_addedText = -1;   // the text box the step being ended adds
    std::unique_ptr<BoxEditStep> m_open;
};
