#include "TestEnv.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "grid/GridSort.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>
#include <map>

namespace {

// Five rows whose statement order (by id) differs from their amount order.
void fillRows(TestEnv& env) {
    const char* rows[] = {"(0, 1, '2024-01-01 10:00:00', 'a', 30.25, 'x', 'm5')",
                          "(1, 1, '2024-01-02 10:00:00', 'b', 10.5, 'y', 'm1')",
                          "(0, 1, '2024-01-03 10:00:00', 'c', 20, 'z', 'm4')",
                          "(1, 1, '2024-01-04 10:00:00', 'd', 0.125, 'w', 'm2')",
                          "(0, 1, '2024-01-05 10:00:00', 'e', 5, 'v', 'm3')"};
    for (const char* r : rows)
        env.sql(
            QStringLiteral(
                "insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) values ") +
            QLatin1String(r));
}

std::vector<TColumnEh> testColumns() {
    std::vector<TColumnEh> cols(5);
    cols[0].Title = QStringLiteral("No.");
    cols[0].Width = cols[0].MinWidth = cols[0].MaxWidth = 30;
    cols[0].Fixed = true;
    cols[0].TitleButton = false;
    cols[1].FieldName = QStringLiteral("amount"); // the result spells it "Amount"
    cols[1].FooterType = TFooterValueType::fvtSum;
    cols[1].FooterFormat = QStringLiteral("0.##");
    cols[1].MinWidth = 50;
    cols[1].MaxWidth = 90;
    cols[2].FieldName = QStringLiteral("Memo");
    cols[2].FooterType = TFooterValueType::fvtStaticText;
    cols[2].FooterText = QStringLiteral("SUM");
    cols[3].FieldName = QStringLiteral("From");
    cols[3].Title = QStringLiteral("Who");
    cols[3].FooterType = TFooterValueType::fvtSum; // text sums count nothing
    cols[4].FieldName = QStringLiteral("To");      // not in the result
    return cols;
}

std::vector<QString> columnTexts(const TDBGridEh& g, int column) {
    std::vector<QString> out;
    for (int r = 0; r < g.model()->rowCount(); ++r)
        out.push_back(g.CellText(r, column));
    return out;
}

void clickTitle(TDBGridEh& g, int column) {
    QHeaderView* h = g.horizontalHeader();
    QTest::mouseClick(
        h->viewport(), Qt::LeftButton, {},
        QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
}

} // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void bindingTitlesFooterAndWidthLimits() {
        TestEnv env;
        fillRows(env);
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, Amount, Memo, [From] from Detail order by ID");
        q.Open();
        TDBGridEh g;
        g.SetColumns(testColumns());
        g.SetFooterRowCount(1);
        g.SetDataSet(&q);

        QCOMPARE(g.model()->rowCount(), 5);
        QCOMPARE(g.ColumnTitle(0), QStringLiteral("No."));
        QCOMPARE(g.ColumnTitle(1), QStringLiteral("Amount")); // as the query delivers it
        QCOMPARE(g.ColumnTitle(3), QStringLiteral("Who"));
        QCOMPARE(g.ColumnTitle(4), QStringLiteral("To"));
        QCOMPARE(g.CellText(1, 1), QStringLiteral("10.5"));
        QCOMPARE(g.CellText(3, 1), QStringLiteral("0.125"));
        QCOMPARE(g.CellText(0, 4), QString());
        QCOMPARE(g.FooterText(1), QStringLiteral("65.88")); // 65.875 shown with two decimals
        QCOMPARE(g.FooterText(2), QStringLiteral("SUM"));
        QCOMPARE(g.FooterText(3), QStringLiteral("0"));
        QCOMPARE(g.FooterText(0), QString());

        // Width limits hold whatever the user drags.
        g.horizontalHeader()->resizeSection(1, 20);
        QCOMPARE(g.ColumnWidth(1), 50);
        g.horizontalHeader()->resizeSection(1, 200);
        QCOMPARE(g.ColumnWidth(1), 90);
        g.horizontalHeader()->resizeSection(2, 150);
        QCOMPARE(g.ColumnWidth(2), 150);
        QCOMPARE(g.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);

        // The sums are cached with the data: a reopened query with fewer rows shows new ones.
        q.SQL = {QStringLiteral(
            "select ID, Amount, Memo, [From] from Detail where Amount > 10 order by ID")};
        q.Open();
        g.DataChanged();
        QCOMPARE(g.model()->rowCount(), 3);
        QCOMPARE(g.FooterText(1), QStringLiteral("60.75"));

