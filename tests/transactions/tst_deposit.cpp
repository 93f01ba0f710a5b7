#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "cards/UtCards.h"
#include "transactions/UtDebit.h"
#include "transactions/UtDeposit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace TestData;
using namespace UserActions;

namespace {

// The party box is cbbFrom in the deposit window and cbbTo in the debit window.
QComboBox* partyOf(TFrmDeposit& f) {
    auto* box = f.findChild<QComboBox*>(qobject_cast<TFrmDebit*>(&f) ? QStringLiteral("cbbTo")
                                                                     : QStringLiteral("cbbFrom"));
    if (!box)
        qFatal("party box missing");
    return box;
}

QLineEdit* amountOf(QDialog& f) {
    return f.findChild<QLineEdit*>(QStringLiteral("edtAmmount"));
}

void fill(TFrmDeposit& f, const QString& party, const QString& amount) {
    partyOf(f)->setEditText(party);
    amountOf(f)->setText(amount);
}

int lastDetail(TestEnv& env) {
    return env.sql(QStringLiteral("select max(ID) from Detail")).toInt();
}

} // namespace

class TestDepositDebit : public QObject {
    Q_OBJECT
private slots:
    void newRecordsMoveBalanceOfTheirRow();
    void amountsKeepFourDecimalsButBalancesMoveByCents();
    void editsCorrectBalanceByTheDifference();
    void editMovedToAnotherRowKeepsBothBalancesTrue();
    void walletGroupWithoutWalletsKeepsCard();
    void inputChecksStopWithMessageAndFocus();
    void failedSaveRollsBackAndCanBeRetried();
    void partyListComesFromEarlierRecords();
    void editKeepsTimeOfDayAndShowsEditCaption();
    void rowsOfTheSameNameAreTakenByTheirIds();
    void changesByAnotherCopyAreReadAtSave();
    void amountsBeyondWhatTheFileHoldsAreRefused();
    void textsStayWithinTheirColumns();
};

