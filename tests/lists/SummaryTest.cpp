#include "TestData.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "lists/UtSummary.h"

#include <QHeaderView>
#include <QtTest>

using namespace TestData;

class SummaryTest : public QObject {
    Q_OBJECT
private slots:
    void statisticsRow() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0, "75");
        const int other = AddAccount(env, QStringLiteral("Other"), 0, "225");
        // The 2nd of a month: yesterday is in the month, the month before is not.
        const QDate today(2025, 3, 2);
        const QString fmt = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        const QDateTime midnight(today, QTime(0, 0));
        AddDetail(env, bank, 0, midnight.toString(fmt), "100");
        AddDetail(env, bank, 0, midnight.addSecs(-1).toString(fmt), "40"); // yesterday
        AddDetail(env, bank, 1, midnight.addSecs(3600).toString(fmt), "10.5");
        AddDetail(env, bank, 0, midnight.addDays(1).toString(fmt), "1000"); // tomorrow 00:00 counts
        AddDetail(env, bank, 0, midnight.addDays(1).addSecs(1).toString(fmt), "5000");
        AddDetail(env, bank, 0, "2025-02-28 12:00:00", "7");
        AddDetail(env, bank, 0, "2025-03-01 00:00:00", "3"); // the 1st at midnight counts
        AddDetail(env, other, 0, midnight.toString(fmt), "999");
        AddTransfer(env, other, bank, midnight.addSecs(60).toString(fmt), "50");

        TSummaryStrip strip;
        strip.Today = [today] { return today; };
        TDBGridEh* g = strip.dbgrdhTotal;
        QVERIFY(!strip.qryTotal.Active());
        QCOMPARE(g->model()->rowCount(), 0);
        QCOMPARE(g->ColumnTitle(1), QStringLiteral("Balance Percent(%)"));
        QCOMPARE(g->ColumnWidth(4), 199);
        QCOMPARE(g->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(g->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

        strip.LoadStatistics(bank);
        QCOMPARE(g->model()->rowCount(), 1);
        QCOMPARE(g->CellText(0, 0), QStringLiteral("Bank"));
        QCOMPARE(g->CellText(0, 1), QStringLiteral("25.00%"));
        // The month runs from the 1st up to 00:00 of tomorrow.
        QCOMPARE(g->CellText(0, 2), QStringLiteral("$1,143.00"));
        QCOMPARE(g->CellText(0, 3), QStringLiteral("$10.50"));
        QCOMPARE(g->CellText(0, 4), QStringLiteral("$1,100.00"));
        QCOMPARE(g->CellText(0, 5), QStringLiteral("$10.50"));

        // Clicking a title sorts nothing here.
        QSignalSpy clicks(g, &TDBGridEh::TitleBtnClick);
        QTest::mouseClick(g->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        QCOMPARE(clicks.count(), 0);

        strip.ResizeColumns(605);
        for (int c = 0; c < 6; ++c)
            QCOMPARE(g->ColumnWidth(c), 99);
    }

    void zeroBalancesAndQuotedNames() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("O'Brien's"), 2);
        AddAccount(env, QStringLiteral("Empty"), 0);
        TSummaryStrip strip;
        strip.LoadStatistics(acc);
        TDBGridEh* g = strip.dbgrdhTotal;
        QCOMPARE(g->CellText(0, 0), QStringLiteral("O'Brien's"));
        QCOMPARE(g->CellText(0, 1), QStringLiteral("0.00%"));
        QCOMPARE(g->CellText(0, 2), QStringLiteral("$0.00"));
        QCOMPARE(g->CellText(0, 5), QStringLiteral("$0.00"));
        QVERIFY(env.messages->messages.empty());
    }

    void shareOfBalancesThatCancelOut() {
        TestEnv env;
        // Stored as REAL, these add up to a trace such as 4e-16, not to 0.
        const int a = AddAccount(env, QStringLiteral("A"), 0, "1.10");
        const int b = AddAccount(env, QStringLiteral("B"), 0, "2.20");
        const int c = AddAccount(env, QStringLiteral("C"), 2, "-3.30");
        QVERIFY(env.sql(QStringLiteral("select sum(Balance) from Account")).toDouble() != 0.0);
        TSummaryStrip strip;
        TDBGridEh* g = strip.dbgrdhTotal;
        for (int id : {a, c}) {
            strip.LoadStatistics(id);
            QCOMPARE(g->model()->rowCount(), 1);
            QCOMPARE(g->CellText(0, 1), QStringLiteral("0.00%"));
        }

        // All but a ten-thousandth cancels out: the share is shown as it comes out.
        env.sql(QStringLiteral("update Account set Balance = 1000000000 where ID = %1").arg(a));
        env.sql(
            QStringLiteral("update Account set Balance = -999999999.9999 where ID = %1").arg(b));
        env.sql(QStringLiteral("update Account set Balance = 0 where ID = %1").arg(c));
        strip.LoadStatistics(a);
        QCOMPARE(g->CellText(0, 0), QStringLiteral("A"));
        QCOMPARE(g->CellText(0, 1), QStringLiteral("1000000000000000.00%"));
        strip.LoadStatistics(b);
        QCOMPARE(g->CellText(0, 1), QStringLiteral("-999999999999900.00%"));
        QVERIFY2(env.messages->messages.empty(),
                 qPrintable(env.messages->messages.empty() ? QString()
                                                           : env.messages->messages[0].text));
    }
};

BUDGET_TEST(SummaryTest)
#include "SummaryTest.moc"
