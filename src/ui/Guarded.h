#pragma once

#include "ui/ErrorReport.h"

#include <QObject>
#include <type_traits>

// Runs a handler; anything it throws goes to the top-level report. Qt does not let
// exceptions cross its own frames, so every event handler that can fail runs in here.
template <class F> void Guarded(F&& f) {
    try {
        f();
    } catch (...) {
        ReportCurrentException();
    }
}

// Connects a signal to a handler that runs guarded: an exception it throws reaches the
// top-level report instead of unwinding through Qt.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection GuardedConnect(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&...) {
        Guarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                (receiver->*handler)();
            } else {
                (void)receiver; // only the context of the connection
                handler();
            }
        });
    });
}
