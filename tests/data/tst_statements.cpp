// Every statement the windows compose runs through the dialect layer against a small
// database and gives the meaning the program relies on. This is the guard for every
// window built on the data layer.
#include "TestEnv.h"
#include "cards/UtCards.h"
#include "data/Errors.h"
#include "data/SqlDialect.h"
#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "lists/CombinedQuery.h"
#include "lists/UtTransactionList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QtTest>
#include <functional>
#include <tuple>

namespace {

// Rows of a query as "field=value" texts of the named fields, one string per row.
QStringList rows(TQuery& q, const QStringList& fields) {
    QStringList out;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList cells;
        for (const QString& f : fields)
            cells << q.FieldByName(f).AsString();
        out << cells.join(u'|');
    }
    return out;
}

TQuery& fresh(const QStringList& lines) {
    TQuery& q = DM->m_Query;
    q.Close();
    q.SQL = lines;
    q.ClearParams();
    return q;
}

void seed(TestEnv& env) {
    for (const char* s : {
             "insert into Account(name,type,Balance) values('Bank',0,100)",
             "insert into Account(name,type,Balance) values('Card',1,-20.5)",
             "insert into Account(name,type,Balance) values('Cash',2,10.5)",
             "insert into Account(name,type,Balance) values('O''Brien',2,-2.25)",
             "insert into Detail(type,DestID,Date,[From],Amount,[For],Memo) values(0,1,'2026-12-01 "
             "10:00:00','Boss',50,'salary','dec pay')",
             "insert into Detail(type,DestID,Date,[From],Amount,[For],Memo) values(1,1,'2026-12-05 "
             "00:00:00','Shop',12.345,'food','weekly')",
             "insert into Detail(type,DestID,Date,[From],Amount,[For],Memo) values(0,3,'2026-11-30 "
             "23:59:59','Gran',5,'gift','')",
             "insert into Detail(type,DestID,Date,[From],Amount,[For],Memo) values(1,1,'2026-12-11 "
             "00:00:00','Late',1,'edge','midnight')",
             "insert into Detail(type,DestID,Date,[From],Amount,[For],Memo) values(1,1,'2026-12-11 "
             "00:00:01','Later',2,'edge','after')",
             "insert into Transfer(SourceID,DestID,Date,[From],Amount,[For],Memo) "
             "values(1,3,'2026-12-03 12:00:00','atm',40,'cash','abc')",
         })
        env.sql(QString::fromLatin1(s));
}

} // namespace

class StatementsTest : public QObject {
    Q_OBJECT
private slots:
    void dialectLeavesStringLiteralsAlone() {
        const QString sql =
            QStringLiteral("select '#2026-01-01#' as x, 'A.from top 1' as y, 'DateValue(q)' as z");
        QCOMPARE(TranslateSql(sql).count(QStringLiteral("'#2026-01-01#'")), 1);
        QVERIFY(TranslateSql(sql).contains(QStringLiteral("'A.from top 1'")));
        QVERIFY(TranslateSql(sql).contains(QStringLiteral("'DateValue(q)'")));
        QCOMPARE(TranslateSql(QStringLiteral("select top 1 a from t;")),
                 QStringLiteral("select a AS [a] from t limit 1;"));
        QCOMPARE(TranslateSql(QStringLiteral("select x from (select top 2 a from t) as s")),
                 QStringLiteral("select x AS [x] from (select a AS [a] from t limit 2) as s"));
        QCOMPARE(TranslateSql(QStringLiteral("x between #2026-12-01# and #2026-12-31#")),
                 QStringLiteral("x between '2026-12-01 00:00:00' and '2026-12-31 00:00:00'"));
        QCOMPARE(TranslateParam(QStringLiteral("2026-12-01")).toString(),
                 QStringLiteral("2026-12-01 00:00:00"));
        QCOMPARE(TranslateParam(QStringLiteral("O'Brien")).toString(), QStringLiteral("O'Brien"));
    }

