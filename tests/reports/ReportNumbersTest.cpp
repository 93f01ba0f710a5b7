#include "TestData.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "reports/ReportCharts.h"
#include "reports/ReportNumbers.h"
#include "reports/UtReports.h"

#include <QDateEdit>
#include <QHash>
#include <QPalette>
#include <QtTest>
#include <map>

using namespace TestData;

namespace {

// One seeded record, as the model sees it: kind 0 deposit, 1 debit, 2 transfer (a to b).
struct Rec {
    int kind;
    int a, b;
    QString date, amount, purpose;
};

Money money(const QString& text) {
    return *Money::parse(text, QLocale::c());
}

// Accounts, wallets, an account deleted with its records left behind, and records over
// January to April 2024 with nothing in February; transfers inside and across every scope.
struct Book {
    TestEnv env;
    int bank = 0, card = 0, cash = 0, gone = 0;
    QHash<int, int> kinds;     // Account rows left: id -> type
    QHash<int, Money> opening; // stored balance beyond what the records say
    std::vector<Rec> recs;

    Book() {
        bank = AddAccount(env, "Bank", 0);
        card = AddAccount(env, "Card", 1);
        cash = AddAccount(env, "Cash", 2);
        gone = AddAccount(env, "Gone", 0);
        recs = {{0, bank, 0, "2024-01-05 10:00:00", "1000", "Salary"},
                {1, bank, 0, "2024-01-10 09:00:00", "20.125", "food"},
                {0, cash, 0, "2024-01-20 12:00:00", "10.005", "gift"},
                {1, card, 0, "2024-01-15 08:00:00", "45.5", " Food "},
                {1, cash, 0, "2024-01-16 08:00:00", "4.5", "FOOD"},
                {1, bank, 0, "2024-01-31 23:59:59", "100", ""},
                {2, bank, card, "2024-01-25 10:00:00", "200", ""},
                {2, bank, cash, "2024-03-02 10:00:00", "50", ""},
                {2, gone, bank, "2024-03-03 10:00:00", "30", ""},
                {2, cash, gone, "2024-03-04 10:00:00", "7.25", ""},
                {0, gone, 0, "2024-03-05 10:00:00", "999", "lost"},
                {1, gone, 0, "2024-03-06 10:00:00", "88", "lost"},
                {1, bank, 0, "2024-04-01 00:00:00", "12.345", "Rent"},
                {0, card, 0, "2024-05-02 00:00:00", "5", "later"}};
        for (const Rec& r : recs) {
            if (r.kind == 2)
                AddTransfer(env, r.a, r.b, r.date, r.amount);
            else
                AddDetail(env, r.a, r.kind, r.date, r.amount, "x", {}, r.purpose);
        }
        SettleBalances(env);
        env.sql(QStringLiteral("delete from Account where ID = %1").arg(gone));
        // An opening balance no record explains: the line must still end at the stored one.
        env.sql(
            QStringLiteral("update Account set Balance = Balance + 500 where ID = %1").arg(bank));
        kinds = {{bank, 0}, {card, 1}, {cash, 2}};
        opening = {{bank, money("500")}};
    }

    bool in(const TReportScope& s, int id) const {
        if (!kinds.contains(id))
            return false;
        switch (s.kind) {
        case TReportScope::Accounts:
            return kinds[id] != 2;
        case TReportScope::Wallets:
            return kinds[id] == 2;
        case TReportScope::One:
            return id == s.id;
        case TReportScope::All:
            break;
        }
        return true;
    }
    // What a record moves the scope's money by, +1 in, -1 out, 0 not at all.
    int direction(const TReportScope& s, const Rec& r) const {
        if (r.kind != 2)
            return in(s, r.a) ? (r.kind == 0 ? 1 : -1) : 0;
        const bool from = in(s, r.a), to = in(s, r.b);
        return from == to ? 0 : (to ? 1 : -1);
    }
    TReportScope scope(int which) const {
        const TReportScope all[] = {{TReportScope::All, 0},
                                    {TReportScope::Accounts, 0},
                                    {TReportScope::Wallets, 0},
                                    {TReportScope::One, bank},
                                    {TReportScope::One, cash}};
        return all[which];
    }
};

QDate dayOf(const Rec& r) {
    return QDate::fromString(r.date.left(10), QStringLiteral("yyyy-MM-dd"));
}

QString text(const MoneySum& s) {
    return ExactAmountText(s);
}

} // namespace

