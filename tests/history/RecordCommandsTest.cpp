// The history window's Edit, Delete and Copy on the selected rows.
#include "HistoryTestUtil.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "transactions/UtDeposit.h"
#include "transactions/UtTransfer.h"
#include "ui/Application.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QToolButton>
#include <QtTest>

using namespace TestData;

namespace {

const int colAmount = 5, colFrom = 4;

struct Rows {
    int bank, card, purse;
    int deposit, debit, transfer, smallTransfer;
};

// A month of rows whose balances agree with them.
Rows addMonth(TestEnv& env) {
    Rows r{};
    r.bank = AddAccount(env, QStringLiteral("Bank"), 0);
    r.card = AddAccount(env, QStringLiteral("Card"), 1);
    r.purse = AddAccount(env, QStringLiteral("Purse"), 2);
    r.deposit = AddDetail(env, r.bank, 0, "2024-03-05 09:00:00", "25");
    r.debit = AddDetail(env, r.card, 1, "2024-03-06 09:00:00", "10.005");
    r.transfer = AddTransfer(env, r.bank, r.purse, "2024-03-07 09:00:00", "40");
    r.smallTransfer = AddTransfer(env, r.card, r.purse, "2024-03-08 09:00:00", "7");
    AddDetail(env, r.purse, 0, "2024-03-09 09:00:00", "100", QStringLiteral("stays"));
    SettleBalances(env);
    return r;
}

QStringList balances(TestEnv& env, const Rows& r) {
    return {Balance(env, r.bank), Balance(env, r.card), Balance(env, r.purse)};
}

} // namespace

class RecordCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void deleteGivesTheAmountsBack() {
        TestEnv env;
        const Rows r = addMonth(env);
        QCOMPARE(balances(env, r), (QStringList{"-15", "-17.01", "147"}));
        TFrmAccountHistory frm;
        frm.show();
        RunHistoryQuery(frm, {});
        QCOMPARE(frm.qryList.RecordCount(), 7);

        // Nothing selected: the box says so and nothing happens.
        frm.dbgrdh1->clearSelection();
        frm.btnDeleteClick();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        const RecordedMessage none = env.messages->messages.back();
        QCOMPARE(none.caption, QStringLiteral("ERROR"));
        QCOMPARE(none.text, QStringLiteral("Please select an record to delete!"));
        QCOMPARE(none.icon, MsgIcon::Information);

        // No leaves everything as it was.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.deposit, "Deposit")});
        env.messages->answers = {mbNo};
        frm.btnDeleteClick();
        const RecordedMessage ask = env.messages->messages.back();
        QCOMPARE(ask.caption, QStringLiteral("Query"));
        QCOMPARE(ask.text, QStringLiteral("Are you sure to delete this record?"));
        QCOMPARE(ask.icon, MsgIcon::Question);
        QCOMPARE(ask.buttons, MsgButtons(mbYes | mbNo));
        QCOMPARE(balances(env, r), (QStringList{"-15", "-17.01", "147"}));
        QCOMPARE(Count(env, "Detail") + Count(env, "Transfer"), 5);

        // A deposit takes its amount back from its account.
        frm.btnDeleteClick();
        QCOMPARE(balances(env, r), (QStringList{"-40", "-17.01", "147"}));
        QCOMPARE(frm.qryList.RecordCount(), 6);
        QCOMPARE(HistoryRowOf(frm, r.deposit, "Deposit"), -1);
        QVERIFY(BalanceMismatches(env).isEmpty());

        // A debit gives its amount back, rounded to cents as it was taken.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.debit, "Debit")});
        frm.btnDeleteClick();
        QCOMPARE(balances(env, r), (QStringList{"-40", "-7", "147"}));
        QVERIFY(BalanceMismatches(env).isEmpty());

        // A transfer reached from its incoming row: the source gets it back.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.transfer, "Trans In")});
        frm.btnDeleteClick();
        QCOMPARE(balances(env, r), (QStringList{"0", "-7", "107"}));
        QCOMPARE(HistoryRowOf(frm, r.transfer, "Trans Out"), -1);
        QVERIFY(BalanceMismatches(env).isEmpty());

