// The reports window as a user meets it: the View menu command, the choices, the chart
// drawn where its numbers put it, and what Copy, Save and Print hand out.
#include "PrintTestKit.h"
#include "TestData.h"

#include "app/UtMain.h"
#include "grid/DBGridEh.h"
#include "reports/UtReports.h"

#include <QAction>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPieSeries>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

using namespace TestData;

namespace {

QStringList texts(QMenu* m) {
    QStringList t;
    for (QAction* a : m->actions())
        t << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return t;
}

// A bank account with money in and out in January and March 2024, nothing in February.
int seed(TestEnv& env) {
    const int bank = AddAccount(env, "Bank", 0);
    const int cash = AddAccount(env, "Cash", 2);
    AddDetail(env, bank, 0, "2024-01-05 10:00:00", "100", "x", {}, "salary");
    AddDetail(env, bank, 1, "2024-01-06 10:00:00", "40", "x", {}, "food");
    AddDetail(env, bank, 1, "2024-03-06 10:00:00", "80", "x", {}, "rent");
    AddTransfer(env, bank, cash, "2024-03-07 10:00:00", "20");
    SettleBalances(env);
    return bank;
}

struct Window {
    TFrmReports frm;
    explicit Window(const QDate& today = QDate(2024, 3, 15)) {
        frm.Today = today;
        frm.resize(1000, 560);
        frm.show();
    }
};

} // namespace

class ReportsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void theViewMenuOpensItModallyWithItsHelpTopic() {
        TestEnv env;
        ScopedHelpRecorder help;
        TFrmMain main;
        QCOMPARE(texts(main.findChild<QMenu*>(QStringLiteral("mniMenu_View"))),
                 (QStringList{"&Toolbar", "&Statusbar", "-", "&Properties", "-", "&Reports..."}));
        QAction* reports = main.findChild<QAction*>(QStringLiteral("mniMenu_Reports"));
        QCOMPARE(reports->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        const QStringList opened = ModalsOpenedBy(
            [&] { reports->trigger(); },
            [&](QDialog* d) {
                QCOMPARE(d->parentWidget(), &main);
                QVERIFY(d->isModal());
                QTest::keyClick(d->findChild<TDBGridEh*>(QStringLiteral("dbgrdhReport")),
                                Qt::Key_F1);
            });
        QCOMPARE(opened, QStringList{"TFrmReports:Reports"});
        QCOMPARE(help->calls, QStringList{"15:1014"});
    }

    void choicesReloadTheChartAndTheTable() {
        TestEnv env;
        const int bank = seed(env);
        Window w;
        TFrmReports& frm = w.frm;
        // Last 12 Months by default: April 2023 to March 2024, empty months as zero.
        QStringList months = GridColumn(frm.dbgrdhReport, 0);
        QCOMPARE(months.size(), 12);
        QCOMPARE(months.first(), QStringLiteral("2023-04"));
        QCOMPARE(GridColumn(frm.dbgrdhReport, 1).mid(9), (QStringList{"100", "0", "0"}));
        // The transfer from the account to the wallet stays inside "-----All-----".
        QCOMPARE(frm.dbgrdhReport->FooterText(3), QStringLiteral("-20"));
        QCOMPARE(frm.chart->series().size(), 2); // the bars and the net line

        // The wallet alone: only the transfer into it, as money in.
        frm.cbbAccWal->setCurrentIndex(frm.cbbAccWal->findText(QStringLiteral("    Cash")));
        frm.cbbPeriod->setCurrentIndex(int(TPeriodPreset::ThisMonth));
        QCOMPARE(GridColumn(frm.dbgrdhReport, 0), QStringList{"2024-03"});
        QCOMPARE(GridColumn(frm.dbgrdhReport, 1), QStringList{"20"});

        // A date set by hand makes the period the two dates.
        frm.cbbAccWal->setCurrentIndex(frm.cbbAccWal->findText(QStringLiteral("    Bank")));
        frm.dtpFrom->setDate(QDate(2024, 1, 1));
        QCOMPARE(frm.cbbPeriod->currentText(), QStringLiteral("Dates"));
        QCOMPARE(GridColumn(frm.dbgrdhReport, 0), (QStringList{"2024-01", "2024-02", "2024-03"}));

        frm.cbbReport->setCurrentIndex(TFrmReports::SpendingByPurpose);
        QCOMPARE(GridColumn(frm.dbgrdhReport, 0), (QStringList{"rent", "food"}));
        QCOMPARE(GridColumn(frm.dbgrdhReport, 2), (QStringList{"66.67%", "33.33%"}));
        QVERIFY(qobject_cast<QPieSeries*>(frm.chart->series().value(0)));

        frm.cbbReport->setCurrentIndex(TFrmReports::BalanceOverTime);
        QCOMPARE(GridColumn(frm.dbgrdhReport, 0),
                 (QStringList{"2023-12-31", "2024-01-05", "2024-01-06", "2024-03-06", "2024-03-07",
                              "2024-03-31"}));
        QCOMPARE(GridColumn(frm.dbgrdhReport, 2),
                 (QStringList{"0", "100", "60", "-20", "-40", "-40"}));
        QCOMPARE(frm.dbgrdhReport->FooterText(1), QStringLiteral("-40"));
        QCOMPARE(Balance(env, bank), QStringLiteral("-40"));
        QVERIFY(env.messages->messages.empty());
    }

