#include "TestEnv.h"

#include "app/UtMain.h"
#include "cards/ScrollBox.h"
#include "cards/UtCards.h"
#include "data/UtDM.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

int addRow(TestEnv& env, const QString& name, int type, const QString& balance,
           const QString& url = {}) {
    env.sql(
        QStringLiteral("insert into Account(name, type, Balance, URL) values('%1', %2, %3, '%4')")
            .arg(name)
            .arg(type)
            .arg(balance, url));
    return env.sql(QStringLiteral("select max(ID) from Account")).toInt();
}

TImageCtrl* card(const QList<PDataInfo>& list, int id) {
    for (const PDataInfo& info : list)
        if (info->ID == id)
            return qobject_cast<TImageCtrl*>(info->Card);
    return nullptr;
}

// Runs a command and reports every modal window it opened ("class:caption"); each
// is handed to act (which may fill and save it) or else closed with Cancel.
QStringList modalsOpenedBy(const std::function<void()>& command,
                           const std::function<void(QDialog*)>& act = {}) {
    QStringList opened;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened << QString::fromLatin1(d->metaObject()->className()) + u':' + d->windowTitle();
            if (act)
                act(d);
            if (d->isVisible())
                d->reject();
        }
    });
    closer.start();
    command();
    return opened;
}

QAction* action(TFrmMain& frm, const char* name) {
    return frm.findChild<QAction*>(QLatin1String(name));
}

