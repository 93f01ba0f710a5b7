#pragma once

#include "app/ErrorReport.h"

#include <QDialog>

// Shows a window modally and gives the result the openers check: mrOK or mrCancel.
inline int ShowModal(QDialog& dialog) { return dialog.exec() == QDialog::Accepted ? mrOK : mrCancel; }
