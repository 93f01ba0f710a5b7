#pragma once

#include <QDialog>

// Results of a modal window, as the openers read them.
constexpr int mrOK = 1;
constexpr int mrCancel = 2;

// Shows a window modally and gives the result the openers check: mrOK or mrCancel.
// A window with an opener blocks only the opener and its own openers, so a help window,
// which belongs to no program window, stays usable beside it.
inline int ShowModal(QDialog& dialog) {
    if (dialog.parentWidget())
        dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec() == QDialog::Accepted ? mrOK : mrCancel;
}
