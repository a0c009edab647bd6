#pragma once
// The pictures of the tool bar buttons and the program's icon, drawn in code.
#include <QIcon>

namespace ToolIcons {
QIcon newCard();
QIcon openCard();
QIcon saveCard();
QIcon exitProgram();
QIcon newTextBox();
QIcon newImageBox();
QIcon printView();
QIcon program();
}