    // Statements the windows do not compose today but the history and the query dialog
    // may: each gives what Jet would.
    void dialectRewritesKeepJetsMeaning() {
        TestEnv env;
        seed(env);
        auto column = [](const QString& sql, const QString& field) {
            TQuery& q = fresh({sql});
            q.Open();
            QStringList out;
            for (q.First(); !q.Eof(); q.Next())
                out << q.FieldByName(field).AsString();
            return out;
        };
        // An alias is put in for later items of its own list only, not inside their
        // subqueries, where the same word is a column of another table.
        QCOMPARE(column(QStringLiteral("select Balance*2 as amount, (select sum(amount) from "
                                       "detail) as s, amount + 1 as more from account where ID=1"),
                        QStringLiteral("s")),
                 QStringList({"70.345"}));
        QCOMPARE(column(QStringLiteral("select Balance*2 as amount, (select sum(amount) from "
                                       "detail) as s, amount + 1 as more from account where ID=1"),
                        QStringLiteral("more")),
                 QStringList({"201"}));

        // top limits its own branch of a union, not the whole compound.
        QStringList rows = column(QStringLiteral("select top 1 name from account union select name "
                                                 "from account where type = 2"),
                                  QStringLiteral("name"));
        rows.sort();
        QCOMPARE(rows, QStringList({"Bank", "Cash", "O'Brien"}));
        QCOMPARE(column(QStringLiteral("select name from account where type = 2 union select top 1 "
                                       "name from account where type in (0,1) order by name"),
                        QStringLiteral("name")),
                 QStringList({"Bank", "Cash", "O'Brien"}));
        QCOMPARE(column(QStringLiteral("select top 2 name from account order by name desc"),
                        QStringLiteral("name")),
                 QStringList({"O'Brien", "Cash"}));

        // DateValue meets a date literal, a bare-date parameter and between as the same
        // kind of value; as a result column it is still the date alone.
        QCOMPARE(column(QStringLiteral("select count(*) as n from detail where DateValue(date) = "
                                       "#2026-12-01#"),
                        QStringLiteral("n")),
                 QStringList({"1"}));
        QCOMPARE(column(QStringLiteral("select count(*) as n from detail where DateValue(date) "
                                       "between #2026-12-05# and #2026-12-11#"),
                        QStringLiteral("n")),
                 QStringList({"3"}));
        TQuery& q =
            fresh({QStringLiteral("select ID from detail where DateValue(date) = :d order by ID")});
        q.SetParam(QStringLiteral("d"), QStringLiteral("2026-12-11"));
        q.Open();
        QCOMPARE(q.RecordCount(), 2);
        QCOMPARE(column(QStringLiteral("select DateValue(date) as d from detail where ID = 5"),
                        QStringLiteral("d")),
                 QStringList({"2026-12-11"}));

        // A result column is named as the list writes it, for one item as for several.
        for (const QString& sql :
             {QStringLiteral("select A.Amount from (select amount from detail) as A"),
              QStringLiteral("select A.Amount, A.id from (select amount, id from detail) as A"),
              QStringLiteral("select distinct A.Amount from (select amount from detail) as A")}) {
            TQuery& named = fresh({sql});
            named.Open();
            QCOMPARE(named.FieldName(0), QStringLiteral("Amount"));
        }
        fresh({QStringLiteral("select A.from from (select [From] from Detail) as A")}).Open();
        QCOMPARE(DM->m_Query.FieldName(0), QStringLiteral("from"));
    }

    // A text that looks like a date is a statement parameter's business only: values
    // written through an updatable result are stored as typed.
    void recordValuesAreStoredAsGiven() {
        TestEnv env;
        seed(env);
        TQuery& q = fresh({QStringLiteral(
            "SELECT top 1 [type], [DestID], [Date], [From], [Amount], [For], [Memo] FROM Detail")});
        q.OpenForUpdate();
        q.Append();
        q.FieldByName(QStringLiteral("From")).SetValue(QStringLiteral("2024-02-03"));
        q.FieldByName(QStringLiteral("For")).SetValue(QStringLiteral("2024-02-04"));
        q.FieldByName(QStringLiteral("Date"))
            .SetDateTime(QDateTime(QDate(2024, 2, 3), QTime(9, 0)));
        q.Post();
        QCOMPARE(env.sql(QStringLiteral("select [From] || '|' || [For] || '|' || Date from Detail "
                                        "where ID = (select max(ID) from Detail)"))
                     .toString(),
                 QStringLiteral("2024-02-03|2024-02-04|2024-02-03 09:00:00"));
        QCOMPARE(q.FieldByName(QStringLiteral("From")).AsString(), QStringLiteral("2024-02-03"));

        fresh({QStringLiteral("select [ID], [name], [URL] from Account where [ID]=1")})
            .OpenForUpdate();
        q.Edit();
        q.FieldByName(QStringLiteral("name")).SetValue(QStringLiteral("2025-01-01"));
        q.Post();
        QCOMPARE(TDM::LoadAccountInfo(1)->Name, QStringLiteral("2025-01-01"));
    }

