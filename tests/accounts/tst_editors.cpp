#include "TestData.h"

#include "accounts/UtBankAccount.h"
#include "accounts/UtWallet.h"
#include "data/UtDM.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace TestData;

namespace {
QString shareShown(int walletId) {
    TFrmWallet frm;
    frm.ShowWallet(TDM::LoadAccountInfo(walletId));
    return frm.lblOfAccounts->text();
}
} // namespace

class TestEditors : public QObject {
    Q_OBJECT
private slots:
    void newAccountIsCheckedTrimmedAndStoredWithQuotes() {
        TestEnv env;
        TFrmBankAccount frm;
        QCOMPARE(frm.windowTitle(), QStringLiteral("Bank Account"));
        QCOMPARE(frm.lblBalance->text(), QStringLiteral("0.00 $"));
        QVERIFY(frm.rbTypeBank->isChecked());
        QVERIFY(!frm.chkWarn->isEnabled());

        frm.edtName->setText(QStringLiteral("   "));
        frm.btnSave->click();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages[0].text, QStringLiteral("Please enter an account name!"));
        QCOMPARE(env.messages->messages[0].caption, QStringLiteral("Error"));
        QCOMPARE(env.sql(QStringLiteral("select count(*) from Account")).toInt(), 0);
        QCOMPARE(frm.result(), 0);

