#include "reports/ReportNumbers.h"

#include "data/RowStream.h"
#include "data/UtDM.h"
#include "data/UtQuery.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

// The statements hand out one row a record and the program adds them up: the engine
// sorts every row to group them, which took longer than the whole report may (a second
// for the million records of ten years), while the rows come out of its indexes in date
// order and add up in one pass. Sums are 128 bits wide, so none can overflow.

namespace {

// An amount as Money reads a stored one: the nearest ten-thousandth, a value beyond the
// range as its nearest end. Rounded here rather than by the engine, which costs it a
// tenth of the whole statement over a million rows.
qint64 amountOf(const TRowStream& s, int column) {
    return Money::fromStored(s.Real(column)).raw();
}

TRowStream::Params days(const TReportPeriod& period) {
    const QString day = QStringLiteral("yyyy-MM-dd");
    return {{QStringLiteral("d1"), period.from.toString(day)},
            {QStringLiteral("d2"), period.to.addDays(1).toString(day)}};
}

QDate firstOfMonth(const QDate& d) {
    return QDate(d.year(), d.month(), 1);
}

bool validPeriod(const TReportPeriod& p) {
    return p.from.isValid() && p.to.isValid() && p.from <= p.to;
}

// The digits of a stored date "yyyy-MM-dd ..." as numbers; false for any other text.
bool readDay(QByteArrayView text, int& year, int& month, int& day) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return false;
    int v[8];
    for (int i = 0, k = 0; i < 10; ++i) {
        if (i == 4 || i == 7)
            continue;
        if (text[i] < '0' || text[i] > '9')
            return false;
        v[k++] = text[i] - '0';
    }
    year = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
    month = v[4] * 10 + v[5];
    day = v[6] * 10 + v[7];
    return month >= 1 && month <= 12;
}

// What a record moved a balance by: its amount rounded to cents, halves away from zero,
// as the statement that saved it wrote it.
qint64 moved(qint64 raw) {
    return Money::fromRaw(raw).roundedToCents().raw();
}

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The ids of the Account rows in a scope. Records are matched to them by the program: a
// join with Account for every one of a million records cost the statement a quarter of
// its time, and a record of a deleted account finds no id here just as it finds no row
// there.
class TScopeIds {
public:
    TScopeIds(TConnection& conn, const TReportScope& scope) {
        TQuery q(&conn);
        q.SQL << QStringLiteral("select ID from Account B where %1")
                     .arg(scope.Condition(QStringLiteral("B")));
        q.Open();
        for (q.First(); !q.Eof(); q.Next()) {
            const qint64 id = q.Field(0).AsLargeInt();
            if (id >= 0 && id < kDirect) {
                if (size_t(id) >= m_direct.size())
                    m_direct.resize(size_t(id) + 1, false);
                m_direct[size_t(id)] = true;
            } else {
                m_other.insert(id);
            }
        }
    }
    bool Has(qint64 id) const {
        if (id >= 0 && size_t(id) < m_direct.size())
            return m_direct[size_t(id)];
        return !m_other.empty() && m_other.contains(id);
    }

private:
    static constexpr qint64 kDirect = 1 << 20;
    std::vector<bool> m_direct;
    QSet<qint64> m_other;
};

// The records that move money into or out of a scope, one at a time: its deposits and
// debits, and the transfers with exactly one end in it. A transfer between two of its
// accounts and wallets moves nothing and is passed over.
class TMovements {
public:
    TMovements(TConnection& conn, const TReportScope& scope, const TReportPeriod& period,
               bool toEnd)
        : m_ids(conn, scope), m_rows(conn, MovementStatement(scope, toEnd), days(period)) {}
    bool Next() {
        while (m_rows.Next()) {
            const qint64 kind = m_rows.Int(1);
            if (kind < 2) {
                if (!m_ids.Has(m_rows.Int(2)))
                    continue;
                m_inward = kind == 0;
                return true;
            }
            const bool from = m_ids.Has(m_rows.Int(2)), to = m_ids.Has(m_rows.Int(3));
            if (from == to)
                continue;
            m_inward = to;
            return true;
        }
        return false;
    }
    QByteArrayView Day() const { return m_rows.Text(0); }
    bool Inward() const { return m_inward; }
    qint64 Amount() const { return amountOf(m_rows, 4); }

private:
    TScopeIds m_ids;
    TRowStream m_rows;
    bool m_inward = false;
};

} // namespace

TReportScope TReportScope::FromEntry(int index, const TCboItem* item) {
    if (item)
        return {One, item->ID};
    if (index == 1)
        return {Accounts, 0};
    if (index > 0)
        return {Wallets, 0};
    return {All, 0};
}

