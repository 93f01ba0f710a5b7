#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "cards/UtCards.h"
#include "transactions/UtTransfer.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>

using namespace TestData;
using namespace UserActions;

namespace {

QStringList entries(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

QComboBox* combo(QDialog& f, const char* name) {
    return f.findChild<QComboBox*>(QLatin1String(name));
}
QLineEdit* amountOf(QDialog& f) {
    return f.findChild<QLineEdit*>(QStringLiteral("edtAmmount"));
}

// The user picks an entry of a side's list by its text.
void pick(TFrmTransfer& f, const char* list, const QString& text) {
    QComboBox* box = combo(f, list);
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

int lastTransfer(TestEnv& env) {
    return env.sql(QStringLiteral("select max(ID) from Transfer")).toInt();
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
private slots:
    void listsHoldSectionsAndEndpointsArePreselected();
    void newTransfersMoveBothBalances();
    void editsCorrectBothEnds();
    void editMovingAnEndRestoresItsOldRow();
    void headersAndInputChecksRefuseSave();
    void failedSaveRollsBackAndCanBeRetried();
    void editKeepsTimeAndEscDoesNotClose();
    void rowsOfTheSameNameAreTakenByTheirIds();
    void changesByAnotherCopyAreReadAtSave();
    void narrowListsShowTheirEntries();
};

void TestTransfer::listsHoldSectionsAndEndpointsArePreselected() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
    const int visa = AddAccount(env, QStringLiteral("Visa"), 1);
    {
        TFrmTransfer f;
        QCOMPARE(entries(combo(f, "cbbInf1")),
                 QStringList({QStringLiteral("---Account---"), QStringLiteral("    Bank"),
                              QStringLiteral("    Visa")}));
        QCOMPARE(entries(combo(f, "cbbInf2")), entries(combo(f, "cbbInf1")));
        QCOMPARE(f.windowTitle(), QStringLiteral("Transfer"));
    }

    const int purse = AddAccount(env, QStringLiteral("Purse"), 2);
    // A wallet with an account's name stays a wallet because of where it stands.
    const int twin = AddAccount(env, QStringLiteral("Bank"), 2, QStringLiteral("3"));
    TFrmTransfer f;
    QCOMPARE(entries(combo(f, "cbbInf1")),
             QStringList({QStringLiteral("---Account---"), QStringLiteral("    Bank"),
                          QStringLiteral("    Visa"), QStringLiteral("---Wallet---"),
                          QStringLiteral("    Purse"), QStringLiteral("    Bank")}));
    f.SetEndpoints(purse, visa);
    f.show();
    QCOMPARE(combo(f, "cbbInf1")->currentIndex(), 4);
    QCOMPARE(combo(f, "cbbInf2")->currentIndex(), 2);
    QCOMPARE(f.imgSource->GetID(), purse);
    QVERIFY(f.imgSource->IsWallet);
    QCOMPARE(f.imgDest->GetID(), visa);
    QVERIFY(!f.imgDest->IsWallet);
    QCOMPARE(f.imgSource->parentWidget()->objectName(), QStringLiteral("grpSource"));
    QCOMPARE(f.imgDest->parentWidget()->objectName(), QStringLiteral("grpDest"));

    pick(f, "cbbInf2", QStringLiteral("    Bank"));
    QCOMPARE(f.imgDest->GetID(), bank);
    combo(f, "cbbInf2")->setCurrentIndex(5);
    emit combo(f, "cbbInf2")->activated(5);
    QCOMPARE(f.imgDest->GetID(), twin);
    QVERIFY(f.imgDest->IsWallet);

    // Picking a header leaves the card on the earlier choice.
    pick(f, "cbbInf2", QStringLiteral("---Wallet---"));
    QCOMPARE(f.imgDest->GetID(), twin);
    pick(f, "cbbInf1", QStringLiteral("---Account---"));
    QCOMPARE(f.imgSource->GetID(), purse);
}

void TestTransfer::newTransfersMoveBothBalances() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));
    const int purse = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("10"));

    QVERIFY(
        NewTransfer(bank, purse, Typed(QStringLiteral("  cash machine "), QStringLiteral("30"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("70"));
    QCOMPARE(Balance(env, purse), QStringLiteral("40"));
    const QString row = QStringLiteral(" from Transfer where ID=%1").arg(lastTransfer(env));
    QCOMPARE(env.sql(QStringLiteral("select SourceID") + row).toInt(), bank);
    QCOMPARE(env.sql(QStringLiteral("select DestID") + row).toInt(), purse);
    QCOMPARE(env.sql(QStringLiteral("select [From]") + row).toString(),
             QStringLiteral("cash machine"));

    // More than two decimals: stored as typed, balances move by cents.
    QVERIFY(NewTransfer(purse, bank, Typed(QStringLiteral("me"), QStringLiteral("10.005"))));
    QCOMPARE(
        env.sql(QStringLiteral("select Amount from Transfer where ID=%1").arg(lastTransfer(env)))
            .toDouble(),
        10.005);
    QCOMPARE(Balance(env, bank), QStringLiteral("80.01"));
    QCOMPARE(Balance(env, purse), QStringLiteral("29.99"));

    // Zero moves nothing; a negative amount runs the other way; a row to itself cancels out.
    QVERIFY(NewTransfer(bank, purse, Typed(QStringLiteral("me"), QStringLiteral("0"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("80.01"));
    QVERIFY(NewTransfer(bank, purse, Typed(QStringLiteral("me"), QStringLiteral("-5"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("85.01"));
    QCOMPARE(Balance(env, purse), QStringLiteral("24.99"));
    QVERIFY(NewTransfer(purse, purse, Typed(QStringLiteral("me"), QStringLiteral("12"))));
    QCOMPARE(Balance(env, purse), QStringLiteral("24.99"));
    QCOMPARE(Count(env, QStringLiteral("Transfer")), 5);

    // The source goes below zero without a word.
    QVERIFY(NewTransfer(purse, bank, Typed(QStringLiteral("me"), QStringLiteral("100"))));
    QCOMPARE(Balance(env, purse), QStringLiteral("-75.01"));
    QVERIFY(env.messages->messages.empty());

    // Earlier texts are offered in the next window.
    TFrmTransfer next;
    QVERIFY(combo(next, "cbbFrom")->findText(QStringLiteral("cash machine")) >= 0);
    QCOMPARE(combo(next, "cbbFrom")->currentText(), QString());
}

void TestTransfer::editsCorrectBothEnds() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));
    const int visa = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("0"));
    QVERIFY(NewTransfer(bank, visa, Typed(QStringLiteral("me"), QStringLiteral("40"))));
    const int id = lastTransfer(env);

    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        QCOMPARE(f.windowTitle(), QStringLiteral("Edit Transfer"));
        f.FormActivate();
        QCOMPARE(f.imgSource->GetID(), bank);
        QCOMPARE(f.imgDest->GetID(), visa);
        QCOMPARE(amountOf(f)->text(), QStringLiteral("40"));
        amountOf(f)->setText(QStringLiteral("25.5"));
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("74.5"));
    QCOMPARE(Balance(env, visa), QStringLiteral("25.5"));

    // Untouched edit: same values, balances stay.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.FormActivate();
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("74.5"));
    QCOMPARE(Balance(env, visa), QStringLiteral("25.5"));
    QCOMPARE(Count(env, QStringLiteral("Transfer")), 1);
    QCOMPARE(env.sql(QStringLiteral("select Amount from Transfer where ID=%1").arg(id)).toDouble(),
             25.5);
}

void TestTransfer::editMovingAnEndRestoresItsOldRow() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));
    const int visa = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("0"));
    const int purse = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("0"));
    QVERIFY(NewTransfer(bank, visa, Typed(QStringLiteral("me"), QStringLiteral("40"))));
    const int id = lastTransfer(env);

    // New destination and amount: the old destination gives the money back.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.FormActivate();
        pick(f, "cbbInf2", QStringLiteral("    Purse"));
        amountOf(f)->setText(QStringLiteral("15"));
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("85"));
    QCOMPARE(Balance(env, visa), QStringLiteral("0"));
    QCOMPARE(Balance(env, purse), QStringLiteral("15"));

    // Ends swapped: the same as deleting the transfer and entering the reverse one.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.FormActivate();
        pick(f, "cbbInf1", QStringLiteral("    Purse"));
        pick(f, "cbbInf2", QStringLiteral("    Bank"));
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("115"));
    QCOMPARE(Balance(env, purse), QStringLiteral("-15"));
    QCOMPARE(Balance(env, visa), QStringLiteral("0"));
    QCOMPARE(env.sql(QStringLiteral("select SourceID from Transfer where ID=%1").arg(id)).toInt(),
             purse);
    QCOMPARE(env.sql(QStringLiteral("select DestID from Transfer where ID=%1").arg(id)).toInt(),
             bank);

    // Only the source moves, to the row that already was the destination.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.FormActivate();
        pick(f, "cbbInf1", QStringLiteral("    Bank"));
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("100"));
    QCOMPARE(Balance(env, purse), QStringLiteral("0"));
}

