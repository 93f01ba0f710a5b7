#include "ui/Application.h"

#include "data/Errors.h"
#include "ui/ErrorReport.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ApplicationTitle());
    SetTopLevelErrorReport(&ReportCurrentException);
    UseWindowFont();
}

void UseWindowFont() {
    // The windows' sizes were made for this face. Where it is missing, Liberation Sans
    // (Debian's fonts-liberation), close to it in width and height, stands in; the
    // windows go on asking for it by name, and the export files write that name.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QApplication::setFont(WindowFont());
}

QFont WindowFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

TApplication* Application() {
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}
