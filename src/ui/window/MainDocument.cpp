// Document commands: New, Open, Save, Save As, packing and the close query.
#include "window/Main.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "cardfile/CardFile.h"
#include "cardfile/CardPack.h"
#include "dialogs/Dialogs.h"
#include "widgets/ErrorGuard.h"
#include "widgets/InlineEditor.h"
#include "widgets/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>

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
    followCardFile();
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
    readCardFile(path);
}

void TForm1::readCardFile(const QString &path)
{
    m_doc.ClearBoxes();
    m_history.clear();
    m_doc.SetDocFileName(path);
    updateTitle();
    EditorFollowsCurrentBox follow(m_doc, Edit1);
    CardMatchesFileAfterRead matches(*m_autosave);
    struct WatchAfterRead {
        TForm1 &form;
        ~WatchAfterRead() { form.followCardFile(); }
    } watch{*this};
    bool isCard = false;
    OpenCardFile(m_doc, path, &isCard);
    if (isCard)
        m_recent.add(path);
}

bool TForm1::restoreLeftCopy(const LeftCopy &copy)
{
    m_doc.ClearBoxes();
    m_history.clear();
    m_doc.SetDocFileName(copy.docFileName.isEmpty() ? Msg::defaultDocumentName() : copy.docFileName);
    updateTitle();
    followCardFile();
    EditorFollowsCurrentBox follow(m_doc, Edit1);
    QString failure;
    try {
        if (LoadLeftCopy(m_doc, copy))
            return true;
    } catch (const TaveloError &error) {
        failure = error.message();
    }
    // What could not be read back is no work to keep under the card's name:
    // an empty or half-read card saved there would replace the real one.
    // The window holds a new card, and the copy is set aside for the user.
    ResetDocument();
    const QString kept = m_recovery->setAsideClaimed(copy.id);
    if (!failure.isEmpty())
        ErrorGuard::presenter()->error(this, errorBoxText(failure));
    ErrorGuard::presenter()->information(this, Msg::recoveryCopyKept(kept), MsgButton::Ok);
    return false;
}

void TForm1::MenuSaveClick()
{
    SaveDocument();
}

void TForm1::MenuSaveAsClick()
{
    SaveDocumentAs();
}

// A copy of the card with copies of its pictures in one folder; the card
// in the window stays as it is, with its own file.
void TForm1::MenuPackCardClick()
{
    const QFileInfo card(m_doc.DocFileName());
    const QString start = card.isAbsolute() ? card.absolutePath() : QString();
    const std::optional<QString> folder = fileDialogs().folder(this, Msg::packFolderTitle(), start);
    if (!folder)
        return;
    const QString shown = QDir::toNativeSeparators(QFileInfo(*folder).absoluteFilePath());
    if (CardPack::holdsFiles(*folder)
        && ErrorGuard::presenter()->information(this, Msg::askPackIntoFolder(shown), MsgButton::Yes | MsgButton::No) != mrYes)
        return;
    const CardPack::Packed packed = CardPack::pack(m_doc, *folder, CardPack::Existing::Replace);
    if (packed.cardFile.isEmpty())
        return;   // the card's text cannot be stored: the message said so
    QString told = Msg::cardPacked(QDir::toNativeSeparators(packed.cardFile), packed.pictures.size());
    if (!packed.missing.isEmpty())
        told += QStringLiteral("\n\n") + Msg::picturesNotPacked(packed.missing);
    ErrorGuard::presenter()->information(this, told, MsgButton::Ok);
}

bool TForm1::SaveDocument()
{
    if (m_doc.DocFileName() == Msg::defaultDocumentName())
        return SaveDocumentAs();
    switch (confirmSaveOverDisk()) {
    case mrOverwrite:
        break;
    case mrSaveAs:
        return SaveDocumentAs();
    default:
        return false;   // nothing saved: a close or New that asked for the save does not go on
    }
    // A card the file cannot hold is not written (the message says why), and
    // the command that asked for the save does not go on as if it were.
    return writeDocument();
}

int TForm1::confirmSaveOverDisk()
{
    const QString &name = m_doc.DocFileName();
    switch (cardFileOnDisk(m_doc)) {
    case DiskChange::None:
        break;
    case DiskChange::Changed:
        return ErrorGuard::presenter()->information(this, Msg::askOverwriteChanged(name),
                                                    MsgButton::Overwrite | MsgButton::SaveAs | MsgButton::Cancel);
    case DiskChange::Missing: {
        // Deleted or moved by another program: saving puts the card back
        // there, which the user may not want either.
        const int answer = ErrorGuard::presenter()->information(this, Msg::askSaveVanished(name),
                                                                MsgButton::Yes | MsgButton::SaveAs | MsgButton::Cancel);
        return answer == mrYes ? int(mrOverwrite) : answer;
    }
    }
    return mrOverwrite;
}

bool TForm1::SaveDocumentAs()
{
    const std::optional<QString> chosen = fileDialogs().save(this, cardFileRequest(m_doc.DocFileName()));
    if (!chosen)
        return false;
    m_doc.SetDocFileName(*chosen);
    // The file was chosen to be written, whatever it holds now.
    m_doc.setDiskFingerprint(std::nullopt);
    updateTitle();
    return writeDocument();
}

bool TForm1::writeDocument()
{
    if (!SaveCardFile(m_doc))
        return false;
    m_autosave->cardMatchesFile();
    m_recent.add(m_doc.DocFileName());
    followCardFile();
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