class RecordingHelp : public IHtmlHelp {
public:
    void HtmlHelpA(QWidget*, const QString& file, int command, qintptr data) override {
        calls << QStringLiteral("%1|%2|%3").arg(file).arg(command).arg(data);
    }
    QStringList calls;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void menusToolbarAndStatusAsTheUserSeesThem() {
        TestEnv env;
        TFrmMain frm;
        QCOMPARE(frm.windowTitle(), QStringLiteral("Velmora Budget V1.0"));
        QStringList top;
        for (QAction* a : frm.menuBar()->actions())
            top << a->text();
        QCOMPARE(top, QStringList({"&File", "&View", "&Accounts", "Wa&llets", "T&ransactions",
                                   "&Tools", "&Help"}));
        const auto texts = [](QMenu* m) {
            QStringList t;
            for (QAction* a : m->actions())
                t << (a->isSeparator() ? QStringLiteral("-") : a->text());
            return t;
        };
        QCOMPARE(texts(frm.pmWallet),
                 QStringList({"Wallet &Info...", "-", "De&posit...", "De&bit...", "&Transfer...",
                              "-", "&History...", "&Lunch URL", "-", "&Delete"}));
        QCOMPARE(texts(frm.findChild<QMenu*>(QStringLiteral("mniMenu_Help"))),
                 QStringList({"&Help Topics", "Online T&utorial...", "-", "&Product Homepage...",
                              "&What's new...", "Technical Support...", "Check for &updates...",
                              "&Send Feedback", "-", "&About..."}));
        QCOMPARE(action(frm, "mniMenu_Properties")->shortcut(), QKeySequence(Qt::Key_F4));
        QCOMPARE(action(frm, "mniMenu_AccountURL")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
        QCOMPARE(action(frm, "mniMenu_Transfer")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
        QCOMPARE(action(frm, "mniMenu_HelpTopics")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(action(frm, "mniMenu_Calclator")->text(), QStringLiteral("&Calclator"));
        // The two bar entries stay checked whatever the user does with them.
        QAction* toolbar = action(frm, "mniMenu_Toolbar");
        toolbar->trigger();
        QVERIFY(toolbar->isChecked());

        QStringList captions;
        for (QToolButton* b : frm.tlb1->findChildren<QToolButton*>())
            if (!b->objectName().isEmpty() && b->objectName().startsWith(u"btn"))
                captions << b->text();
        QCOMPARE(captions, QStringList({"Deposit", "Debit", "Transfer", "Property", "Acc History",
                                        "Wall History", "Help", "WebPage", "Exit"}));
        QVERIFY(!frm.findChild<QToolButton*>(QStringLiteral("btnToolDeposite"))->icon().isNull());
        QCOMPARE(frm.statusWelcome->text(), QStringLiteral("Welcome to use Velmora Bugget V1.0"));
        QCOMPARE(frm.statusTotals->text(), QStringLiteral("account Info"));
        frm.tmr1Timer();
        QVERIFY(frm.statusClock->text() != QStringLiteral("Time"));
    }

    void selectingACardShowsTheTotalsOnlyThen() {
        TestEnv env;
        const int a = addRow(env, QStringLiteral("Checking"), 0, QStringLiteral("100.5"));
        addRow(env, QStringLiteral("Visa"), 1, QStringLiteral("1000"));
        const int w = addRow(env, QStringLiteral("Cash"), 2, QStringLiteral("-20.25"));
        TFrmMain frm;
        QCOMPARE(frm.CurrentListId(), 0);
        frm.Panels->SelectCard(card(frm.Panels->WalletList, w));
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $1,080.25  Account: $1,100.50  Wallet: ($20.25)"));
        QCOMPARE(frm.CurrentListId(), w);

        // A balance that moves elsewhere shows up with the next selection only.
        env.sql(QStringLiteral("update Account set Balance = 0 where ID = %1").arg(a));
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $1,080.25  Account: $1,100.50  Wallet: ($20.25)"));
        frm.Panels->SelectCard(card(frm.Panels->AccountList, a));
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $979.75  Account: $1,000.00  Wallet: ($20.25)"));
        QCOMPARE(frm.CurrentListId(), a);
    }

    void commandsActOnTheRightCard() {
        TestEnv env;
        const int a = addRow(env, QStringLiteral("Checking"), 0, QStringLiteral("1"),
                             QStringLiteral("https://bank.example"));
        const int w = addRow(env, QStringLiteral("Cash"), 2, QStringLiteral("2"),
                             QStringLiteral("https://purse.example"));
        TFrmMain frm;
        frm.show();

        // Nothing selected: these commands do nothing at all.
        for (auto handler :
             {&TFrmMain::btnToolPropertyClick, &TFrmMain::mniMenu_AccountInfoClick,
              &TFrmMain::mniMenu_WalletInfoClick, &TFrmMain::mniMenu_AccountURLClick,
              &TFrmMain::mniMenu_WalletURLClick, &TFrmMain::mniMenu_DeleteAccountClick,
              &TFrmMain::mniMenu_DeleteWalletClick, &TFrmMain::btnToolDepositeClick})
            QVERIFY(modalsOpenedBy([&] { (frm.*handler)(); }).isEmpty());
        QVERIFY(env.messages->messages.empty());
        QVERIFY(env.shell->opened.isEmpty());

        frm.Panels->SelectCard(card(frm.Panels->AccountList, a));
        QCOMPARE(modalsOpenedBy([&] { action(frm, "mniMenu_Properties")->trigger(); }),
                 QStringList{"TFrmBankAccount:View/Edit account"});
        frm.Panels->SelectCard(card(frm.Panels->WalletList, w));
        // With both selected, Properties goes to the wallet.
        QCOMPARE(modalsOpenedBy([&] {
                     frm.findChild<QToolButton*>(QStringLiteral("btnToolProperty"))->click();
                 }),
                 QStringList{"TFrmWallet:View/Edit wallet"});
        QCOMPARE(modalsOpenedBy([&] { action(frm, "mniPop_Acc_Info")->trigger(); }),
                 QStringList{"TFrmBankAccount:View/Edit account"});

        action(frm, "mniPop_Acc_URL")->trigger();
        action(frm, "mniMenu_WalletURL")->trigger();
        QCOMPARE(env.shell->opened, QStringList({"https://bank.example", "https://purse.example"}));

        // Saving from the editor redraws the card with the stored name.
        QCOMPARE(modalsOpenedBy([&] { frm.mniMenu_WalletInfoClick(); },
                                [](QDialog* d) {
                                    d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                                        ->setText(QStringLiteral(" Purse "));
                                    d->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
                                })
                     .size(),
                 1);
        QCOMPARE(card(frm.Panels->WalletList, w)->Info->Name, QStringLiteral("Purse"));
    }

    void newAndDeleteRebuildThePanels() {
        TestEnv env;
        const int a = addRow(env, QStringLiteral("Checking"), 0, QStringLiteral("1"));
        TFrmMain frm;
        frm.show();

        modalsOpenedBy([&] { action(frm, "mniPop_NewAccount")->trigger(); },
                       [](QDialog* d) {
                           d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                               ->setText(QStringLiteral("Savings"));
                           d->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
                       });
        QCOMPARE(frm.Panels->AccountList.size(), 2);
        QCOMPARE(frm.Panels->AccountList.at(1)->Name, QStringLiteral("Savings"));

        // Cancelled: nothing is rebuilt.
        TImageCtrl* before =
            frm.Panels->AccountList.at(0)->Card ? card(frm.Panels->AccountList, a) : nullptr;
        QCOMPARE(modalsOpenedBy([&] { frm.mniMenu_NewAccountClick(); }),
                 QStringList{"TFrmBankAccount:Bank Account"});
        QCOMPARE(card(frm.Panels->AccountList, a), before);

        modalsOpenedBy([&] { action(frm, "mniMenu_NewWallet")->trigger(); },
                       [](QDialog* d) {
                           d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                               ->setText(QStringLiteral("Cash"));
                           d->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
                       });
        QCOMPARE(frm.Panels->WalletList.size(), 1);

        frm.Panels->SelectCard(card(frm.Panels->AccountList, a));
        env.messages->answers = {mbCancel};
        frm.mniMenu_DeleteAccountClick();
        QCOMPARE(env.messages->messages.back().text,
                 QStringLiteral("Are you sure to delete this information?"));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Query"));
        QCOMPARE(env.messages->messages.back().buttons, MsgButtons(mbOK | mbCancel));
        QCOMPARE(env.sql(QStringLiteral("select count(*) from Account")).toInt(), 3);

        env.messages->answers = {mbOK};
        action(frm, "mniPop_Acc_Delete")->trigger();
        QCOMPARE(
            env.sql(QStringLiteral("select count(*) from Account where ID = %1").arg(a)).toInt(),
            0);
        QCOMPARE(frm.Panels->AccountList.size(), 1);
        QVERIFY(!frm.Panels->GetSelectedAccount());

        // The row went away behind the window's back: the delete fails and says so.
        frm.Panels->SelectCard(frm.findChild<TImageCtrl*>(
            QStringLiteral("card%1").arg(frm.Panels->WalletList.at(0)->ID)));
        env.sql(QStringLiteral("delete from Account where type = 2"));
        env.messages->answers = {mbOK};
        frm.mniMenu_DeleteWalletClick();
        QCOMPARE(env.messages->messages.back().text, QStringLiteral("Deleting Wallet error"));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Error"));
        QCOMPARE(env.messages->messages.back().icon, MsgIcon::Error);
        QCOMPARE(frm.Panels->WalletList.size(), 1);
    }

    void exitAsksButTheCloseBoxDoesNot() {
        TestEnv env;
        TFrmMain frm;
        frm.show();
        env.messages->answers = {mbNo};
        frm.findChild<QToolButton*>(QStringLiteral("btnExit"))->click();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        const RecordedMessage& m = env.messages->messages.front();
        QCOMPARE(m.caption, QStringLiteral("Query"));
        QCOMPARE(m.text, QStringLiteral("Are you sure to exit?"));
        QCOMPARE(m.icon, MsgIcon::Question);
        QCOMPARE(m.buttons, MsgButtons(mbYes | mbNo));
        QVERIFY(frm.isVisible());
        env.messages->answers = {mbYes};
        action(frm, "mniMenu_Exit")->trigger();
        QVERIFY(!frm.isVisible());

        frm.show();
        QVERIFY(frm.close());
        QCOMPARE(env.messages->messages.size(), size_t(2));
    }

    void helpWebAndTools() {
        TestEnv env;
        auto help = std::make_unique<RecordingHelp>();
        RecordingHelp* rec = help.get();
        auto previous = SetHtmlHelp(std::move(help));
        {
            TFrmMain frm;
            frm.findChild<QToolButton*>(QStringLiteral("btnToolHelp"))->click();
            QCOMPARE(rec->calls.size(), 1);
            QVERIFY(rec->calls.at(0).endsWith(QStringLiteral("budget.chm|1|0")));

            for (const char* name :
                 {"mniMenu_OnlineTutorial", "mniMenu_Whatsnew", "mniMenu_Checkupdates",
                  "mniMenu_Homepage", "mniMenu_Support", "mniMenu_SendFeedback"})
                action(frm, name)->trigger();
            frm.findChild<QToolButton*>(QStringLiteral("btnToolWeb"))->click();
            const QStringList& o = env.shell->opened;
            QCOMPARE(o.size(), 7);
            QCOMPARE(o.at(0), o.at(1));
            QCOMPARE(o.at(0), o.at(2));
            QVERIFY(o.at(3) != o.at(0) && o.at(4) != o.at(3) && o.at(4) != o.at(0));
            QVERIFY(o.at(5).startsWith(QStringLiteral("mailto:")));
            QCOMPARE(o.at(6), o.at(3));

            action(frm, "mniMenu_Calclator")->trigger();
            action(frm, "mniMenu_Notepad")->trigger();
            QCOMPARE(env.shell->started, QStringList({"calculator", "editor"}));
        }
        SetHtmlHelp(std::move(previous));
    }
};

BUDGET_TEST(TestMainWindow)
#include "tst_main.moc"