void TestTransfer::headersAndInputChecksRefuseSave() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("10"));
    const int purse = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("0"));

    TFrmTransfer f;
    f.SetEndpoints(0, 0);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(combo(f, "cbbInf1")->currentText(), QStringLiteral("---Account---"));
    QCOMPARE(f.imgSource->GetID(), 0);
    combo(f, "cbbFrom")->setEditText(QStringLiteral("me"));
    amountOf(f)->setText(QStringLiteral("5"));

    auto* save = f.findChild<QPushButton*>(QStringLiteral("btnSave"));
    const auto pressAndExpect = [&](const QString& text) {
        env.messages->messages.clear();
        save->click();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages.front().text, text);
        QCOMPARE(env.messages->messages.front().caption, QStringLiteral("Error"));
        QCOMPARE(env.messages->messages.front().icon, MsgIcon::Error);
        QCOMPARE(env.messages->messages.front().buttons, MsgButtons(mbOK));
        QVERIFY(f.isVisible());
    };
    pressAndExpect(QStringLiteral("Please select Source Account/Wallet!"));
    pick(f, "cbbInf1", QStringLiteral("    Bank"));
    pressAndExpect(QStringLiteral("Please select Destination Account/Wallet!"));
    pick(f, "cbbInf2", QStringLiteral("    Purse"));
    // A header picked after a real choice still refuses, though the card shows the choice.
    pick(f, "cbbInf2", QStringLiteral("---Wallet---"));
    QCOMPARE(f.imgDest->GetID(), purse);
    pressAndExpect(QStringLiteral("Please select Destination Account/Wallet!"));
    pick(f, "cbbInf2", QStringLiteral("    Purse"));

    combo(f, "cbbFrom")->setEditText(QStringLiteral(" "));
    amountOf(f)->setFocus();
    pressAndExpect(QStringLiteral("Please input inofrmation for \"From\""));
    QCOMPARE(f.focusWidget(), combo(f, "cbbFrom"));

    combo(f, "cbbFrom")->setEditText(QStringLiteral("me"));
    amountOf(f)->clear();
    pressAndExpect(QStringLiteral("Please input the AMOUNT for deposit"));
    QCOMPARE(f.focusWidget(), amountOf(f));

    amountOf(f)->setText(QStringLiteral("2.5e1"));
    combo(f, "cbbFrom")->setFocus();
    pressAndExpect(QStringLiteral("The AMOUNT for deposit is not a valid number."));
    QCOMPARE(f.focusWidget(), amountOf(f));
    QCOMPARE(amountOf(f)->selectedText(), QStringLiteral("2.5e1"));

    QCOMPARE(Count(env, QStringLiteral("Transfer")), 0);
    QCOMPARE(Balance(env, bank), QStringLiteral("10"));

    amountOf(f)->setText(QStringLiteral(" 2.5 "));
    env.messages->messages.clear();
    save->click();
    QVERIFY(env.messages->messages.empty());
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(Balance(env, bank), QStringLiteral("7.5"));
    QCOMPARE(Balance(env, purse), QStringLiteral("2.5"));
}