    // A file made by an older build, without the CHECK on Detail.type, may hold a
    // deposit row equal to a transfer's row: the union must still drop the duplicate.
    void unionRuleReadsTheOpenFile() {
        TestEnv env;
        const QString old = env.dir() + QStringLiteral("/old.mdb");
        {
            TConnection make;
            QFile(old).open(QIODevice::WriteOnly); // SQLite makes an empty file a database
            make.Open(old);
            make.Execute(QStringLiteral(
                "CREATE TABLE Account (ID INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(255), "
                "type "
                "INTEGER, Balance REAL DEFAULT 0, negative INTEGER, WarnNegative INTEGER, URL "
                "VARCHAR(255), Memo LONGTEXT)"));
            for (const char* table :
                 {"Detail (ID INTEGER PRIMARY KEY AUTOINCREMENT, type INTEGER, DestID",
                  "Transfer (ID INTEGER PRIMARY KEY AUTOINCREMENT, SourceID INTEGER, DestID"})
                make.Execute(
                    QStringLiteral("CREATE TABLE %1 INTEGER, Date VARCHAR(19), [From] "
                                   "VARCHAR(255), Amount REAL, [For] VARCHAR(255), Memo LONGTEXT)")
                        .arg(QLatin1String(table)));
            make.Execute(QStringLiteral(
                "insert into Account(ID, name, type) values (5, 'Old', 0), (6, 'Other', 0)"));
            make.Execute(QStringLiteral(
                "insert into Detail values (1, 2, 5, '2020-01-01 10:00:00', 'x', 3, 'y', '')"));
            make.Execute(QStringLiteral(
                "insert into Transfer values (1, 5, 6, '2020-01-01 10:00:00', 'x', 3, 'y', '')"));
        }
        TConnection c;
        c.Open(old);
        const QString list = CombinedQueryText() + QStringLiteral(" and B.ID=5");
        QVERIFY2(!c.Translate(list).contains(QStringLiteral("union all"), Qt::CaseInsensitive),
                 qPrintable(c.Translate(list)));
        TQuery q(&c);
        q.SQL << list;
        q.Open();
        QCOMPARE(q.RecordCount(), 1);

        // The program's own file has the CHECK, and the union becomes union all.
        QCOMPARE(DM->conn.Translate(list).count(QStringLiteral("union all"), Qt::CaseInsensitive),
                 2);
        // A schema changed while the file is open is read again.
        c.Execute(QStringLiteral("drop table Detail"));
        c.Execute(
            QStringLiteral("CREATE TABLE Detail (ID INTEGER PRIMARY KEY, type INTEGER NOT NULL "
                           "CHECK (type IN (0, 1)), DestID INTEGER, Date VARCHAR(19), [From] "
                           "VARCHAR(255), Amount REAL, [For] VARCHAR(255), Memo LONGTEXT)"));
        QCOMPARE(c.Translate(list).count(QStringLiteral("union all"), Qt::CaseInsensitive), 2);
    }