class TestReportNumbers : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void reportsAgreeWithAModelOfTheSeededRows_data() {
        QTest::addColumn<int>("scope");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        const char* names[] = {"all", "accounts", "wallets", "bank", "cash"};
        for (int s = 0; s < 5; ++s) {
            QTest::addRow("%s, January to April", names[s])
                << s << QDate(2024, 1, 1) << QDate(2024, 4, 30);
            QTest::addRow("%s, March", names[s]) << s << QDate(2024, 3, 1) << QDate(2024, 3, 31);
        }
    }
    void reportsAgreeWithAModelOfTheSeededRows() {
        QFETCH(int, scope);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        Book book;
        const TReportScope s = book.scope(scope);
        const TReportPeriod period{from, to};

        // Income and spending: every month of the period, in and out as the model adds them.
        std::map<QDate, std::pair<MoneySum, MoneySum>> months;
        for (QDate m = from; m <= to; m = m.addMonths(1))
            months[m];
        std::map<QString, MoneySum> purposes;
        for (const Rec& r : book.recs) {
            const QDate d = dayOf(r);
            const int dir = book.direction(s, r);
            if (d < from || d > to || dir == 0)
                continue;
            auto& [in, out] = months[QDate(d.year(), d.month(), 1)];
            (dir > 0 ? in : out).add(money(r.amount));
            if (r.kind == 1)
                purposes[r.purpose.trimmed().toLower()].add(money(r.amount));
        }
        const std::vector<TMonthRow> rows = IncomeByMonth(DM->conn, s, period);
        QCOMPARE(rows.size(), months.size());
        size_t i = 0;
        for (const auto& [month, sums] : months) {
            QCOMPARE(rows[i].month, month);
            QCOMPARE(text(rows[i].in), text(sums.first));
            QCOMPARE(text(rows[i].out), text(sums.second));
            ++i;
        }

        // Spending by purpose, folded, largest first.
        const TPurposeReport spent = SpendingByPurpose(DM->conn, s, period);
        QCOMPARE(spent.rows.size(), purposes.size());
        MoneySum total;
        for (const TPurposeRow& p : spent.rows) {
            const QString key = p.purpose == NoPurposeText() ? QString() : p.purpose.toLower();
            QVERIFY2(purposes.count(key), qPrintable(p.purpose));
            QCOMPARE(text(p.amount), text(purposes[key]));
            QVERIFY(&p == &spent.rows.front() || (&p - 1)->amount.raw() >= p.amount.raw());
            total.add(p.amount);
        }
        QCOMPARE(text(spent.total), text(total));

        // Balance: forward from the opening balances through every record up to each day,
        // each moving it by its amount rounded to cents.
        const TBalanceReport line = BalanceOverTime(DM->conn, s, period);
        QCOMPARE(line.days.size(), size_t(from.daysTo(to) + 1));
        const auto balanceAt = [&](const QDate& day) {
            MoneySum b;
            for (auto it = book.opening.begin(); it != book.opening.end(); ++it)
                if (book.in(s, it.key()))
                    b.add(it.value());
            for (const Rec& r : book.recs)
                if (const int dir = book.direction(s, r); dir != 0 && dayOf(r) <= day)
                    b.add(dir > 0 ? money(r.amount).roundedToCents()
                                  : -money(r.amount).roundedToCents());
            return b;
        };
        QCOMPARE(text(line.opening), text(balanceAt(from.addDays(-1))));
        for (const TBalancePoint& p : line.days)
            QCOMPARE(text(p.balance), text(balanceAt(p.day)));
        MoneySum stored;
        for (auto it = book.kinds.begin(); it != book.kinds.end(); ++it)
            if (book.in(s, it.key()))
                stored.add(money(Balance(book.env, it.key())));
        QCOMPARE(text(line.stored), text(stored));
        // Nothing after May: a period through the last record ends at the stored balance.
        const TBalanceReport toEnd = BalanceOverTime(DM->conn, s, {from, QDate(2024, 6, 1)});
        QCOMPARE(text(toEnd.days.back().balance), text(stored));
    }

    void aThousandthCountsInTheBarsButMovesTheBalanceByACent() {
        Book book;
        const TReportScope cash{TReportScope::One, book.cash};
        const TReportPeriod january{QDate(2024, 1, 1), QDate(2024, 1, 31)};
        QCOMPARE(text(IncomeByMonth(DM->conn, cash, january).front().in), QStringLiteral("10.005"));
        const TBalanceReport line = BalanceOverTime(DM->conn, cash, january);
        QCOMPARE(text(line.days[19].change), QStringLiteral("10.01"));
        QCOMPARE(text(line.days[15].change), QStringLiteral("-4.50"));
    }

    void purposesFoldTheirSpellingsAndTheRestIsOther() {
        TestEnv env;
        const int id = AddAccount(env, "Bank", 0);
        // Twelve purposes of 12, 11, ... 1, the first spelled three ways; übung two ways.
        for (int i = 1; i <= 12; ++i)
            AddDetail(env, id, 1, "2024-02-10 10:00:00", QString::number(13 - i), "x", {},
                      QStringLiteral("p%1").arg(i, 2, 10, QLatin1Char('0')));
        AddDetail(env, id, 1, "2024-02-11 10:00:00", "0.5", "x", {}, "  P01");
        AddDetail(env, id, 1, "2024-02-11 10:00:00", "0.25", "x", {}, "P01 ");
        AddDetail(env, id, 1, "2024-02-12 10:00:00", "3", "x", {}, "ÜBUNG");
        AddDetail(env, id, 1, "2024-02-12 10:00:00", "4", "x", {}, "übung");
        AddDetail(env, id, 1, "2024-02-12 10:00:00", "3.5", "x", {}, "übung");
        AddDetail(env, id, 0, "2024-02-12 10:00:00", "1000", "x", {}, "p01");
        const TPurposeReport r = SpendingByPurpose(DM->conn, {TReportScope::All, 0},
                                                   {QDate(2024, 2, 1), QDate(2024, 2, 29)});
        QCOMPARE(r.rows.size(), size_t(11));
        QCOMPARE(r.rows[0].purpose, QStringLiteral("P01"));
        QCOMPARE(text(r.rows[0].amount), QStringLiteral("12.75"));
        QCOMPARE(r.rows[0].records, 3);
        QCOMPARE(r.rows[2].purpose, QStringLiteral("übung"));
        QCOMPARE(text(r.rows[2].amount), QStringLiteral("10.50"));
        // Ten named; "Other" gathers p10, p11 and p12 (3 + 2 + 1).
        QCOMPARE(r.rows[10].purpose, OtherPurposesText());
        QCOMPARE(text(r.rows[10].amount), QStringLiteral("6.00"));
        QCOMPARE(r.rows[10].records, 3);
        QCOMPARE(text(r.total), QStringLiteral("89.25"));
        QCOMPARE(ShareText(r.rows[0].amount, r.total), QStringLiteral("14.29"));
    }

    void sumsBeyondTheMoneyRangeSaySo() {
        TestEnv env;
        const int id = AddAccount(env, "Bank", 0);
        for (int i = 0; i < 3; ++i)
            AddDetail(env, id, 0, "2024-02-10 10:00:00", "900000000000000");
        AddDetail(env, id, 1, "2024-03-10 10:00:00", "1.5");
        const std::vector<TMonthRow> rows = IncomeByMonth(DM->conn, {TReportScope::One, id},
                                                          {QDate(2024, 2, 1), QDate(2024, 3, 31)});
        QVERIFY(!rows[0].in.inRange());
        QCOMPARE(rows[0].in.raw(), WideInt(27) * 1'000'000'000'000'000'000);
        QVERIFY(MonthToolTip(rows[0], 0).contains(QLatin1String("more than the money range")));
        QVERIFY(MonthToolTip(rows[1], 1).endsWith(QLatin1String("Money out: 1.50")));
        QCOMPARE(rows[0].in.clamped().raw(), std::numeric_limits<qint64>::max());

        // The table says so in the month's cell and in the footer, which adds up no
        // wrapped or dropped number.
        TFrmReports frm;
        frm.Today = QDate(2024, 3, 20);
        frm.show();
        frm.dtpFrom->setDate(QDate(2024, 2, 1));
        QCOMPARE(GridColumn(frm.dbgrdhReport, 1),
                 (QStringList{"more than the money range holds", "0"}));
        QCOMPARE(frm.dbgrdhReport->FooterText(1),
                 QStringLiteral("more than the money range holds"));
        QCOMPARE(frm.dbgrdhReport->FooterText(2), QStringLiteral("1.5"));
    }

    void presetsAndColours() {
        TestEnv env;
        const QDate today(2024, 3, 15);
        const auto p = [&](TPeriodPreset preset) { return PresetPeriod(DM->conn, preset, today); };
        QCOMPARE(p(TPeriodPreset::ThisMonth).to, QDate(2024, 3, 31));
        QCOMPARE(p(TPeriodPreset::Last12Months).from, QDate(2023, 4, 1));
        QCOMPARE(p(TPeriodPreset::LastYear).to, QDate(2023, 12, 31));
        QCOMPARE(p(TPeriodPreset::All).from, today);
        const int id = AddAccount(env, "Bank", 0);
        AddDetail(env, id, 0, "2019-07-04 10:00:00", "1");
        AddTransfer(env, id, id, "2026-01-02 10:00:00", "1");
        QCOMPARE(p(TPeriodPreset::All).from, QDate(2019, 7, 4));
        QCOMPARE(p(TPeriodPreset::All).to, QDate(2026, 1, 2));

        // On a dark desktop the chart is dark with light text, and the bars stay visible.
        QPalette dark;
        dark.setColor(QPalette::Base, QColor(0x20, 0x22, 0x26));
        dark.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
        for (const QPalette& pal : {QPalette(Qt::white), dark}) {
            const TChartColours c = ChartColours(pal);
            QVERIFY(std::abs(c.text.lightnessF() - c.background.lightnessF()) > 0.5);
            for (const QColor& bar : {c.in, c.out, c.net})
                QVERIFY(std::abs(bar.lightnessF() - c.background.lightnessF()) > 0.25);
        }
    }
};

BUDGET_TEST(TestReportNumbers)
#include "ReportNumbersTest.moc"
