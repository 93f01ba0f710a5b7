#include "ui/ErrorReport.h"

#include "data/Errors.h"
#include "platform/Platform.h"
#include "ui/Application.h"

#include <exception>

void ReportError(const QString& text) {
    QString shown = text.trimmed();
    if (!shown.endsWith(u'.'))
        shown += u'.';
    ShowMessage(QApplication::activeWindow(), ApplicationTitle(), shown, MsgIcon::Error, mbOK);
}

void ReportCurrentException() {
    try {
        throw;
    } catch (const EBudgetError& e) {
        ReportError(e.message());
    } catch (const std::exception& e) {
        ReportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Unknown error"));
    }
}
