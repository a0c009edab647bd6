#pragma once
// EditorSession: the inline editor's life over one text box. Opening lays the
// editor over the box with its font, colour and caption; closing is the
// commit (the caption goes into the box through the history, as one step).
// A box removed under an open edit that is no longer current takes the edit
// with it, uncommitted.
#include "view/ViewScale.h"

class BoxFont;
class CardDocument;
class CardHistory;
class InlineEditor;
class QString;

class EditorSession
{
public:
    EditorSession(CardDocument &doc, CardHistory &history, InlineEditor &editor);

    bool isOpen() const;
    // Shows the editor over the text box in slot and starts its edit.
    void open(int slot);
    // The caption typed so far goes into the current text box.
    void commit();
    // Commits an open edit and hides the editor; the keys go to the window again.
    void close();
    // Hides the editor without committing and forgets its text.
    void discard();
    // The editor shows text in font from now on.
    void showFont(const BoxFont &font);
    QString text() const;
    void setText(const QString &text);
    // Where the card stands and how large: the editor covers its box at every zoom.
    void setScale(const ViewScale &scale);
    // A message naming the characters of typed, just committed to the box in
    // slot, that no installed face draws and that the caption before did not hold.
    void tellUnshowable(int slot, const QString &before, const QString &typed);

private:
    void onTextBoxRemoved();

    CardDocument &m_doc;
    CardHistory &m_history;
    InlineEditor &m_editor;
    ViewScale m_scale;
    int m_slot = -1;   // the box the editor stands over
};