    void dataModuleAndCardStatements() {
        TestEnv env;
        seed(env);
        QCOMPARE(TDM::GetWalletTotal().raw(), 82500);
        QCOMPARE(TDM::GetAccountTotal().raw(), 795000);

        PDataInfo bank = TDM::LoadAccountInfo(1);
        QCOMPARE(bank->Name, QStringLiteral("Bank"));
        QCOMPARE(bank->Balance.raw(), 1000000);
        QCOMPARE(bank->AccType, 0);
        QCOMPARE(TDM::FindAccountInfo(QStringLiteral("O'Brien"), true)->ID, 4);
        QCOMPARE(TDM::FindAccountInfo(QStringLiteral("O'Brien"), false)->ID, 0);

        TQuery& q = fresh({TPanelMgr::PanelStatement(false)});
        q.Open();
        QCOMPARE(rows(q, {"ID", "name", "type"}), QStringList({"1|Bank|0", "2|Card|1"}));

        fresh({TPanelMgr::PanelStatement(true)}).Open();
        QCOMPARE(rows(q, {"id", "NAME", "balance"}),
                 QStringList({"3|Cash|10.5", "4|O'Brien|-2.25"}));

        // A card reads back only a row of its own kind.
        for (auto [id, wallet, expected] : {std::tuple{3, true, 1}, std::tuple{1, true, 0},
                                            std::tuple{1, false, 1}, std::tuple{3, false, 0}}) {
            fresh({TImageBase::ReloadStatement(wallet)});
            q.SetParam(QStringLiteral("aa"), id);
            q.Open();
            QCOMPARE(q.RecordCount(), expected);
        }

        fresh({QStringLiteral("select * from Account")}).Open();
        QCOMPARE(q.RecordCount(), 4);
    }

    void combinedListStatement() {
        TestEnv env;
        seed(env);
        // The statement the main window's list really runs, with its filters.
        TTransactionList list;
        TQuery& q = list.qryList;
        auto listed = [&](int id, const QString& kind, QDate from, QDate to) {
            list.cbbType->setCurrentIndex(list.cbbType->findText(kind));
            list.dtpRange1->setDate(from);
            list.dtpRange2->setDate(to);
            list.LoadList(id);
            return rows(q, {"id", "AccID", "TypeName", "type", "Date1", "from", "Amount", "for",
                            "memo", "name", "AccType"});
        };
        // The list's empty start statement still yields its columns.
        QCOMPARE(q.RecordCount(), 0);
        QCOMPARE(q.FieldCount(), 8);
        QCOMPARE(q.FieldName(3), QStringLiteral("From"));

        // The account's deposits, debits and its transfer out, in date order; midnight
        // after the end date is inside the range, a second later is not.
        QCOMPARE(
            listed(1, QStringLiteral("-----All-----"), QDate(2026, 12, 1), QDate(2026, 12, 10)),
            QStringList({"1|1|Deposit|0|2026-12-01|Boss|50|salary|dec pay|Bank|0",
                         "1|1|Trans Out|2|2026-12-03|atm|40|cash|abc|Bank|0",
                         "2|1|Debit|1|2026-12-05|Shop|12.345|food|weekly|Bank|0",
                         "4|1|Debit|1|2026-12-11|Late|1|edge|midnight|Bank|0"}));
        // The same transfer is a transfer in for its destination.
        QCOMPARE(listed(3, QStringLiteral("Trans in"), QDate(2026, 11, 1), QDate(2026, 12, 30)),
                 QStringList({"1|3|Trans In|3|2026-12-03|atm|40|cash|abc|Cash|2"}));
        QCOMPARE(listed(1, QStringLiteral("Debit"), QDate(2026, 12, 5), QDate(2026, 12, 5)),
                 QStringList({"2|1|Debit|1|2026-12-05|Shop|12.345|food|weekly|Bank|0"}));
        QCOMPARE(listed(0, QStringLiteral("-----All-----"), QDate(2000, 1, 1), QDate(2099, 12, 31)),
                 QStringList());
        // Result columns carry the names the grid titles show.
        QStringList names;
        for (int i = 0; i < q.FieldCount(); ++i)
            names << q.FieldName(i);
        QCOMPARE(names, QStringList({"id", "AccID", "TypeName", "type", "date", "Date1", "from",
                                     "Amount", "for", "memo", "name", "AccType"}));
        QVERIFY(q.FieldIsLongText(q.FindFieldIndex(QStringLiteral("memo"))));
        QVERIFY(!q.FieldIsLongText(q.FindFieldIndex(QStringLiteral("Amount"))));
    }

