#include "app/UtMain.h"
// Times the main window's list on a generated database (see bench/README.md):
// start-up to the window shown, selecting the busiest card with this month's filter
// and with a ten-year range, and a sort click on "Amount". Beside each figure stands
// the floor: the same rows read straight through SQLite's C API with the best plan it
// offers, every column read.
//
//   bench-list DATABASE [--account 1] [--runs 5]
#include "BenchCommon.h"
#include "BenchExport.h"
#include "BenchMainWindow.h"

#include "data/AppPaths.h"
#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "lists/UtSummary.h"
#include "lists/UtTransactionList.h"
#include "ui/Application.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

// The list's rows in the form SQLite plans best: union all, the account and the dates
// inside every branch, so each one is an index range scan.
QByteArray floorList(int id, const QString& from, const QString& to, const char* order) {
    const QString branch = QStringLiteral(
        "select id, %1 As AccID, %2 as type, date, [from], amount, [for], memo from %3 "
        "where %1 = %4 and date between '%5 00:00:00' and '%6 00:00:00'");
    const QString d = branch.arg("DestID", "type", "detail").arg(id).arg(from, to);
    const QString s = branch.arg("SourceID", "2", "transfer").arg(id).arg(from, to);
    const QString t = branch.arg("DestID", "3", "transfer").arg(id).arg(from, to);
    return QStringLiteral("SELECT A.id, AccID, CASE A.type WHEN 0 THEN 'Deposit' WHEN 1 THEN "
                          "'Debit' WHEN 2 THEN "
                          "'Trans Out' ELSE 'Trans In' END AS TypeName, A.type, A.date, "
                          "date(A.date) as Date1, "
                          "A.[from], A.Amount, A.[for], A.memo, B.name, B.type as AccType FROM (%1 "
                          "union all %2 "
                          "union all %3) AS A, Account AS B WHERE A.AccID = B.ID order by %4")
        .arg(d, s, t, QLatin1String(order))
        .toUtf8();
}

QByteArray floorStatistics(int id) {
    const QDate today = QDate::currentDate();
    const QString m1 = today.toString("yyyy-MM-01 00:00:00"),
                  d0 = today.toString("yyyy-MM-dd 00:00:00"),
                  d1 = today.addDays(1).toString("yyyy-MM-dd 00:00:00");
    const QString sum =
        QStringLiteral("(select sum(amount) from detail where destid=%1 and type=%2 and "
                       "Date between '%3' and '%4')");
    return QStringLiteral(
               "select name, Balance / (select sum(balance) from account), %2, %3, %4, %5 "
               "from account where id=%1")
        .arg(id)
        .arg(sum.arg(id).arg(0).arg(m1, d1), sum.arg(id).arg(1).arg(m1, d1),
             sum.arg(id).arg(0).arg(d0, d1), sum.arg(id).arg(1).arg(d0, d1))
        .toUtf8();
}