    void tabStopsOnceAtEachChoice() {
        // A date picker is one stop, not one for each of its day, month and year.
        TestEnv env;
        Window w;
        TFrmReports& frm = w.frm;
        QVERIFY(QTest::qWaitForWindowActive(&frm));
        const QList<QWidget*> stops = {frm.cbbAccWal, frm.cbbPeriod, frm.dtpFrom, frm.dtpTo,
                                       frm.cbbReport};
        stops.front()->setFocus();
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), stops[i]);
        }
        for (qsizetype i = stops.size() - 2; i >= 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget(), stops[i]);
        }
    }

    void barsAreDrawnWhereTheNumbersPutThem() {
        TestEnv env;
        seed(env);
        Window w;
        TFrmReports& frm = w.frm;
        // Saved at once, before the window has handled any event: what a save or a print
        // right after a change draws.
        frm.dtpFrom->setDate(QDate(2024, 1, 1));
        const QString file = env.dir() + QStringLiteral("/bars.png");
        frm.SaveChart(file);
        const QImage shot(file); // the view's pixels, twice over
        // Where the bars belong once the window has laid everything out.
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        auto* bars = qobject_cast<QBarSeries*>(frm.chart->series().value(0));
        QVERIFY(bars);
        const QColor in = bars->barSets()[0]->color(), out = bars->barSets()[1]->color();
        const auto colourAt = [&](qreal month, qreal value) {
            const QPointF p = frm.chart->mapToPosition(QPointF(month, value), bars);
            return shot.pixelColor((QPointF(frm.chvReport->mapFromScene(p)) * 2).toPoint());
        };
        const auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <
                   30;
        };
        // Two bars a month: money in to the left of the month's middle, money out to the right.
        const qreal left = -0.2, right = 0.2;
        QVERIFY(near(colourAt(0 + left, 50), in));    // January in: 100
        QVERIFY(!near(colourAt(0 + left, 110), in));  // and no higher
        QVERIFY(near(colourAt(0 + right, 20), out));  // January out: 40
        QVERIFY(!near(colourAt(0 + right, 50), out)); // no higher than 40
        QVERIFY(!near(colourAt(1 + left, 10), in));   // February: nothing
        QVERIFY(!near(colourAt(1 + right, 10), out));
        QVERIFY(near(colourAt(2 + right, 70), out)); // March out: 80, the transfer stays inside
        QVERIFY(!near(colourAt(2 + left, 10), in));

        // Resting on a bar tells its exact amount.
        emit bars->hovered(true, 2, bars->barSets()[1]);
        QCOMPARE(QToolTip::text(), QStringLiteral("March 2024, Money out: 80.00"));
    }

    void copySaveAndPrintHandOutTheReport() {
        TestEnv env;
        seed(env);
        Window w;
        TFrmReports& frm = w.frm;
        frm.cbbPeriod->setCurrentIndex(int(TPeriodPreset::ThisMonth));
        frm.btnCopy->click();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Month\tMoney in\tMoney out\tNet\r\n2024-03\t0\t80\t-80\r\n"
                                "SUM\t0\t80\t-80\r\n"));

        // Each format through the save dialog: a name without one of the three extensions
        // gets the chosen format's, one typed with it is saved in that format.
        const QString dir = env.dir();
        const struct {
            int filter;
            const char* name;
            const char* file;
            QByteArray start;
        } formats[] = {{1, "chart", "chart.png", "\x89PNG"},
                       {2, "chart.SVG", "chart.SVG", "<?xml"},
                       {3, "chart", "chart.pdf", "%PDF"},
                       {1, "typed.pdf", "typed.pdf", "%PDF"}};
        for (const auto& f : formats) {
            env.files->answer = {true, dir + u'/' + QLatin1String(f.name), f.filter};
            frm.btnSave->click();
            QFile saved(dir + u'/' + QLatin1String(f.file));
            QVERIFY2(saved.open(QIODevice::ReadOnly), f.file);
            QVERIFY2(saved.readAll().startsWith(f.start), f.file);
        }
        QCOMPARE(env.files->requests.back().defaultExtension, QStringLiteral("png"));
        const QImage png(dir + "/chart.png");
        QCOMPARE(png.size(), frm.chvReport->viewport()->size() * 2);
        // Saved before the window handled any event, it still has its title, axes and
        // legend: a chart not yet laid out drew its bars alone.
        const QColor ink = frm.palette().color(QPalette::Text);
        int inked = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x)
                inked += png.pixelColor(x, y) == ink ? 1 : 0;
        QVERIFY2(inked > 500, qPrintable(QString::number(inked)));
        QCOMPARE(PrintTestKit::PagesInPdf(dir + "/chart.pdf"), 1);
        // A folder that is not there: reported, nothing written.
        env.files->answer = {true, dir + "/missing/chart.png", 1};
        frm.btnSave->click();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QVERIFY(env.messages->messages[0].text.contains(dir + "/missing/chart.png"));

        // Print: the chart on the first page, the table after it.
        auto* printers = new PrinterRecorder;
        auto previous = SetPrinters(std::unique_ptr<IPrinters>(printers));
        frm.btnPrint->click();
        QCOMPARE(env.messages->messages.size(), size_t(2));
        QCOMPARE(env.messages->messages[1].text, QStringLiteral("There is no printer installed"));
        printers->names = QStringList{"office"};
        printers->outputDir = dir;
        frm.btnPrint->click();
        QCOMPARE(printers->asked, QStringList{"print:1-2"});
        QCOMPARE(PrintTestKit::PagesInPdf(printers->lastOutputFile), 2);
        SetPrinters(std::move(previous));
    }
};

BUDGET_TEST(ReportsWindowTest)
#include "ReportsWindowTest.moc"
