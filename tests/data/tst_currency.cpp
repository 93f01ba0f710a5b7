// Money shown with "%m" in the user's currency: the currency's own number of decimals.
#include "TestEnv.h"
#include "data/UtFormat.h"

#include <QtTest>

class CurrencyTest : public QObject {
    Q_OBJECT
private slots:
    void currencyKeepsItsOwnDecimals() {
        const Money amount = Money::fromRaw(12345678); // 1234.5678
        const Money half = Money::fromRaw(5000);       // 0.5
        struct Restore {
            ~Restore() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
        } restore;
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        // The yen has no minor unit: rounded to whole yen, halves away from zero.
        QCOMPARE(Format(QStringLiteral("%m"), {amount}), QStringLiteral("￥1,235"));
        QCOMPARE(Format(QStringLiteral("%m"), {half}), QStringLiteral("￥1"));
        QCOMPARE(Format(QStringLiteral("%m"), {-half}), QStringLiteral("(￥1)"));

        // Three decimals for the Kuwaiti dinar, in the locale's own digits.
        const QLocale kuwait(QLocale::Arabic, QLocale::Kuwait);
        QCOMPARE(amount.toCurrencyString(kuwait), kuwait.toCurrencyString(1234.568));
        QCOMPARE(Money::fromRaw(10).toCurrencyString(kuwait), kuwait.toCurrencyString(0.001));

        // The dollar and the euro keep two.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(Format(QStringLiteral("%m"), {amount}), QStringLiteral("$1,234.57"));
        QCOMPARE(amount.toCurrencyString(QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("1.234,57\u00a0€"));
    }
};

BUDGET_TEST(CurrencyTest)
#include "tst_currency.moc"
