#include "ui/HelpContext.h"

#include "ui/Guarded.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace {

const char* const kHelpContext = "HelpContext";
HelpContextHandler g_handler = nullptr;

// F1 in any window. The main window's own F1 (the table of contents) is a menu
// shortcut, which Qt serves before the key reaches anyone, so only the other windows
// come here.
class HelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || key->isAutoRepeat())
            return false;
        const int context = FindHelpContext(static_cast<QWidget*>(watched));
        if (context == 0)
            return false;
        Guarded([context] { ShowHelpContext(context); });
        return true;
    }
};

void installHelpKey() {
    static HelpKey* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new HelpKey(qApp);
    qApp->installEventFilter(filter);
}

} // namespace

void SetHelpContext(QWidget* widget, int context) {
    widget->setProperty(kHelpContext, context);
    installHelpKey();
}

int FindHelpContext(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (const int context = w->property(kHelpContext).toInt())
            return context;
        // A dialog's parent is the window that opened it, whose help is not its own;
        // a drop-down list's popup belongs to its control.
        if (w->isWindow() && w->windowType() != Qt::Popup)
            break;
    }
    return 0;
}

void ShowHelpContext(int context) {
    if (context != 0 && g_handler)
        g_handler(context);
}

void SetHelpContextHandler(HelpContextHandler handler) {
    g_handler = handler;
}

void ShowHelpFor(const QWidget* widget) {
    ShowHelpContext(FindHelpContext(widget));
}