        frm.edtName->setText(QStringLiteral("  O'Brien's card  "));
        frm.rbTypeCredit->setChecked(true);
        frm.chkNegative->setChecked(true);
        QVERIFY(frm.chkWarn->isEnabled());
        frm.chkWarn->setChecked(true);
        frm.edtURL->setText(QStringLiteral(" https://x.example/?q='a' "));
        frm.Memo->setPlainText(QStringLiteral("\n it's mine \n"));
        frm.btnSave->click();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(env.sql(QStringLiteral("select name from Account")).toString(),
                 QStringLiteral("O'Brien's card"));
        QCOMPARE(env.sql(QStringLiteral("select type from Account")).toInt(), 1);
        QCOMPARE(env.sql(QStringLiteral("select negative + 2 * WarnNegative from Account")).toInt(),
                 3);
        QCOMPARE(env.sql(QStringLiteral("select URL from Account")).toString(),
                 QStringLiteral("https://x.example/?q='a'"));
        QCOMPARE(env.sql(QStringLiteral("select Memo from Account")).toString(),
                 QStringLiteral("it's mine"));
        QCOMPARE(env.sql(QStringLiteral("select Balance from Account")).toDouble(), 0.0);
    }

    void editAccountKeepsBalanceAndWarnMark() {
        TestEnv env;
        const int id = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("1234.5"));
        AddAccount(env, QStringLiteral("Other"), 0, QStringLiteral("7"));
        env.sql(QStringLiteral("update Account set negative = 1, WarnNegative = 1, URL = 'u', Memo "
                               "= 'm' where ID = %1")
                    .arg(id));
        const PDataInfo info = TDM::LoadAccountInfo(id);
        TFrmBankAccount frm;
        frm.ShowAccount(info);
        QCOMPARE(frm.windowTitle(), QStringLiteral("View/Edit account"));
        QCOMPARE(frm.lblBalance->text(), QStringLiteral("$1,234.50"));
        QCOMPARE(frm.edtName->text(), QStringLiteral("Checking"));
        QVERIFY(frm.rbTypeBank->isChecked());
        QVERIFY(frm.chkNegative->isChecked() && frm.chkWarn->isChecked() &&
                frm.chkWarn->isEnabled());
        QCOMPARE(frm.edtURL->text(), QStringLiteral("u"));
        QCOMPARE(frm.Memo->toPlainText(), QStringLiteral("m"));

        // Unchecking disables the warning but leaves its mark, which is saved.
        frm.chkNegative->setChecked(false);
        QVERIFY(!frm.chkWarn->isEnabled());
        QVERIFY(frm.chkWarn->isChecked());
        frm.rbTypeCredit->setChecked(true);
        frm.edtName->setText(QStringLiteral(" Joint "));
        frm.btnSaveClick();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        const auto col = [&](const QString& c) {
            return env.sql(QStringLiteral("select %1 from Account where ID = %2").arg(c).arg(id));
        };
        QCOMPARE(col(QStringLiteral("name")).toString(), QStringLiteral("Joint"));
        QCOMPARE(col(QStringLiteral("type")).toInt(), 1);
        QCOMPARE(col(QStringLiteral("negative")).toInt(), 0);
        QCOMPARE(col(QStringLiteral("WarnNegative")).toInt(), 1);
        QCOMPARE(col(QStringLiteral("Balance")).toDouble(), 1234.5);
        // Only this row changed; the record handed in is the caller's to refresh.
        QCOMPARE(
            env.sql(QStringLiteral("select name from Account where ID <> %1").arg(id)).toString(),
            QStringLiteral("Other"));
        QCOMPARE(info->Name, QStringLiteral("Checking"));
    }

    void newWalletShowsZeroAndStoresKindTwo() {
        TestEnv env;
        TFrmWallet frm;
        QCOMPARE(frm.windowTitle(), QStringLiteral("New Wallet"));
        QCOMPARE(frm.lblBalance->text(), QStringLiteral("$0.00"));
        QCOMPARE(frm.lblOfAccounts->text(), QStringLiteral("$0.00"));
        QVERIFY(!frm.Memo->tabChangesFocus());

        frm.btnOK->click();
        QCOMPARE(env.messages->messages.back().text, QStringLiteral("Please enter a wallet name!"));
        QCOMPARE(env.sql(QStringLiteral("select count(*) from Account")).toInt(), 0);

        frm.edtName->setText(QStringLiteral(" Mike's purse "));
        frm.chkWarn->setChecked(true); // marked while disabled: still saved
        frm.Memo->setPlainText(QStringLiteral("coins\tand notes "));
        frm.btnOK->click();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(env.sql(QStringLiteral("select name from Account")).toString(),
                 QStringLiteral("Mike's purse"));
        QCOMPARE(env.sql(QStringLiteral("select type from Account")).toInt(), 2);
        QCOMPARE(env.sql(QStringLiteral("select negative from Account")).toInt(), 0);
        QCOMPARE(env.sql(QStringLiteral("select WarnNegative from Account")).toInt(), 1);
        QCOMPARE(env.sql(QStringLiteral("select Memo from Account")).toString(),
                 QStringLiteral("coins\tand notes"));
    }

    void editWalletWritesNeitherKindNorBalance() {
        TestEnv env;
        const int id = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("40"));
        TFrmWallet frm;
        frm.ShowWallet(TDM::LoadAccountInfo(id));
        QCOMPARE(frm.windowTitle(), QStringLiteral("View/Edit wallet"));
        QCOMPARE(frm.lblBalance->text(), QStringLiteral("$40.00"));
        QCOMPARE(frm.lblOfAccounts->text(), QStringLiteral("100.00%"));
        frm.edtName->setText(QStringLiteral("O'Hara"));
        frm.chkNegative->setChecked(true);
        frm.edtURL->setText(QStringLiteral("  mailto:me@example.org "));
        frm.btnOKClick();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(
            env
                .sql(QStringLiteral(
                    "select name || '|' || type || '|' || Balance || '|' || negative || '|' || URL "
                    "from Account"))
                .toString(),
            QStringLiteral("O'Hara|2|40.0|1|mailto:me@example.org"));
    }

    void helpButtonAndF1AskForTheWindowsTopic() {
        TestEnv env;
        ScopedHelpRecorder help;
        {
            TFrmBankAccount account;
            TFrmWallet wallet;
            for (QDialog* d : {static_cast<QDialog*>(&account), static_cast<QDialog*>(&wallet)}) {
                d->show();
                QVERIFY(QTest::qWaitForWindowActive(d));
                d->findChild<QPushButton*>(QStringLiteral("btnHelp"))->click();
                QTest::keyClick(d->findChild<QLineEdit*>(QStringLiteral("edtName")), Qt::Key_F1);
                d->hide();
            }
        }
        const QString context = QString::number(HH_HELP_CONTEXT);
        QCOMPARE(help->calls, QStringList({context + ":1007", context + ":1007", context + ":1008",
                                           context + ":1008"}));
    }

    void enterPressesTheFocusedButtonElseSaves() {
        TestEnv env;
        TFrmBankAccount account;
        TFrmWallet wallet;
        for (QDialog* d : {static_cast<QDialog*>(&account), static_cast<QDialog*>(&wallet)}) {
            d->show();
            QVERIFY(QTest::qWaitForWindowActive(d));
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("edtName"));
            name->setText(QStringLiteral("Kept"));
            auto* close = d->findChild<QPushButton*>(QStringLiteral("btnClose"));
            close->setFocus();
            QTest::keyClick(close, Qt::Key_Return);
            QCOMPARE(d->result(), int(QDialog::Rejected));
            QCOMPARE(env.sql(QStringLiteral("select count(*) from Account")).toInt(), 0);

            d->show();
            QVERIFY(QTest::qWaitForWindowActive(d));
            name->setFocus();
            QTest::keyClick(name, Qt::Key_Return);
            QCOMPARE(d->result(), int(QDialog::Accepted));
            QCOMPARE(env.sql(QStringLiteral("select count(*) from Account")).toInt(), 1);
            env.sql(QStringLiteral("delete from Account"));
        }
    }

    void textsStayWithinTheirColumns() {
        TestEnv env;
        const auto declared = [&](const char* column) {
            return env
                .sql(QStringLiteral("select substr(type, 9, length(type) - 9) from "
                                    "pragma_table_info('Account') where name = '%1'")
                         .arg(QLatin1String(column)))
                .toInt();
        };
        TFrmBankAccount account;
        TFrmWallet wallet;
        QCOMPARE(account.edtName->maxLength(), declared("name"));
        QCOMPARE(account.edtURL->maxLength(), declared("URL"));
        QCOMPARE(wallet.edtName->maxLength(), declared("name"));
        QCOMPARE(wallet.edtURL->maxLength(), declared("URL"));

        // A NUL would cut the insert statement short; control characters are taken out,
        // while a memo keeps its line breaks and tabs.
        const QChar nul(u'\0');
        account.edtName->setText(QStringLiteral("Sav") + nul + QStringLiteral("ings\a"));
        account.edtURL->setText(QStringLiteral("http://x") + nul);
        account.Memo->setPlainText(QStringLiteral("a\tb\nc") + nul + QStringLiteral("d"));
        account.btnSaveClick();
        QCOMPARE(account.result(), int(QDialog::Accepted));
        QCOMPARE(env.sql(QStringLiteral("select name || '|' || URL || '|' || Memo from Account"))
                     .toString(),
                 QStringLiteral("Savings|http://x|a\tb\ncd"));

        // Nothing but control characters is no name at all.
        wallet.edtName->setText(QString(nul) + QStringLiteral("\x01 "));
        wallet.btnOKClick();
        QCOMPARE(env.messages->messages.back().text, QStringLiteral("Please enter a wallet name!"));
        QVERIFY(env.messages->messages.size() == 1);
        QCOMPARE(AddAccount(env, QStringLiteral("Cash"), 2), 2);
        wallet.ShowWallet(TDM::LoadAccountInfo(2));
        wallet.edtName->setText(QStringLiteral("Pur") + nul + QStringLiteral("se"));
        wallet.btnOKClick();
        QCOMPARE(env.sql(QStringLiteral("select name from Account where ID = 2")).toString(),
                 QStringLiteral("Purse"));
    }

    void walletShareOfAllBalances() {
        TestEnv env;
        const int w = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("25"));
        const int a = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("75"));
        QCOMPARE(shareShown(w), QStringLiteral("25.00%"));

        // Truncated, never rounded up: 3333 / 100.
        env.sql(QStringLiteral("update Account set Balance = 33.33 where ID = %1").arg(w));
        env.sql(QStringLiteral("update Account set Balance = 66.67 where ID = %1").arg(a));
        QCOMPARE(shareShown(w), QStringLiteral("33.00%"));

        // All balances together zero.
        env.sql(QStringLiteral("update Account set Balance = -33.33 where ID = %1").arg(a));
        QCOMPARE(shareShown(w), QStringLiteral("0.00%"));

        // A negative wallet, and a share above 100 when others are negative.
        env.sql(QStringLiteral("update Account set Balance = -20 where ID = %1").arg(w));
        env.sql(QStringLiteral("update Account set Balance = 120 where ID = %1").arg(a));
        QCOMPARE(shareShown(w), QStringLiteral("-20.00%"));
        env.sql(QStringLiteral("update Account set Balance = 150 where ID = %1").arg(w));
        env.sql(QStringLiteral("update Account set Balance = -50 where ID = %1").arg(a));
        QCOMPARE(shareShown(w), QStringLiteral("150.00%"));

        // A total that rounds to nothing still gives the exact share.
        env.sql(QStringLiteral("update Account set Balance = 0.30 where ID = %1").arg(w));
        env.sql(QStringLiteral("update Account set Balance = 0.10 where ID = %1").arg(a));
        QCOMPARE(shareShown(w), QStringLiteral("75.00%"));

        // Balances that cancel out: stored as REAL they sum to a trace, not to 0.
        AddAccount(env, QStringLiteral("Card"), 1, QStringLiteral("0.2"));
        env.sql(QStringLiteral("update Account set Balance = 0.1 where ID = %1").arg(w));
        env.sql(QStringLiteral("update Account set Balance = -0.3 where ID = %1").arg(a));
        QVERIFY(env.sql(QStringLiteral("select sum(Balance) from Account")).toDouble() != 0.0);
        QCOMPARE(shareShown(w), QStringLiteral("0.00%"));

        // All but a ten-thousandth cancels out: far beyond the money range, shown exactly.
        env.sql(QStringLiteral("update Account set Balance = 0"));
        env.sql(QStringLiteral("update Account set Balance = 1000000000 where ID = %1").arg(w));
        env.sql(
            QStringLiteral("update Account set Balance = -999999999.9999 where ID = %1").arg(a));
        QCOMPARE(shareShown(w), QStringLiteral("1000000000000000.00%"));
        QCOMPARE(TFrmWallet::ShareText(Money::fromRaw(std::numeric_limits<qint64>::max()),
                                       Money::fromRaw(1)),
                 QStringLiteral("922337203685477580700.00%"));
        QVERIFY(env.messages->messages.empty());

        // Both roundings go to the even neighbour: 0.125*100 -> 12, total 2.5 -> 2.
        QCOMPARE(TFrmWallet::ShareText(Money::parse(QStringLiteral("0.125")).value(),
                                       Money::parse(QStringLiteral("2.5")).value()),
                 QStringLiteral("6.00%"));
        QCOMPARE(TFrmWallet::ShareText(Money::fromUnits(-7), Money::fromUnits(-3)),
                 QStringLiteral("233.00%"));
    }
};

BUDGET_TEST(TestEditors)
#include "tst_editors.moc"
