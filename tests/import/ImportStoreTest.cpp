#include "ImportTestKit.h"
#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "data/Errors.h"
#include "import/ImportStore.h"

#include <QtTest>

using namespace ImportTestKit;
using namespace TestData;

namespace {

TStatementLine line(const char* date, const char* party, const char* amount, const char* id = "") {
    TStatementLine l;
    l.Date = QDate::fromString(QLatin1String(date), Qt::ISODate);
    l.Party = QString::fromUtf8(party);
    l.Amount = *Money::parse(QLatin1String(amount), QLocale::c());
    l.SourceId = QString::fromLatin1(id);
    l.Purpose = QStringLiteral("imported");
    return l;
}

TStatement statementOf(std::vector<TStatementLine> lines) {
    TStatement st;
    st.Accounts.push_back({});
    st.Lines = std::move(lines);
    return st;
}

std::vector<TImportRow> marked(int target, const TStatement& st) {
    std::vector<TImportRow> rows = RowsFor(st, 0);
    ImportStore::MarkDuplicates(target, rows);
    return rows;
}

// "New", "Duplicate", "Error" per row, and '*' after a checked one.
QString states(const std::vector<TImportRow>& rows) {
    QStringList out;
    for (const TImportRow& r : rows)
        out << QStringLiteral("%1%2").arg(r.State == RowState::New ? QStringLiteral("New")
                                          : r.State == RowState::Duplicate
                                              ? QStringLiteral("Duplicate")
                                              : QStringLiteral("Error"),
                                          r.Checked ? QStringLiteral("*") : QString());
    return out.join(u' ');
}

bool tableExists(TestEnv& env, const char* name) {
    return env.sql(QStringLiteral("select count(*) from sqlite_master where name='%1'")
                       .arg(QLatin1String(name)))
               .toInt() == 1;
}

const QByteArray Csv = "Date,Payee,Amount,Category\n2024-01-05,Coffee,-3.50,Food\n"
                       "2024-01-05,Coffee,-3.50,Food\n2024-01-06,Employer,1000.00,Salary\n";
const QByteArray Qif = "!Type:Bank\nD1/5/24\nT-3.50\nPCoffee\n^\nD1/5/24\nT-3.50\nPCoffee\n^\n"
                       "D1/6/24\nT1000.00\nPEmployer\n^\n";

} // namespace

class TestImportStore : public QObject {
    Q_OBJECT
private slots:
    void savedLinesBecomeRecordsAndMoveBalancesByTheirCents() {
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        const int cash = AddAccount(env, "Cash", 2);
        const TStatement st = statementOf(
            {line("2024-01-05", "  Payer ", "10.005", "F1"), line("2024-01-06", "Shop", "-3.333"),
             line("2024-01-07", "To cash", "-5", "F3"), line("2024-01-08", "From cash", "2", "F4"),
             line("2024-01-09", "Left out", "-100")});
        std::vector<TImportRow> rows = marked(bank, st);
        rows[2].TransferWith = cash;
        rows[3].TransferWith = cash;
        rows[4].Checked = false;
        QCOMPARE(ImportStore::Save(bank, rows), 4);

        QCOMPARE(Balance(env, bank), QStringLiteral("3.68")); // 10.01 - 3.33 - 5 + 2
        QCOMPARE(Balance(env, cash), QStringLiteral("3"));
        QCOMPARE(BalanceMismatches(env), QStringList());
        QCOMPARE(
            env.sql("select group_concat(type || ' ' || DestID || ' ' || Date || ' ' || [From] "
                    "|| ' ' || Amount || ' ' || [For], '|') from Detail")
                .toString(),
            QStringLiteral("0 %1 2024-01-05 00:00:00 Payer 10.005 imported|"
                           "1 %1 2024-01-06 00:00:00 Shop 3.333 imported")
                .arg(bank));
        QCOMPARE(env.sql("select group_concat(SourceID || '>' || DestID || ' ' || Amount, '|') "
                         "from Transfer")
                     .toString(),
                 QStringLiteral("%1>%2 5.0|%2>%1 2.0").arg(bank).arg(cash));
        // Only lines with a bank id are kept for the next import.
        QCOMPARE(env.sql("select group_concat(ifnull(DetailID, 'T' || TransferID) || ' ' || "
                         "TargetID || ' ' || LineID, '|') from ImportedEntry")
                     .toString(),
                 QStringLiteral("1 %1 F1|T1 %1 F3|T2 %1 F4").arg(bank));
    }