void TestTransfer::failedSaveRollsBackAndCanBeRetried() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));
    const int purse = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("0"));
    QVERIFY(NewTransfer(bank, purse, Typed(QStringLiteral("me"), QStringLiteral("10"))));
    const int existing = lastTransfer(env);

    BreakBalanceUpdates(env);
    {
        TFrmTransfer f;
        f.SetEndpoints(purse, bank);
        f.show();
        combo(f, "cbbFrom")->setEditText(QStringLiteral("back"));
        amountOf(f)->setText(QStringLiteral("4"));
        f.findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages.back().text, QStringLiteral("Error occured!"));
        QVERIFY(f.isVisible());
        QVERIFY(!DM->conn.InTransaction());
        QCOMPARE(Count(env, QStringLiteral("Transfer")), 1);
        QCOMPARE(Balance(env, bank), QStringLiteral("90"));
        QCOMPARE(Balance(env, purse), QStringLiteral("10"));
        QCOMPARE(f.imgSource->GetID(), purse);
        QCOMPARE(amountOf(f)->text(), QStringLiteral("4"));

        MendBalanceUpdates(env);
        f.findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Count(env, QStringLiteral("Transfer")), 2);
    QCOMPARE(Balance(env, bank), QStringLiteral("94"));
    QCOMPARE(Balance(env, purse), QStringLiteral("6"));

    // An edit whose second balance statement fails undoes the first one and the row.
    env.sql(
        QStringLiteral("CREATE TRIGGER test_break_dest BEFORE UPDATE ON Account WHEN OLD.ID = %1 "
                       "BEGIN SELECT RAISE(ABORT, 'boom'); END")
            .arg(purse));
    {
        TFrmTransfer f;
        f.LoadForEdit(existing);
        f.FormActivate();
        amountOf(f)->setText(QStringLiteral("50"));
        f.btnSaveClick();
        QVERIFY(f.result() != QDialog::Accepted);
    }
    QCOMPARE(
        env.sql(QStringLiteral("select Amount from Transfer where ID=%1").arg(existing)).toDouble(),
        10.0);
    QCOMPARE(Balance(env, bank), QStringLiteral("94"));
    QCOMPARE(Balance(env, purse), QStringLiteral("6"));
}

