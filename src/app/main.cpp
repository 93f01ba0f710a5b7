#include "app/UtMain.h"
#include "data/UtDM.h"
#include "help/StoHtmlHelp.h"
#include "ui/Application.h"
#include "ui/Skin.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    // Ties the windows to the desktop's menu entry, whose icon they show as well.
    QGuiApplication::setDesktopFileName(QStringLiteral(BUDGET_APP_ID));
    QApplication::setWindowIcon(WindowPicture());
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