    void historyAndQueryDialogStatements() {
        TestEnv env;
        seed(env);
        TQuery q(&DM->conn);
        auto history = [&](const QStringList& extra, const QString& dt1, const QString& dt2) {
            q.Close();
            q.SQL = QStringList{CombinedQueryText(),
                                QStringLiteral("and A.Date between :dt1 and :dt2 ")} +
                    extra + QStringList{QStringLiteral(" order by date ")};
            q.ClearParams();
            q.SetParam(QStringLiteral("dt1"), dt1);
            q.SetParam(QStringLiteral("dt2"), dt2);
            q.Open();
            return rows(q, {"id", "TypeName", "name"});
        };
        // Under all accounts a transfer shows twice with the same id.
        QCOMPARE(history({}, QStringLiteral("2026-12-03"), QStringLiteral("2026-12-04")),
                 QStringList({"1|Trans Out|Bank", "1|Trans In|Cash"}));
        QCOMPARE(history({QStringLiteral(" and B.Type = 2")}, QStringLiteral("2026-11-01"),
                         QStringLiteral("2026-12-31")),
                 QStringList({"3|Deposit|Cash", "1|Trans In|Cash"}));
        QCOMPARE(history({QStringLiteral(" and B.Type in(0,1)"), QStringLiteral(" and A.type = 1")},
                         QStringLiteral("2026-12-01"), QStringLiteral("2026-12-11")),
                 QStringList({"2|Debit|Bank", "4|Debit|Bank"}));
        QCOMPARE(
            history({FormatSQL(QStringLiteral(" and (A.from like '%%%s%%' or A.for like '%%%s%%' "
                                              "or A.Memo like '%%%s%%')"),
                               {QStringLiteral("AB"), QStringLiteral("AB"), QStringLiteral("AB")})},
                    QStringLiteral("2026-01-01"), QStringLiteral("2027-01-01")),
            QStringList({"1|Trans Out|Bank", "1|Trans In|Cash"}));
        QCOMPARE(history({FormatSQL(QStringLiteral(" and A.Amount between %s and %s "),
                                    {QStringLiteral("5"), QStringLiteral("12.345")}),
                          FormatSQL(QStringLiteral(" and A.from like '%%%s%%' "),
                                    {QStringLiteral("o")})},
                         QStringLiteral("2026-01-01"), QStringLiteral("2027-01-01")),
                 QStringList({"2|Debit|Bank"}));
        QCOMPARE(history({FormatSQL(QStringLiteral(" and A.Amount > %s "), {QStringLiteral("40")}),
                          FormatSQL(QStringLiteral(" and A.memo like '%%%s%%' "),
                                    {QStringLiteral("pay")})},
                         QStringLiteral("2026-01-01"), QStringLiteral("2027-01-01")),
                 QStringList({"1|Deposit|Bank"}));
        QCOMPARE(history({FormatSQL(QStringLiteral(" and A.Amount < %s "), {QStringLiteral("2")})},
                         QStringLiteral("2026-01-01"), QStringLiteral("2027-01-01")),
                 QStringList({"4|Debit|Bank"}));

        // A search text with a quote no longer breaks the statement.
        QCOMPARE(history({FormatSQL(QStringLiteral(" and (A.from like '%%%s%%' or A.for like "
                                                   "'%%%s%%' or A.Memo like '%%%s%%')"),
                                    {QStringLiteral("O'B"), QStringLiteral("O'B"),
                                     QStringLiteral("O'B")})},
                         QStringLiteral("2026-01-01"), QStringLiteral("2027-01-01")),
                 QStringList());
    }