void TestTransfer::editKeepsTimeAndEscDoesNotClose() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("0"));
    const int visa = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("0"));
    env.sql(
        QStringLiteral("insert into Transfer (SourceID, DestID, Date, [From], Amount, [For], Memo) "
                       "values (%1, %2, '2022-11-30 08:05:09', 'me', 3, '', '')")
            .arg(bank)
            .arg(visa));
    const int id = lastTransfer(env);

    TFrmTransfer f;
    f.LoadForEdit(id);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_Escape);
    QVERIFY(f.isVisible());
    f.findChild<QDateEdit*>(QStringLiteral("dtpDate"))->setDate(QDate(2022, 12, 1));
    f.btnSaveClick();
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(env.sql(QStringLiteral("select Date from Transfer where ID=%1").arg(id)).toString(),
             QStringLiteral("2022-12-01 08:05:09"));
}

void TestTransfer::rowsOfTheSameNameAreTakenByTheirIds() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int first = AddAccount(env, QStringLiteral("Bank"), 0);
    const int second = AddAccount(env, QStringLiteral("Bank"), 0);
    const int cash = AddAccount(env, QStringLiteral("Cash"), 2);

    // A transfer from the second "Bank" (a card dropped on another, or the source card's
    // popup menu) leaves from that row.
    QVERIFY(NewTransfer(second, cash, Typed(QStringLiteral("me"), QStringLiteral("30"))));
    const int id = lastTransfer(env);
    QCOMPARE(Balance(env, first), QStringLiteral("0"));
    QCOMPARE(Balance(env, second), QStringLiteral("-30"));

    // An untouched edit keeps both of its rows and moves nothing.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.show();
        QCOMPARE(combo(f, "cbbInf1")->currentText(), QStringLiteral("    Bank"));
        QCOMPARE(f.imgSource->GetID(), second);
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(env.sql(QStringLiteral("select SourceID from Transfer where ID=%1").arg(id)).toInt(),
             second);
    QCOMPARE(Balance(env, first), QStringLiteral("0"));
    QCOMPARE(Balance(env, second), QStringLiteral("-30"));

    // Picking the second of the two entries takes the second row.
    {
        TFrmTransfer f;
        f.SetEndpoints(cash, 0);
        f.show();
        combo(f, "cbbInf2")->setCurrentIndex(2);
        emit combo(f, "cbbInf2")->activated(2);
        QCOMPARE(f.imgDest->GetID(), second);
        combo(f, "cbbInf2")->setCurrentIndex(1);
        emit combo(f, "cbbInf2")->activated(1);
        QCOMPARE(f.imgDest->GetID(), first);
    }
    QCOMPARE(BalanceMismatches(env), QStringList());
}