void settle(QWidget* w) {
    QCoreApplication::processEvents();
    w->repaint();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer startup;
    startup.start();
    TApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int account = 1, runs = 5;
    QString db, shot; // --shot FILE: a picture of the window with the ten-year list
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--account" && i + 1 < args.size())
            account = args[++i].toInt();
        else if (args[i] == "--shot" && i + 1 < args.size())
            shot = args[++i];
        else if (args[i] == "--runs" && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else
            db = args[i];
    }
    if (db.isEmpty() || !QFileInfo::exists(db)) {
        std::fprintf(stderr,
                     "usage: bench-list DATABASE [--account ID] [--runs N] [--shot FILE]\n");
        return 2;
    }
    // The program reads Data.mdb from its own folder; a link there stands in for it.
    QTemporaryDir dir;
    QFile::link(QFileInfo(db).absoluteFilePath(), dir.filePath("Data.mdb"));
    SetAppDirOverride(dir.path());
    // The cards are drawn from the program's bitmaps.
    QDir().mkpath(dir.filePath("res"));
    for (const QFileInfo& bmp :
         QDir(QStringLiteral(BUDGET_SOURCE_DIR "/resources/res")).entryInfoList({"*.bmp"}))
        QFile::copy(bmp.absoluteFilePath(), dir.filePath("res/" + bmp.fileName()));

    DM = new TDM();
    BenchMainWindow main = CreateBenchMainWindow();
    main.window->show();
    if (!QTest::qWaitForWindowExposed(main.window.get()))
        std::fprintf(stderr, "the window was not shown\n");
    settle(main.window.get());
    const double startupMs = ElapsedMs(startup);

    TTransactionList* list = main.list;
    TSummaryStrip* strip = main.strip;
    sqlite3* raw = DM->conn.Handle();
    const QDate today = QDate::currentDate();
    const QString fmt = QStringLiteral("yyyy-MM-dd");
    // Card selection is LoadList + LoadStatistics; the repaint that follows is timed
    // on its own (it costs the same for 30 rows or 115,000: only visible rows are drawn).
    std::vector<double> listMs, statsMs, paintMs;
    auto selectCard = [&] {
        QElapsedTimer t;
        t.start();
        list->LoadList(account);
        listMs.push_back(ElapsedMs(t));
        strip->LoadStatistics(account);
        main.frm->ShowTotals();
        statsMs.push_back(ElapsedMs(t) - listMs.back());
        const double card = ElapsedMs(t);
        settle(main.window.get());
        paintMs.push_back(ElapsedMs(t) - card);
        return card;
    };
    auto floorCard = [&](QDate from, int& rows) {
        QElapsedTimer t;
        t.start();
        rows = ReadAll(
            raw, floorList(account, from.toString(fmt), today.addDays(1).toString(fmt), "A.date"));
        ReadAll(raw, floorStatistics(account));
        ReadAll(raw, "select sum(balance) from Account where type=2");
        ReadAll(raw, "select sum(balance) from Account where type in (0,1)");
        return ElapsedMs(t);
    };
    auto report = [](const char* what, int rows, const std::vector<double>& prog,
                     const std::vector<double>& floor) {
        const double p = Median(prog), f = Median(floor);
        std::printf("%-28s %7d rows  %9.1f ms  floor %9.1f ms  ratio %5.2f  (first run %.1f ms)\n",
                    what, rows, p, f, p / f, prog.front());
    };
    auto parts = [&] {
        std::printf("  of which LoadList %.1f ms, LoadStatistics + ShowTotals %.1f ms; repaint "
                    "afterwards %.1f ms\n",
                    Median(listMs), Median(statsMs), Median(paintMs));
        listMs.clear();
        statsMs.clear();
        paintMs.clear();
    };

    std::printf("start-up to window shown      %9.1f ms   (peak RSS so far %.1f MB)\n", startupMs,
                double(PeakRssKb()) / 1024.0);

    // This month: the default filter.
    std::vector<double> prog, floor;
    int rows = 0;
    for (int r = 0; r < runs; ++r) {
        prog.push_back(selectCard());
        floor.push_back(floorCard(list->dtpRange1->date(), rows));
    }
    if (list->qryList.RecordCount() != rows)
        std::fprintf(stderr, "row counts differ: %d listed, %d read\n", list->qryList.RecordCount(),
                     rows);
    report("card, this month", rows, prog, floor);
    parts();

    // Ten years.
    {
        const QSignalBlocker b(list->dtpRange1);
        list->dtpRange1->setDate(today.addYears(-10).addDays(-1));
    }
    prog.clear();
    floor.clear();
    for (int r = 0; r < runs; ++r) {
        prog.push_back(selectCard());
        floor.push_back(floorCard(list->dtpRange1->date(), rows));
    }
    if (list->qryList.RecordCount() != rows)
        std::fprintf(stderr, "row counts differ: %d listed, %d read\n", list->qryList.RecordCount(),
                     rows);
    report("card, ten years", rows, prog, floor);
    parts();

    // A title click on Amount, ascending, on the ten-year list.
    prog.clear();
    floor.clear();
    const int amountColumn = 4;
    for (int r = 0; r < runs; ++r) {
        list->qryList.SetSort(QString());
        list->dbgrdh1->SetSortMarker(amountColumn, TSortMarker::smNone);
        list->dbgrdh1->DataChanged();
        QElapsedTimer t;
        t.start();
        emit list->dbgrdh1->TitleBtnClick(amountColumn);
        prog.push_back(ElapsedMs(t));
        settle(main.window.get());
        t.restart();
        rows = ReadAll(raw, floorList(account, list->dtpRange1->date().toString(fmt),
                                      today.addDays(1).toString(fmt), "A.Amount"));
        floor.push_back(ElapsedMs(t));
    }
    report("sort click on Amount", rows, prog, floor);

    if (!shot.isEmpty()) {
        list->dbgrdh1->selectRow(2);
        main.window->grab().save(shot);
    }
    std::printf("peak RSS (VmHWM)              %9.1f MB with %d rows listed\n",
                double(PeakRssKb()) / 1024.0, list->qryList.RecordCount());

    // Export, in the statement's order; last, since it resets the peak it measures.
    list->qryList.SetSort(QString());
    list->dbgrdh1->SetSortMarker(amountColumn, TSortMarker::smNone);
    list->dbgrdh1->DataChanged();
    const int exportRuns = std::min(runs, 5);
    BenchExport(list, exportRuns, dir.path(), ExportRun::All);
    {
        // A worksheet holds 65,536 rows: five years of the busiest card fit.
        const QSignalBlocker b(list->dtpRange1);
        list->dtpRange1->setDate(today.addYears(-5));
    }
    list->LoadList(account);
    BenchExport(list, exportRuns, dir.path(), ExportRun::SpreadsheetOnly);
    {
        const QSignalBlocker b(list->dtpRange1);
        list->dtpRange1->setDate(QDate(today.year(), today.month(), 1));
    }
    list->LoadList(account);
    BenchExport(list, exportRuns, dir.path(), ExportRun::MemoryOnly);
    main.window.reset();
    delete DM;
    return 0;
}
