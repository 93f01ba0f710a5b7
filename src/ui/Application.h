#pragma once

#include <QApplication>
#include <QFont>
#include <QString>

// The program's title, the caption of the top-level error report.
QString ApplicationTitle();

// The application object: its help file name, and a last-resort catch for any
// exception that escapes an event handler.
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
