#include "app/ErrorReport.h"

#include "data/Errors.h"
#include "platform/Platform.h"

QString ApplicationTitle() { return QStringLiteral("Velmora Budget"); }

void ReportError(const QString& text)
{
    QString shown = text.trimmed();
    if (!shown.endsWith(u'.'))
        shown += u'.';
    ShowMessage(QApplication::activeWindow(), ApplicationTitle(), shown, MsgIcon::Error, mbOK);
}

void ReportCurrentException()
{
    try {
        throw;
    } catch (const EBudgetError& e) {
        ReportError(e.message());
    } catch (const std::exception& e) {
        ReportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Unknown error"));
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(ApplicationTitle());
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

TApplication* Application() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

void ShowHelpContext(QWidget* caller, int context)
{
    const TApplication* app = Application();
    HtmlHelp().HtmlHelpA(caller, app ? app->HelpFile : QStringLiteral("budget.chm"), HH_HELP_CONTEXT, context);
}
