#pragma once

#include <QString>
#include <stdexcept>

// Every failure the program reports is one of these; the text is what the user sees.
class EBudgetError : public std::runtime_error {
public:
    explicit EBudgetError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// An error raised by the database engine, carrying the engine's own message and, where
// the engine gave one, its result code (a lock held by another program is told apart so).
class EDatabaseError : public EBudgetError {
public:
    explicit EDatabaseError(const QString& message, int engineCode = 0)
        : EBudgetError(message), m_engineCode(engineCode) {}
    int engineCode() const { return m_engineCode; }

private:
    int m_engineCode;
};

// The top-level error report, for a failure that nothing above the data layer is there
// to catch (the data module's start-up). The application object installs the program's
// report at its creation; until then such a failure goes to the debug log.
using TErrorReport = void (*)(); // called inside a catch block
void SetTopLevelErrorReport(TErrorReport report);
// Hands the exception being handled to that report; call only inside a catch block.
void ReportCurrentError();
