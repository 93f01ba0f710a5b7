// The history window: how it opens, what its filters and search list, sorting, and
// the main window's two history commands.
#include "PrintTestKit.h"
#include "TestData.h"

#include "app/UtMain.h"
#include "cards/UtCards.h"
#include "data/UtDM.h"
#include "export/PreviewFormEh.h"
#include "grid/DBGridEh.h"
#include "history/UtAccountHistory.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using namespace TestData;

namespace {

const int colDate = 1, colType = 2, colName = 3, colFrom = 4, colAmount = 5, colTo = 7;

QString at(QDate d, const char* time = "12:00:00") {
    return d.toString(QStringLiteral("yyyy-MM-dd ")) + QLatin1String(time);
}

QStringList entries(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheStartEntryWithTodaysRows() {
        TestEnv env;
        const QDate today = QDate::currentDate();
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int card = AddAccount(env, QStringLiteral("Card"), 1);
        const int purse = AddAccount(env, QStringLiteral("Purse"), 2);
        AddDetail(env, bank, 0, at(today, "06:00:00"), "10", QStringLiteral("bank today"));
        AddDetail(env, card, 1, at(today, "23:59:59"), "4", QStringLiteral("card today"));
        AddDetail(env, purse, 1, at(today), "2", QStringLiteral("purse today"));
        AddDetail(env, bank, 0, at(QDate(today.year(), today.month(), 1), "00:00:00"), "1",
                  QStringLiteral("first of month"));
        AddDetail(env, bank, 0, at(QDate(today.year(), today.month(), 1).addDays(-1)), "1",
                  QStringLiteral("last month"));
        AddDetail(env, bank, 0, at(today.addDays(1)), "1", QStringLiteral("tomorrow"));

        {
            TFrmAccountHistory frm;
            frm.show();
            QCOMPARE(entries(frm.cbbAccWal),
                     (QStringList{"-----All-----", "---Account---", "    Bank", "    Card",
                                  "---Wallet---", "    Purse"}));
            QStringList todays{"bank today", "card today", "purse today"};
            if (today.day() == 1)
                todays << "first of month";
            QCOMPARE(sorted(GridColumn(frm.dbgrdh1, colFrom)), sorted(todays));
            // The "To" column is bound to a name no statement returns.
            QCOMPARE(frm.dbgrdh1->ColumnTitle(colTo), QStringLiteral("To"));
            QCOMPARE(GridColumn(frm.dbgrdh1, colTo).join(QString()), QString());

            // This month runs from the first through today; tomorrow is never listed.
            frm.rbMonth->click();
            QCOMPARE(sorted(GridColumn(frm.dbgrdh1, colFrom)),
                     sorted(today.day() == 1 ? todays : todays + QStringList{"first of month"}));

            // The headers narrow the list to accounts or to wallets.
            frm.cbbAccWal->setCurrentIndex(1);
            QCOMPARE(sorted(GridColumn(frm.dbgrdh1, colName)).join(','),
                     QStringLiteral("Bank,Bank,Card"));
            frm.cbbAccWal->setCurrentText(QStringLiteral("---Wallet---"));
            QCOMPARE(GridColumn(frm.dbgrdh1, colName), QStringList{"Purse"});
            frm.cbbAccWal->setCurrentIndex(0);

            // Kinds, chosen or typed; a text that is no entry lists every kind.
            frm.cbbType->setCurrentText(QStringLiteral("Debit"));
            QCOMPARE(GridColumn(frm.dbgrdh1, colType), (QStringList{"Debit", "Debit"}));
            frm.cbbType->setCurrentText(QStringLiteral("deposit"));
            QCOMPARE(GridColumn(frm.dbgrdh1, colType), (QStringList{"Deposit", "Deposit"}));
            frm.cbbType->setCurrentText(QStringLiteral("Depo"));
            QCOMPARE(GridColumn(frm.dbgrdh1, colType).size(), 4);
        }
        {
            TFrmAccountHistory frm;
            frm.StartId = card;
            frm.show();
            QCOMPARE(frm.cbbAccWal->currentText(), QStringLiteral("    Card"));
            QVERIFY(frm.qryList.Text().contains(QStringLiteral(" and B.ID=%1").arg(card)));
            QCOMPARE(GridColumn(frm.dbgrdh1, colFrom), QStringList{"card today"});
            // Later activations keep the user's choices.
            frm.cbbAccWal->setCurrentIndex(0);
            frm.hide();
            frm.show();
            QCOMPARE(frm.cbbAccWal->currentIndex(), 0);
        }

        // Without wallets there is no wallet header; the account header is always there.
        env.sql(QStringLiteral("delete from Account"));
        TFrmAccountHistory empty;
        empty.show();
        QCOMPARE(entries(empty.cbbAccWal), (QStringList{"-----All-----", "---Account---"}));
        QCOMPARE(empty.dbgrdh1->model()->rowCount(), 0);
    }

    void transfersShowTwiceAndTheFooterAddsAll() {
        TestEnv env;
        const QDate today = QDate::currentDate();
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int saving = AddAccount(env, QStringLiteral("Saving"), 0);
        const int t = AddTransfer(env, bank, saving, at(today, "09:00:00"), "40");
        AddDetail(env, bank, 0, at(today, "10:00:00"), "10");
        AddDetail(env, saving, 1, at(today, "11:00:00"), "4.5");
        TFrmAccountHistory frm;
        frm.show();
        QCOMPARE(frm.qryList.RecordCount(), 4);
        QStringList sides;
        for (frm.qryList.First(); !frm.qryList.Eof(); frm.qryList.Next())
            if (frm.qryList.FieldByName("ID").AsInteger() == t &&
                frm.qryList.FieldByName("type").AsInteger() >= 2)
                sides << frm.qryList.FieldByName("TypeName").AsString() + ' ' +
                             frm.qryList.FieldByName("name").AsString();
        QCOMPARE(sorted(sides), (QStringList{"Trans In Saving", "Trans Out Bank"}));
        QCOMPARE(frm.dbgrdh1->FooterText(colAmount), QStringLiteral("94.5"));
        QCOMPARE(frm.dbgrdh1->FooterText(colDate), QStringLiteral("SUM"));
    }

    void searchMatchesTheTypedTextLiterally() {
        TestEnv env;
        const QDate today = QDate::currentDate();
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 1, at(today, "08:00:00"), "1", QStringLiteral("O'Brien"));
        AddDetail(env, bank, 1, at(today, "09:00:00"), "2", QStringLiteral("shop"),
                  QStringLiteral("50% off"));
        AddDetail(env, bank, 1, at(today, "10:00:00"), "3", QStringLiteral("shop"), {},
                  QStringLiteral("a_b"));
        AddDetail(env, bank, 1, at(today, "11:00:00"), "4", QStringLiteral("shop"), {},
                  QStringLiteral("axb  two"));
        AddDetail(env, bank, 1, at(today, "12:00:00"), "5", QStringLiteral("back\\slash"));
        TFrmAccountHistory frm;
        frm.show();
        const auto amounts = [&] { return GridColumn(frm.dbgrdh1, colAmount).join(','); };
        QCOMPARE(amounts(), QStringLiteral("1,2,3,4,5"));

        // Every keystroke reloads.
        QStringList seen;
        for (const QChar c : QStringLiteral("o'b")) {
            QTest::keyClick(frm.edtSearch, c.toLatin1());
            seen << amounts();
        }
        QCOMPARE(seen, (QStringList{"1,2,3,4,5", "1", "1"}));
        QVERIFY(env.messages->messages.empty());

        const auto search = [&](const QString& text) {
            frm.edtSearch->setText(text);
            return amounts();
        };
        QCOMPARE(search(QStringLiteral("'")), QStringLiteral("1"));
        QCOMPARE(search(QStringLiteral("%")), QStringLiteral("2"));
        QCOMPARE(search(QStringLiteral("_")), QStringLiteral("3"));
        QCOMPARE(search(QStringLiteral("a_b")), QStringLiteral("3"));
        QCOMPARE(search(QStringLiteral("\\")), QStringLiteral("5"));
        QCOMPARE(search(QStringLiteral("  ")), QStringLiteral("4"));
        QCOMPARE(search(QStringLiteral("SHOP")), QStringLiteral("2,3,4"));
        QVERIFY(env.messages->messages.empty());

        // A double-click empties the box and the list comes back whole.
        QTest::mouseDClick(frm.edtSearch, Qt::LeftButton);
        QCOMPARE(frm.edtSearch->text(), QString());
        QCOMPARE(amounts(), QStringLiteral("1,2,3,4,5"));
        QVERIFY(!frm.qryList.Text().contains(QStringLiteral("like")));
    }

