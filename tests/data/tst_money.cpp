#include "TestEnv.h"
#include "data/Money.h"
#include "data/UtFormat.h"

#include <QtTest>

class MoneyTest : public QObject {
    Q_OBJECT
private slots:
    void parsesPlainDecimalsInTheUsersLocale() {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QCOMPARE(Money::parse(QStringLiteral("10.005"), us)->raw(), 100050);
        QCOMPARE(Money::parse(QStringLiteral("  -2.25 "), us)->raw(), -22500);
        QCOMPARE(Money::parse(QStringLiteral("+7"), us)->raw(), 70000);
        QCOMPARE(Money::parse(QStringLiteral(".5"), us)->raw(), 5000);
        QCOMPARE(Money::parse(QStringLiteral("0"), us)->raw(), 0);
        QCOMPARE(Money::parse(QStringLiteral("10,005"), de)->raw(), 100050);
        // Five decimals round to four, halves away from zero.
        QCOMPARE(Money::parse(QStringLiteral("1.00005"), us)->raw(), 10001);
        QCOMPARE(Money::parse(QStringLiteral("-1.00005"), us)->raw(), -10001);
        QCOMPARE(Money::parse(QStringLiteral("1.00004"), us)->raw(), 10000);

        // Not numbers: grouping, exponents, the other locale's separator, junk, blanks.
        for (const char* bad :
             {"", "   ", "1e5", "1,000.5", "10,5", "abc", "1.2.3", "--1", "-", "."})
            QVERIFY2(!Money::parse(QString::fromLatin1(bad), us), bad);
        QVERIFY(!Money::parse(QStringLiteral("10.5"), de));

        // The 64-bit range holds, and nothing past it wraps around.
        QCOMPARE(Money::parse(QStringLiteral("922337203685477.5807"), us)->raw(),
                 std::numeric_limits<qint64>::max());
        QCOMPARE(Money::parse(QStringLiteral("-922337203685477.5808"), us)->raw(),
                 std::numeric_limits<qint64>::min());
        QVERIFY(!Money::parse(QStringLiteral("922337203685477.5808"), us));
        QVERIFY(!Money::parse(QStringLiteral("99999999999999999999"), us));
        QVERIFY(!Money::parse(QStringLiteral("922337203685477.58075"), us));
    }

    void formatsMoneyAndText() {
        TestEnv env(false);
        QCOMPARE(FormatSQL(QStringLiteral("%f"), {*Money::parse(QStringLiteral("10.005"))}),
                 QStringLiteral("10.01"));
        QCOMPARE(FormatSQL(QStringLiteral("%f"), {Money::fromRaw(-100050)}),
                 QStringLiteral("-10.01"));
        QCOMPARE(FormatSQL(QStringLiteral("%f"), {Money::fromRaw(100049)}),
                 QStringLiteral("10.00"));
        QCOMPARE(FormatSQL(QStringLiteral("%f"), {Money::fromRaw(125000)}),
                 QStringLiteral("12.50"));
        QCOMPARE(Format(QStringLiteral("%f%%"), {Money::fromUnits(25)}), QStringLiteral("25.00%"));
        QCOMPARE(Format(QStringLiteral("%2f"), {Money::fromRaw(1235)}), QStringLiteral("0.12"));
        QCOMPARE(Format(QStringLiteral("%m"), {Money::fromRaw(12345678)}),
                 QStringLiteral("$1,234.57"));
        QCOMPARE(Format(QStringLiteral("%m"), {Money::fromRaw(-22500)}), QStringLiteral("($2.25)"));
        QCOMPARE(Format(QStringLiteral("Total: %m  Account: %m"), {Money(), Money::fromUnits(3)}),
                 QStringLiteral("Total: $0.00  Account: $3.00"));
        QCOMPARE(Format(QStringLiteral("id=%d, %s"), {42, QStringLiteral("O'Brien")}),
                 QStringLiteral("id=42, O'Brien"));
        QCOMPARE(FormatSQL(QStringLiteral("[name]='%s'"), {QStringLiteral("O'Brien's")}),
                 QStringLiteral("[name]='O''Brien''s'"));
        QCOMPARE(FormatSQL(QStringLiteral("like '%%%s%%'"), {QStringLiteral("abc")}),
                 QStringLiteral("like '%abc%'"));
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 Format(QStringLiteral("%d"), {QStringLiteral("x")}));
        QVERIFY_THROWS_EXCEPTION(std::exception, Format(QStringLiteral("%d %d"), {1}));

