#include "TestData.h"

#include "app/UtMain.h"
#include "cards/ScrollBox.h"
#include "cards/UtCards.h"
#include "data/UtDM.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace TestData;

namespace {

QAction* action(TFrmMain& frm, const char* name) {
    return frm.findChild<QAction*>(QLatin1String(name));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void menusToolbarAndStatusAsTheUserSeesThem() {
        TestEnv env;
        TFrmMain frm;
        QCOMPARE(frm.windowTitle(), QStringLiteral("Velmora Budget V1.0"));
        // The icon the desktop shows for the program, in every size it is installed in.
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage installed(QStringLiteral(BUDGET_SOURCE_DIR "/resources/icons/"
                                                                    "velmora-budget-%1.png")
                                       .arg(size));
            QVERIFY(!installed.isNull());
            const QImage shown = frm.windowIcon().pixmap(QSize(size, size), 1.0).toImage();
            QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     installed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
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

    void textsFitTheDescribedSizes() {
        TestEnv env;
        AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("1100.5"));
        AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("-20.25"));
        for (int i = 0; i < 9; ++i)
            AddAccount(env, QStringLiteral("Wallet %1").arg(i), 2, QStringLiteral("25"));
        TFrmMain frm;
        frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        // The sizes were made for this face; a stand-in with its metrics answers for it.
        QCOMPARE(frm.font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(frm.font().pointSize(), 8);
        QCOMPARE(QApplication::font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(QFontInfo(frm.font()).family(), QStringLiteral("Liberation Sans"));

        for (const char* name : {"btnToolAccHistory", "btnToolWalHistory"}) {
            auto* b = frm.findChild<QToolButton*>(QLatin1String(name));
            QCOMPARE(b->width(), 63);
            // Inside the skin's border and padding of a pixel each.
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 4 <= b->width(), name);
        }
        QCOMPARE(frm.statusBar()->height(), 17);
        QVERIFY(frm.statusWelcome->sizeHint().width() <= frm.statusWelcome->width());
        QCOMPARE(frm.statusWelcome->width(), 200);
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, frm.Panels->WalletList.last()->ID));
        QCoreApplication::processEvents();
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $1,305.25  Account: $1,080.25  Wallet: $225.00"));
        QVERIFY(frm.statusTotals->width() <= 300);
        QVERIFY(frm.statusTotals->sizeHint().width() <= frm.statusTotals->width());
        // Flat sections: nothing is drawn around the texts, so the edges of each section
        // show the bar's own colour only.
        const QImage bar = frm.statusBar()->grab().toImage();
        const QRgb ground = bar.pixel(frm.statusWelcome->geometry().left() + 1, 1);
        for (const QLabel* section : {frm.statusWelcome, frm.statusTotals, frm.statusClock}) {
            const QRect r = section->geometry();
            for (int x : {r.left() - 1, r.left(), r.right(), r.right() + 1})
                for (int y = 0; x >= 0 && x < bar.width() && y < bar.height(); ++y)
                    QVERIFY2(bar.pixel(x, y) == ground,
                             qPrintable(
                                 QStringLiteral("%1 at %2,%3").arg(section->text()).arg(x).arg(y)));
        }

