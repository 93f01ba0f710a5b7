#include "ListTestData.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "lists/UtSummary.h"

#include <QHeaderView>
#include <QtTest>

class SummaryTest : public QObject {
    Q_OBJECT
private slots:
    void statisticsRow() {
        TestEnv env;
        const int bank = addAccount(env, QStringLiteral("Bank"), 0, "75");
        const int other = addAccount(env, QStringLiteral("Other"), 0, "225");
        const QDate today = QDate::currentDate();
        const QString fmt = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        const QDateTime midnight(today, QTime(0, 0));
        addDetail(env, bank, 0, midnight.toString(fmt), "100");
        addDetail(env, bank, 0, midnight.addSecs(-1).toString(fmt), "40"); // yesterday
        addDetail(env, bank, 1, midnight.addSecs(3600).toString(fmt), "10.5");
        addDetail(env, bank, 0, midnight.addDays(1).toString(fmt), "1000"); // tomorrow 00:00 counts
        addDetail(env, bank, 0, midnight.addDays(1).addSecs(1).toString(fmt), "5000");
        addDetail(env, bank, 0,
                  QDateTime(QDate(today.year(), today.month(), 1).addDays(-1), QTime(12, 0))
                      .toString(fmt),
                  "7");
        addDetail(env, other, 0, midnight.toString(fmt), "999");
        addTransfer(env, other, bank, midnight.addSecs(60).toString(fmt), "50");

        TSummaryStrip strip;
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
        // The month runs from the 1st up to 00:00 of tomorrow; yesterday may lie in the
        // previous month, so its deposit counts only when it does not.
        const QString month =
            today.day() == 1 ? QStringLiteral("$1,100.00") : QStringLiteral("$1,140.00");
        QCOMPARE(g->CellText(0, 2), month);
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
        const int acc = addAccount(env, QStringLiteral("O'Brien's"), 2);
        addAccount(env, QStringLiteral("Empty"), 0);
        TSummaryStrip strip;
        strip.LoadStatistics(acc);
        TDBGridEh* g = strip.dbgrdhTotal;
        QCOMPARE(g->CellText(0, 0), QStringLiteral("O'Brien's"));
        QCOMPARE(g->CellText(0, 1), QStringLiteral("0.00%"));
        QCOMPARE(g->CellText(0, 2), QStringLiteral("$0.00"));
        QCOMPARE(g->CellText(0, 5), QStringLiteral("$0.00"));
        QVERIFY(env.messages->messages.empty());
    }
};

BUDGET_TEST(SummaryTest)
#include "SummaryTest.moc"
