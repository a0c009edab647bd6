// Start-up: the application object, its title, the three windows, the loop.
#include "ErrorGuard.h"
#include "FontMapping.h"
#include "Main.h"
#include "Messages.h"
#include "ToolIcons.h"

int main(int argc, char **argv)
{
    TaveloApplication app(argc, argv);
    app.setWindowIcon(ToolIcons::program());
    app.setApplicationName(Msg::applicationTitle());
    FontMapping::installFaceSubstitutions();

    TForm1 form;   // creates the About box and the print settings dialog, hidden
    form.show();
    return app.exec();
}