void TestDepositDebit::newRecordsMoveBalanceOfTheirRow() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("50"));
    const int wallet = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("5"));

    {
        TFrmDeposit f;
        f.PresetAccount(bank);
        f.FormActivate();
        fill(f, QStringLiteral("  Employer  "), QStringLiteral("100"));
        f.findChild<QLineEdit*>(QStringLiteral("edtFor"))->setText(QStringLiteral(" salary "));
        f.findChild<QPlainTextEdit*>(QStringLiteral("mmoMemo"))
            ->setPlainText(QStringLiteral("\nline 1\nline 2\n"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("150"));
    const int id = lastDetail(env);
    const QString where = QStringLiteral(" from Detail where ID=%1").arg(id);
    QCOMPARE(env.sql(QStringLiteral("select type") + where).toInt(), 0);
    QCOMPARE(env.sql(QStringLiteral("select DestID") + where).toInt(), bank);
    QCOMPARE(env.sql(QStringLiteral("select [From]") + where).toString(),
             QStringLiteral("Employer"));
    QCOMPARE(env.sql(QStringLiteral("select [For]") + where).toString(), QStringLiteral("salary"));
    QCOMPARE(env.sql(QStringLiteral("select Memo") + where).toString(),
             QStringLiteral("line 1\nline 2"));

    // A debit on a wallet takes it below zero without a word, whatever its settings.
    env.sql(
        QStringLiteral("update Account set negative=0, WarnNegative=1 where ID=%1").arg(wallet));
    QVERIFY(NewDetail(true, wallet, Typed(QStringLiteral("Grocer"), QStringLiteral("30"))));
    QCOMPARE(Balance(env, wallet), QStringLiteral("-25"));
    QCOMPARE(
        env.sql(QStringLiteral("select type from Detail where ID=%1").arg(lastDetail(env))).toInt(),
        1);
    QCOMPARE(env.sql(QStringLiteral("select DestID from Detail where ID=%1").arg(lastDetail(env)))
                 .toInt(),
             wallet);
    QCOMPARE(Balance(env, bank), QStringLiteral("150"));

    // Zero saves a row and leaves the balance; negative amounts turn the direction round.
    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Nobody"), QStringLiteral("0"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("150"));
    QCOMPARE(Count(env, QStringLiteral("Detail")), 3);
    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Bank fee"), QStringLiteral("-20"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("130"));
    QVERIFY(NewDetail(true, bank, Typed(QStringLiteral("Refund"), QStringLiteral("-7.5"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("137.5"));
    QVERIFY(env.messages->messages.empty());
}

void TestDepositDebit::amountsKeepFourDecimalsButBalancesMoveByCents() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 1, QStringLiteral("100"));

    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Interest"), QStringLiteral("10.005"))));
    QCOMPARE(env.sql(QStringLiteral("select Amount from Detail where ID=%1").arg(lastDetail(env)))
                 .toDouble(),
             10.005);
    QCOMPARE(Balance(env, bank), QStringLiteral("110.01"));

    QVERIFY(NewDetail(true, bank, Typed(QStringLiteral("Shop"), QStringLiteral("  0.125 "))));
    QCOMPARE(env.sql(QStringLiteral("select Amount from Detail where ID=%1").arg(lastDetail(env)))
                 .toDouble(),
             0.125);
    QCOMPARE(Balance(env, bank), QStringLiteral("109.88"));
}

void TestDepositDebit::editsCorrectBalanceByTheDifference() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));

    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Employer"), QStringLiteral("40"))));
    const int deposit = lastDetail(env);
    QVERIFY(NewDetail(true, bank, Typed(QStringLiteral("Landlord"), QStringLiteral("25"))));
    const int debit = lastDetail(env);
    QCOMPARE(Balance(env, bank), QStringLiteral("115"));

    QVERIFY(EditDetail(false, deposit, Typed(QStringLiteral("Employer"), QStringLiteral("55"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("130"));
    QCOMPARE(
        env.sql(QStringLiteral("select Amount from Detail where ID=%1").arg(deposit)).toDouble(),
        55.0);

    QVERIFY(EditDetail(true, debit, Typed(QStringLiteral("Landlord"), QStringLiteral("5"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("150"));

    // Saving an edit untouched rewrites the same values and moves nothing.
    {
        TFrmDebit f;
        f.LoadForEdit(debit);
        f.FormActivate();
        QCOMPARE(amountOf(f)->text(), QStringLiteral("5"));
        QCOMPARE(partyOf(f)->currentText(), QStringLiteral("Landlord"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("150"));
    QCOMPARE(Count(env, QStringLiteral("Detail")), 2);
    QCOMPARE(env.sql(QStringLiteral("select type from Detail where ID=%1").arg(debit)).toInt(), 1);
}

void TestDepositDebit::editMovedToAnotherRowKeepsBothBalancesTrue() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));
    const int card = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("0"));
    const int wallet = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("20"));

    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Employer"), QStringLiteral("40"))));
    const int deposit = lastDetail(env);
    QCOMPARE(Balance(env, bank), QStringLiteral("140"));

    // The user moves the deposit to the wallet and changes the amount.
    {
        TFrmDeposit f;
        f.LoadForEdit(deposit);
        f.show();
        auto* rbWallet = f.findChild<QRadioButton*>(QStringLiteral("rbWallet"));
        auto* cbbInf = f.findChild<QComboBox*>(QStringLiteral("cbbInf"));
        QCOMPARE(cbbInf->currentText(), QStringLiteral("Bank"));
        rbWallet->click();
        QCOMPARE(cbbInf->count(), 1);
        QCOMPARE(f.imgCard->GetID(), wallet);
        QVERIFY(f.imgCard->IsWallet);
        amountOf(f)->setText(QStringLiteral("25"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("100"));
    QCOMPARE(Balance(env, wallet), QStringLiteral("45"));
    QCOMPARE(env.sql(QStringLiteral("select DestID from Detail where ID=%1").arg(deposit)).toInt(),
             wallet);

    // A debit moved between two accounts by picking the other name in the list.
    QVERIFY(NewDetail(true, bank, Typed(QStringLiteral("Shop"), QStringLiteral("30"))));
    const int debit = lastDetail(env);
    QCOMPARE(Balance(env, bank), QStringLiteral("70"));
    {
        TFrmDebit f;
        f.LoadForEdit(debit);
        f.FormActivate();
        auto* cbbInf = f.findChild<QComboBox*>(QStringLiteral("cbbInf"));
        cbbInf->setCurrentIndex(cbbInf->findText(QStringLiteral("Visa")));
        f.cbbInfChange();
        QCOMPARE(f.imgCard->GetID(), card);
        amountOf(f)->setText(QStringLiteral("12.5"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("100"));
    QCOMPARE(Balance(env, card), QStringLiteral("-12.5"));
    QCOMPARE(Balance(env, wallet), QStringLiteral("45"));
}

void TestDepositDebit::walletGroupWithoutWalletsKeepsCard() {
    TestEnv env;
    EnsureCardBitmaps(env);
    AddAccount(env, QStringLiteral("Savings"), 0, QStringLiteral("0"));
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("10"));

    TFrmDeposit f;
    f.PresetAccount(bank);
    f.show();
    // The column's caption stands on one line within its 137 pixels.
    QVERIFY(!f.lblChange->wordWrap());
    QVERIFY(f.lblChange->sizeHint().width() <= f.lblChange->width());
    QVERIFY(f.lblChange->width() <= 137);
    auto* cbbInf = f.findChild<QComboBox*>(QStringLiteral("cbbInf"));
    QVERIFY(f.findChild<QRadioButton*>(QStringLiteral("rbAccount"))->isChecked());
    QCOMPARE(cbbInf->currentText(), QStringLiteral("Bank"));
    QCOMPARE(f.imgCard->GetID(), bank);

    f.findChild<QRadioButton*>(QStringLiteral("rbWallet"))->click();
    QCOMPARE(cbbInf->count(), 0);
    QCOMPARE(f.imgCard->GetID(), bank);
    QVERIFY(!f.imgCard->IsWallet);
    fill(f, QStringLiteral("Gift"), QStringLiteral("5"));
    f.btnOKClick();
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(Balance(env, bank), QStringLiteral("15"));
}

void TestDepositDebit::inputChecksStopWithMessageAndFocus() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("10"));

    for (bool debit : {false, true}) {
        std::unique_ptr<TFrmDeposit> f(debit ? new TFrmDebit : new TFrmDeposit);
        f->PresetAccount(bank);
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        QComboBox* party = partyOf(*f);
        QLineEdit* amount = amountOf(*f);

        const auto pressAndExpect = [&](const QString& text, QWidget* focus) {
            env.messages->messages.clear();
            f->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
            QCOMPARE(env.messages->messages.size(), size_t(1));
            const RecordedMessage& m = env.messages->messages.front();
            QCOMPARE(m.caption, QStringLiteral("Error"));
            QCOMPARE(m.text, text);
            QCOMPARE(m.icon, MsgIcon::Error);
            QCOMPARE(m.buttons, MsgButtons(mbOK));
            QCOMPARE(f->focusWidget(), focus);
            QVERIFY(f->isVisible());
        };

        amount->setText(QStringLiteral("12"));
        party->setEditText(QStringLiteral("   "));
        pressAndExpect(QStringLiteral("Please input inofrmation for \"From\""), party);

        party->setEditText(QStringLiteral("Someone"));
        amount->setText(QStringLiteral("  "));
        pressAndExpect(QStringLiteral("Please input the AMOUNT for deposit"), amount);

        for (const QString& bad :
             {QStringLiteral("12,x"), QStringLiteral("1e3"), QStringLiteral("1,000.00"),
              QStringLiteral("99999999999999999999")}) {
            amount->setText(bad);
            party->setFocus();
            pressAndExpect(QStringLiteral("The AMOUNT for deposit is not a valid number."), amount);
            QCOMPARE(amount->selectedText(), bad);
        }
        QCOMPARE(Count(env, QStringLiteral("Detail")), 0);
        QCOMPARE(Balance(env, bank), QStringLiteral("10"));
        // Esc leaves with Cancel and nothing written.
        QTest::keyClick(f.get(), Qt::Key_Escape);
        QVERIFY(!f->isVisible());
        QCOMPARE(f->result(), int(QDialog::Rejected));
        QCOMPARE(Count(env, QStringLiteral("Detail")), 0);
    }
}

void TestDepositDebit::failedSaveRollsBackAndCanBeRetried() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("100"));
    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Employer"), QStringLiteral("40"))));
    const int existing = lastDetail(env);

    BreakBalanceUpdates(env);
    {
        TFrmDeposit f;
        f.PresetAccount(bank);
        f.show();
        fill(f, QStringLiteral("Tenant"), QStringLiteral("60"));
        f.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages.back().text, QStringLiteral("Error occured!"));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Error"));
        QVERIFY(f.isVisible());
        QCOMPARE(Count(env, QStringLiteral("Detail")), 1);
        QCOMPARE(Balance(env, bank), QStringLiteral("140"));
        QVERIFY(!DM->conn.InTransaction());
        QCOMPARE(partyOf(f)->currentText(), QStringLiteral("Tenant"));
        QCOMPARE(amountOf(f)->text(), QStringLiteral("60"));

        // Once the database works again the same window saves exactly once.
        MendBalanceUpdates(env);
        f.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QCOMPARE(env.messages->messages.size(), size_t(1));
    }
    QCOMPARE(Count(env, QStringLiteral("Detail")), 2);
    QCOMPARE(Balance(env, bank), QStringLiteral("200"));

    // An edit that fails leaves the stored row as it was.
    BreakBalanceUpdates(env);
    {
        TFrmDebit f;
        f.LoadForEdit(existing);
        f.FormActivate();
        amountOf(f)->setText(QStringLiteral("99"));
        f.btnOKClick();
        QVERIFY(f.result() != QDialog::Accepted);
        QCOMPARE(env.messages->messages.back().text, QStringLiteral("Error occured!"));
    }
    QCOMPARE(
        env.sql(QStringLiteral("select Amount from Detail where ID=%1").arg(existing)).toDouble(),
        40.0);
    QCOMPARE(Balance(env, bank), QStringLiteral("200"));
}

