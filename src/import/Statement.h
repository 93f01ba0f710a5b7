#pragma once

#include "data/Money.h"

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

// What a bank statement holds once read, whatever its format.

// One line of a statement: a payment in or out. A line that cannot be imported keeps
// why in Error, and is shown but never saved.
struct TStatementLine {
    int LineNo = 0; // where it starts in the file, from 1
    QDate Date;
    QString Party;
    QString Purpose;
    QString Memo;
    Money Amount;     // money in above zero, money out below
    QString SourceId; // the bank's own id of the line (OFX FITID); empty when none
    int Account = 0;  // the statement account it belongs to (TStatement::Accounts)
    QString Error;    // "amount '12,3,4' is not a number"; empty for a good line
};

// An account the file speaks of: an OFX statement's account, a QIF !Account block.
struct TStatementAccount {
    QString Id;   // the bank's account number, as the file gives it
    QString Name; // a name or kind to tell it by ("Credit card", a QIF account's name)
};

enum class StatementFormat { Csv, Ofx, Qif };

struct TStatement {
    StatementFormat Format = StatementFormat::Csv;
    // Never empty once read: a file that names no account gets one without an id.
    std::vector<TStatementAccount> Accounts;
    std::vector<TStatementLine> Lines;
};

// How far reading has got, for a progress dialog: called now and then with the bytes
// or lines done out of the whole. Returning false cancels.
using TProgress = std::function<bool(qint64 done, qint64 total)>;

// Thrown when a file cannot be read as a statement at all ("The file ... is not a
// statement: it holds binary data."), or when reading was cancelled.
struct EStatementUnreadable {
    QString Message;
};
struct EStatementCancelled {};

// Calls the progress every `step` units and throws EStatementCancelled when it says so.
class TProgressTicker {
public:
    TProgressTicker(const TProgress& progress, qint64 total, qint64 step = 2000)
        : m_progress(progress), m_total(total), m_step(step) {}
    void operator()(qint64 done) {
        if (!m_progress || done < m_next)
            return;
        m_next = done + m_step;
        if (!m_progress(done, m_total))
            throw EStatementCancelled{};
    }

private:
    const TProgress& m_progress;
    qint64 m_total;
    qint64 m_step;
    qint64 m_next = 0;
};
