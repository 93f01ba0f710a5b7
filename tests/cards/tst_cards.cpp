#include "TestData.h"

#include "app/UtMain.h"
#include "cards/ScrollBox.h"
#include "cards/UtCards.h"
#include "ui/Application.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QtTest>

using namespace TestData;

namespace {

// Records the card messages that reach the main window.
struct CardMessages : QObject {
    struct Msg {
        int type;
        qintptr w, l;
    };
    std::vector<Msg> got;
    bool eventFilter(QObject*, QEvent* e) override {
        const int t = int(e->type());
        if (t == WM_CARDSELECT || t == WM_CARDDROP || t == WM_CARDOPEN) {
            const auto* m = static_cast<TCardMessage*>(e);
            got.push_back({t, m->WParam, m->LParam});
        }
        return false;
    }
    int count(int type) const {
        return int(
            std::count_if(got.begin(), got.end(), [type](const Msg& m) { return m.type == type; }));
    }
};

// Whether the card shows the given bitmap (compared where no text is written).
bool shows(const TestEnv& env, const TImageCtrl* c, const QString& bitmap) {
    const QImage file(env.dir() + QStringLiteral("/res/") + bitmap);
    const QImage shown = c->Picture().toImage();
    for (const QPoint p : {QPoint(3, 40), QPoint(70, 72), QPoint(40, 8)})
        if (file.pixel(p) != shown.pixel(p))
            return false;
    return true;
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT
private slots:
    void panelsAreBuiltInRowOrderAtTheirPlaces() {
        TestEnv env;
        const int a1 = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("10"));
        const int w1 = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("5"));
        const int a2 = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("-3"));
        const int w2 = AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("1"));
        TFrmMain frm;
        QCOMPARE(PanelMgr, frm.Panels);
        QCOMPARE(frm.Panels->AccountList.size(), 2);
        QCOMPARE(frm.Panels->WalletList.size(), 2);
        QCOMPARE(FindCard(frm.Panels->AccountList, a1)->pos(), QPoint(10, 10));
        QCOMPARE(FindCard(frm.Panels->AccountList, a2)->pos(), QPoint(10, 100));
        QCOMPARE(FindCard(frm.Panels->WalletList, w1)->pos(), QPoint(10, 10));
        QCOMPARE(FindCard(frm.Panels->WalletList, w2)->pos(), QPoint(100, 10));
        for (const PDataInfo& info : frm.Panels->WalletList) {
            QCOMPARE(info->AccType, 2);
            QCOMPARE(info->Card->Info, info);
            QVERIFY(info->Card->IsWallet);
            QCOMPARE(info->Card->parentWidget(), frm.scrlbxWallet->Page());
        }
        QCOMPARE(FindCard(frm.Panels->AccountList, a2)->Info->Balance, Money::fromUnits(-3));
        QCOMPARE(FindCard(frm.Panels->AccountList, a1)->PopupMenu, frm.pmAccount);
        QCOMPARE(FindCard(frm.Panels->WalletList, w1)->PopupMenu, frm.pmWallet);
        QVERIFY(!frm.Panels->GetSelectedAccount());
        QVERIFY(!frm.Panels->GetSelectedWallet());
        QVERIFY(shows(env, FindCard(frm.Panels->AccountList, a1), QStringLiteral("acc.bmp")));
        QVERIFY(shows(env, FindCard(frm.Panels->WalletList, w1), QStringLiteral("wallet.bmp")));
    }

    void selectionKeepsPanelsApartAndEmptyClickClears() {
        TestEnv env;
        const int a1 = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("10"));
        const int a2 = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("-3"));
        const int w1 = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("5"));
        TFrmMain frm;
        frm.show();
        CardMessages rec;
        frm.installEventFilter(&rec);
        TImageCtrl* c1 = FindCard(frm.Panels->AccountList, a1);
        TImageCtrl* c2 = FindCard(frm.Panels->AccountList, a2);
        TImageCtrl* cw = FindCard(frm.Panels->WalletList, w1);

        QTest::mousePress(c1, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(c1, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(c1->Selected && !c2->Selected);
        QCOMPARE(frm.Panels->GetSelectedAccount(), c1);
        QCOMPARE(frm.CurrentListId(), a1);
        QVERIFY(shows(env, c1, QStringLiteral("acc_f.bmp")));
        QVERIFY(shows(env, c2, QStringLiteral("acc.bmp")));
        QCOMPARE(rec.count(WM_CARDSELECT), 1);
        QCOMPARE(rec.got.back().w, qintptr(a1));
        QCOMPARE(rec.got.back().l, qintptr(0));

        // A wallet press leaves the account selected; the list follows the wallet.
        QTest::mousePress(cw, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(cw, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(frm.Panels->GetSelectedAccount(), c1);
        QCOMPARE(frm.Panels->GetSelectedWallet(), cw);
        QCOMPARE(frm.CurrentListId(), w1);
        QCOMPARE(rec.got.back().l, qintptr(1));
        QVERIFY(shows(env, cw, QStringLiteral("wallet_f.bmp")));

        // The right button selects too (the popup menu then acts on this card).
        QTest::mousePress(c2, Qt::RightButton, {}, QPoint(20, 20));
        QTest::mouseRelease(c2, Qt::RightButton, {}, QPoint(20, 20));
        QVERIFY(c2->Selected && !c1->Selected);
        QCOMPARE(frm.CurrentListId(), a2);

        // A click on the empty part of the column clears it and tells nobody.
        const int selects = rec.count(WM_CARDSELECT);
        QTest::mouseClick(frm.scrlbxLeft->viewport(), Qt::LeftButton, {}, QPoint(60, 300));
        QVERIFY(!frm.Panels->GetSelectedAccount());
        QVERIFY(shows(env, c1, QStringLiteral("acc.bmp")) &&
                shows(env, c2, QStringLiteral("acc.bmp")));
        QCOMPARE(frm.Panels->GetSelectedWallet(), cw);
        QCOMPARE(frm.CurrentListId(), a2);
        QCOMPARE(rec.count(WM_CARDSELECT), selects);

        // The same for the wallet strip.
        QTest::mouseClick(frm.scrlbxWallet->viewport(), Qt::LeftButton, {}, QPoint(400, 50));
        QVERIFY(!frm.Panels->GetSelectedWallet());
        QVERIFY(!cw->Selected);
    }

    void dragAndDropOnlyBetweenDifferentCards() {
        TestEnv env;
        const int a1 = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("10"));
        const int a2 = AddAccount(env, QStringLiteral("Visa"), 1, QStringLiteral("-3"));
        const int w1 = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("5"));
        TFrmMain frm;
        CardMessages rec;
        frm.installEventFilter(&rec);
        TImageCtrl* c1 = FindCard(frm.Panels->AccountList, a1);
        TImageCtrl* c2 = FindCard(frm.Panels->AccountList, a2);
        TImageCtrl* cw = FindCard(frm.Panels->WalletList, w1);

        QVERIFY(!c1->ImageDragOver(c1));
        QVERIFY(c1->ImageDragOver(c2));
        QVERIFY(c1->ImageDragOver(cw));
        QVERIFY(cw->ImageDragOver(c1));
        QVERIFY(!c1->ImageDragOver(frm.scrlbxLeft));
        QVERIFY(!c1->ImageDragOver(nullptr));

        // A drop opens the transfer window, which is closed again.
        QVERIFY(ModalsOpenedBy([&] {
                    c1->ImageDragDrop(c1);
                    c1->ImageDragDrop(frm.scrlbxWallet);
                }).isEmpty());
        QCOMPARE(rec.count(WM_CARDDROP), 0);
        QCOMPARE(ModalsOpenedBy([&] { cw->ImageDragDrop(c2); }),
                 QStringList{QStringLiteral("TFrmTransfer:Transfer")});
        QCOMPARE(rec.count(WM_CARDDROP), 1);
        QCOMPARE(rec.got.back().w, qintptr(a2));
        QCOMPARE(rec.got.back().l, qintptr(w1));
    }

    void doubleClickOpensTheEditorAfterwards() {
        TestEnv env;
        const int w1 = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("5"));
        const int a1 = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("10"));
        TFrmMain frm;
        frm.show();
        CardMessages rec;
        frm.installEventFilter(&rec);
        // Posted: nothing has opened while the double-click was being handled.
        TImageCtrl* cw = FindCard(frm.Panels->WalletList, w1);
        int openWhileClicking = -1;
        QStringList opened = ModalsOpenedBy([&] {
            QTest::mouseDClick(cw, Qt::LeftButton, {}, QPoint(20, 20));
            openWhileClicking = rec.count(WM_CARDOPEN);
            QTRY_COMPARE(rec.count(WM_CARDOPEN), 1);
        });
        QCOMPARE(openWhileClicking, 0);
        QCOMPARE(opened, QStringList{QStringLiteral("TFrmWallet:View/Edit wallet")});
        QCOMPARE(rec.got.back().w, qintptr(w1));

        opened = ModalsOpenedBy([&] {
            QTest::mouseDClick(FindCard(frm.Panels->AccountList, a1), Qt::LeftButton, {},
                               QPoint(20, 20));
            QTRY_COMPARE(rec.count(WM_CARDOPEN), 2);
        });
        QCOMPARE(opened, QStringList{QStringLiteral("TFrmBankAccount:View/Edit account")});
    }

    void refreshAndRebuild() {
        TestEnv env;
        const int a1 = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("10"));
        const int w1 = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("5"));
        TFrmMain frm;
        TImageCtrl* c1 = FindCard(frm.Panels->AccountList, a1);
        frm.Panels->SelectCard(c1);
        const PDataInfo held = c1->Info;

        env.sql(QStringLiteral("update Account set Balance = 42.5, name = 'Main' where ID = %1")
                    .arg(a1));
        frm.Panels->RefreshCard(999); // no card shows it: nothing happens
        QCOMPARE(held->Balance, Money::fromUnits(10));
        frm.Panels->RefreshCard(a1);
        QCOMPARE(held->Balance, Money::parse(QStringLiteral("42.5")).value());
        QCOMPARE(held->Name, QStringLiteral("Main"));
        QCOMPARE(FindCard(frm.Panels->AccountList, a1), c1);
        QVERIFY(c1->Selected);

        // A wallet card reloads only as a wallet: its id is no account's.
        env.sql(QStringLiteral("update Account set Balance = 7 where ID = %1").arg(w1));
        frm.Panels->RefreshCard(w1);
        QCOMPARE(FindCard(frm.Panels->WalletList, w1)->Info->Balance, Money::fromUnits(7));

        // A rebuild leaves no card selected; without rows the column stays empty.
        env.sql(QStringLiteral("delete from Account where type in (0,1)"));
        frm.Panels->LoadAccounts();
        QVERIFY(frm.Panels->AccountList.isEmpty());
        QVERIFY(!frm.Panels->GetSelectedAccount());
        QVERIFY(frm.scrlbxLeft->Page()->findChildren<TImageCtrl*>().isEmpty());
        QCOMPARE(frm.Panels->WalletList.size(), 1);
    }

    void balanceBeyondTheMoneyRangeStillShowsItsCard() {
        // Written by something else: two deposits of 500000000000000 on one wallet.
        TestEnv env;
        const int big = AddAccount(env, QStringLiteral("Jackpot"), 2, QStringLiteral("1e15"));
        const int small = AddAccount(env, QStringLiteral("Cash"), 2, QStringLiteral("5"));
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("-1e300"));
        TFrmMain frm;
        QCOMPARE(frm.Panels->WalletList.size(), 2);
        QCOMPARE(frm.Panels->AccountList.size(), 1);
        QCOMPARE(FindCard(frm.Panels->WalletList, big)->Info->Balance.raw(),
                 std::numeric_limits<qint64>::max());
        QCOMPARE(FindCard(frm.Panels->WalletList, small)->Info->Balance, Money::fromUnits(5));
        QCOMPARE(FindCard(frm.Panels->AccountList, bank)->Info->Balance.raw(),
                 std::numeric_limits<qint64>::min());
        // Selecting it fills the list, the summary and the totals without an error box.
        frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, big));
        QCOMPARE(frm.CurrentListId(), big);
        QVERIFY(frm.statusTotals->text().startsWith(QStringLiteral("Total: ")));
        frm.Panels->RefreshCard(big);
        QVERIFY2(env.messages->messages.empty(),
                 qPrintable(env.messages->messages.empty() ? QString()
                                                           : env.messages->messages[0].text));
    }

    void missingBitmapReachesTheErrorReport() {
        TestEnv env;
        const int a1 = AddAccount(env, QStringLiteral("Checking"), 0, QStringLiteral("10"));
        TFrmMain frm;
        QVERIFY(env.messages->messages.empty());
        QVERIFY(QFile::remove(env.dir() + QStringLiteral("/res/acc_f.bmp")));
        QTest::mousePress(FindCard(frm.Panels->AccountList, a1), Qt::LeftButton, {},
                          QPoint(20, 20));
        QCOMPARE(env.messages->messages.size(), size_t(1));
        const RecordedMessage& m = env.messages->messages.front();
        QCOMPARE(m.caption, ApplicationTitle());
        QCOMPARE(m.icon, MsgIcon::Error);
        QVERIFY2(m.text.contains(QStringLiteral("acc_f.bmp")), qPrintable(m.text));
    }
};

BUDGET_TEST(TestCards)
#include "tst_cards.moc"
