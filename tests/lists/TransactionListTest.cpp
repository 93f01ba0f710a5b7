#include "TestData.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "lists/UtTransactionList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

using namespace TestData;

namespace {

const int colNo = 0, colDate = 1, colType = 2, colAmount = 4, colMemo = 7;

QStringList column(const TTransactionList& list, int col) {
    QStringList out;
    for (int r = 0; r < list.dbgrdh1->model()->rowCount(); ++r)
        out << list.dbgrdh1->CellText(r, col);
    return out;
}

void setRange(TTransactionList& list, QDate from, QDate to) {
    list.dtpRange1->setDate(from);
    list.dtpRange2->setDate(to);
}

} // namespace

class TransactionListTest : public QObject {
    Q_OBJECT
private slots:
    void startsEmptyAndFiltersBeforeAnyCard() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, acc, 0, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 08:00:00")),
                  "12");
        TTransactionList list;
        const QDate today = QDate::currentDate();
        QCOMPARE(list.dtpRange1->date(), QDate(today.year(), today.month(), 1));
        QCOMPARE(list.dtpRange2->date(), today);
        QCOMPARE(list.cbbType->currentText(), QStringLiteral("-----All-----"));
        QCOMPARE(list.cbbDate->currentText(), QStringLiteral("-----None-----"));
        QCOMPARE(list.cbbDate->itemText(2), QStringLiteral("  Last 3 days"));
        QVERIFY(list.qryList.Active());
        QCOMPARE(list.dbgrdh1->model()->rowCount(), 0);
        QCOMPARE(list.dbgrdh1->ColumnTitle(colType), QStringLiteral("TypeName"));
        QCOMPARE(list.CurrentListId, 0);

        list.cbbType->setCurrentText(QStringLiteral("Deposit"));
        QVERIFY(list.qryList.Active());
        QVERIFY(list.qryList.Text().contains(QStringLiteral(" and B.ID=0")));
        QCOMPARE(list.dbgrdh1->model()->rowCount(), 0);
        // After the columns come from the combined query, titles follow its own names.
        QCOMPARE(list.dbgrdh1->ColumnTitle(3), QStringLiteral("name"));
        QCOMPARE(list.dbgrdh1->ColumnTitle(5), QStringLiteral("from"));
        QCOMPARE(list.dbgrdh1->ColumnTitle(colMemo), QStringLiteral("memo"));
        QCOMPARE(list.dbgrdh1->ColumnTitle(colDate), QStringLiteral("Date"));

        list.LoadList(acc);
        QCOMPARE(list.CurrentListId, acc);
        QCOMPARE(column(list, colType), QStringList{"Deposit"});
        // A filter change now reloads the selected account's rows.
        list.cbbType->setCurrentText(QStringLiteral("Debit"));
        QCOMPARE(list.dbgrdh1->model()->rowCount(), 0);
        list.cbbType->setCurrentText(QStringLiteral("nonsense"));
        QCOMPARE(column(list, colType), QStringList{"Deposit"});
    }

    void transfersShowOnBothSides() {
        TestEnv env;
        const int wallet = AddAccount(env, QStringLiteral("Purse"), 2);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddTransfer(env, wallet, bank, "2024-03-05 09:00:00", "50");
        AddDetail(env, bank, 0, "2024-03-06 09:00:00", "7");
        AddDetail(env, bank, 1, "2024-03-07 09:00:00", "3");
        TTransactionList list;
        setRange(list, QDate(2024, 3, 1), QDate(2024, 3, 31));
        list.LoadList(wallet);
        QCOMPARE(column(list, colType), QStringList{"Trans Out"});
        QCOMPARE(column(list, colAmount), QStringList{"50"});
        QCOMPARE(column(list, 3), QStringList{"Purse"});
        list.LoadList(bank);
        QCOMPARE(column(list, colType), (QStringList{"Trans In", "Deposit", "Debit"}));
        QCOMPARE(column(list, colDate), (QStringList{"2024-03-05", "2024-03-06", "2024-03-07"}));
        QCOMPARE(list.dbgrdh1->FooterText(colAmount), QStringLiteral("60"));

        list.cbbType->setCurrentText(QStringLiteral("Trans in"));
        QCOMPARE(column(list, colType), QStringList{"Trans In"});
        list.cbbType->setCurrentText(QStringLiteral("Trans out"));
        QCOMPARE(list.dbgrdh1->model()->rowCount(), 0);
        list.LoadList(wallet);
        QCOMPARE(column(list, colType), QStringList{"Trans Out"});
    }

    void rangeRunsToMidnightAfterTheEndDate() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, acc, 0, "2023-12-31 23:59:59", "1", "before");
        AddDetail(env, acc, 0, "2024-01-01 00:00:00", "2", "first");
        AddDetail(env, acc, 0, "2024-01-31 23:59:59", "3", "last");
        AddDetail(env, acc, 0, "2024-02-01 00:00:00", "4", "midnight");
        AddDetail(env, acc, 0, "2024-02-01 00:00:01", "5", "after");
        TTransactionList list;
        list.LoadList(acc);
        setRange(list, QDate(2024, 1, 1), QDate(2024, 1, 31));
        QCOMPARE(column(list, 5), (QStringList{"first", "last", "midnight"}));
        QCOMPARE(list.dbgrdh1->FooterText(colAmount), QStringLiteral("9"));
    }

    void datePresetsSetThePickers() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("Bank"), 0);
        const QDate today = QDate::currentDate();
        auto at = [](QDate d) { return d.toString(QStringLiteral("yyyy-MM-dd 12:00:00")); };
        AddDetail(env, acc, 0, at(today.addDays(-8)), "1", "d8");
        AddDetail(env, acc, 0, at(today.addDays(-4)), "1", "d4");
        AddDetail(env, acc, 0, at(today.addDays(-3)), "1", "d3");
        AddDetail(env, acc, 0, at(today), "1", "d0");
        TTransactionList list;
        list.LoadList(acc);

        list.cbbDate->setCurrentText(QStringLiteral("  Last 3 days"));
        QCOMPARE(list.dtpRange1->date(), today.addDays(-3));
        QCOMPARE(list.dtpRange2->date(), today);
        QCOMPARE(column(list, 5), (QStringList{"d3", "d0"}));
        list.cbbDate->setCurrentText(QStringLiteral("  Last 7 days"));
        QCOMPARE(list.dtpRange1->date(), today.addDays(-7));
        QCOMPARE(column(list, 5), (QStringList{"d4", "d3", "d0"}));
        list.cbbDate->setCurrentText(QStringLiteral("  Today"));
        QCOMPARE(list.dtpRange1->date(), today);
        QCOMPARE(column(list, 5), QStringList{"d0"});
        list.cbbDate->setCurrentText(QStringLiteral("  This Month"));
        QCOMPARE(list.dtpRange1->date(), QDate(today.year(), today.month(), 1));
        QCOMPARE(list.dtpRange2->date(), today);

        // "None" and typed text leave the pickers as they are, and still reload.
        setRange(list, today.addDays(-30), today.addDays(-2));
        list.cbbDate->setCurrentText(QStringLiteral("-----None-----"));
        QCOMPARE(list.dtpRange1->date(), today.addDays(-30));
        QCOMPARE(list.dtpRange2->date(), today.addDays(-2));
        QCOMPARE(column(list, 5), (QStringList{"d8", "d4", "d3"}));
        list.cbbDate->setCurrentText(QStringLiteral("last week"));
        QCOMPARE(list.dtpRange1->date(), today.addDays(-30));
    }

    void titleClicksSortTheList() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, acc, 0, "2024-05-01 10:00:00", "30", "a");
        AddDetail(env, acc, 1, "2024-05-02 10:00:00", "10", "b");
        AddDetail(env, acc, 0, "2024-05-03 10:00:00", "20", "c");
        TTransactionList list;
        setRange(list, QDate(2024, 5, 1), QDate(2024, 5, 31));
        list.LoadList(acc);
        TDBGridEh* g = list.dbgrdh1;
        const QStringList byDate{"30", "10", "20"};
        QCOMPARE(column(list, colAmount), byDate);

        emit g->TitleBtnClick(colAmount);
        QCOMPARE(column(list, colAmount), (QStringList{"10", "20", "30"}));
        QCOMPARE(g->SortMarker(colAmount), TSortMarker::smUp);
        emit g->TitleBtnClick(colAmount);
        QCOMPARE(column(list, colAmount), (QStringList{"30", "20", "10"}));
        QCOMPARE(g->SortMarker(colAmount), TSortMarker::smDown);
        emit g->TitleBtnClick(colAmount);
        QCOMPARE(column(list, colAmount), byDate);
        QCOMPARE(g->SortMarker(colAmount), TSortMarker::smNone);

        // Memo is a long-text field: its title sorts nothing.
        emit g->TitleBtnClick(colAmount);
        emit g->TitleBtnClick(colMemo);
        QCOMPARE(g->SortMarker(colMemo), TSortMarker::smNone);
        QCOMPARE(g->SortMarker(colAmount), TSortMarker::smUp);
        QCOMPARE(column(list, colAmount), (QStringList{"10", "20", "30"}));

        // A reload brings the date order back while the marker stays.
        list.LoadList(acc);
        QCOMPARE(column(list, colAmount), byDate);
        QCOMPARE(g->SortMarker(colAmount), TSortMarker::smUp);
    }

    void rowNumbersAndFooter() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, acc, 0, "2024-05-01 10:00:00", "4.25");
        AddDetail(env, acc, 1, "2024-05-02 10:00:00", "6.25");
        AddDetail(env, acc, 0, "2024-05-03 10:00:00", "0");
        TTransactionList list;
        setRange(list, QDate(2024, 5, 1), QDate(2024, 5, 31));
        list.LoadList(acc);
        QCOMPARE(list.dbgrdh1->FooterText(colDate), QStringLiteral("SUM"));
        QCOMPARE(list.dbgrdh1->FooterText(colAmount), QStringLiteral("10.5"));

        // The number is drawn 3 px in and 2 px down; cell text of "No." itself is empty.
        QCOMPARE(list.dbgrdh1->CellText(0, colNo), QString());
        list.resize(700, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QImage img(100, 40, QImage::Format_ARGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            list.dbgrdh1DrawColumnCell(&p, QRect(10, 10, 30, 18), colNo); // not while drawing
        }
        QVERIFY(img.allGray() && img.pixel(20, 20) == QColor(Qt::white).rgb());

        QStringList drawn;
        connect(list.dbgrdh1, &TDBGridEh::DrawColumnCell, &list,
                [&](QPainter*, const QRect&, int c) {
                    if (c == colNo)
                        drawn << QString::number(list.dbgrdh1->DrawingRecNo());
                });
        list.dbgrdh1->grab();
        QVERIFY(drawn.contains("1") && drawn.contains("3") && !drawn.contains("4"));
        // What is on the screen: a number in each row's "No." cell, each a different one,
        // and nothing in that column below the last row.
        const QImage shot = list.dbgrdh1->grab().toImage();
        const auto cell = [&](int row, int column) {
            return list.dbgrdh1->visualRect(list.dbgrdh1->model()->index(row, column))
                .translated(list.dbgrdh1->viewport()->pos());
        };
        // The dark pixels of a cell, as a pattern: a digit drawn there shows in it.
        const auto ink = [&](const QRect& r) {
            QList<bool> dark;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    dark << (qGray(shot.pixel(x, y)) < 100);
            return dark;
        };
        const auto inked = [&](const QRect& r) { return int(ink(r).count(true)); };
        for (int row = 0; row < 3; ++row)
            QVERIFY2(inked(cell(row, colNo)) > 0, qPrintable(QString::number(row)));
        QVERIFY(ink(cell(0, colNo)) != ink(cell(2, colNo)));
        const QRect below = cell(2, colNo).translated(0, cell(2, colNo).height());
        QVERIFY(below.bottom() < shot.height());
        QCOMPARE(inked(below), 0);
        QVERIFY(inked(cell(0, colAmount)) > 0);
    }

    void exportWritesTheListAndOffersToOpenIt() {
        TestEnv env;
        const int acc = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, acc, 0, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 08:00:00")),
                  "12.5", "Boss", "pay");
        TTransactionList list;
        list.LoadList(acc);
        list.btnExportClick(); // the recorder cancels
        QCOMPARE(env.files->requests.size(), size_t(1));
        const SaveDialogRequest& req = env.files->requests.front();
        QCOMPARE(req.filter,
                 QStringLiteral("Excel(*.xls)|*.xls|text(*.txt)|*.txt|htm(*.htm)|*.htm"));
        QCOMPARE(req.defaultExtension, QStringLiteral("xls"));
        QCOMPARE(req.fileName, QStringLiteral("dayreport"));
        QCOMPARE(req.filterIndex, 1);
        QVERIFY(env.messages->messages.empty());

        // The button runs guarded, as the user presses it.
        env.files->answer = {true, env.dir() + QStringLiteral("/dayreport"), 2};
        env.messages->answers = {mbYes};
        list.btnExport->click();
        const QString path = env.dir() + QStringLiteral("/dayreport.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QByteArray("No.\tDate\tTypeName\tname\tAmount\tfrom\tfor\tmemo\r"));
        QVERIFY(lines[1].endsWith("\tDeposit\tBank\t12.5\tBoss\tfood\tpay\r"));
        QCOMPARE(lines[2], QByteArray("\tSUM\t\t\t12.5\t\t\t"));
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(env.messages->messages[0].text, QStringLiteral("Do you want to lunch the file?"));
        QCOMPARE(env.messages->messages[0].icon, MsgIcon::Question);
        QCOMPARE(env.messages->messages[0].buttons, MsgButtons(mbYes | mbNo));
        QCOMPARE(env.shell->opened, QStringList{path});
    }
};

BUDGET_TEST(TransactionListTest)
#include "TransactionListTest.moc"
