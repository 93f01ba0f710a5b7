#pragma once

#include "data/AppPaths.h"

#include <QApplication>
#include <QFont>
#include <QString>

// The application object: its help file name, and a last-resort catch for any
// exception that escapes an event handler. Made first, it installs the top-level error
// report as the one the lower layers hand their failures to.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    QString HelpFile;
};

// The face every window of the program is set in: "MS Sans Serif" 8 pt.
QFont WindowFont();
// Makes it the application's font, with a stand-in face where it is missing; the
// application object does this at its creation.
void UseWindowFont();

// The running application object, or null (tests may run without one).
TApplication* Application();