    void statisticsStatement() {
        TestEnv env;
        seed(env);
        const int id = 1;
        TQuery& q = fresh(
            {QStringLiteral("select id, name, "),
             FormatSQL(QStringLiteral("(select balance from account where id=%d) as BalanceThis,"),
                       {id}),
             QStringLiteral("(select sum(balance) from account) as balanceTotal,"),
             QStringLiteral(
                 "IIF(BalanceTotal=0, 0, BalanceThis / BalanceTotal) as BalancePercent,"),
             FormatSQL(QStringLiteral("(select sum(amount) from detail where destid=%d and type=0 "
                                      "and Date between #%s# and #%s#) as MonthDeposit,"),
                       {id, "2026-12-01", "2026-12-11"}),
             FormatSQL(QStringLiteral("(select sum(amount) from detail where destid=%d and type=1 "
                                      "and Date between #%s# and #%s#) as MonthDebit,"),
                       {id, "2026-12-01", "2026-12-11"}),
             FormatSQL(QStringLiteral("(select sum(amount) from detail where destid=%d and type=0 "
                                      "and Date between #%s# and #%s#) as TodayDeposit,"),
                       {id, "2026-12-10", "2026-12-11"}),
             FormatSQL(QStringLiteral("(select sum(amount) from detail where destid=%d and type=1 "
                                      "and Date between #%s# and #%s#) as TodayDebit"),
                       {id, "2026-12-10", "2026-12-11"}),
             FormatSQL(QStringLiteral("from account where id=%d"), {id})});
        q.Open();
        QCOMPARE(q.FieldByName(QStringLiteral("name")).AsString(), QStringLiteral("Bank"));
        // 100 of 87.75 in all.
        QCOMPARE(q.FieldByName(QStringLiteral("BalancePercent")).AsMoney().raw(), 11396);
        QCOMPARE(q.FieldByName(QStringLiteral("MonthDeposit")).AsMoney().raw(), 500000);
        QCOMPARE(q.FieldByName(QStringLiteral("MonthDebit")).AsMoney().raw(), 133450);
        QVERIFY(q.FieldByName(QStringLiteral("TodayDeposit")).IsNull());
        QCOMPARE(q.FieldByName(QStringLiteral("TodayDeposit")).AsMoney().raw(), 0);
        QCOMPARE(q.FieldByName(QStringLiteral("TodayDebit")).AsMoney().raw(), 10000);

        // All balances zero: the share is 0, not a division error.
        env.sql(QStringLiteral("update Account set Balance = 0"));
        q.Open();
        QCOMPARE(q.FieldByName(QStringLiteral("BalancePercent")).AsMoney().raw(), 0);

        TQuery total(&DM->conn);
        total.SQL << FormatSQL(
            QStringLiteral("select '%s' as name, '%s%%' as BalancePercent, '%s' as MonthDeposit, "
                           "'%s' as MonthDebit, '%s' as TodayDeposit, '%s' as TodayDebit"),
            {QStringLiteral("O'Brien"), QStringLiteral("0.00"), QStringLiteral("$1.00"),
             QStringLiteral("$0.00"), QStringLiteral("$0.00"), QStringLiteral("$0.00")});
        total.Open();
        QCOMPARE(rows(total, {"name", "BalancePercent", "MonthDeposit"}),
                 QStringList({"O'Brien|0.00%|$1.00"}));
    }

