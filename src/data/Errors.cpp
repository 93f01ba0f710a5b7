#include "data/Errors.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {
TErrorReport g_report = nullptr;
} // namespace

QString FileErrorText(const char* what, const QString& path, const QString& reason) {
    return QStringLiteral("%1 \"%2\". %3")
        .arg(QLatin1String(what), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
             reason);
}

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