void TestTransfer::changesByAnotherCopyAreReadAtSave() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
    const int visa = AddAccount(env, QStringLiteral("Visa"), 1);
    const int purse = AddAccount(env, QStringLiteral("Purse"), 2);
    QVERIFY(NewTransfer(bank, visa, Typed(QStringLiteral("me"), QStringLiteral("40"))));
    const int id = lastTransfer(env);

    // Another copy of the program raises the amount and moves the destination.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.FormActivate();
        env.sql(QStringLiteral("update Transfer set Amount = 50, DestID = %1 where ID=%2")
                    .arg(purse)
                    .arg(id));
        env.sql(QStringLiteral("update Account set Balance = -50 where ID=%1").arg(bank));
        env.sql(QStringLiteral("update Account set Balance = 0 where ID=%1").arg(visa));
        env.sql(QStringLiteral("update Account set Balance = 50 where ID=%1").arg(purse));
        amountOf(f)->setText(QStringLiteral("30"));
        f.btnSaveClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("-30"));
    QCOMPARE(Balance(env, visa), QStringLiteral("30"));
    QCOMPARE(Balance(env, purse), QStringLiteral("0"));
    QCOMPARE(BalanceMismatches(env), QStringList());

    // ... or deletes it: that is said, and nothing comes back.
    {
        TFrmTransfer f;
        f.LoadForEdit(id);
        f.FormActivate();
        env.sql(QStringLiteral("delete from Transfer where ID=%1").arg(id));
        env.sql(QStringLiteral("update Account set Balance = 0"));
        f.btnSaveClick();
        QVERIFY(f.result() != QDialog::Accepted);
        QCOMPARE(
            env.messages->messages.back().text,
            QStringLiteral("This record has been deleted in the meantime and cannot be saved."));
    }
    QCOMPARE(Count(env, QStringLiteral("Transfer")), 0);
    QCOMPARE(BalanceMismatches(env), QStringList());
    QVERIFY(!DM->conn.InTransaction());
}

void TestTransfer::narrowListsShowTheirEntries() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int checking = AddAccount(env, QStringLiteral("Checking"), 0);
    TFrmTransfer f;
    f.SetEndpoints(0, checking);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    for (QComboBox* box : {combo(f, "cbbInf1"), combo(f, "cbbInf2")}) {
        QCOMPARE(box->width(), 89);
        QStyleOptionComboBox opt;
        opt.initFrom(box);
        opt.rect = box->rect();
        opt.currentText = box->currentText();
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                         QStyle::SC_ComboBoxEditField, box);
        QVERIFY2(box->fontMetrics().horizontalAdvance(box->currentText()) <= field.width(),
                 qPrintable(box->currentText()));
    }
    QCOMPARE(combo(f, "cbbInf1")->currentText(), QStringLiteral("---Account---"));
    QCOMPARE(combo(f, "cbbInf2")->currentText(), QStringLiteral("    Checking"));
}

BUDGET_TEST(TestTransfer)
#include "tst_transfer.moc"
