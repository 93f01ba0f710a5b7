#include "TestData.h"

#include "data/UtDM.h"
#include "lists/UtTransactionList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QRegularExpression>
#include <QtTest>
#include <sqlite3.h>

using namespace TestData;

namespace {

// Every row of a statement already in SQLite's dialect, each row as one text, sorted:
// the multiset of rows whatever order they come in.
QStringList rowsOf(const QString& sqliteSql) {
    sqlite3* db = DM->conn.Handle();
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sqliteSql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), -1, &st, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    QStringList rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            cells << QString::number(sqlite3_column_type(st, c)) + QLatin1Char(':') +
                         QString::fromUtf8(
                             reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        rows << cells.join(QLatin1Char('|'));
    }
    sqlite3_finalize(st);
    rows.sort();
    return rows;
}

QString planOf(const QString& sqliteSql) {
    return rowsOf(QStringLiteral("EXPLAIN QUERY PLAN ") + sqliteSql).join('\n');
}

int countOf(const QString& text, const QString& part) {
    return int(text.count(part, Qt::CaseInsensitive));
}

} // namespace

class CombinedQueryTest : public QObject {
    Q_OBJECT
private slots:
    void disjointUnionRule() {
        TestEnv env;
        auto translated = [](const char* s) { return DM->conn.Translate(QLatin1String(s)); };
        // Detail.type is limited to 0/1 by the schema, the literals 2 and 3 are apart from it,
        // and every branch carries its table's key.
        QCOMPARE(countOf(translated("select id, [type] from detail union select ID, 2 as Type from "
                                    "transfer union select ID, 3 as Type from transfer"),
                         "union all"),
                 2);
        QCOMPARE(countOf(translated(
                             "select * from (select D.ID, D.type from detail D union select T.ID, "
                             "3 from transfer AS T where T.Amount > 1) AS A order by 1"),
                         "union all"),
                 1);
        // Each condition missing leaves the union as written.
        const char* kept[] = {
            // a branch without its key can repeat rows of its own
            "select DestID, [type] from detail union select ID, 2 from transfer",
            // the same literal on two branches
            "select ID, 2 as Type from transfer union select ID, 2 as Type from transfer",
            // a literal inside the CHECK set
            "select id, type from detail union select ID, 1 from transfer",
            // a column without a CHECK
            "select ID, type from account union select ID, 5 from transfer",
            // a join can repeat a key
            "select A.ID, 2 from transfer A, account B union select ID, 3 from transfer",
            "select A.ID, 2 from transfer A join account B on 1=1 union select ID, 3 from transfer",
            // distinct or grouping in a branch
            "select distinct ID, 2 from transfer union select ID, 3 from transfer",
            "select ID, 2 from transfer group by ID union select ID, 3 from transfer",
            // a decimal literal is not an integer code
            "select ID, 2.5 from transfer union select ID, 3 from transfer",
        };
        for (const char* s : kept) {
            const QString out = translated(s);
            QVERIFY2(countOf(out, "union all") == 0, s);
            QVERIFY2(countOf(out, "union") == 1, s);
        }
        // Text in string literals is never taken for a statement.
        QVERIFY(!translated("select 'x union y' as t from detail").contains("all"));
    }

    void unionAllGivesTheSameRows() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("A"), 0);
        const int b = AddAccount(env, QStringLiteral("B"), 2);
        // Rows that look alike in every column but their kind or id.
        for (int i = 0; i < 2; ++i) {
            AddDetail(env, a, 0, "2024-02-10 10:00:00", "5", "same");
            AddDetail(env, a, 1, "2024-02-10 10:00:00", "5", "same");
            AddTransfer(env, a, b, "2024-02-10 10:00:00", "5", "same");
            AddTransfer(env, b, a, "2024-02-10 10:00:00", "5", "same");
        }
        AddTransfer(env, a, a, "2024-02-10 10:00:00", "5", "same"); // to itself: both sides
        env.sql("update Transfer set Memo = '' ");
        env.sql("update Detail set Memo = '', [For] = 'move'");
        // Two detail rows and two transfers with equal ids to each other.
        QCOMPARE(env.sql("select count(*) from Detail D, Transfer T where D.ID = T.ID").toInt(), 4);

        TTransactionList list;
        list.dtpRange1->setDate(QDate(2024, 2, 1));
        list.dtpRange2->setDate(QDate(2024, 2, 29));
        for (const QString& kind : {QStringLiteral("-----All-----"), QStringLiteral("Trans in")}) {
            list.cbbType->setCurrentText(kind);
            for (int id : {a, b}) {
                list.LoadList(id);
                const QString sql = DM->conn.Translate(list.qryList.Text());
                QCOMPARE(countOf(sql, "union all"), 2);
                QString asWritten = sql;
                asWritten.replace(QStringLiteral("union all"), QStringLiteral("union"),
                                  Qt::CaseInsensitive);
                const QStringList fast = rowsOf(sql), exact = rowsOf(asWritten);
                QCOMPARE(fast, exact);
                QCOMPARE(list.qryList.RecordCount(), int(exact.size()));
                QVERIFY(!fast.isEmpty());
            }
        }
        // Whole tables, no outer conditions: every row of every branch survives in both.
        const QString all = QStringLiteral(
            "select id, DestID As AccID, [type], date, [from], amount, for, memo from detail union "
            "select   ID, SourceID as AccID, 2 as Type, date, [from], amount, for, memo from "
            "transfer "
            "union select   ID, DestID as AccID, 3 as Type, date, [from], amount, for, memo from "
            "transfer");
        QString allWritten = DM->conn.Translate(all);
        QCOMPARE(countOf(allWritten, "union all"), 2);
        const QStringList fast = rowsOf(allWritten);
        allWritten.replace(QStringLiteral("union all"), QStringLiteral("union"),
                           Qt::CaseInsensitive);
        QCOMPARE(fast, rowsOf(allWritten));
        QCOMPARE(fast.size(), 4 + 2 * 5);
    }

    void conditionsReachTheIndexes() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("A"), 0);
        TTransactionList list;
        list.cbbType->setCurrentText(QStringLiteral("Debit"));
        list.LoadList(a);
        const QString plan = planOf(DM->conn.Translate(list.qryList.Text()));
        // Which index the engine picks, and how it words the plan, change with its
        // version; what matters is that neither table is read from end to end. A full
        // scan reads "SCAN detail" or, in older versions, "SCAN TABLE detail"; a scan of
        // a whole index ("SCAN detail USING INDEX ...") is just as slow.
        static const QRegularExpression fullScan(
            QStringLiteral("\\bSCAN (TABLE )?(detail|transfer)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(!fullScan.match(plan).hasMatch(), qPrintable(plan));
        // Both tables are read at all: the plan is about them.
        for (const char* table : {"detail", "transfer"})
            QVERIFY2(
                plan.contains(QRegularExpression(
                    QStringLiteral("\\b(SEARCH|SCAN) (TABLE )?%1\\b").arg(QLatin1String(table)),
                    QRegularExpression::CaseInsensitiveOption)),
                qPrintable(plan));
    }
};

BUDGET_TEST(CombinedQueryTest)
#include "CombinedQueryTest.moc"
