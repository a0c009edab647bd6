#include "PrintOp.h"

#include "Main.h"
#include "Messages.h"

TPrintSet::TPrintSet(TForm1 *mainWindow) : QDialog(mainWindow), m_main(mainWindow)
{
    setObjectName(QStringLiteral("PrintSet"));
    setWindowTitle(Msg::printSetCaption());
}
