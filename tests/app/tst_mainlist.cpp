// Selecting a card fills the list and the summary strip of the main window; other
// commands leave them as they are until the next selection.
#include "TestEnv.h"

#include "app/UtMain.h"
#include "cards/ScrollBox.h"
#include "cards/UtCards.h"
#include "grid/DBGridEh.h"
#include "lists/UtSummary.h"
#include "lists/UtTransactionList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QPushButton>
#include <QtTest>

class MainListTest : public QObject {
    Q_OBJECT
private slots:
    void cardSelectionFillsListAndSummary() {
        TestEnv env;
        env.sql(QStringLiteral("insert into Account(name,type,Balance) values('Checking',0,75)"));
        env.sql(QStringLiteral("insert into Account(name,type,Balance) values('Cash',2,25)"));
        // A fixed day for the summary's clock and the list's range alike.
        const QDate today(2025, 3, 10);
        const QString now = QStringLiteral("2025-03-10 12:00:00");
        env.sql(QStringLiteral("insert into Detail(type,DestID,Date,[From],Amount,[For],Memo) "
                               "values(0,1,'%1','Boss',100,'pay','')")
                    .arg(now));
        env.sql(
            QStringLiteral("insert into Transfer(SourceID,DestID,Date,[From],Amount,[For],Memo) "
                           "values(1,2,'%1','atm',25,'cash','')")
                .arg(now));
        TFrmMain frm;
        frm.show();
        frm.SummaryStrip->Today = [today] { return today; };
        frm.TransactionList->dtpRange1->setDate(QDate(2025, 3, 1));
        frm.TransactionList->dtpRange2->setDate(today);
        TDBGridEh* list = frm.TransactionList->dbgrdh1;
        TDBGridEh* summary = frm.SummaryStrip->dbgrdhTotal;
        QCOMPARE(list->model()->rowCount(), 0);

        frm.Panels->SelectCard(qobject_cast<TImageCtrl*>(frm.Panels->AccountList.first()->Card));
        QCOMPARE(frm.CurrentListId(), 1);
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->CellText(0, 2), QStringLiteral("Deposit"));
        QCOMPARE(list->CellText(1, 2), QStringLiteral("Trans Out"));
        QCOMPARE(list->FooterText(4), QStringLiteral("125"));
        QCOMPARE(summary->CellText(0, 0), QStringLiteral("Checking"));
        QCOMPARE(summary->CellText(0, 1), QStringLiteral("75.00%"));
        QCOMPARE(summary->CellText(0, 2), QStringLiteral("$100.00"));
        QCOMPARE(summary->CellText(0, 4), QStringLiteral("$100.00"));

        // The wallet's card: its side of the transfer, and the filter is kept.
        auto* kind = frm.TransactionList->cbbType;
        kind->setCurrentIndex(kind->findText(QStringLiteral("Trans in")));
        frm.Panels->SelectCard(qobject_cast<TImageCtrl*>(frm.Panels->WalletList.first()->Card));
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(list->CellText(0, 2), QStringLiteral("Trans In"));
        QCOMPARE(summary->CellText(0, 1), QStringLiteral("25.00%"));

        // Clicking the empty panel clears the selection but keeps the list.
        frm.Panels->ClearWalletSelection(frm.scrlbxWallet);
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(frm.CurrentListId(), 2);
    }

    void boxesAndFileDialogsBelongToTheWindow() {
        TestEnv env;
        TFrmMain frm;
        frm.show();
        // The list is a part of the window and carries the skin; what it opens belongs to
        // the window, which carries none, so the system look stays.
        const auto unskinned = [](const QWidget* owner) {
            for (const QWidget* w = owner; w; w = w->parentWidget())
                if (!w->styleSheet().isEmpty())
                    return false;
            return true;
        };
        QVERIFY(!unskinned(frm.TransactionList->btnExport));
        frm.TransactionList->btnExport->click();
        QCOMPARE(env.files->owners.size(), size_t(1));
        QCOMPARE(env.files->owners.front(), static_cast<QWidget*>(&frm));
        QVERIFY(unskinned(env.files->owners.front()));

        ShowMessage(frm.TransactionList->dbgrdh1, QStringLiteral("Query"), QStringLiteral("?"),
                    MsgIcon::Question, mbYes | mbNo);
        QCOMPARE(env.messages->messages.back().owner, static_cast<QWidget*>(&frm));
        ShowMessage(nullptr, QStringLiteral("Error"), QStringLiteral("!"), MsgIcon::Error, mbOK);
        QCOMPARE(env.messages->messages.back().owner, nullptr);
    }

    void summaryColumnsShareTheWindowWidth() {
        TestEnv env;
        TFrmMain frm;
        frm.show();
        for (int width : {875, 1203}) {
            frm.resize(width, 605);
            QCoreApplication::processEvents();
            TDBGridEh* summary = frm.SummaryStrip->dbgrdhTotal;
            QTRY_COMPARE(summary->ColumnWidth(5), summary->width() / 6 - 1);
            for (int c = 0; c < 6; ++c)
                QCOMPARE(summary->ColumnWidth(c), summary->width() / 6 - 1);
        }
    }
};

BUDGET_TEST(MainListTest)
#include "tst_mainlist.moc"