        // Nine wallets run past the strip sideways; its height still holds the cards.
        QVERIFY(frm.scrlbxWallet->horizontalScrollBar()->isVisible());
        QVERIFY(!frm.scrlbxWallet->verticalScrollBar()->isVisible());
    }

    void selectingACardShowsTheTotalsOnlyThen() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("100.5"));
        AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("1000"));
        const int w = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("-20.25"));
        TFrmMain frm;
        QCOMPARE(frm.CurrentListId(), 0);
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, w));
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $1,080.25  Account: $1,100.50  Wallet: ($20.25)"));
        QCOMPARE(frm.CurrentListId(), w);

        // A balance that moves elsewhere shows up with the next selection only.
        env.sql(QStringLiteral("update Account set Balance = 0 where ID = %1").arg(a));
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $1,080.25  Account: $1,100.50  Wallet: ($20.25)"));
        frm.Panels->SelectCard(FindCard(frm.Panels->AccountList, a));
        QCOMPARE(frm.statusTotals->text(),
                 QStringLiteral("Total: $979.75  Account: $1,000.00  Wallet: ($20.25)"));
        QCOMPARE(frm.CurrentListId(), a);
    }

    void commandsActOnTheRightCard() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("1"),
                                 QStringLiteral("https://bank.example"));
        const int w = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("2"),
                                 QStringLiteral("https://purse.example"));
        TFrmMain frm;
        frm.show();

        // Nothing selected: these commands do nothing at all.
        for (auto handler :
             {&TFrmMain::btnToolPropertyClick, &TFrmMain::mniMenu_AccountInfoClick,
              &TFrmMain::mniMenu_WalletInfoClick, &TFrmMain::mniMenu_AccountURLClick,
              &TFrmMain::mniMenu_WalletURLClick, &TFrmMain::mniMenu_DeleteAccountClick,
              &TFrmMain::mniMenu_DeleteWalletClick, &TFrmMain::btnToolDepositeClick})
            QVERIFY(ModalsOpenedBy([&] { (frm.*handler)(); }).isEmpty());
        QVERIFY(env.messages->messages.empty());
        QVERIFY(env.shell->opened.isEmpty());

        frm.Panels->SelectCard(FindCard(frm.Panels->AccountList, a));
        QCOMPARE(ModalsOpenedBy([&] { action(frm, "mniMenu_Properties")->trigger(); }),
                 QStringList{"TFrmBankAccount:View/Edit account"});
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, w));
        // With both selected, Properties goes to the wallet.
        QCOMPARE(ModalsOpenedBy([&] {
                     frm.findChild<QToolButton*>(QStringLiteral("btnToolProperty"))->click();
                 }),
                 QStringList{"TFrmWallet:View/Edit wallet"});
        QCOMPARE(ModalsOpenedBy([&] { action(frm, "mniPop_Acc_Info")->trigger(); }),
                 QStringList{"TFrmBankAccount:View/Edit account"});

        action(frm, "mniPop_Acc_URL")->trigger();
        action(frm, "mniMenu_WalletURL")->trigger();
        QCOMPARE(env.shell->opened, QStringList({"https://bank.example", "https://purse.example"}));

        // Saving from the editor redraws the card with the stored name.
        QCOMPARE(ModalsOpenedBy([&] { frm.mniMenu_WalletInfoClick(); },
                                [](QDialog* d) {
                                    d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                                        ->setText(QStringLiteral(" Purse "));
                                    d->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
                                })
                     .size(),
                 1);
        QCOMPARE(FindCard(frm.Panels->WalletList, w)->Info->Name, QStringLiteral("Purse"));
    }

    void newAndDeleteRebuildThePanels() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("1"));
        TFrmMain frm;
        frm.show();

        ModalsOpenedBy([&] { action(frm, "mniPop_NewAccount")->trigger(); },
                       [](QDialog* d) {
                           d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                               ->setText(QStringLiteral("Savings"));
                           d->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
                       });
        QCOMPARE(frm.Panels->AccountList.size(), 2);
        QCOMPARE(frm.Panels->AccountList.at(1)->Name, QStringLiteral("Savings"));

        // Cancelled: nothing is rebuilt.
        TImageCtrl* before =
            frm.Panels->AccountList.at(0)->Card ? FindCard(frm.Panels->AccountList, a) : nullptr;
        QCOMPARE(ModalsOpenedBy([&] { frm.mniMenu_NewAccountClick(); }),
                 QStringList{"TFrmBankAccount:Bank Account"});
        QCOMPARE(FindCard(frm.Panels->AccountList, a), before);

        ModalsOpenedBy([&] { action(frm, "mniMenu_NewWallet")->trigger(); },
                       [](QDialog* d) {
                           d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                               ->setText(QStringLiteral("Cash"));
                           d->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
                       });
        QCOMPARE(frm.Panels->WalletList.size(), 1);

        frm.Panels->SelectCard(FindCard(frm.Panels->AccountList, a));
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

    void aCardReplacedWhileItsWindowIsOpen() {
        TestEnv env;
        const int a = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("1"));
        const int w = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("2"));
        TFrmMain frm;
        frm.show();
        // The panels are rebuilt while the window is open (and the old cards destroyed);
        // afterwards the card now showing the row is the one redrawn.
        const auto rebuilt = [&] {
            frm.Panels->LoadAccounts();
            frm.Panels->LoadWallets();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        frm.Panels->SelectCard(FindCard(frm.Panels->AccountList, a));
        QPointer<TImageCtrl> old = FindCard(frm.Panels->AccountList, a);
        QCOMPARE(ModalsOpenedBy([&] { frm.mniMenu_AccountInfoClick(); },
                                [&](QDialog* d) {
                                    rebuilt();
                                    d->findChild<QLineEdit*>(QStringLiteral("edtName"))
                                        ->setText(QStringLiteral("Main"));
                                    d->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
                                })
                     .size(),
                 1);
        QVERIFY(!old);
        QCOMPARE(FindCard(frm.Panels->AccountList, a)->Info->Name, QStringLiteral("Main"));

        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, w));
        old = FindCard(frm.Panels->WalletList, w);
        ModalsOpenedBy([&] { frm.btnToolDepositeClick(); },
                       [&](QDialog* d) {
                           rebuilt();
                           d->findChild<QComboBox*>(QStringLiteral("cbbFrom"))
                               ->setEditText(QStringLiteral("Gran"));
                           d->findChild<QLineEdit*>(QStringLiteral("edtAmmount"))
                               ->setText(QStringLiteral("10"));
                           d->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
                       });
        QVERIFY(!old);
        QCOMPARE(FindCard(frm.Panels->WalletList, w)->Info->Balance, Money::fromUnits(12));

        // The delete question is modal too: the row asked about is the one deleted.
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, w));
        env.messages->onShow = [&](const RecordedMessage&) { rebuilt(); };
        frm.mniMenu_DeleteWalletClick();
        env.messages->onShow = nullptr;
        QCOMPARE(env.sql(QStringLiteral("select count(*) from Account where ID=%1").arg(w)).toInt(),
                 0);
        QVERIFY(frm.Panels->WalletList.isEmpty());
        QCOMPARE(env.messages->messages.size(), size_t(1));
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
        ScopedHelpRecorder help;
        {
            TFrmMain frm;
            frm.findChild<QToolButton*>(QStringLiteral("btnToolHelp"))->click();
            QCOMPARE(help->calls, QStringList{QStringLiteral("1:0")});
            QVERIFY(help->files.at(0).endsWith(QStringLiteral("/budget.chm")));

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
    }
};

BUDGET_TEST(TestMainWindow)
#include "tst_main.moc"
