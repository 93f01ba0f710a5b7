#pragma once

#include <QCursor>
#include <QGuiApplication>

// The wait pointer while it lives, taken back however the scope is left. It shows from
// Show() on, which it calls itself when made unless told to wait; without a windowing
// application object (a command-line tool) there is no pointer to change.
class TWaitCursor {
public:
    enum class When { Now, Later };
    explicit TWaitCursor(When when = When::Now) {
        if (when == When::Now)
            Show();
    }
    ~TWaitCursor() {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

    void Show() {
        if (m_shown || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_shown = true;
    }

private:
    bool m_shown = false;
};