    void editorAndEntryStatements() {
        TestEnv env;
        seed(env);
        TQuery& q = DM->m_Query;
        auto exec = [&](const QString& sql) {
            fresh({sql});
            return q.ExecSQL();
        };
        QCOMPARE(
            exec(FormatSQL(
                QStringLiteral(
                    "insert into account([name],[type],[negative],[WarnNegative],[URL],[Memo]) "
                    "values('%s', %d, %d, %d, '%s', '%s')"),
                {QStringLiteral("Joe's"), 1, 1, 0, QStringLiteral("http://x/?a='b'"),
                 QStringLiteral("it's")})),
            1);
        QCOMPARE(
            exec(FormatSQL(
                QStringLiteral(
                    "insert into Account([name],[type],[negative],[WarnNegative],[URL],[Memo]) "
                    "values('%s', 2, %d, %d, '%s', '%s')"),
                {QStringLiteral("Purse"), 0, 1, QString(), QString()})),
            1);
        PDataInfo joe = TDM::FindAccountInfo(QStringLiteral("Joe's"), false);
        QCOMPARE(joe->ID, 5);
        QCOMPARE(joe->Balance.raw(), 0); // a new row starts at zero
        QVERIFY(joe->Negative && !joe->WarnNegative);
        QCOMPARE(joe->URL, QStringLiteral("http://x/?a='b'"));
        QCOMPARE(joe->Memo, QStringLiteral("it's"));
        QCOMPARE(TDM::FindAccountInfo(QStringLiteral("Purse"), true)->AccType, 2);

        // Editing through the updatable one-row result.
        fresh({QStringLiteral("select [ID], [name], [negative],[WarnNegative],[URL],[Memo] from "
                              "Account where [ID]=5")})
            .OpenForUpdate();
        q.Edit();
        q.FieldByName(QStringLiteral("name")).SetValue(QStringLiteral("Jo'e"));
        q.FieldByName(QStringLiteral("WarnNegative")).SetValue(1);
        q.Post();
        QCOMPARE(env.sql(QStringLiteral(
                             "select name || WarnNegative || Balance from Account where ID=5"))
                     .toString(),
                 QStringLiteral("Jo'e10.0"));

        // A new Detail row appended through "top 1"; money is kept to four decimals.
        fresh({QStringLiteral("SELECT top 1 [type], [DestID], [Date], [From], [Amount], [For], "
                              "[Memo] FROM Detail")})
            .OpenForUpdate();
        QCOMPARE(q.RecordCount(), 1);
        q.Append();
        q.FieldByName(QStringLiteral("type")).SetValue(0);
        q.FieldByName(QStringLiteral("DestID")).SetValue(3);
        q.FieldByName(QStringLiteral("Date"))
            .SetDateTime(QDateTime(QDate(2026, 12, 9), QTime(8, 30, 5)));
        q.FieldByName(QStringLiteral("From")).SetValue(QStringLiteral("Ann's"));
        q.FieldByName(QStringLiteral("Amount")).SetMoney(*Money::parse(QStringLiteral("10.005")));
        q.FieldByName(QStringLiteral("For")).SetValue(QStringLiteral("x"));
        q.FieldByName(QStringLiteral("Memo")).SetValue(QStringLiteral("two\nlines"));
        q.Post();
        QCOMPARE(
            exec(FormatSQL(QStringLiteral("update Account set Balance = balance + %f where ID=%d"),
                           {*Money::parse(QStringLiteral("10.005")), 3})),
            1);
        QCOMPARE(env.sql(QStringLiteral("select Balance from Account where ID=3")).toDouble(),
                 20.51);
        fresh({QStringLiteral(
                  "SELECT type, DestID, Date, [From], Amount, For, Memo FROM Detail where ID=6")})
            .Open();
        QCOMPARE(q.FieldByName(QStringLiteral("Amount")).AsMoney().raw(), 100050);
        QCOMPARE(q.FieldByName(QStringLiteral("Date")).AsDateTime(),
                 QDateTime(QDate(2026, 12, 9), QTime(8, 30, 5)));
        QCOMPARE(q.FieldByName(QStringLiteral("from")).AsString(), QStringLiteral("Ann's"));
        QCOMPARE(q.FieldByName(QStringLiteral("Memo")).AsString(), QStringLiteral("two\nlines"));

        QCOMPARE(exec(FormatSQL(
                     QStringLiteral("update Account set Balance = balance - %f + %f where ID=%d"),
                     {Money::fromUnits(10), Money::fromUnits(4), 3})),
                 1);
        QCOMPARE(exec(FormatSQL(
                     QStringLiteral("update Account set Balance = balance + %f - %f where ID=%d"),
                     {Money::fromUnits(1), Money::fromRaw(5), 3})),
                 1);
        // 20.51 - 10 + 4 + 1 - 0.00: a balance moves by the amount rounded to cents.
        QCOMPARE(TDM::LoadAccountInfo(3)->Balance.raw(), 155100);

        // Party lists, name lists and the transfer statements.
        fresh({QStringLiteral("SELECT DISTINCT [from] FROM Detail where type=0")}).Open();
        QCOMPARE(rows(q, {"from"}), QStringList({"Boss", "Gran", "Ann's"}));
        fresh({QStringLiteral("SELECT DISTINCT [from] FROM Detail where type = 1")}).Open();
        QCOMPARE(q.RecordCount(), 3);
        fresh({QStringLiteral("select [name] from Account where type in (0, 1)")}).Open();
        QCOMPARE(rows(q, {"name"}), QStringList({"Bank", "Card", "Jo'e"}));
        fresh({QStringLiteral("select ID, [name], [Type] from Account order by type")}).Open();
        QCOMPARE(rows(q, {"Type"}), QStringList({"0", "1", "1", "2", "2", "2"}));
        fresh({QStringLiteral("select [name], [Type] from Account where ID=3")}).Open();
        QCOMPARE(rows(q, {"name", "type"}), QStringList({"Cash|2"}));
        fresh({QStringLiteral("SELECT DISTINCT [from] FROM Transfer")}).Open();
        QCOMPARE(rows(q, {"from"}), QStringList({"atm"}));

        fresh({QStringLiteral("SELECT [SourceID], [DestID], [Date], [From], [Amount], [For], "
                              "[Memo] FROM Transfer where ID=1")})
            .OpenForUpdate();
        q.Edit();
        q.FieldByName(QStringLiteral("Amount")).SetMoney(Money::fromUnits(45));
        q.Post();
        QCOMPARE(env.sql(QStringLiteral("select Amount from Transfer where ID=1")).toDouble(),
                 45.0);
        fresh({QStringLiteral("SELECT top 1 [SourceID], [DestID], [Date], [From], [Amount], [For], "
                              "[Memo] FROM Transfer")})
            .OpenForUpdate();
        q.Append();
        q.FieldByName(QStringLiteral("SourceID")).SetValue(2);
        q.FieldByName(QStringLiteral("DestID")).SetValue(2);
        q.Post();
        QCOMPARE(env.sql(QStringLiteral("select count(*) from Transfer")).toInt(), 2);
    }

