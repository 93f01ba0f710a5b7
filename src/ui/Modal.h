#pragma once

#include <QDialog>

// Results of a modal window, as the openers read them.
constexpr int mrOK = 1;
constexpr int mrCancel = 2;

// Shows a window modally and gives the result the openers check: mrOK or mrCancel.
inline int ShowModal(QDialog& dialog) { return dialog.exec() == QDialog::Accepted ? mrOK : mrCancel; }
