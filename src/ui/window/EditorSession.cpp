#include "window/EditorSession.h"

#include "base/MessageSink.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "editing/CardHistory.h"
#include "qr/QrCaption.h"
#include "sheet/FaceFallback.h"
#include "sheet/FontMapping.h"
#include "widgets/BoxPanels.h"
#include "widgets/InlineEditor.h"

#include <algorithm>

namespace {

// The editor is one line: over a vertical box it lies across the box's top,
// as long as the box's line and as high as its characters are wide.
BoxBounds editorBounds(const TextBox &box)
{
    if (!box.Setting.vertical)
        return box.bounds;
    BoxBounds b = box.bounds;
    b.Width = std::max(box.bounds.Width, box.bounds.Height);
    b.Height = box.bounds.Width;
    return b;
}

} // namespace

EditorSession::EditorSession(CardDocument &doc, CardHistory &history, InlineEditor &editor)
    : m_doc(doc), m_history(history), m_editor(editor)
{
    QObject::connect(&m_doc, &CardDocument::textBoxRemoved, &m_editor, [this] { onTextBoxRemoved(); });
}

bool EditorSession::isOpen() const
{
    return !m_editor.isHidden();
}

void EditorSession::open(int slot)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    if (!box)
        throw TaveloError(Msg::invalidTypecast());
    showFont(box->Font);
    m_editor.setText(box->Caption);
    m_slot = slot;
    m_editor.setGeometry(m_scale.toScreen(editorBounds(*box)));
    m_editor.show();
    m_editor.setFocus(Qt::OtherFocusReason);
    m_editor.deselect();
    m_editor.raise();
    m_doc.beginEditing(slot);
}

void EditorSession::commit()
{
    const BoxRef current = m_doc.CurrentBox();
    if (!current.isText() || !m_doc.TextBoxes(current.slot))
        throw TaveloError(Msg::invalidTypecast());
    const QString before = m_doc.TextBoxes(current.slot)->Caption;
    const QString typed = m_editor.text();
    m_history.setCaption(current.slot, typed);
    m_doc.commitEditing(current.slot);
    // Told once, when the caption changes: the message box takes the focus,
    // and the commit it causes finds the caption as it is.
    if (typed != before)
        tellUnshowable(current.slot, before, typed);
}

void EditorSession::tellUnshowable(int slot, const QString &before, const QString &typed)
{
    const TextBox *box = m_doc.TextBoxes(slot);
    MessageSink *sink = m_doc.messageSink();
    if (!box || !sink || isQrCaption(typed))
        return;
    const QFont font = FontMapping::toQFont(box->Font);
    const QList<char32_t> toldBefore = isQrCaption(before) ? QList<char32_t>() : FaceFallback::missingCharacters(font, before);
    QStringList listed;
    for (const char32_t c : FaceFallback::missingCharacters(font, typed)) {
        if (!toldBefore.contains(c))
            listed << QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    }
    if (!listed.isEmpty())
        sink->information(Msg::unshowableCharacters(box->Name(), listed.join(QStringLiteral(", "))), MsgButton::Ok);
}

void EditorSession::close()
{
    if (!isOpen())
        return;
    commit();
    m_editor.hide();
    m_editor.clearFocus();
}

void EditorSession::discard()
{
    m_editor.hide();
    m_editor.clearFocus();
    m_editor.clear();
}

void EditorSession::showFont(const BoxFont &font)
{
    m_editor.setFont(zoomedFont(font, m_scale));
    QPalette palette = m_editor.palette();
    palette.setColor(QPalette::Text, FontMapping::toQColor(font.color()));
    m_editor.setPalette(palette);
}

void EditorSession::setScale(const ViewScale &scale)
{
    m_scale = scale;
    if (!isOpen())
        return;
    if (const TextBox *box = m_doc.TextBoxes(m_slot)) {
        m_editor.setGeometry(m_scale.toScreen(editorBounds(*box)));
        showFont(box->Font);
    }
}

QString EditorSession::text() const
{
    return m_editor.text();
}

void EditorSession::setText(const QString &text)
{
    m_editor.setText(text);
}

void EditorSession::onTextBoxRemoved()
{
    if (isOpen() && !m_doc.CurrentBox().isText())
        discard();
}