        // The other locales' currency patterns come from the locale, the digits are exact.
        const QLocale de(QLocale::German, QLocale::Germany);
        QCOMPARE(Money::fromRaw(12345678).toCurrencyString(de), QStringLiteral("1.234,57\u00a0€"));
        QCOMPARE(Money::fromRaw(100050).toPlainString(QLocale::c()), QStringLiteral("10.005"));
        QCOMPARE(Money::fromRaw(-100000).toPlainString(de), QStringLiteral("-10"));
        QCOMPARE(Money::fromRaw(105000).toShortString(QLocale::c()), QStringLiteral("10.5"));
        QCOMPARE(Money::fromRaw(-49).toShortString(QLocale::c()), QStringLiteral("0"));
        QCOMPARE(Money::fromUnits(5).roundedToUnitsBankers(), 5);
        QCOMPARE(Money::fromRaw(25000).roundedToUnitsBankers(), 2);
        QCOMPARE(Money::fromRaw(35000).roundedToUnitsBankers(), 4);
        QCOMPARE(Money::fromRaw(-25000).roundedToUnitsBankers(), -2);
    }

    void arithmeticRefusesToWrap() {
        const Money top = Money::fromRaw(std::numeric_limits<qint64>::max());
        QVERIFY_THROWS_EXCEPTION(std::exception, top + Money::fromRaw(1));
        QVERIFY_THROWS_EXCEPTION(std::exception, -top - Money::fromRaw(2));
        QCOMPARE((Money::fromRaw(105000) + Money::fromRaw(-22500)).raw(), 82500);
        QCOMPARE(Money::fromDouble(0.1 + 0.2).raw(), 3000);
        QCOMPARE(Money::fromDouble(10.005).raw(), 100050);
        QVERIFY_THROWS_EXCEPTION(std::exception, Money::fromUnits(922337203685478));
        QVERIFY_THROWS_EXCEPTION(std::exception, Money::fromUnits(-922337203685478));
        QCOMPARE(Money::fromUnits(-922337203685477).raw(), -9223372036854770000);
        QCOMPARE(top.saturatingAdd(top), top);
        QCOMPARE((-top).saturatingAdd(Money::fromRaw(-5)).raw(),
                 std::numeric_limits<qint64>::min());
        QCOMPARE(top.saturatingAdd(-top), Money());

        // A sum passes the range without wrapping, and comes back into it.
        MoneySum sum;
        sum.add(top);
        sum.add(top);
        QVERIFY(!sum.inRange());
        QCOMPARE(sum.clamped(), top);
        QCOMPARE(sum.toPlainString(QLocale::c()), QStringLiteral("1844674407370955.1614"));
        MoneySum less = sum;
        less.subtract(MoneySum::fromRaw(WideInt(top.raw()) + 5));
        QVERIFY(less.inRange());
        QCOMPARE(less.clamped().raw(), top.raw() - 5);
        // One without a value leaves every sum it goes into without one.
        MoneySum broken;
        broken.add(QVariant(1e300));
        less.add(broken);
        QVERIFY(!less.valid() && !less.inRange());
        QCOMPARE(less.clamped(), Money());
    }

    void roundingHoldsAtTheEndsOfTheRange() {
        const Money top = Money::fromRaw(std::numeric_limits<qint64>::max());
        const Money bottom = Money::fromRaw(std::numeric_limits<qint64>::min());
        // Rounding up the last units steps past the 64-bit range; the text stays exact.
        QCOMPARE(top.toFixed(0), QStringLiteral("922337203685478"));
        QCOMPARE(bottom.toFixed(0), QStringLiteral("-922337203685478"));
        QCOMPARE(top.toFixed(1), QStringLiteral("922337203685477.6"));
        QCOMPARE(bottom.toFixed(3), QStringLiteral("-922337203685477.581"));
        QCOMPARE(top.roundedToUnitsBankers(), qint64(922337203685478));
        QCOMPARE(bottom.roundedToUnitsBankers(), qint64(-922337203685478));
        QCOMPARE(top.roundedToCents().raw(), qint64(9223372036854775800));
        QCOMPARE(bottom.roundedToCents().raw(), qint64(-9223372036854775800));

        // A stored value past the range reads as its nearest end instead of failing.
        QCOMPARE(Money::fromStored(1e15), top);
        QCOMPARE(Money::fromStored(-1e300), bottom);
        QCOMPARE(Money::fromStored(10.005).raw(), 100050);
        QVERIFY_THROWS_EXCEPTION(std::exception, Money::fromDouble(1e15));
        // What a REAL column holds exactly.
        QVERIFY(Money::fromRaw(Money::StoredLimit).fitsStored());
        QVERIFY(Money::fromRaw(-Money::StoredLimit).fitsStored());
        QVERIFY(!Money::fromRaw(Money::StoredLimit + 1).fitsStored());
        QVERIFY(!Money::parse(QStringLiteral("900719925474.0993"))->fitsStored());
        QVERIFY(Money::parse(QStringLiteral("-10000000000"))->fitsStored());
        QVERIFY(!Money::parse(QStringLiteral("10000000000.0001"))->fitsStored());
    }

    void percentSharesAreExact() {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const auto share = [&](const char* part, const char* whole) {
            return PercentText(*Money::parse(QLatin1String(part), us),
                               *Money::parse(QLatin1String(whole), us), us);
        };
        QCOMPARE(share("1", "8"), QStringLiteral("12.50"));
        QCOMPARE(share("2", "3"), QStringLiteral("66.67"));
        QCOMPARE(share("-1", "3"), QStringLiteral("-33.33"));
        QCOMPARE(share("1", "-8"), QStringLiteral("-12.50"));
        QCOMPARE(share("5", "0"), QStringLiteral("0.00"));
        // Halves go away from zero: 0.0001 of 2 is 0.005%.
        QCOMPARE(share("0.0001", "2"), QStringLiteral("0.01"));
        QCOMPARE(share("-0.0001", "2"), QStringLiteral("-0.01"));
        QCOMPARE(share("0.0001", "2.0001"), QStringLiteral("0.00"));
        // Balances that nearly cancel out: shown as they come out, never wrapped.
        QCOMPARE(share("1000000000", "0.0001"), QStringLiteral("1000000000000000.00"));
        QCOMPARE(
            PercentText(Money::fromRaw(std::numeric_limits<qint64>::max()), Money::fromRaw(1), us),
            QStringLiteral("922337203685477580700.00"));
        QCOMPARE(
            PercentText(Money::fromRaw(std::numeric_limits<qint64>::min()), Money::fromRaw(-1), us),
            QStringLiteral("922337203685477580800.00"));
        QCOMPARE(HundredthsText(-5, QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("-0,05"));
    }
};

BUDGET_TEST(MoneyTest)
#include "tst_money.moc"