    // Letters beyond ASCII: the search ignores their case, a title click puts them with
    // their plain letters.
    void lettersOfEveryKindAreFoundAndSorted() {
        TestEnv env;
        const QDate today = QDate::currentDate();
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 1, at(today, "08:00:00"), "1", QStringLiteral("Zed"));
        AddDetail(env, bank, 1, at(today, "09:00:00"), "2", QStringLiteral("Müller"));
        AddDetail(env, bank, 1, at(today, "10:00:00"), "3", QStringLiteral("Émile"));
        AddDetail(env, bank, 1, at(today, "11:00:00"), "4", QStringLiteral("eve"),
                  QStringLiteral("Ærø ferry"));
        TFrmAccountHistory frm;
        frm.show();
        const auto amounts = [&] { return GridColumn(frm.dbgrdh1, colAmount).join(','); };
        // Case is folded, accents are kept: "É" is no plain "e".
        const struct {
            const char* typed;
            const char* found;
        } searches[] = {{"MÜLLER", "2"}, {"émile", "3"}, {"ÆRØ", "4"}, {"É", "3"}};
        for (const auto& c : searches) {
            frm.edtSearch->setText(QString::fromUtf8(c.typed));
            QCOMPARE(amounts(), QLatin1String(c.found));
        }
        frm.edtSearch->clear();
        emit frm.dbgrdh1->TitleBtnClick(colFrom);
        QCOMPARE(GridColumn(frm.dbgrdh1, colFrom), (QStringList{"Émile", "eve", "Müller", "Zed"}));
        QVERIFY(env.messages->messages.empty());
    }

    // The window's own grid is flat: its web page says so, and its printed rows take a
    // flat grid's inset, so a page holds more of them than a raised grid's would.
    void theListIsFlatOnThePageAndOnPaper() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        env.sql(
            QStringLiteral("insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                           "select 0, %1, '%2', 'payer ' || i, i, 'food', '' from (with "
                           "recursive n(i) as (select 1 union all select i + 1 from n where "
                           "i < 150) select i from n)")
                .arg(bank)
                .arg(at(QDate::currentDate())));
        TFrmAccountHistory frm;
        frm.show();
        QCOMPARE(frm.qryList.RecordCount(), 150);

        const QString page = env.dir() + QStringLiteral("/list.htm");
        env.files->answer = {true, page, 3};
        env.messages->answers = {mbNo};
        frm.btnExport->click();
        QCOMPARE(env.messages->messages.size(), size_t(1)); // whether to open it, no error
        QFile written(page);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=1 BGCOLOR="));

        auto printers = SetPrinters(std::make_unique<PrinterRecorder>());
        const auto rowsOnFirstPage = [&] {
            frm.btnPrint->click();
            const TPrinterPreview& pp = PreviewFormEh().PrinterPreview();
            return PrintTestKit::Replay(pp.Page(0), pp.DocGeometry()).Count("Deposit");
        };
        const int flat = rowsOnFirstPage();
        frm.dbgrdh1->SetFlat(false);
        const int raised = rowsOnFirstPage();
        QVERIFY2(flat > raised && raised > 0,
                 qPrintable(QStringLiteral("%1 / %2").arg(flat).arg(raised)));
        PreviewFormEh().hide();
        SetPrinters(std::move(printers));
        QCOMPARE(env.messages->messages.size(), size_t(1));
    }

    void titleClicksSortAndToDoesNothing() {
        TestEnv env;
        const QDate today = QDate::currentDate();
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 0, at(today, "08:00:00"), "30");
        AddDetail(env, bank, 0, at(today, "09:00:00"), "10");
        AddDetail(env, bank, 0, at(today, "10:00:00"), "20");
        TFrmAccountHistory frm;
        frm.show();
        const auto amounts = [&] { return GridColumn(frm.dbgrdh1, colAmount).join(','); };
        emit frm.dbgrdh1->TitleBtnClick(colAmount);
        QCOMPARE(amounts(), QStringLiteral("10,20,30"));
        QCOMPARE(frm.dbgrdh1->SortMarker(colAmount), TSortMarker::smUp);
        emit frm.dbgrdh1->TitleBtnClick(colAmount);
        QCOMPARE(amounts(), QStringLiteral("30,20,10"));
        QCOMPARE(frm.dbgrdh1->SortMarker(colAmount), TSortMarker::smDown);
        emit frm.dbgrdh1->TitleBtnClick(colTo);
        QCOMPARE(amounts(), QStringLiteral("30,20,10"));
        QCOMPARE(frm.dbgrdh1->SortMarker(colTo), TSortMarker::smNone);
        QCOMPARE(frm.dbgrdh1->SortMarker(colAmount), TSortMarker::smDown);
        emit frm.dbgrdh1->TitleBtnClick(colAmount);
        QCOMPARE(amounts(), QStringLiteral("30,10,20"));
        QCOMPARE(frm.dbgrdh1->SortMarker(colAmount), TSortMarker::smNone);

        // A new load comes back in date order while the marker stays.
        emit frm.dbgrdh1->TitleBtnClick(colAmount);
        frm.rbMonth->click();
        QCOMPARE(amounts(), QStringLiteral("30,10,20"));
        QCOMPARE(frm.dbgrdh1->SortMarker(colAmount), TSortMarker::smUp);
        QVERIFY(env.messages->messages.empty());
    }

    void commandsReachTheirUnits() {
        TestEnv env;
        ScopedHelpRecorder help;
        TFrmAccountHistory frm;
        frm.show();
        QVERIFY(QTest::qWaitForWindowActive(&frm));
        frm.btnHelp->click();
        QTest::keyClick(frm.dbgrdh1, Qt::Key_F1);
        frm.findChild<QAction*>(QStringLiteral("mniHelp"))->trigger();
        QCOMPARE(help->calls, (QStringList{"15:1012", "15:1012", "15:1012"}));
        QTest::keyClick(frm.dbgrdh1, Qt::Key_Escape); // no cancel button: Esc leaves it open
        QVERIFY(frm.isVisible());
        // Export asks for its file (the recorder cancels); Print lays the list out in the
        // preview.
        frm.btnExport->click();
        QCOMPARE(env.files->requests.size(), size_t(1));
        QCOMPARE(env.files->requests[0].fileName, QStringLiteral("dayreport"));
        auto printers = SetPrinters(std::make_unique<PrinterRecorder>());
        frm.findChild<QAction*>(QStringLiteral("mniPrint"))->trigger();
        QVERIFY(PreviewFormExists() && PreviewFormEh().isVisible());
        // The empty list's titles: the nine columns take two strips of a portrait page.
        QCOMPARE(PreviewFormEh().PrinterPreview().PageCount(), 2);
        PreviewFormEh().hide();
        SetPrinters(std::move(printers));
        frm.findChild<QAction*>(QStringLiteral("mniExit"))->trigger();
        QVERIFY(!frm.isVisible());
    }

    void mainWindowOpensItForTheSelectedCard() {
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int purse = AddAccount(env, QStringLiteral("Purse"), 2);
        AddDetail(env, bank, 0, at(QDate::currentDate()), "25");
        SettleBalances(env);
        TFrmMain main;
        main.show();
        QStringList chosen;
        const auto look = [&](QDialog* d) {
            if (auto* h = qobject_cast<TFrmAccountHistory*>(d))
                chosen << h->cbbAccWal->currentText();
        };
        main.Panels->SelectCard(FindCard(main.Panels->AccountList, bank));
        const QStringList opened = ModalsOpenedBy(
            [&] { main.findChild<QToolButton*>(QStringLiteral("btnToolAccHistory"))->click(); },
            look);
        QCOMPARE(opened, QStringList{"TFrmAccountHistory:Acc/Wal History"});
        // Both panels are rebuilt: no card is selected afterwards.
        QVERIFY(!main.Panels->GetSelectedAccount());
        ModalsOpenedBy([&] { main.btnToolWalHistoryClick(); }, look);
        main.Panels->SelectCard(FindCard(main.Panels->WalletList, purse));
        ModalsOpenedBy([&] { main.btnToolWalHistoryClick(); }, look);
        QCOMPARE(chosen, (QStringList{"    Bank", "-----All-----", "    Purse"}));
        QVERIFY(!main.Panels->GetSelectedWallet());
        QVERIFY(env.messages->messages.empty());
    }
};
BUDGET_TEST(HistoryWindowTest)
#include "HistoryWindowTest.moc"