QString TReportScope::Condition(const QString& alias) const {
    switch (kind) {
    case Accounts:
        return alias + QStringLiteral(".Type in (0,1)");
    case Wallets:
        return alias + QStringLiteral(".Type = 2");
    case One:
        return alias + QStringLiteral(".ID = ") + QString::number(id);
    case All:
        break;
    }
    return alias + QStringLiteral(".ID is not null");
}

QStringList PeriodEntries() {
    return {QStringLiteral("This Month"), QStringLiteral("Last 12 Months"),
            QStringLiteral("This Year"),  QStringLiteral("Last Year"),
            QStringLiteral("All"),        QStringLiteral("Dates")};
}

TReportPeriod PresetPeriod(TConnection& conn, TPeriodPreset preset, const QDate& today,
                           const TReportPeriod& custom) {
    const QDate month = firstOfMonth(today);
    switch (preset) {
    case TPeriodPreset::ThisMonth:
        return {month, month.addMonths(1).addDays(-1)};
    case TPeriodPreset::Last12Months:
        return {month.addMonths(-11), month.addMonths(1).addDays(-1)};
    case TPeriodPreset::ThisYear:
        return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
    case TPeriodPreset::LastYear:
        return {QDate(today.year() - 1, 1, 1), QDate(today.year() - 1, 12, 31)};
    case TPeriodPreset::Dates:
        return custom;
    case TPeriodPreset::All:
        break;
    }
    // Both ends come from the date indexes; a record of a deleted account may set them, so
    // a scope can start with empty months.
    TQuery q(&conn);
    q.SQL << QStringLiteral("select min(First) as First, max(Last) as Last from ("
                            "select min(Date) as First, max(Date) as Last from Detail "
                            "where Date >= '0001' union all "
                            "select min(Date), max(Date) from Transfer where Date >= '0001')");
    q.Open();
    const auto day = [&](const char* field) {
        return QDate::fromString(q.FieldByName(QLatin1String(field)).AsString().left(10),
                                 QStringLiteral("yyyy-MM-dd"));
    };
    TReportPeriod p{day("First"), day("Last")};
    if (!p.from.isValid() || p.from > today)
        p.from = today;
    if (!p.to.isValid() || p.to < today)
        p.to = today;
    return p;
}

QString MovementStatement(const TReportScope& scope, bool toEnd) {
    // One account or wallet is narrowed down by the indexes on the account and the date.
    const QString one = QString::number(scope.id);
    const bool narrow = scope.kind == TReportScope::One;
    const auto days = [toEnd](const char* alias) {
        return QStringLiteral("%1.Date >= :d1 ").arg(QLatin1String(alias)) +
               (toEnd ? QStringLiteral("and %1.Date < :d2 ").arg(QLatin1String(alias)) : QString());
    };
    return QStringLiteral("select D.Date as Day, D.type as Kind, D.DestID as First, 0 as Second, "
                          "D.Amount from Detail D where ") +
           (narrow ? QStringLiteral("D.DestID = %1 and ").arg(one) : QString()) + days("D") +
           QStringLiteral("union all select T.Date, 2, T.SourceID, T.DestID, T.Amount "
                          "from Transfer T where ") +
           (narrow ? QStringLiteral("(T.SourceID = %1 or T.DestID = %1) and ").arg(one)
                   : QString()) +
           days("T");
}

QString PurposeStatement(const TReportScope& scope) {
    const bool narrow = scope.kind == TReportScope::One;
    return QStringLiteral("select D.For as Purpose, D.DestID, D.Amount from Detail D where ") +
           (narrow ? QStringLiteral("D.DestID = %1 and ").arg(scope.id) : QString()) +
           QStringLiteral("D.type = 1 and D.Date >= :d1 and D.Date < :d2");
}

std::vector<TMonthRow> IncomeByMonth(TConnection& conn, const TReportScope& scope,
                                     const TReportPeriod& period) {
    std::vector<TMonthRow> rows;
    if (!validPeriod(period))
        return rows;
    for (QDate m = firstOfMonth(period.from); m <= period.to; m = m.addMonths(1))
        rows.push_back({m, {}, {}});
    const int first = period.from.year() * 12 + period.from.month() - 1;
    std::vector<WideInt> in(rows.size()), out(rows.size());
    TMovements m(conn, scope, period, true);
    int year, month, day;
    while (m.Next()) {
        if (!readDay(m.Day(), year, month, day))
            continue; // no date in the period's form: the range left it out anyway
        const size_t at = size_t(year * 12 + month - 1 - first);
        if (at < rows.size())
            (m.Inward() ? in : out)[at] += m.Amount();
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].in = MoneySum::fromRaw(in[i]);
        rows[i].out = MoneySum::fromRaw(out[i]);
    }
    return rows;
}

QString NoPurposeText() {
    return QStringLiteral("(none)");
}

QString OtherPurposesText() {
    return QStringLiteral("Other");
}