void TestDepositDebit::partyListComesFromEarlierRecords() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);

    TFrmDeposit open;
    open.PresetAccount(bank);
    open.FormActivate();
    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Acme Payroll"), QStringLiteral("1"))));
    QVERIFY(NewDetail(true, bank, Typed(QStringLiteral("Corner Shop"), QStringLiteral("1"))));
    // The window that was already open keeps the list it was created with.
    QCOMPARE(partyOf(open)->findText(QStringLiteral("Acme Payroll")), -1);

    TFrmDeposit nextDeposit;
    QVERIFY(partyOf(nextDeposit)->findText(QStringLiteral("Acme Payroll")) >= 0);
    QCOMPARE(partyOf(nextDeposit)->findText(QStringLiteral("Corner Shop")), -1);
    QCOMPARE(partyOf(nextDeposit)->currentText(), QString());

    TFrmDebit nextDebit;
    QVERIFY(partyOf(nextDebit)->findText(QStringLiteral("Corner Shop")) >= 0);
    QCOMPARE(partyOf(nextDebit)->findText(QStringLiteral("Acme Payroll")), -1);
    QVERIFY(!nextDebit.findChild<QComboBox*>(QStringLiteral("cbbFrom")));
}

void TestDepositDebit::editKeepsTimeOfDayAndShowsEditCaption() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("0"));
    env.sql(QStringLiteral("insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                           "values (1, %1, '2023-05-06 14:23:45', 'Shop', 8, 'food', '')")
                .arg(bank));
    const int id = lastDetail(env);

    TFrmDeposit newDeposit;
    QCOMPARE(newDeposit.windowTitle(), QStringLiteral("Deposit"));
    TFrmDebit newDebit;
    QCOMPARE(newDebit.windowTitle(), QStringLiteral("Debit"));
    TFrmDeposit editDeposit;
    editDeposit.LoadForEdit(id);
    QCOMPARE(editDeposit.windowTitle(), QStringLiteral("Edit Deposit"));

    TFrmDebit f;
    f.LoadForEdit(id);
    QCOMPARE(f.windowTitle(), QStringLiteral("Edit Debit"));
    f.FormActivate();
    f.findChild<QDateEdit*>(QStringLiteral("dtpDate"))->setDate(QDate(2023, 5, 10));
    f.btnOKClick();
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(env.sql(QStringLiteral("select Date from Detail where ID=%1").arg(id)).toString(),
             QStringLiteral("2023-05-10 14:23:45"));
    QCOMPARE(Balance(env, bank), QStringLiteral("0"));
}

