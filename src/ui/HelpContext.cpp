#include "ui/HelpContext.h"

#include "platform/Platform.h"
#include "ui/Application.h"

void ShowHelpContext(QWidget* caller, int context)
{
    const TApplication* app = Application();
    HtmlHelp().HtmlHelpA(caller, app ? app->HelpFile : QStringLiteral("budget.chm"), HH_HELP_CONTEXT, context);
}
