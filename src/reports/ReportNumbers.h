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

// A sum of money values that never overflows: 128 bits hold the sum of more rows than a
// file can have, however large each one.
class TMoneySum {
public:
    TMoneySum() = default;
    static TMoneySum FromWide(WideInt raw) {
        TMoneySum s;
        s.m_raw = raw;
        return s;
    }
    void Add(Money m) { m_raw += m.raw(); }
    void Add(const TMoneySum& o) { m_raw += o.m_raw; }
    void Subtract(const TMoneySum& o) { m_raw -= o.m_raw; }
    WideInt Raw() const { return m_raw; }
    bool IsZero() const { return m_raw == 0; }
    // Whether the sum is a money value at all.
    bool InRange() const;
    // The sum, or the nearest end of the money range when it lies beyond it.
    Money Clamped() const;
    double ToDouble() const { return double(m_raw) / Money::Scale; }
    bool operator==(const TMoneySum&) const = default;

private:
    WideInt m_raw = 0;
};

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
    TMoneySum in, out;
    TMoneySum Net() const {
        TMoneySum n = in;
        n.Subtract(out);
        return n;
    }
};
// One row for every calendar month the period touches, months without records included.
std::vector<TMonthRow> IncomeByMonth(TConnection& conn, const TReportScope& scope,
                                     const TReportPeriod& period);

// Spending by purpose: debits by their For, with case and surrounding blanks folded.
struct TPurposeRow {
    QString purpose; // as most of its debits spell it; "(none)" for an empty one; "Other"
    TMoneySum amount;
    int records = 0;
};
// The ten largest purposes, largest first, and "Other" for the rest when there is any.
struct TPurposeReport {
    std::vector<TPurposeRow> rows;
    TMoneySum total;
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
    TMoneySum balance;
    TMoneySum change; // what the day's records moved it by
};
struct TBalanceReport {
    TMoneySum opening; // at the end of the day before the period
    std::vector<TBalancePoint> days;
    TMoneySum stored; // the stored balances of the chosen rows now
};
TBalanceReport BalanceOverTime(TConnection& conn, const TReportScope& scope,
                               const TReportPeriod& period);

// The statements behind the reports, one row a record, for whoever runs them alone (the
// benchmark). The days run from :d1; with `toEnd`, and for purposes, up to before :d2.
QString MovementStatement(const TReportScope& scope, bool toEnd);
QString PurposeStatement(const TReportScope& scope);
