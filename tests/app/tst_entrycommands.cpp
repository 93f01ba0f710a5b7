// The main window's transaction commands: which window opens for which card, and
// which cards are redrawn afterwards.
#include "TestData.h"

#include "app/UtMain.h"
#include "cards/UtCards.h"
#include "data/UtDM.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace TestData;

namespace {

// What a modal window showed when it opened: its caption and the names on its cards.
struct Seen {
    QString caption;
    QStringList cards;
};

// Runs a command; the window it opens is described, readied by prepare when given,
// and saved with the given amount when one is given (cancelled otherwise).
std::vector<Seen> run(const std::function<void()>& command, const QString& amount = {},
                      const std::function<void(QDialog*)>& prepare = {}) {
    std::vector<Seen> seen;
    ModalsOpenedBy(command, [&](QDialog* d) {
        Seen s{d->windowTitle(), {}};
        for (auto* img : d->findChildren<TImageBase*>())
            s.cards << (img->Info && img->Info->ID ? img->Info->Name : QStringLiteral("-"));
        seen.push_back(s);
        if (prepare)
            prepare(d);
        if (amount.isEmpty())
            return;
        for (auto* party : d->findChildren<QComboBox*>())
            if (party->objectName() == QLatin1String("cbbFrom") ||
                party->objectName() == QLatin1String("cbbTo"))
                party->setEditText(QStringLiteral("someone"));
        d->findChild<QLineEdit*>(QStringLiteral("edtAmmount"))->setText(amount);
        for (const char* ok : {"btnOK", "btnSave"})
            if (auto* b = d->findChild<QPushButton*>(QLatin1String(ok)))
                b->click();
    });
    return seen;
}

} // namespace

class EntryCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void depositAndDebitGoToTheWalletFirstAndRedrawOnlyThatCard() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("Checking"), 0, "100");
        const int w = AddAccount(env, QStringLiteral("Cash"), 2, "20");
        TFrmMain frm;
        frm.show();
        frm.Panels->SelectCard(FindCard(frm.Panels->AccountList, a));
        const QString totals = frm.statusTotals->text();

        // Only an account selected: the deposit goes to it.
        auto seen =
            run([&] { frm.findChild<QToolButton*>(QStringLiteral("btnToolDeposite"))->click(); },
                QStringLiteral("10"));
        QCOMPARE(seen.size(), size_t(1));
        QCOMPARE(seen[0].caption, QStringLiteral("Deposit"));
        QCOMPARE(seen[0].cards, QStringList{QStringLiteral("Checking")});
        QCOMPARE(FindCard(frm.Panels->AccountList, a)->Info->Balance, Money::fromUnits(110));

        // Both selected: the toolbar's deposit and debit act on the wallet.
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, w));
        seen = run([&] { frm.btnToolDebitClick(); }, QStringLiteral("5"));
        QCOMPARE(seen[0].caption, QStringLiteral("Debit"));
        QCOMPARE(seen[0].cards, QStringList{QStringLiteral("Cash")});
        QCOMPARE(FindCard(frm.Panels->WalletList, w)->Info->Balance, Money::fromUnits(15));
        QCOMPARE(TDM::LoadAccountInfo(w)->Balance, Money::fromUnits(15));

        // The account's own popup still reaches the account.
        seen = run([&] { frm.findChild<QAction*>(QStringLiteral("mniPop_Acc_Debit"))->trigger(); },
                   QStringLiteral("1"));
        QCOMPARE(seen[0].cards, QStringList{QStringLiteral("Checking")});
        QCOMPARE(FindCard(frm.Panels->AccountList, a)->Info->Balance, Money::fromUnits(109));

        // A cancelled window changes nothing; the totals wait for the next selection.
        seen =
            run([&] { frm.findChild<QAction*>(QStringLiteral("mniPop_Wal_Deposit"))->trigger(); });
        QCOMPARE(seen.size(), size_t(1));
        QCOMPARE(TDM::LoadAccountInfo(w)->Balance, Money::fromUnits(15));
        QVERIFY(frm.statusTotals->text() != totals); // set by the wallet's selection
        const QString afterWallet = frm.statusTotals->text();
        run([&] { frm.btnToolDepositeClick(); }, QStringLiteral("1000"));
        QCOMPARE(frm.statusTotals->text(), afterWallet);
    }

    void transfersPreselectAndRefreshAsTheirCommandSays() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("Checking"), 0, "100");
        const int b = AddAccount(env, QStringLiteral("Savings"), 0, "0");
        const int w = AddAccount(env, QStringLiteral("Cash"), 2, "20");
        TFrmMain frm;
        frm.show();

        // Nothing selected: two empty sides.
        auto seen = run([&] { frm.btnToolTransferClick(); });
        QCOMPARE(seen[0].caption, QStringLiteral("Transfer"));
        QCOMPARE(seen[0].cards, QStringList({"-", "-"}));

        // Both selected: the wallet is the source, the account the destination; the
        // toolbar transfer redraws no card.
        frm.Panels->SelectCard(FindCard(frm.Panels->AccountList, a));
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, w));
        seen = run([&] { frm.findChild<QAction*>(QStringLiteral("mniMenu_Transfer"))->trigger(); },
                   QStringLiteral("5"));
        QCOMPARE(seen[0].cards, QStringList({"Cash", "Checking"}));
        QCOMPARE(TDM::LoadAccountInfo(w)->Balance, Money::fromUnits(15));
        QCOMPARE(FindCard(frm.Panels->WalletList, w)->Info->Balance, Money::fromUnits(20));

        // Dropping one card on another: both ends chosen, both cards redrawn.
        seen = run(
            [&] {
                TCardMessage drop(WM_CARDDROP, a, b);
                QCoreApplication::sendEvent(&frm, &drop);
            },
            QStringLiteral("30"));
        QCOMPARE(seen[0].cards, QStringList({"Checking", "Savings"}));
        QCOMPARE(FindCard(frm.Panels->AccountList, a)->Info->Balance, Money::fromUnits(75));
        QCOMPARE(FindCard(frm.Panels->AccountList, b)->Info->Balance, Money::fromUnits(30));

        // The wallet's popup transfer picks the wallet as source and redraws only it.
        const auto toSavings = [](QDialog* d) {
            auto* dest = d->findChild<QComboBox*>(QStringLiteral("cbbInf2"));
            const int i = dest->findText(QStringLiteral("    Savings"));
            dest->setCurrentIndex(i);
            emit dest->activated(i);
        };
        seen =
            run([&] { frm.findChild<QAction*>(QStringLiteral("mniPop_Wal_Transfer"))->trigger(); },
                QStringLiteral("5"), toSavings);
        QCOMPARE(seen[0].cards.first(), QStringLiteral("Cash"));
        QCOMPARE(TDM::LoadAccountInfo(b)->Balance, Money::fromUnits(35));
        QCOMPARE(FindCard(frm.Panels->WalletList, w)->Info->Balance, Money::fromUnits(10));
        QCOMPARE(FindCard(frm.Panels->AccountList, b)->Info->Balance, Money::fromUnits(30));
    }
};

BUDGET_TEST(EntryCommandsTest)
#include "tst_entrycommands.moc"