        // Amounts each within the money range may add up beyond it; the footer still
        // shows their sum instead of failing while the grid refreshes.
        env.sql(QStringLiteral("update Detail set Amount = 900000000000000 where Amount > 10"));
        q.Open();
        g.DataChanged();
        QCOMPARE(g.FooterText(1), QStringLiteral("2700000000000000"));
        // A closed query leaves an empty grid, not stale rows.
        q.Close();
        g.DataChanged();
        QCOMPARE(g.model()->rowCount(), 0);
        QCOMPARE(g.CellText(0, 1), QString());
        QCOMPARE(g.FooterText(1), QString());
    }

    void titleClicksSortAndMarkOneColumn() {
        TestEnv env;
        fillRows(env);
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, Amount, Memo, [From] from Detail order by ID");
        q.Open();
        TDBGridEh g;
        g.SetColumns(testColumns());
        g.SetFooterRowCount(1);
        g.SetDataSet(&q);
        g.resize(500, 300);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        std::vector<int> clicked;
        connect(&g, &TDBGridEh::TitleBtnClick, &g, [&](int c) {
            clicked.push_back(c);
            SortGrid(&g, c);
        });

        const std::vector<QString> byId{"30.25", "10.5", "20", "0.125", "5"};
        clickTitle(g, 1);
        QCOMPARE(g.SortMarker(1), TSortMarker::smUp);
        QCOMPARE(columnTexts(g, 1), (std::vector<QString>{"0.125", "5", "10.5", "20", "30.25"}));
        QCOMPARE(g.FooterText(1), QStringLiteral("65.88"));
        clickTitle(g, 1);
        QCOMPARE(g.SortMarker(1), TSortMarker::smDown);
        QCOMPARE(columnTexts(g, 1), (std::vector<QString>{"30.25", "20", "10.5", "5", "0.125"}));
        QCOMPARE(g.horizontalHeader()->sortIndicatorSection(), 1);
        QCOMPARE(g.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        clickTitle(g, 1);
        QCOMPARE(g.SortMarker(1), TSortMarker::smNone);
        QCOMPARE(columnTexts(g, 1), byId);
        QCOMPARE(g.horizontalHeader()->sortIndicatorSection(), -1);

        // Another column takes the marker away from the first.
        clickTitle(g, 1);
        clickTitle(g, 3);
        QCOMPARE(g.SortMarker(3), TSortMarker::smUp);
        QCOMPARE(g.SortMarker(1), TSortMarker::smNone);
        QCOMPARE(columnTexts(g, 3), (std::vector<QString>{"a", "b", "c", "d", "e"}));

        // Memo is long text: a click is reported but sorts nothing and marks nothing.
        clickTitle(g, 2);
        QCOMPARE(g.SortMarker(2), TSortMarker::smNone);
        QCOMPARE(g.SortMarker(3), TSortMarker::smUp);
        // "To" has no field; "No." is not a title button at all.
        clickTitle(g, 4);
        QCOMPARE(g.SortMarker(4), TSortMarker::smNone);
        clickTitle(g, 0);
        QCOMPARE(clicked, (std::vector<int>{1, 1, 1, 1, 3, 2, 4}));
    }

    void rowNumbersFollowTheSortOrder() {
        TestEnv env;
        fillRows(env);
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, Amount, Memo, [From] from Detail order by ID");
        q.Open();
        TDBGridEh g;
        g.SetColumns(testColumns());
        g.SetFrozenCols(1);
        g.SetDataSet(&q);
        g.resize(500, 300);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        std::map<int, QString> amountByRecNo;
        std::map<int, QRect> cellByRecNo;
        connect(&g, &TDBGridEh::DrawColumnCell, &g, [&](QPainter*, const QRect& r, int column) {
            QVERIFY(g.DrawingRecNo() >= 1);
            if (column == 0) {
                amountByRecNo[g.DrawingRecNo()] = g.CellText(g.DrawingRecNo() - 1, 1);
                cellByRecNo[g.DrawingRecNo()] = r;
            }
        });
        q.SetSort(QStringLiteral("Amount DESC"));
        g.DataChanged();
        g.grab();
        QCOMPARE(amountByRecNo.size(), size_t(5));
        QCOMPARE(amountByRecNo[1], QStringLiteral("30.25"));
        QCOMPARE(amountByRecNo[5], QStringLiteral("0.125"));
        QVERIFY(cellByRecNo[2].top() > cellByRecNo[1].top());
        QCOMPARE(g.DrawingRecNo(), -1); // outside drawing there is no row

        // The frozen column keeps its place when the grid scrolls sideways.
        g.horizontalHeader()->resizeSection(2, 400);
        QCoreApplication::processEvents();
        amountByRecNo.clear();
        cellByRecNo.clear();
        g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->maximum());
        QVERIFY(g.horizontalScrollBar()->value() > 0);
        g.grab();
        QVERIFY(!cellByRecNo.empty());
        // Drawn once by the grid beneath and once by the frozen view at the left edge.
        QCOMPARE(cellByRecNo[1].left(), 0);
    }

    void manyRowsShowTheirOwnTexts() {
        // Texts that repeat a little, a lot, and never: each row must show its own.
        TestEnv env;
        env.sql(
            "create table T (ID integer primary key, few text, many text, once text, num real)");
        TConnection c;
        c.Open(env.dbPath());
        c.BeginTrans();
        for (int i = 0; i < 3000; ++i)
            c.Execute(QStringLiteral("insert into T values (%1, 'k%2', 'name %3', 'row %1', %4)")
                          .arg(i)
                          .arg(i % 3)
                          .arg((i * 7) % 45)
                          .arg(i % 2 ? QStringLiteral("null")
                                     : QString::number(i) + QStringLiteral(".5")));
        c.CommitTrans();
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, few, many, once, num from T order by ID");
        q.Open();
        TDBGridEh g;
        std::vector<TColumnEh> cols(4);
        cols[0].FieldName = "few";
        cols[1].FieldName = "many";
        cols[2].FieldName = "once";
        cols[3].FieldName = "num";
        cols[3].FooterType = TFooterValueType::fvtSum;
        g.SetColumns(cols);
        g.SetDataSet(&q);
        QCOMPARE(g.model()->rowCount(), 3000);
        for (int i = 0; i < 3000; ++i) {
            QCOMPARE(g.CellText(i, 0), QStringLiteral("k%1").arg(i % 3));
            QCOMPARE(g.CellText(i, 1), QStringLiteral("name %1").arg((i * 7) % 45));
            QCOMPARE(g.CellText(i, 2), QStringLiteral("row %1").arg(i));
            QCOMPARE(g.CellText(i, 3),
                     i % 2 ? QString() : QString::number(i) + QStringLiteral(".5"));
        }
        // Even rows 0..2998: 2 * (0 + ... + 1499) + 1500 * 0.5.
        QCOMPARE(g.FooterText(3), QStringLiteral("2249250"));
    }

    void selectionIsKeptInListOrder() {
        TestEnv env;
        fillRows(env);
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, Amount, Memo, [From] from Detail order by ID");
        q.Open();
        TDBGridEh g;
        g.SetColumns(testColumns());
        g.SetMultiSelect(true);
        g.SetDataSet(&q);
        auto* sm = g.selectionModel();
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        sm->select(g.model()->index(3, 1), rows);
        sm->select(g.model()->index(0, 2), rows);
        sm->select(g.model()->index(2, 0), rows);
        QCOMPARE(g.SelectedRows(), (std::vector<int>{0, 2, 3}));
        // Single selection grids keep one row.
        g.SetMultiSelect(false);
        g.clearSelection();
        g.selectRow(4);
        g.selectRow(1);
        QCOMPARE(g.SelectedRows(), (std::vector<int>{1}));

        // Ctrl-clicks in the frozen first column add rows like clicks anywhere else,
        // whichever of the two settings came first.
        TDBGridEh frozenFirst;
        frozenFirst.SetColumns(testColumns());
        frozenFirst.SetFrozenCols(1);
        frozenFirst.SetMultiSelect(true);
        frozenFirst.SetDataSet(&q);
        frozenFirst.resize(400, 200);
        frozenFirst.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frozenFirst));
        auto* frozenView = frozenFirst.findChild<QTableView*>();
        QVERIFY(frozenView && frozenView->isVisible());
        for (int row : {0, 2})
            QTest::mouseClick(frozenView->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              frozenView->visualRect(frozenView->model()->index(row, 0)).center());
        QCOMPARE(frozenFirst.SelectedRows(), (std::vector<int>{0, 2}));
        // Visible without the focus: the inactive selection colour is the active one.
        QCOMPARE(g.palette().color(QPalette::Inactive, QPalette::Highlight),
                 g.palette().color(QPalette::Active, QPalette::Highlight));
        QVERIFY(!(g.model()->flags(g.model()->index(0, 1)) & Qt::ItemIsEditable));
    }
};

BUDGET_TEST(GridTest)
#include "GridTest.moc"
