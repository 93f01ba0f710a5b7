#pragma once

#include <QString>

// The top-level error report: a modal box with the text (a period added when it has
// none), the application's title, a stop icon and OK. The program goes on afterwards.
void ReportError(const QString& text);
void ReportCurrentException(); // call only inside a catch block
