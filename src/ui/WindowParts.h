#pragma once

#include "data/UtFormat.h"

#include <QRect>
#include <QString>
#include <initializer_list>

class QComboBox;
class QDateTimeEdit;
class QDialog;
class QGroupBox;
class QLabel;
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

// The controls the windows are made of, named and placed.
QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
// A label as wide as its caption, with its top left corner there.
QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QPoint& at);
QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry);
// A drop-down list without typing, fifteen rows when open; a narrow closed box opens onto
// whole names.
QComboBox* PickList(QWidget* parent, const char* name, const QRect& geometry);

// A date picker (a date edit, or a date and time edit that shows the date) with the
// calendar drop-down, showing the date in the given form. A slim one leaves a narrow box
// to the date: no padding, a thin drop-down button and text of that many pixels.
void SetUpDatePicker(QDateTimeEdit* picker, const char* name, const QRect& geometry,
                     const QString& format, int slimTextPixels);
template <class Picker>
Picker* DatePicker(Picker* picker, const char* name, const QRect& geometry,
                   const QString& format = FourDigitYearDateFormat(), int slimTextPixels = 0) {
    SetUpDatePicker(picker, name, geometry, format, slimTextPixels);
    return picker;
}

// The schema declares the one-line text columns (names, URL, from, for) VARCHAR(255); the
// boxes that fill them take no more.
constexpr int TextColumnLength = 255;

// A text as it is saved: trimmed, and with control characters taken out, since a NUL
// would cut a statement short and the others have no business in a name, and with no
// half of a character left. A memo keeps its line breaks and tabs.
QString SavedText(const QString& text, bool memo = false);

// Tab order through the given controls, in this order.
void SetTabOrder(std::initializer_list<QWidget*> controls);

// The window's help topic: its help button and F1 anywhere in it ask for it (the
// window carries the context, so a control inside may carry one of its own).
void SetHelpContext(QDialog* window, int context, QPushButton* helpButton);
