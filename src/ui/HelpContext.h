#pragma once

class QWidget;

// Help contexts. A window or control carries one through SetHelpContext; that one
// call is all a window needs for F1 to open its topic. F1 and help buttons ask for
// the context of the focused control (or the button), else of its nearest enclosing
// control or window that carries a non-zero one.
void SetHelpContext(QWidget* widget, int context);
// 0 when neither the widget nor anything around it up to its window carries one.
int FindHelpContext(const QWidget* widget);

// Asks the application's help for the topic of that context; nothing for 0.
void ShowHelpContext(int context);
// Who serves those requests: the help dispatcher registers itself at start-up; until
// then a request does nothing.
using HelpContextHandler = void (*)(int context);
void SetHelpContextHandler(HelpContextHandler handler);
// Asks for the topic of the widget's context as found above; nothing when none.
void ShowHelpFor(const QWidget* widget);
