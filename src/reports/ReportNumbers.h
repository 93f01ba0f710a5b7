#pragma once

#include "data/Money.h"

#include <QDate>
#include <QString>
#include <vector>

class TConnection;
struct TCboItem;

// The numbers behind the reports window: which accounts and wallets, which days, and the
// three reports worked out from the tables. Amounts are added up exactly, in 128 bits, so
// a total beyond what Money holds is told as such rather than wrapped.

// Which Account rows a report takes in.
struct TReportScope {
    enum Kind { All, Accounts, Wallets, One };
    Kind kind = All;
    int id = 0; // for One

    // As the history window's account list reads: "-----All-----" (index 0),
    // "---Account---" (index 1), an entry with its item, or "---Wallet---".
    static TReportScope FromEntry(int index, const TCboItem* item);
    // The condition an Account row under this alias meets when it is in the scope.
    QString Condition(const QString& alias) const;
};

// Whole days, both ends included.
struct TReportPeriod {
    QDate from, to;
};

// The period presets, in the order the window offers them.
enum class TPeriodPreset { ThisMonth, Last12Months, ThisYear, LastYear, All, Dates };
QStringList PeriodEntries();
// The days of a preset on the given day; "All" runs from the first record of any account
// to the last or to today, whichever is later. Dates gives back `custom`.
TReportPeriod PresetPeriod(TConnection& conn, TPeriodPreset preset, const QDate& today,
                           const TReportPeriod& custom = {});

// Income and spending by month: money into and out of the chosen accounts and wallets.
// Deposits and transfers from outside come in, debits and transfers to outside go out;
// a transfer between two of them moves nothing and is left out.
struct TMonthRow {
    QDate month; // its first day
    MoneySum in, out;
    MoneySum Net() const {
        MoneySum n = in;
        n.subtract(out);
        return n;
    }
};
// One row for every calendar month the period touches, months without records included.
std::vector<TMonthRow> IncomeByMonth(TConnection& conn, const TReportScope& scope,
                                     const TReportPeriod& period);

// Spending by purpose: debits by their For, with case and surrounding blanks folded.
struct TPurposeRow {
    QString purpose; // as most of its debits spell it; "(none)" for an empty one; "Other"
    MoneySum amount;
    int records = 0;
};
// The ten largest purposes, largest first, and "Other" for the rest when there is any.
struct TPurposeReport {
    std::vector<TPurposeRow> rows;
    MoneySum total;
};
TPurposeReport SpendingByPurpose(TConnection& conn, const TReportScope& scope,
                                 const TReportPeriod& period, int largest = 10);
// "(none)" and "Other", as the report names them.
QString NoPurposeText();
QString OtherPurposesText();

// Balance over time: the balance at the end of each day. It is found backward from the
// stored balances, taking back every later deposit, debit and transfer by what it moved
// the balance (its amount rounded to two decimals), so the line ends where the balances
// stand now.
struct TBalancePoint {
    QDate day;
    MoneySum balance;
    MoneySum change; // what the day's records moved it by
};
struct TBalanceReport {
    MoneySum opening; // at the end of the day before the period
    std::vector<TBalancePoint> days;
    MoneySum stored; // the stored balances of the chosen rows now
};
TBalanceReport BalanceOverTime(TConnection& conn, const TReportScope& scope,
                               const TReportPeriod& period);

// The statements behind the reports, one row a record, for whoever runs them alone (the
// benchmark). The days run from :d1; with `toEnd`, and for purposes, up to before :d2.
QString MovementStatement(const TReportScope& scope, bool toEnd);
QString PurposeStatement(const TReportScope& scope);