void TestDepositDebit::rowsOfTheSameNameAreTakenByTheirIds() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int first = AddAccount(env, QStringLiteral("Bank"), 0);
    const int second = AddAccount(env, QStringLiteral("Bank"), 0);

    // Picking the second of two equal names takes the second row.
    {
        TFrmDeposit f;
        f.PresetAccount(first);
        f.show();
        auto* cbbInf = f.findChild<QComboBox*>(QStringLiteral("cbbInf"));
        QCOMPARE(cbbInf->count(), 2);
        cbbInf->setCurrentIndex(1);
        emit cbbInf->activated(1);
        QCOMPARE(f.imgCard->GetID(), second);
        fill(f, QStringLiteral("Gift"), QStringLiteral("10"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, first), QStringLiteral("0"));
    QCOMPARE(Balance(env, second), QStringLiteral("10"));
    const int gift = lastDetail(env);

    // Opened for the second row, an untouched edit stays with it; switching the group
    // there and back takes the first entry's own row.
    {
        TFrmDeposit f;
        f.LoadForEdit(gift);
        f.show();
        QCOMPARE(f.imgCard->GetID(), second);
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(env.sql(QStringLiteral("select DestID from Detail where ID=%1").arg(gift)).toInt(),
             second);
    {
        TFrmDeposit f;
        f.PresetAccount(second);
        f.show();
        f.findChild<QRadioButton*>(QStringLiteral("rbWallet"))->click();
        f.findChild<QRadioButton*>(QStringLiteral("rbAccount"))->click();
        QCOMPARE(f.imgCard->GetID(), first);
    }
    QCOMPARE(BalanceMismatches(env), QStringList());
}

void TestDepositDebit::changesByAnotherCopyAreReadAtSave() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
    const int visa = AddAccount(env, QStringLiteral("Visa"), 1);
    QVERIFY(NewDetail(false, bank, Typed(QStringLiteral("Employer"), QStringLiteral("10"))));
    const int id = lastDetail(env);

    // Another copy of the program changes the amount while this window is open.
    {
        TFrmDeposit f;
        f.LoadForEdit(id);
        f.FormActivate();
        env.sql(QStringLiteral("update Detail set Amount = 20 where ID=%1").arg(id));
        env.sql(QStringLiteral("update Account set Balance = Balance + 10 where ID=%1").arg(bank));
        amountOf(f)->setText(QStringLiteral("30"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("30"));
    QCOMPARE(BalanceMismatches(env), QStringList());

    // ... or moves the record to another account.
    {
        TFrmDeposit f;
        f.LoadForEdit(id);
        f.FormActivate();
        env.sql(QStringLiteral("update Detail set DestID = %1 where ID=%2").arg(visa).arg(id));
        env.sql(QStringLiteral("update Account set Balance = Balance - 30 where ID=%1").arg(bank));
        env.sql(QStringLiteral("update Account set Balance = Balance + 30 where ID=%1").arg(visa));
        amountOf(f)->setText(QStringLiteral("25"));
        f.btnOKClick();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(Balance(env, bank), QStringLiteral("25"));
    QCOMPARE(Balance(env, visa), QStringLiteral("0"));
    QCOMPARE(BalanceMismatches(env), QStringList());

    // ... or deletes it: that is said, and nothing comes back.
    {
        TFrmDeposit f;
        f.LoadForEdit(id);
        f.FormActivate();
        env.sql(QStringLiteral("delete from Detail where ID=%1").arg(id));
        env.sql(QStringLiteral("update Account set Balance = Balance - 25 where ID=%1").arg(bank));
        f.btnOKClick();
        QVERIFY(f.result() != QDialog::Accepted);
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(
            env.messages->messages.back().text,
            QStringLiteral("This record has been deleted in the meantime and cannot be saved."));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Error"));
    }
    QCOMPARE(Count(env, QStringLiteral("Detail")), 0);
    QCOMPARE(Balance(env, bank), QStringLiteral("0"));

    // ... or deletes the account the new record goes to.
    {
        TFrmDeposit f;
        f.PresetAccount(visa);
        f.FormActivate();
        env.sql(QStringLiteral("delete from Account where ID=%1").arg(visa));
        fill(f, QStringLiteral("Shop"), QStringLiteral("5"));
        f.btnOKClick();
        QVERIFY(f.result() != QDialog::Accepted);
        QCOMPARE(env.messages->messages.back().text,
                 QStringLiteral("The account or wallet of this record has been deleted in the "
                                "meantime."));
    }
    QCOMPARE(Count(env, QStringLiteral("Detail")), 0);
    QVERIFY(!DM->conn.InTransaction());
}

void TestDepositDebit::amountsBeyondWhatTheFileHoldsAreRefused() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
    const QString notANumber = QStringLiteral("The AMOUNT for deposit is not a valid number.");

    TFrmDeposit f;
    f.PresetAccount(bank);
    f.show();
    // Balances are kept exact up to ten billion.
    for (const QString& tooLarge :
         {QStringLiteral("500000000000000"), QStringLiteral("10000000000.0001"),
          QStringLiteral("-900719925474")}) {
        fill(f, QStringLiteral("Lottery"), tooLarge);
        f.btnOKClick();
        QCOMPARE(env.messages->messages.back().text, notANumber);
        QCOMPARE(amountOf(f)->selectedText(), tooLarge);
    }
    QCOMPARE(Count(env, QStringLiteral("Detail")), 0);

    QVERIFY(
        NewDetail(false, bank, Typed(QStringLiteral("Lottery"), QStringLiteral("10000000000"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("10000000000"));
    // The amount fits, the balance it makes does not: refused and rolled back.
    const size_t shown = env.messages->messages.size();
    fill(f, QStringLiteral("Lottery"), QStringLiteral("0.10"));
    f.btnOKClick();
    QVERIFY(f.isVisible());
    QCOMPARE(env.messages->messages.size(), shown + 1);
    QCOMPARE(env.messages->messages.back().text, notANumber);
    QCOMPARE(f.focusWidget(), amountOf(f));
    QCOMPARE(Count(env, QStringLiteral("Detail")), 1);
    QCOMPARE(Balance(env, bank), QStringLiteral("10000000000"));
    QVERIFY(!DM->conn.InTransaction());
    // Down again is fine.
    QVERIFY(NewDetail(true, bank, Typed(QStringLiteral("Tax"), QStringLiteral("0.10"))));
    QCOMPARE(Balance(env, bank), QStringLiteral("9999999999.9"));
}

void TestDepositDebit::textsStayWithinTheirColumns() {
    TestEnv env;
    EnsureCardBitmaps(env);
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
    const int declared = env.sql(QStringLiteral("select substr(type, 9, length(type) - 9) from "
                                                "pragma_table_info('Detail') where name = 'From'"))
                             .toInt();
    QCOMPARE(declared, 255);

    TFrmDeposit f;
    f.PresetAccount(bank);
    f.FormActivate();
    QCOMPARE(partyOf(f)->lineEdit()->maxLength(), declared);
    QCOMPARE(f.findChild<QLineEdit*>(QStringLiteral("edtFor"))->maxLength(), declared);

    // Control characters are taken out of what is saved; a memo keeps its lines and tabs.
    const QChar nul(u'\0');
    fill(f, QStringLiteral("Ac") + nul + QStringLiteral("me\x01"), QStringLiteral("1"));
    f.findChild<QLineEdit*>(QStringLiteral("edtFor"))->setText(QStringLiteral("a\tb") + nul);
    f.mmoMemo->setPlainText(QStringLiteral("one\ttwo\nthree") + nul + QStringLiteral("four\x1b"));
    f.btnOKClick();
    QCOMPARE(f.result(), int(QDialog::Accepted));
    const QString where = QStringLiteral(" from Detail where ID=%1").arg(lastDetail(env));
    QCOMPARE(env.sql(QStringLiteral("select [From]") + where).toString(), QStringLiteral("Acme"));
    QCOMPARE(env.sql(QStringLiteral("select [For]") + where).toString(), QStringLiteral("ab"));
    QCOMPARE(env.sql(QStringLiteral("select Memo") + where).toString(),
             QStringLiteral("one\ttwo\nthreefour"));
    QVERIFY(env.messages->messages.empty());
}

BUDGET_TEST(TestDepositDebit)
#include "tst_deposit.moc"
