// Printing: the print settings dialog, the preview and the print command.
#include "Main.h"

#include "PrintOp.h"

void TForm1::MenuPrintOptionClick()
{
    PrintSet->exec();
}

void TForm1::MenuPrintPreviewClick() {}
void TForm1::MenuPrintClick() {}