        // Both rows of one transfer correct the balances once.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.smallTransfer, "Trans Out"),
                                     HistoryRowOf(frm, r.smallTransfer, "Trans In")});
        QCOMPARE(frm.dbgrdh1->SelectedRows().size(), size_t(2));
        frm.btnDeleteClick();
        QCOMPARE(balances(env, r), (QStringList{"0", "0", "100"}));
        QCOMPARE(GridColumn(frm.dbgrdh1, colFrom), QStringList{"stays"});
        QVERIFY(BalanceMismatches(env).isEmpty());
        QVERIFY(!DM->conn.InTransaction());
    }

    // Another copy of the program changed the records after this list was read: Delete
    // gives back what the file holds, from the account it holds it for.
    void deleteGivesBackWhatIsStoredNotWhatTheListShowed() {
        TestEnv env;
        const Rows r = addMonth(env);
        TFrmAccountHistory frm;
        frm.show();
        RunHistoryQuery(frm, {});
        // The other copy moves the deposit of 25 to the card as 60, takes the transfer's
        // amount up to 45, and deletes the debit, each with its balances.
        env.sql(QStringLiteral("update Detail set Amount = 60, DestID = %1 where ID = %2")
                    .arg(r.card)
                    .arg(r.deposit));
        env.sql(
            QStringLiteral("update Account set Balance = Balance - 25 where ID = %1").arg(r.bank));
        env.sql(
            QStringLiteral("update Account set Balance = Balance + 60 where ID = %1").arg(r.card));
        env.sql(QStringLiteral("update Transfer set Amount = 45 where ID = %1").arg(r.transfer));
        env.sql(
            QStringLiteral("update Account set Balance = Balance - 5 where ID = %1").arg(r.bank));
        env.sql(
            QStringLiteral("update Account set Balance = Balance + 5 where ID = %1").arg(r.purse));
        env.sql(QStringLiteral("delete from Detail where ID = %1").arg(r.debit));
        env.sql(QStringLiteral("update Account set Balance = Balance + 10.01 where ID = %1")
                    .arg(r.card));
        QVERIFY(BalanceMismatches(env).isEmpty());

        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.deposit, "Deposit"),
                                     HistoryRowOf(frm, r.debit, "Debit"),
                                     HistoryRowOf(frm, r.transfer, "Trans Out")});
        QCOMPARE(frm.dbgrdh1->SelectedRows().size(), size_t(3));
        frm.btnDeleteClick();
        QVERIFY2(BalanceMismatches(env).isEmpty(), qPrintable(BalanceMismatches(env).join(u' ')));
        QCOMPARE(balances(env, r), (QStringList{"0", "-7", "107"}));
    }

    void aFailingStatementRollsTheWholeCommandBack() {
        TestEnv env;
        const Rows r = addMonth(env);
        TFrmAccountHistory frm;
        frm.show();
        RunHistoryQuery(frm, {});
        env.sql("CREATE TRIGGER test_keep BEFORE DELETE ON Transfer "
                "BEGIN SELECT RAISE(ABORT, 'transfers are kept'); END");
        // The deposit comes first in the list, so its statements have run when the
        // transfer's delete fails.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.deposit, "Deposit"),
                                     HistoryRowOf(frm, r.transfer, "Trans Out")});
        frm.findChild<QAction*>(QStringLiteral("mniDelete"))->trigger();
        const RecordedMessage report = env.messages->messages.back();
        QCOMPARE(report.caption, ApplicationTitle());
        QVERIFY2(report.text.contains(QStringLiteral("transfers are kept")),
                 qPrintable(report.text));
        QCOMPARE(report.icon, MsgIcon::Error);
        QCOMPARE(balances(env, r), (QStringList{"-15", "-17.01", "147"}));
        QCOMPARE(Count(env, "Detail"), 3);
        QCOMPARE(Count(env, "Transfer"), 2);
        QVERIFY(BalanceMismatches(env).isEmpty());
        QVERIFY(!DM->conn.InTransaction());

        // The next command works again.
        env.sql("DROP TRIGGER test_keep");
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.transfer, "Trans Out")});
        frm.btnDelete->click();
        QCOMPARE(Count(env, "Transfer"), 1);
        QVERIFY(BalanceMismatches(env).isEmpty());
    }

    void editOpensTheFirstSelectedRecord() {
        TestEnv env;
        const Rows r = addMonth(env);
        TFrmAccountHistory frm;
        frm.show();
        RunHistoryQuery(frm, {});

        struct Opened {
            QString window;
            int editId;
        };
        std::vector<Opened> opened;
        const auto edit = [&](const QString& amount) {
            opened.clear();
            ModalsOpenedBy([&] { frm.btnEditClick(); },
                           [&](QDialog* d) {
                               int id = 0;
                               if (auto* t = qobject_cast<TFrmTransfer*>(d))
                                   id = t->EditId;
                               else if (auto* e = qobject_cast<TFrmDeposit*>(d))
                                   id = e->EditId;
                               opened.push_back({d->windowTitle(), id});
                               if (amount.isEmpty())
                                   return;
                               d->findChild<QLineEdit*>("edtAmmount")->setText(amount);
                               for (const char* ok : {"btnOK", "btnSave"})
                                   if (auto* b = d->findChild<QPushButton*>(ok))
                                       b->click();
                           });
        };

        // Either row of a transfer opens the same transfer.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.transfer, "Trans Out")});
        edit({});
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.transfer, "Trans In")});
        edit(QStringLiteral("45"));
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0].window, QStringLiteral("Edit Transfer"));
        QCOMPARE(opened[0].editId, r.transfer);
        // The statement ran again: both sides show the new amount.
        QCOMPARE(GridColumn(frm.dbgrdh1, colAmount).count("45"), 2);
        QCOMPARE(balances(env, r), (QStringList{"-20", "-17.01", "152"}));
        QVERIFY(BalanceMismatches(env).isEmpty());

        // Of three selected rows only the first in list order is opened.
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.smallTransfer, "Trans In"),
                                     HistoryRowOf(frm, r.debit, "Debit"),
                                     HistoryRowOf(frm, r.transfer, "Trans In")});
        edit(QStringLiteral("12"));
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0].window, QStringLiteral("Edit Debit"));
        QCOMPARE(opened[0].editId, r.debit);
        QCOMPARE(balances(env, r), (QStringList{"-20", "-19", "152"}));
        QVERIFY(BalanceMismatches(env).isEmpty());

        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, r.deposit, "Deposit")});
        edit({});
        QCOMPARE(opened[0].window, QStringLiteral("Edit Deposit"));
        QCOMPARE(opened[0].editId, r.deposit);

        frm.dbgrdh1->clearSelection();
        edit({});
        QVERIFY(opened.empty());
        QVERIFY(env.messages->messages.empty());
        QVERIFY(BalanceMismatches(env).isEmpty());
    }

    void copyPutsTheSelectedRowsOnTheClipboard() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int purse = AddAccount(env, QStringLiteral("Purse"), 2);
        AddDetail(env, bank, 0, "2024-03-05 09:30:00", "12.5", QStringLiteral("shop"),
                  QStringLiteral("weekly"));
        AddDetail(env, bank, 1, "2024-03-06 00:00:00", "10.005", QStringLiteral("Grocer"));
        const int transfer = AddTransfer(env, bank, purse, "2024-03-07 18:05:09", "40");
        TFrmAccountHistory frm;
        frm.show();
        RunHistoryQuery(frm, {});
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));

        frm.dbgrdh1->clearSelection();
        frm.btnCopyClick();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

        // Selected bottom first; the lines follow the list.
        SelectGridRows(frm.dbgrdh1, {1, 0});
        frm.btnCopy->click();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("3/5/2024 9:30:00 AM,Deposit,weekly,3/5/2024,shop,12.5,food,\r\n"
                                "3/6/2024,Debit,,3/6/2024,Grocer,10.005,food,\r\n"));
        SelectGridRows(frm.dbgrdh1, {HistoryRowOf(frm, transfer, "Trans Out")});
        frm.findChild<QAction*>(QStringLiteral("mniCopy"))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text().section(',', 0, 1),
                 QStringLiteral("3/7/2024 6:05:09 PM,Trans Out"));
    }
};
BUDGET_TEST(RecordCommandsTest)
#include "RecordCommandsTest.moc"
