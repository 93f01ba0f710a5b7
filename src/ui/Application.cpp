#include "ui/Application.h"

#include "ui/ErrorReport.h"

QString ApplicationTitle() { return QStringLiteral("Velmora Budget"); }

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
