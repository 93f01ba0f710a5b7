#include "ui/Application.h"
#include "app/UtMain.h"
#include "data/UtDM.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    app.HelpFile = QStringLiteral("budget.chm");
    DM = new TDM(&app);
    TFrmMain frmMain;
    frmMain.show();
    return app.exec();
}
