// Document commands: New, Open, Save, Save As and the close query.
#include "Main.h"

#include "Messages.h"

void TForm1::ResetDocument()
{
    m_doc.ClearBoxes();
    m_doc.SetDocFileName(Msg::defaultDocumentName());
    updateTitle();
    m_doc.setPrintSettings({1, 0, 0});
}

void TForm1::MenuNewClick()
{
    ResetDocument();
}

void TForm1::MenuOpenClick() {}
void TForm1::MenuSaveClick() {}
void TForm1::MenuSaveAsClick() {}
bool TForm1::SaveDocument() { return false; }
bool TForm1::SaveDocumentAs() { return false; }

bool TForm1::FormCloseQuery()
{
    return true;
}
