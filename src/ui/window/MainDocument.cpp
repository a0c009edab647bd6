// Document commands: New, Open, Save, Save As and the close query.
#include "window/Main.h"

#include "base/Messages.h"
#include "cardfile/CardFile.h"
#include "dialogs/Dialogs.h"
#include "widgets/ErrorGuard.h"
#include "widgets/InlineEditor.h"
#include "widgets/MessageBoxes.h"

namespace {
FileDialogRequest cardFileRequest(const QString &initialFile)
{
    return {Msg::cardFileExtension(), Msg::cardFileFilter(), initialFile};
}

// After a read, finished or not, the editor holds the current box's caption.
class EditorFollowsCurrentBox
{
public:
    EditorFollowsCurrentBox(CardDocument &doc, InlineEditor *editor) : m_doc(doc), m_editor(editor) {}
    ~EditorFollowsCurrentBox()
    {
        const BoxRef current = m_doc.CurrentBox();
        if (const TextBox *box = current.isText() ? m_doc.TextBoxes(current.slot) : nullptr)
            m_editor->setText(box->Caption);
    }

private:
    CardDocument &m_doc;
    InlineEditor *m_editor;
};

// After a read, finished or not, the card is what its file holds.
class CardMatchesFileAfterRead
{
public:
    explicit CardMatchesFileAfterRead(CardAutosave &autosave) : m_autosave(autosave) {}
    ~CardMatchesFileAfterRead() { m_autosave.cardMatchesFile(); }

private:
    CardAutosave &m_autosave;
};
}

int TForm1::askSaveQuestion()
{
    return ErrorGuard::presenter()->information(this, m_doc.DocFileName() + Msg::askSave(),
                                                MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
}

void TForm1::ResetDocument()
{
    // The settings of a new card first: clearing the boxes then leaves the
    // new card unmodified.
    m_doc.setPrintSettings({1, 0, 0});
    m_doc.ClearBoxes();
    m_history.clear();
    m_doc.SetDocFileName(Msg::defaultDocumentName());
    updateTitle();
    m_autosave->cardMatchesFile();
}

void TForm1::MenuNewClick()
{
    if (!m_doc.Modified()) {
        ResetDocument();
        return;
    }
    switch (askSaveQuestion()) {
    case mrYes:
        if (SaveDocument())
            ResetDocument();
        break;
    case mrNo:
        ResetDocument();
        break;
    default:
        break;
    }
}

void TForm1::MenuOpenClick()
{
    m_openDialogFile = m_doc.DocFileName();
    const std::optional<QString> chosen = fileDialogs().open(this, cardFileRequest(m_doc.DocFileName()));
    if (!chosen)
        return;
    m_openDialogFile = *chosen;
    openCardFile(*chosen);
}

void TForm1::openCardFile(const QString &path)
{
    if (path == m_doc.DocFileName()) {
        ErrorGuard::presenter()->information(this, m_doc.DocFileName() + Msg::nowEditing(), MsgButton::Yes);
        return;
    }
    if (m_doc.Modified()) {
        const int answer = askSaveQuestion();
        if (answer == mrYes) {
            if (!SaveDocument())
                return;
        } else if (answer != mrNo) {
            return;
        }
    }
    m_doc.ClearBoxes();
    m_history.clear();
    m_doc.SetDocFileName(path);
    updateTitle();
    EditorFollowsCurrentBox follow(m_doc, Edit1);
    CardMatchesFileAfterRead matches(*m_autosave);
    bool isCard = false;
    LoadCardFile(m_doc, m_doc.DocFileName(), &isCard);
    if (isCard)
        m_recent.add(path);
}

void TForm1::restoreLeftCopy(const LeftCopy &copy)
{
    m_doc.ClearBoxes();
    m_history.clear();
    m_doc.SetDocFileName(copy.docFileName.isEmpty() ? Msg::defaultDocumentName() : copy.docFileName);
    updateTitle();
    EditorFollowsCurrentBox follow(m_doc, Edit1);
    LoadLeftCopy(m_doc, copy);
}

void TForm1::MenuSaveClick()
{
    SaveDocument();
}

void TForm1::MenuSaveAsClick()
{
    SaveDocumentAs();
}

bool TForm1::SaveDocument()
{
    if (m_doc.DocFileName() == Msg::defaultDocumentName())
        return SaveDocumentAs();
    // A card the file cannot hold is not written (the message says why), and
    // the command that asked for the save does not go on as if it were.
    return writeDocument();
}

bool TForm1::SaveDocumentAs()
{
    const std::optional<QString> chosen = fileDialogs().save(this, cardFileRequest(m_doc.DocFileName()));
    if (!chosen)
        return false;
    m_doc.SetDocFileName(*chosen);
    updateTitle();
    return writeDocument();
}

bool TForm1::writeDocument()
{
    if (!SaveCardFile(m_doc))
        return false;
    m_autosave->cardMatchesFile();
    m_recent.add(m_doc.DocFileName());
    return true;
}

bool TForm1::FormCloseQuery()
{
    if (!m_doc.Modified())
        return true;
    switch (askSaveQuestion()) {
    case mrYes:
        return SaveDocument();
    case mrNo:
        return true;
    default:
        return false;
    }
}
