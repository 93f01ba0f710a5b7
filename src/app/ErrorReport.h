#pragma once

#include <QApplication>
#include <QString>
#include <exception>

// The program's title, the caption of the top-level error report.
QString ApplicationTitle();

// The top-level error report: a modal box with the text (a period added when it has
// none), the application's title, a stop icon and OK. The program goes on afterwards.
void ReportError(const QString& text);
void ReportCurrentException(); // call only inside a catch block

// Runs a handler; anything it throws goes to the top-level report. Qt does not let
// exceptions cross its own frames, so every event handler that can fail runs in here.
template <class F> void Guarded(F&& f)
{
    try {
        f();
    } catch (...) {
        ReportCurrentException();
    }
}

// The application object: its help file name, and a last-resort catch for any
// exception that escapes an event handler.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    QString HelpFile;
};

// The running application object, or null (tests may run without one).
TApplication* Application();

// Results of a modal window, as the openers read them.
constexpr int mrOK = 1;
constexpr int mrCancel = 2;

// Connects a signal to a handler that runs guarded: an exception it throws reaches the
// top-level report instead of unwinding through Qt.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection GuardedConnect(Sender* sender, Signal signal, Receiver* receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&...) {
        Guarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>)
                (receiver->*handler)();
            else
                handler();
        });
    });
}

// Asks the help for a topic by its context number, from the given window.
void ShowHelpContext(QWidget* caller, int context);
