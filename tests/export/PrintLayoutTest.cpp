#include "ExportTestGrid.h"
#include "PrintTestKit.h"
#include "TestData.h"
#include "TestEnv.h"

#include "data/Errors.h"
#include "data/UtDM.h"
#include "export/GridPageLayout.h"
#include "export/PrintDBGridEh.h"
#include "export/VirtualPrinter.h"
#include "grid/DBGridEh.h"

#include <QRegularExpression>
#include <QtTest>
#include <functional>
#include <memory>
#include <numeric>

using namespace PrintTestKit;

namespace {

// The history grid with a recording printer of its own.
struct Bench : GridFixture {
    TPrinterPreview preview;
    explicit Bench(int rows, const QString& memo = {}) : GridFixture(rows, memo) {
        preview.Device().Refresh();
    }
    void layout() { print.Print(preview); }
    DrawnPage page(int i) const { return Replay(preview.Page(i), preview.DocGeometry()); }
};

// Which of the strips a page shows: 1 for the left columns, 2 for "To" and "memo".
int stripOf(const DrawnPage& p) {
    if (p.Find(QStringLiteral("No.")) && p.Find(QStringLiteral("Date")) &&
        !p.Find(QStringLiteral("memo")))
        return 1;
    if (p.Find(QStringLiteral("To")) && p.Find(QStringLiteral("memo")) &&
        !p.Find(QStringLiteral("Date")))
        return 2;
    return 0;
}

bool hasVerticalLineAt(const DrawnPage& p, double x) {
    for (const QLineF& l : p.lines)
        if (qAbs(l.x1() - x) < 0.5 && qAbs(l.x2() - x) < 0.5 && qAbs(l.dy()) > 1)
            return true;
    return false;
}

} // namespace

class PrintLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void roundingAndSelectionRules() {
        QCOMPARE(RoundHalfEven(12.5), 12);
        QCOMPARE(RoundHalfEven(13.5), 14);
        QCOMPARE(RoundHalfEven(193.75), 194);
        QCOMPARE(DivRoundHalfEven(25, 10), 2);
        QCOMPARE(DivRoundHalfEven(35, 10), 4);
        QCOMPARE(DivRoundHalfEven(-25, 10), -2);
        QCOMPARE(DivRoundHalfEven(-26, 10), -3);
        // 2 cm at 600 dpi.
        QCOMPARE(DivRoundHalfEven(600 * 20000, 25400), 472);

        const std::vector<int> visible{0, 1, 2, 4, 5};
        TGridSelection rect;
        rect.Type = TGridSelectionType::gstRectangle;
        rect.LeftCol = 1;
        rect.RightCol = 4;
        rect.TopRow = 2;
        rect.BottomRow = 9;
        QCOMPARE(ColumnsToPrint(rect, visible), (std::vector<int>{1, 2, 4}));
        QCOMPARE(RowsToPrint(rect, 5), (std::vector<int>{2, 3, 4}));
        TGridSelection cols;
        cols.Type = TGridSelectionType::gstColumns;
        cols.Columns = {5, 3, 0};
        QCOMPARE(ColumnsToPrint(cols, visible), (std::vector<int>{5, 0}));
        TGridSelection marked;
        marked.Type = TGridSelectionType::gstRecordBookmarks;
        marked.Rows = {4, 1, 7};
        QCOMPARE(RowsToPrint(marked, 5), (std::vector<int>{4, 1}));
        QCOMPARE(RowsToPrint(TGridSelection(), 3), (std::vector<int>{0, 1, 2}));
        QCOMPARE(RowsToPrint(TGridSelection(), 0), std::vector<int>());