    void deleteStatementsOnTheConnection() {
        TestEnv env;
        seed(env);
        TConnection& c = DM->conn;
        QCOMPARE(c.Execute(FormatSQL(
                     QStringLiteral("update account set balance=balance - %f where id=%d"),
                     {Money::fromUnits(50), 1})),
                 1);
        QCOMPARE(c.Execute(FormatSQL(QStringLiteral("delete from detail where id=%d "), {1})), 1);
        QCOMPARE(
            c.Execute(FormatSQL(QStringLiteral("update account set balance=balance + %f where "
                                               "id=(select SourceID from transfer where ID=%d);"),
                                {Money::fromUnits(40), 1})),
            1);
        QCOMPARE(
            c.Execute(FormatSQL(QStringLiteral("update account set balance=balance - %f where "
                                               "id=(select DestID from transfer where ID=%d);"),
                                {Money::fromUnits(40), 1})),
            1);
        QCOMPARE(c.Execute(FormatSQL(QStringLiteral("delete from transfer where id=%d "), {1})), 1);
        // The second side of a deleted transfer finds nothing to change.
        QCOMPARE(
            c.Execute(FormatSQL(QStringLiteral("update account set balance=balance + %f where "
                                               "id=(select SourceID from transfer where ID=%d);"),
                                {Money::fromUnits(40), 1})),
            0);
        QCOMPARE(TDM::LoadAccountInfo(1)->Balance.raw(), 900000);
        QCOMPARE(TDM::LoadAccountInfo(3)->Balance.raw(), -295000);

        QVERIFY(TDM::DeleteAccountRow(1));
        QVERIFY(!TDM::DeleteAccountRow(1));
        // Its records stay but no list shows them.
        QCOMPARE(env.sql(QStringLiteral("select count(*) from Detail where DestID=1")).toInt(), 3);
        TQuery q(&DM->conn);
        q.SQL << CombinedQueryText() << QStringLiteral(" and B.ID=1");
        q.Open();
        QCOMPARE(q.RecordCount(), 0);
    }

    void transactionsRollBack() {
        TestEnv env;
        seed(env);
        TConnection& c = DM->conn;
        c.BeginTrans();
        QVERIFY(c.InTransaction());
        c.Execute(QStringLiteral("update Account set Balance = balance + 1 where ID=1"));
        c.RollbackTrans();
        QVERIFY(!c.InTransaction());
        QCOMPARE(TDM::LoadAccountInfo(1)->Balance.raw(), 1000000);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 c.Execute(QStringLiteral("update Nowhere set x=1")));
        try {
            c.Execute(QStringLiteral("select * from Nowhere"));
            QFAIL("a bad statement must raise the engine's error");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("no such table: Nowhere")),
                     qPrintable(e.message()));
        }
    }
};

BUDGET_TEST(StatementsTest)
#include "tst_statements.moc"
