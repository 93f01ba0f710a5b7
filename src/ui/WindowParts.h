#pragma once

#include <QRect>
#include <QString>
#include <initializer_list>

class QDialog;
class QPushButton;
class QWidget;

// What the program's modal windows share in how they are put together.

// A fixed-size window in bold with only the system menu and the close box.
void SetupFixedWindow(QDialog* window, const QString& caption, int clientWidth, int clientHeight);

// Gives a control its name (tests and tools find it by that) and its place.
template <class W> W* Placed(W* control, const char* name, const QRect& geometry) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

// The schema declares the one-line text columns (names, URL, from, for) VARCHAR(255); the
// boxes that fill them take no more.
constexpr int TextColumnLength = 255;

// A text as it is saved: trimmed, and with control characters taken out, since a NUL
// would cut a statement short and the others have no business in a name. A memo keeps
// its line breaks and tabs.
QString SavedText(const QString& text, bool memo = false);

// Tab order through the given controls, in this order.
void SetTabOrder(std::initializer_list<QWidget*> controls);

// The window's help topic: its help button and F1 anywhere in it ask for it (the
// window carries the context, so a control inside may carry one of its own).
void SetHelpContext(QDialog* window, int context, QPushButton* helpButton);