        // Shrunk in proportion, the last column takes what the division leaves.
        std::vector<int> widths{194, 631, 631, 1256};
        FitByColumnWidths(widths, 1000);
        QCOMPARE(std::accumulate(widths.begin(), widths.end(), 0), 1000);
        QCOMPARE(widths[0], 194 * 1000 / 2712);
        QCOMPARE(widths[1], 631 * 1000 / 2712);
        QVERIFY(widths[3] >= 1256 * 1000 / 2712);
        std::vector<int> narrow{100, 200};
        FitByColumnWidths(narrow, 1000); // fits already: left alone
        QCOMPARE(narrow, (std::vector<int>{100, 200}));

        std::vector<int> w{300, 500, 900, 200, 250};
        const auto strips = SplitIntoStrips(w, 800);
        QCOMPARE(strips, (std::vector<std::vector<int>>{{0, 1}, {2}, {3, 4}}));
        QCOMPARE(w[2], 800); // cut to the frame

        TPrintDBGridEh c;
        c.Page.TopMargin.Raw = 20000;
        c.SetUnits(TMeasureUnits::Inches);
        QCOMPARE(c.Page.TopMargin.Raw, qint64(7874)); // 2 x 0.3937
        c.SetUnits(TMeasureUnits::MM);
        QCOMPARE(c.Page.TopMargin.Raw, qint64(20000)); // 0.7874 x 2.54, to the nearest
    }

    void pageMacros() {
        TestEnv env(false); // en_US dates
        TPageMacros m;
        m.Page = 3;
        m.Pages = 12;
        m.Now = QDateTime(QDate(2024, 5, 6), QTime(14, 30));
        QCOMPARE(ReplacePageMacros(QStringLiteral("Page &[page] of &[PAGES]"), m),
                 QStringLiteral("Page 3 of 12"));
        QCOMPARE(ReplacePageMacros(QStringLiteral("&&[Page] &[Page]&[Page]"), m),
                 QStringLiteral("&&[Page] 33"));
        QCOMPARE(ReplacePageMacros(QStringLiteral("&[Date]|&[ShortDate]"), m),
                 QStringLiteral("5/6/24|5/6/24"));
        QVERIFY(
            ReplacePageMacros(QStringLiteral("&[LongDate]"), m).contains(QStringLiteral("May")));
        QVERIFY(NamesPageCount(QStringLiteral("x &[pages]")));
        QVERIFY(!NamesPageCount(QStringLiteral("&[Page] &&[Pages]")));
    }

    void historyGridNeedsTwoStrips() {
        Bench b(130);
        b.layout();
        TPageCounter counter(b.preview.Geometry());
        TGridPageLayout counted(b.print, counter, true, 0);
        counted.Run();
        // 930 screen pixels at 96 dpi become 194 + 7 x 631 + 1256 units at 600 dpi, more
        // than the 3992 between 2 cm margins on the fixed page.
        QCOMPARE(counted.Widths(),
                 (std::vector<int>{194, 631, 631, 631, 631, 631, 631, 631, 1256}));
        QCOMPARE(counted.Strips(), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4, 5, 6}, {7, 8}}));
        QCOMPARE(counted.GridFrame().left(), 342.0);
        QCOMPARE(counted.GridFrame().width(), 3992.0);

        const int pages = b.preview.PageCount();
        QVERIFY(pages >= 4);
        QCOMPARE(pages % 2, 0);
        QCOMPARE(counter.PageCount(), pages);
        QStringList shops;
        for (int i = 0; i < pages; ++i) {
            const DrawnPage p = b.page(i);
            QCOMPARE(stripOf(p), i % 2 == 0 ? 1 : 2);
            if (i % 2 == 0) {
                for (const QString& t : p.Texts())
                    if (t.startsWith(QStringLiteral("shop")))
                        shops << t;
                // A box around every cell: the strip's left edge, and its right edge after
                // the seventh column.
                QVERIFY(hasVerticalLineAt(p, 342));
                QVERIFY(hasVerticalLineAt(p, 342 + 194 + 6 * 631));
                // "No." has no field: its cells stay empty under the title.
                int inNo = 0;
                for (const DrawnText& t : p.texts)
                    inNo += t.pos.x() >= 342 && t.pos.x() < 342 + 194 ? 1 : 0;
                QCOMPARE(inNo, 1);
            } else {
                QVERIFY(hasVerticalLineAt(p, 342 + 631 + 1256));
            }
        }
        // Every row once, in list order, and the footer only on the last band.
        QCOMPARE(shops.size(), 130);
        QCOMPARE(shops.first(), QStringLiteral("shop1"));
        QCOMPARE(shops.last(), QStringLiteral("shop130"));
        const DrawnPage last = b.page(pages - 2);
        QVERIFY(last.Find(QStringLiteral("SUM")));
        QVERIFY(last.Find(QStringLiteral("8515"))); // 1 + 2 + ... + 130
        QVERIFY(!b.page(0).Find(QStringLiteral("SUM")));
    }

    void emptyAndSelectedRows() {
        {
            Bench b(0);
            b.layout();
            // One band of just the footer row, once per strip.
            QCOMPARE(b.preview.PageCount(), 2);
            const DrawnPage p = b.page(0);
            for (const char* title : {"No.", "Date", "Type", "Acc/Wal", "from", "Amount", "for"})
                QVERIFY2(p.Find(QLatin1String(title)), title);
            QVERIFY(p.Find(QStringLiteral("SUM")));
            QVERIFY(p.Find(QStringLiteral("0")));
            QVERIFY(b.page(1).Find(QStringLiteral("To")));
        }
        {
            Bench b(6);
            SelectRows(b.grid.get(), {1, 4});
            b.layout();
            QCOMPARE(b.preview.PageCount(), 2);
            const DrawnPage p = b.page(0);
            QVERIFY(p.Find(QStringLiteral("shop2")));
            QVERIFY(p.Find(QStringLiteral("shop5")));
            for (const char* other : {"shop1", "shop3", "shop4", "shop6"})
                QVERIFY2(!p.Find(QLatin1String(other)), other);
            // The sum covers the printed rows only, while the grid's own footer has all six.
            QVERIFY(p.Find(QStringLiteral("7")));
            QCOMPARE(b.grid->FooterText(5), QStringLiteral("21"));
            QVERIFY(p.Find(QStringLiteral("shop2"))->pos.y() <
                    p.Find(QStringLiteral("shop5"))->pos.y());
        }
    }

    void wideColumnAndRowsThatDoNotFit() {
        {
            Bench b(3);
            b.grid->setColumnWidth(8, 800); // 5006 units, wider than the frame
            b.layout();
            TPageCounter counter(b.preview.Geometry());
            TGridPageLayout counted(b.print, counter, true, 0);
            counted.Run();
            QCOMPARE(counted.Strips().size(), size_t(3));
            QCOMPARE(counted.Strips().back(), std::vector<int>{8});
            QCOMPARE(counted.Widths()[8], 3992);
            const DrawnPage memo = b.page(2);
            QVERIFY(memo.Find(QStringLiteral("memo")));
            QVERIFY(!memo.Find(QStringLiteral("To")));
            QVERIFY(hasVerticalLineAt(memo, 342 + 3992));
        }
        {
            // Row 51 carries a memo of many lines; with stretched rows it does not fit under
            // the fifty before it and opens the next band.
            Bench b(50);
            QString longMemo;
            for (int i = 0; i < 80; ++i)
                longMemo += QStringLiteral("line%1 ").arg(i);
            TestData::AddDetail(b.env, b.account, 0, QStringLiteral("2024-02-01 10:00:00"),
                                QStringLiteral("5"), QStringLiteral("tall"), longMemo);
            QString hugeMemo;
            for (int i = 0; i < 400; ++i)
                hugeMemo += QStringLiteral("word%1 ").arg(i);
            TestData::AddDetail(b.env, b.account, 0, QStringLiteral("2024-03-01 10:00:00"),
                                QStringLiteral("5"), QStringLiteral("huge"), hugeMemo);
            b.Reload();
            b.print.Options = pghRowAutoStretch;
            b.layout();
            const DrawnPage first = b.page(0);
            QVERIFY(first.Find(QStringLiteral("shop50")));
            QVERIFY(!first.Find(QStringLiteral("tall")));
            QVERIFY(b.page(2).Find(QStringLiteral("tall")));
            // The memo wraps inside its cell on the right strip.
            QVERIFY(b.page(3).Count(QStringLiteral("line0 line1 line2")) == 0);
            QVERIFY(b.page(3).texts.size() > 5);
            // A row taller than the page stands alone on its pages.
            const DrawnPage huge = b.page(4);
            QVERIFY(huge.Find(QStringLiteral("huge")));
            QVERIFY(!huge.Find(QStringLiteral("tall")));
            QVERIFY(!huge.Find(QStringLiteral("SUM")));
            QVERIFY(b.page(6).Find(QStringLiteral("SUM")));
        }
    }

    void fitToPageWidth() {
        Bench b(10);
        b.print.Options = pghFitGridToPageWidth; // scale the whole grid
        b.layout();
        QCOMPARE(b.preview.PageCount(), 1);
        DrawnPage p = b.page(0);
        QVERIFY(p.Find(QStringLiteral("memo")) && p.Find(QStringLiteral("No.")));
        const double scaled = p.Find(QStringLiteral("Date"))->pixelSize;
        QVERIFY2(scaled < 70, qPrintable(QString::number(scaled)));

        b.print.Options = pghFitGridToPageWidth | pghFitingByColWidths;
        b.layout();
        QCOMPARE(b.preview.PageCount(), 1);
        p = b.page(0);
        // The narrowed columns cut their texts short.
        QVERIFY(p.Find(QStringLiteral("memo")) && p.Find(QStringLiteral("Date")));
        QVERIFY(!p.Find(QStringLiteral("No.")));
        QVERIFY(qAbs(p.Find(QStringLiteral("Date"))->pixelSize - 75) < 1); // 9 points at 600 dpi
        TPageCounter counter(b.preview.Geometry());
        TGridPageLayout counted(b.print, counter, true, 0);
        counted.Run();
        const std::vector<int>& w = counted.Widths();
        QCOMPARE(std::accumulate(w.begin(), w.end(), 0), 3992);
        QCOMPARE(w[1], 631 * 3992 / 5867);
        // The grid's right edge is the frame's.
        QVERIFY(hasVerticalLineAt(p, 342 + 3992));

        // Margins that leave no width: scaling cannot be set up, and the pages stay.
        b.print.Options = pghFitGridToPageWidth;
        b.print.Page.LeftMargin.Raw = b.print.Page.RightMargin.Raw = 150000; // 15 cm each
        QString message;
        try {
            b.layout();
        } catch (const EBudgetError& e) {
            message = e.message();
        }
        QCOMPARE(message,
                 QStringLiteral(" function SetMapMode(Handle, MM_ISOTROPIC) has returned 0 "));
        QCOMPARE(b.preview.PageCount(), 1);
        // Without fitting, such a page still ends: a column per strip, cut.
        b.print.Options = 0;
        b.layout();
        QCOMPARE(b.preview.PageCount(), 9);
    }

    void headerFooterAndPageCount() {
        Bench b(130);
        b.print.PageFooter.RightText = QStringList{QStringLiteral("Page &[Page] of &[Pages]")};
        b.print.PageHeader.CenterText = QStringList{QStringLiteral("Budget &&[Page]")};
        b.print.PageHeader.LineType = TPageColontitleLineType::pcltSingleLine;
        b.print.Title = QStringList{QStringLiteral("All transactions")};
        b.layout();
        const int pages = b.preview.PageCount();
        QVERIFY(pages >= 6);
        for (int i = 0; i < pages; ++i) {
            const DrawnPage p = b.page(i);
            QVERIFY(p.Find(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages)));
            QVERIFY(p.Find(QStringLiteral("Budget &&[Page]")));
            QVERIFY(p.Find(QStringLiteral("All transactions")));
        }
        // The header, its line and the title band push the grid down.
        const DrawnPage p = b.page(0);
        QVERIFY(p.Find(QStringLiteral("Date"))->pos.y() >
                p.Find(QStringLiteral("All transactions"))->pos.y());
        QVERIFY(p.Find(QStringLiteral("All transactions"))->pos.y() >
                p.Find(QStringLiteral("Budget &&[Page]"))->pos.y());
    }

    void pdfAndPrinter() {
        Bench b(130);
        b.layout();
        const int pages = b.preview.PageCount();
        const QString file = b.env.dir() + QStringLiteral("/pages.pdf");
        QVERIFY(b.preview.SavePdf(file));
        QCOMPARE(PagesInPdf(file), pages);

        // With a printer installed, a range of the recorded pages goes to it.
        b.printers->names = QStringList{QStringLiteral("Office")};
        b.preview.Device().Refresh();
        QVERIFY(b.preview.Device().Installed());
        b.preview.PrintPages(2, 3);
        QCOMPARE(PagesInPdf(b.printers->lastOutputFile), 2);
    }

    // The grid, the file and the page add a footer up by one rule: exactly, however far
    // beyond the money range the sum goes. A value that is no money value leaves the
    // grid's footer empty, and the file and the page are refused rather than wrong.
    void footerSumIsTheSameOnScreenInFilesAndOnPaper_data() {
        QTest::addColumn<QString>("amount"); // stored in each of the three rows
        QTest::addColumn<QString>("sum");    // empty: refused
        QTest::newRow("ten-thousandths") << "1.1255"
                                         << "3.3765";
        QTest::newRow("below zero") << "-0.0001"
                                    << "-0.0003";
        QTest::newRow("beyond the money range") << "900000000000000"
                                                << "2700000000000000";
        QTest::newRow("no money value") << "1e300"
                                        << "";
    }
    void footerSumIsTheSameOnScreenInFilesAndOnPaper() {
        QFETCH(QString, amount);
        QFETCH(QString, sum);
        Bench b(3);
        b.env.sql(QStringLiteral("update Detail set Amount = %1").arg(amount));
        b.Reload();
        b.grid->setColumnWidth(5, 200); // room for the widest sum without eliding it
        QCOMPARE(b.grid->FooterText(5), sum);
        const auto refusal = [](const std::function<void()>& run) {
            try {
                run();
            } catch (const EBudgetError& e) {
                return e.message();
            }
            return QString();
        };
        QByteArray file;
        const QString fileRefusal =
            refusal([&] { file = ExportBytes<TDBGridEhExportAsText>(b.grid.get()); });
        const QString printRefusal = refusal([&] { b.layout(); });
        if (sum.isEmpty()) {
            QCOMPARE(fileRefusal,
                     QStringLiteral("The sum under \"Amount\" is too large to be written"));
            QCOMPARE(printRefusal,
                     QStringLiteral("The sum under \"Amount\" is too large to be printed"));
            return;
        }
        QCOMPARE(fileRefusal, QString());
        QCOMPARE(printRefusal, QString());
        // The footer is the file's last line; the amount its sixth cell.
        QCOMPARE(file.trimmed().split('\n').last().split('\t').value(5), sum.toLatin1());
        QVERIFY(b.page(0).Find(sum));
    }

    // A printer that cannot begin the document leaves the grid's window taking input.
    void printerThatCannotStartLeavesTheWindowUsable() {
        Bench b(3);
        b.grid->show();
        TVirtualPrinter noPrinter;
        QVERIFY(!noPrinter.Device().Installed());
        try {
            b.print.Print(noPrinter);
            QFAIL("printing without a printer must fail");
        } catch (const EBudgetError& e) {
            QCOMPARE(e.message(), QStringLiteral("There is no printer installed"));
        }
        QVERIFY(b.grid->isEnabled());
    }
};

BUDGET_TEST(PrintLayoutTest)
#include "PrintLayoutTest.moc"