TPurposeReport SpendingByPurpose(TConnection& conn, const TReportScope& scope,
                                 const TReportPeriod& period, int largest) {
    TPurposeReport report;
    if (!validPeriod(period))
        return report;
    // Added up by the exact text first; a file holds few distinct purposes, and the
    // engine folds only ASCII letters, so their case is folded afterwards.
    struct Exact {
        WideInt sum = 0;
        int records = 0;
    };
    std::unordered_map<std::string, Exact, TextHash, std::equal_to<>> exact;
    const TScopeIds ids(conn, scope);
    TRowStream s(conn, PurposeStatement(scope), days(period));
    while (s.Next()) {
        if (!ids.Has(s.Int(1)))
            continue;
        const QByteArrayView text = s.Text(0);
        const std::string_view key(text.data(), size_t(text.size()));
        auto it = exact.find(key);
        if (it == exact.end())
            it = exact.emplace(std::string(key), Exact{}).first;
        it->second.sum += amountOf(s, 2);
        ++it->second.records;
    }

    struct Group {
        TPurposeRow row;
        QHash<QString, int> spellings; // records of each trimmed spelling
    };
    std::vector<Group> groups;
    QHash<QString, size_t> byKey;
    for (const auto& [bytes, e] : exact) {
        const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).trimmed();
        auto it = byKey.find(text.toCaseFolded());
        if (it == byKey.end()) {
            it = byKey.insert(text.toCaseFolded(), groups.size());
            groups.push_back({});
        }
        Group& g = groups[*it];
        g.spellings[text] += e.records;
        g.row.records += e.records;
        g.row.amount.add(MoneySum::fromRaw(e.sum));
    }
    for (Group& g : groups) {
        // The spelling most of its debits use names the group; a tie goes to the first in
        // code-point order, so the name does not hang on the engine's order.
        int most = -1;
        for (auto it = g.spellings.cbegin(); it != g.spellings.cend(); ++it)
            if (it.value() > most || (it.value() == most && it.key() < g.row.purpose)) {
                most = it.value();
                g.row.purpose = it.key();
            }
        if (g.row.purpose.isEmpty())
            g.row.purpose = NoPurposeText();
        report.total.add(g.row.amount);
    }
    std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        if (a.row.amount.raw() != b.row.amount.raw())
            return a.row.amount.raw() > b.row.amount.raw();
        return a.row.purpose < b.row.purpose;
    });
    TPurposeRow other{OtherPurposesText(), {}, 0};
    for (size_t i = 0; i < groups.size(); ++i) {
        if (int(i) < largest) {
            report.rows.push_back(groups[i].row);
        } else {
            other.amount.add(groups[i].row.amount);
            other.records += groups[i].row.records;
        }
    }
    if (other.records > 0)
        report.rows.push_back(other);
    return report;
}

TBalanceReport BalanceOverTime(TConnection& conn, const TReportScope& scope,
                               const TReportPeriod& period) {
    TBalanceReport report;
    TQuery q(&conn);
    q.SQL << QStringLiteral("select Balance from Account B where %1")
                 .arg(scope.Condition(QStringLiteral("B")));
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        report.stored.add(q.FieldByName(QStringLiteral("Balance")).AsMoney());
    if (!validPeriod(period))
        return report;

    const int count = int(period.from.daysTo(period.to)) + 1;
    const qint64 firstDay = period.from.toJulianDay();
    std::vector<WideInt> change(static_cast<size_t>(count));
    WideInt later = 0; // every record after the period, to today and beyond
    // Every record from the first day on, however late: each is taken back in turn.
    TMovements m(conn, scope, period, false);
    QByteArray lastText;
    qint64 lastAt = count;
    int year, month, day;
    while (m.Next()) {
        const QByteArrayView full = m.Day();
        const QByteArrayView text = full.first(std::min<qsizetype>(full.size(), 10));
        // Records come in date order, so most share the day of the one before.
        if (text.size() != lastText.size() ||
            std::memcmp(text.data(), lastText.constData(), size_t(text.size())) != 0) {
            lastText = text.toByteArray();
            const QDate d = readDay(text, year, month, day) ? QDate(year, month, day) : QDate();
            lastAt = d.isValid() ? d.toJulianDay() - firstDay : count;
        }
        const qint64 c = m.Inward() ? moved(m.Amount()) : -moved(m.Amount());
        if (lastAt >= 0 && lastAt < count)
            change[size_t(lastAt)] += c;
        else if (lastAt >= count)
            later += c;
    }
    // Backward: the end of the last day is today's balance less everything after it.
    MoneySum balance = report.stored;
    balance.subtract(MoneySum::fromRaw(later));
    report.days.resize(size_t(count));
    for (int i = count - 1; i >= 0; --i) {
        const MoneySum c = MoneySum::fromRaw(change[size_t(i)]);
        report.days[size_t(i)] = {period.from.addDays(i), balance, c};
        balance.subtract(c);
    }
    report.opening = balance;
    return report;
}