    void theSameStatementImportedTwiceImportsNothingTheSecondTime_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("CSV") << Csv;
        QTest::newRow("QIF") << Qif;
        QTest::newRow("OFX") << ofxSgml(
            "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-3.50<FITID>1<NAME>Coffee"
            "</STMTTRN>\n<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-3.50<FITID>2"
            "<NAME>Coffee</STMTTRN>\n<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20240106<TRNAMT>"
            "1000.00<FITID>3<NAME>Employer</STMTTRN>\n");
    }
    void theSameStatementImportedTwiceImportsNothingTheSecondTime() {
        QFETCH(QByteArray, file);
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        const TStatement st = readStatement(file);
        std::vector<TImportRow> rows = marked(bank, st);
        // Two equal payments on one day are two payments.
        QCOMPARE(states(rows), QStringLiteral("New* New* New*"));
        QCOMPARE(ImportStore::Save(bank, rows), 3);
        rows = marked(bank, st);
        QCOMPARE(states(rows), QStringLiteral("Duplicate Duplicate Duplicate"));
        QCOMPARE(ImportStore::Save(bank, rows), 0);
        QCOMPARE(Count(env, "Detail"), 3);
        QCOMPARE(Balance(env, bank), QStringLiteral("993"));
    }

    void duplicatesMatchDirectionAmountDatesAndParty_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("party");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("expected");
        // The account holds a debit of 12.34 to "Coffee Shop" on 2024-01-10.
        QTest::newRow("the same") << "2024-01-10"
                                  << "Coffee Shop"
                                  << "-12.34"
                                  << "Duplicate";
        QTest::newRow("three days before") << "2024-01-07"
                                           << "Coffee Shop"
                                           << "-12.34"
                                           << "Duplicate";
        QTest::newRow("three days after") << "2024-01-13"
                                          << "Coffee Shop"
                                          << "-12.34"
                                          << "Duplicate";
        QTest::newRow("four days after") << "2024-01-14"
                                         << "Coffee Shop"
                                         << "-12.34"
                                         << "New*";
        QTest::newRow("case and blanks") << "2024-01-10"
                                         << "  COFFEE \t shop "
                                         << "-12.34"
                                         << "Duplicate";
        QTest::newRow("another party") << "2024-01-10"
                                       << "Coffee Shops"
                                       << "-12.34"
                                       << "New*";
        QTest::newRow("money in") << "2024-01-10"
                                  << "Coffee Shop"
                                  << "12.34"
                                  << "New*";
        QTest::newRow("a cent more") << "2024-01-10"
                                     << "Coffee Shop"
                                     << "-12.35"
                                     << "New*";
    }
    void duplicatesMatchDirectionAmountDatesAndParty() {
        QFETCH(QString, date);
        QFETCH(QString, party);
        QFETCH(QString, amount);
        QFETCH(QString, expected);
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        const int other = AddAccount(env, "Other", 0);
        AddDetail(env, bank, 1, "2024-01-10 14:00:00", "12.34", "Coffee Shop");
        AddDetail(env, other, 1, "2024-01-10 14:00:00", "12.34", "Coffee Shop");
        const TStatement st =
            statementOf({line(qPrintable(date), qPrintable(party), qPrintable(amount)),
                         line(qPrintable(date), qPrintable(party), qPrintable(amount))});
        // One record answers for one line only.
        QCOMPARE(states(marked(bank, st)), expected + QStringLiteral(" New*"));
    }

    void bankIdsAreDuplicatesUntilTheirRecordIsDeleted() {
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        const int card = AddAccount(env, "Card", 1);
        const TStatement st = statementOf(
            {line("2024-01-05", "Shop", "-7", "X1"), line("2024-01-20", "Shop", "-9", "X1")});
        std::vector<TImportRow> rows = marked(bank, st);
        QCOMPARE(states(rows), QStringLiteral("New* Duplicate"));
        QCOMPARE(rows[1].Why, QStringLiteral("its id comes earlier in this file"));
        ImportStore::Save(bank, rows);
        // Renamed since, it is still the line imported before; into another account it is new.
        env.sql(QStringLiteral("update Detail set [From]='Renamed'"));
        rows = marked(bank, statementOf({line("2024-01-05", "Shop", "-7", "X1")}));
        QCOMPARE(rows[0].Why, QStringLiteral("imported before"));
        QCOMPARE(states(marked(card, statementOf({line("2024-01-05", "Shop", "-7", "X1")}))),
                 QStringLiteral("New*"));
        // Deleted in the history window, it may come back.
        QCOMPARE(UserActions::DeleteRecords({{env.sql("select ID from Detail").toInt(), "Debit"}}),
                 1);
        QCOMPARE(states(marked(bank, statementOf({line("2024-01-05", "Shop", "-7", "X1")}))),
                 QStringLiteral("New*"));
    }

    void recordedTransfersAreDuplicates() {
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        const int cash = AddAccount(env, "Cash", 2);
        const int card = AddAccount(env, "Card", 1);
        AddTransfer(env, bank, cash, "2024-01-10 09:00:00", "50");
        const TStatement st =
            statementOf({line("2024-01-12", "ATM", "-50"), line("2024-01-12", "ATM", "-50"),
                         line("2024-01-12", "ATM", "50")});
        std::vector<TImportRow> rows = RowsFor(st, 0);
        rows[0].TransferWith = card; // the transfer recorded went to the cash wallet
        ImportStore::MarkDuplicates(bank, rows);
        QCOMPARE(states(rows), QStringLiteral("New* Duplicate New*"));
        QCOMPARE(rows[1].TransferWith, cash);
        QCOMPARE(rows[1].Why, QStringLiteral("a transfer to Cash of 50.00 on 1/10/2024"));
        rows[0].TransferWith = cash;
        ImportStore::MarkDuplicates(bank, rows);
        QCOMPARE(states(rows), QStringLiteral("Duplicate New* New*"));
        QCOMPARE(rows[1].TransferWith, 0);
    }

    void anyFailureRollsTheWholeImportBack() {
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        const int cash = AddAccount(env, "Cash", 2);
        std::vector<TStatementLine> lines;
        for (int i = 0; i < 3000; ++i)
            lines.push_back(line("2024-01-05", qPrintable(QStringLiteral("P%1").arg(i)), "-1",
                                 qPrintable(QStringLiteral("id%1").arg(i))));
        const TStatement st = statementOf(lines);
        std::vector<TImportRow> rows = marked(bank, st);
        rows[2999].TransferWith = cash;
        const QString before = Snapshot(env);
        const auto nothingWritten = [&] {
            return Snapshot(env) == before && !tableExists(env, "ImportedEntry");
        };

        FailOn(env, "Detail", "INSERT", "NEW.[From] = 'P2500'");
        try {
            ImportStore::Save(bank, rows);
            QFAIL("saved over a failing insert");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("test failure in INSERT on Detail"));
        }
        QVERIFY(nothingWritten());
        StopFailing(env);

        BreakBalanceUpdates(env);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ImportStore::Save(bank, rows));
        QVERIFY(nothingWritten());
        MendBalanceUpdates(env);

        int asked = 0;
        QVERIFY_THROWS_EXCEPTION(EStatementCancelled,
                                 ImportStore::Save(bank, rows, {}, [&](qint64 done, qint64) {
                                     ++asked;
                                     return done < 2000;
                                 }));
        QVERIFY(asked > 1);
        QVERIFY(nothingWritten());

        env.sql(QStringLiteral("delete from Account where ID=%1").arg(cash));
        QVERIFY_THROWS_EXCEPTION(ImportStore::ESaveRefused, ImportStore::Save(bank, rows));
        env.sql(QStringLiteral("insert into Account (ID, name, type) values (%1, 'Cash', 2)")
                    .arg(cash));
        env.sql(QStringLiteral("update Account set Balance = -9999999999 where ID=%1").arg(bank));
        const QString full = Snapshot(env);
        try {
            ImportStore::Save(bank, rows);
            QFAIL("a balance beyond the limits was saved");
        } catch (const ImportStore::ESaveRefused& e) {
            QVERIFY(e.Message.contains(QStringLiteral("beyond what the program can hold")));
        }
        QCOMPARE(Snapshot(env), full);

        env.sql(QStringLiteral("update Account set Balance = 0 where ID=%1").arg(bank));
        QCOMPARE(ImportStore::Save(bank, rows), 3000);
        QCOMPARE(BalanceMismatches(env), QStringList());
    }

    void theConfirmedMappingIsRememberedForItsHeader() {
        TestEnv env;
        const int bank = AddAccount(env, "Bank", 0);
        QVERIFY(!ImportStore::RememberedMapping(QStringLiteral(",|date|amount")));
        TCsvMapping m;
        m.DateColumn = 1;
        m.AmountColumn = 0;
        m.Order = DateOrder::MDY;
        ImportStore::Save(bank, {}, ImportStore::TMappingToKeep{",|date|amount", m});
        QCOMPARE(ImportStore::RememberedMapping(QStringLiteral(",|date|amount")),
                 std::optional<TCsvMapping>(m));
        QVERIFY(!ImportStore::RememberedMapping(QStringLiteral(";|date|amount")));
    }
};

BUDGET_TEST(TestImportStore)
#include "ImportStoreTest.moc"
