#include "app/UtMain.h"
#include "data/UtDM.h"
#include "help/StoHtmlHelp.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    RegisterHtmlHelpViewer();
    app.HelpFile = QStringLiteral("budget.chm");
    DM = new TDM(&app);
    int result = 0;
    {
        TFrmMain frmMain;
        frmMain.show();
        result = app.exec();
    }
    ReleaseHtmlHelpViewer();
    return result;
}
