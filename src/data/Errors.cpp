#include "data/Errors.h"

#include <QDebug>

namespace {
TErrorReport g_report = nullptr;
} // namespace

void SetTopLevelErrorReport(TErrorReport report) {
    g_report = report;
}

void ReportCurrentError() {
    if (g_report) {
        g_report();
        return;
    }
    try {
        throw;
    } catch (const EBudgetError& e) {
        qWarning().noquote() << e.message();
    } catch (const std::exception& e) {
        qWarning().noquote() << e.what();
    } catch (...) {
        qWarning("Unknown error");
    }
}
