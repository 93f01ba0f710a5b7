#pragma once

#include "data/UtFormat.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QRect>
#include <QString>
#include <initializer_list>

class QComboBox;
class QDialog;
class QGroupBox;
class QIcon;
class QLabel;
class QPushButton;
class QRadioButton;
class QSize;
class QToolBar;
class QToolButton;

// What the program's modal windows share in how they are put together.

// A fixed-size window in bold with only the system menu and the close box.
void SetupFixedWindow(QDialog* window, const QString& caption, int clientWidth, int clientHeight);

// Sizes a shown window so that its outer size, frame and title bar included, is the
// given one, keeping its centre where it is. The frame is the window system's: known
// only once the window is on the screen.
void SetOuterSize(QWidget* window, const QSize& outer);

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
// A window's own toolbar `tlb1`: fixed in place, 57 pixels high, for 32-pixel pictures.
QToolBar* WindowToolbar(QWidget* parent);
// A button of a window's toolbar, added at its end: the picture with the caption below it,
// at least 44 x 52, flat until the pointer is on it, and never taking the focus away from
// the list the command works on.
QToolButton* ToolbarButton(QToolBar* bar, const char* name, const QString& caption,
                           const QIcon& picture);
// A drop-down list without typing, fifteen rows when open; a narrow closed box opens onto
// whole names.
QComboBox* PickList(QWidget* parent, const char* name, const QRect& geometry);

// A date picker is one stop in the tab order, as the windows list their controls: Tab
// and Backtab leave it from whichever part holds the cursor, and the arrow keys left and
// right (with Ctrl too) move between its day, month and year. Qt's own date edit stops
// at each part in turn.
template <class Base> class TDatePicker : public Base {
public:
    using Base::Base;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    void keyPressEvent(QKeyEvent* e) override {
        const bool left = e->key() == Qt::Key_Left, right = e->key() == Qt::Key_Right;
        if ((left || right) && !(e->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
            const int to = this->currentSectionIndex() + (right ? 1 : -1);
            // The edit's own step to the neighbouring part, which also selects it; past
            // either end it would leave the picker, so there it stays.
            if (to >= 0 && to < this->sectionCount())
                QDateTimeEdit::focusNextPrevChild(right);
            e->accept();
            return;
        }
        Base::keyPressEvent(e);
    }
};

// A date picker (a date edit, or a date and time edit that shows the date) with the
// calendar drop-down, showing the date in the given form. A slim one leaves a narrow box
// to the date: no padding, a thin drop-down button and text of that many pixels.
void SetUpDatePicker(QDateTimeEdit* picker, const char* name, const QRect& geometry,
                     const QString& format, int slimTextPixels);
template <class Picker = QDateEdit>
Picker* DatePicker(QWidget* parent, const char* name, const QRect& geometry,
                   const QString& format = FourDigitYearDateFormat(), int slimTextPixels = 0) {
    Picker* picker = new TDatePicker<Picker>(parent);
    SetUpDatePicker(picker, name, geometry, format, slimTextPixels);
    return picker;
}

// Tab into a pair (or group) of radio buttons lands on the checked one, wherever the
// check was set from; the arrow keys reach the others. Qt stops on the first of them
// until one has had the focus.
void TabToCheckedRadio(std::initializer_list<QRadioButton*> buttons);

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
