// Times the history window on a generated database (see bench/README.md): opening it,
// "This Month" over all accounts, one search keystroke, a query dialog statement over
// all ten years, title clicks over those rows, and Delete of 1,000 selected rows. Beside each
// figure stands the floor: the same rows read (or the same statements run) straight through
// SQLite's C API with the best plan it offers.
//
//   bench-history DATABASE [--runs 5] [--shot DIR]
#include "BenchCommon.h"

#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "history/HistoryRecords.h"
#include "history/UtAccountHistory.h"
#include "history/UtHistoryQuery.h"
#include "platform/Platform.h"
#include "ui/Application.h"

#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <memory>
#include <sqlite3.h>

namespace {

// The Delete command's question is answered Yes; nothing else asks.
class YesBoxes : public IMessageBoxes {
public:
    MsgButton Show(QWidget*, const QString& caption, const QString& text, MsgIcon,
                   MsgButtons buttons) override {
        if (!(buttons & mbYes))
            std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return (buttons & mbYes) ? mbYes : mbOK;
    }
};

// The combined rows of all accounts in the form SQLite plans best: union all, the
// dates (and the search) inside every branch.
QByteArray floorAll(const QString& from, const QString& to, const QString& search = {}) {
    QString where = QStringLiteral("date between '%1 00:00:00' and '%2 00:00:00'").arg(from, to);
    if (!search.isEmpty())
        where += QStringLiteral(" and ([from] like '%%1%' or [for] like '%%1%' or memo like "
                                "'%%1%')")
                     .arg(search);
    const QString branch = QStringLiteral(
        "select id, %1 As AccID, %2 as type, date, [from], amount, [for], memo from %3 where %4");
    return QStringLiteral("SELECT A.id, AccID, CASE A.type WHEN 0 THEN 'Deposit' WHEN 1 THEN "
                          "'Debit' WHEN 2 THEN 'Trans Out' ELSE 'Trans In' END AS TypeName, "
                          "A.type, A.date, date(A.date) as Date1, A.[from], A.Amount, A.[for], "
                          "A.memo, B.name, B.type as AccType FROM (%1 union all %2 union all %3) "
                          "AS A, Account AS B WHERE A.AccID = B.ID order by A.date")
        .arg(branch.arg("DestID", "type", "detail", where),
             branch.arg("SourceID", "2", "transfer", where),
             branch.arg("DestID", "3", "transfer", where))
        .toUtf8();
}

// Medians of several runs of one step, by the wall clock and by CPU time.
struct Runs {
    std::vector<double> wall, cpu;
    void add(const Stopwatch& w) {
        wall.push_back(w.wallMs());
        cpu.push_back(w.cpuMs());
    }
    void clear() {
        wall.clear();
        cpu.clear();
    }
};

void report(const char* what, int rows, const Runs& prog, const Runs& floor) {
    const double pw = Median(prog.wall), fw = Median(floor.wall);
    const double pc = Median(prog.cpu), fc = Median(floor.cpu);
    std::printf("%-32s %8d rows\n"
                "    wall %9.1f ms  floor %9.1f ms  ratio %5.2f\n"
                "    cpu  %9.1f ms  floor %9.1f ms  ratio %5.2f\n",
                what, rows, pw, fw, pw / fw, pc, fc, pc / fc);
}

// The records of list rows [first, first + count), as Delete reads them.
std::vector<THistoryRecord> recordsOf(TQuery& q, int first, int count) {
    std::vector<THistoryRecord> out;
    for (int r = first; r < first + count && r < q.RecordCount(); ++r) {
        q.SetRecNo(r + 1);
        out.push_back({q.FieldByName("ID").AsInteger(), q.FieldByName("type").AsInteger(),
                       q.FieldByName("AccID").AsInteger(), q.FieldByName("amount").AsMoney()});
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const BenchArgs args =
        ReadBenchArgs(app.arguments().mid(1), 5, "bench-history DATABASE [--runs N] [--shot DIR]");
    const QString& db = args.database;
    const int runs = args.runs;
    const QString& shots = args.shots;
    // Delete changes the data, so the program works on a copy.
    QTemporaryDir dir;
    PrepareProgramFolder(dir, db, true);
    SetMessageBoxes(std::make_unique<YesBoxes>());
    DM = new TDM();
    sqlite3* raw = DM->conn.Handle();
    const QDate today = QDate::currentDate();
    const QString fmt = QStringLiteral("yyyy-MM-dd");
    const QString tomorrow = today.addDays(1).toString(fmt);
    std::printf("after start-up: peak RSS %.1f MB\n", double(PeakRssKb()) / 1024.0);

    Stopwatch t;
    auto frm = std::make_unique<TFrmAccountHistory>();
    frm->show();
    if (!QTest::qWaitForWindowExposed(frm.get()))
        std::fprintf(stderr, "the window was not shown\n");
    Settle(frm.get());
    std::printf("opening the window (today, %d rows): wall %.1f ms, cpu %.1f ms\n",
                frm->qryList.RecordCount(), t.wallMs(), t.cpuMs());

    Runs prog, floor;
    std::vector<double> paint;
    int rows = 0;
    auto timed = [&](const std::function<void()>& step) {
        t.restart();
        step();
        prog.add(t);
        t.restart();
        Settle(frm.get());
        paint.push_back(t.wallMs());
    };
    auto floorOf = [&](const QByteArray& sql) {
        t.restart();
        rows = ReadAll(raw, sql);
        floor.add(t);
    };
    auto check = [&] {
        if (frm->qryList.RecordCount() != rows)
            std::fprintf(stderr, "row counts differ: %d listed, %d read\n",
                         frm->qryList.RecordCount(), rows);
    };
    auto next = [&] {
        std::printf("    repaint afterwards %.1f ms\n", Median(paint));
        prog.clear();
        floor.clear();
        paint.clear();
    };

    // The short steps take a few milliseconds, where being put off the processor once
    // changes a wall-clock figure by half; many more runs keep their medians steady.
    const int shortRuns = std::max(runs, 31);

    // This Month over all accounts: a click on the radio button.
    const QString monthStart = today.toString(QStringLiteral("yyyy-MM-01"));
    for (int r = 0; r < shortRuns; ++r) {
        frm->rbToday->click();
        timed([&] { frm->rbMonth->click(); });
        floorOf(floorAll(monthStart, tomorrow));
    }
    check();
    report("This Month, all accounts", rows, prog, floor);
    next();

    // One keystroke in the search box over this month.
    for (int r = 0; r < shortRuns; ++r) {
        frm->edtSearch->clear();
        timed([&] { QTest::keyClick(frm->edtSearch, 'g'); });
        floorOf(floorAll(monthStart, tomorrow, QStringLiteral("g")));
    }
    check();
    report("search keystroke \"g\"", rows, prog, floor);
    next();
    if (!shots.isEmpty()) {
        frm->edtSearch->setText(QStringLiteral("gro"));
        frm->dbgrdh1->selectRow(1);
        frm->grab().save(QDir(shots).filePath(QStringLiteral("history.png")));
        frm->QueryDialog->show();
        frm->QueryDialog->grab().save(QDir(shots).filePath(QStringLiteral("history-query.png")));
        frm->QueryDialog->hide();
    }
    frm->edtSearch->clear();

    // A query dialog statement over all ten years of all accounts.
    const QDate tenYears = today.addYears(-10).addDays(-1);
    frm->QueryDialog->dtp1->setDate(tenYears);
    frm->QueryDialog->dtp2->setDate(today);
    for (int r = 0; r < runs; ++r) {
        timed([&] { frm->LoadQuery(); });
        floorOf(floorAll(tenYears.toString(fmt), tomorrow));
    }
    check();
    report("query, ten years", rows, prog, floor);
    next();
    std::printf("peak RSS (VmHWM) %.1f MB with %d rows listed\n", double(PeakRssKb()) / 1024.0,
                frm->qryList.RecordCount());

    // Title clicks over those rows, ascending: texts in the user's language, and numbers.
    // The rows are already in memory, so there is no floor to compare with.
    for (const auto& [title, column] : {std::pair{"from", 4}, std::pair{"for", 6},
                                        std::pair{"name", 3}, std::pair{"Amount", 5}}) {
        Runs sorts;
        for (int r = 0; r < runs; ++r) {
            t.restart();
            frm->dbgrdh1TitleBtnClick(column);
            sorts.add(t);
            frm->dbgrdh1TitleBtnClick(column); // descending
            frm->dbgrdh1TitleBtnClick(column); // the statement's order again
        }
        std::printf("title click on %-6s %8d rows: wall %7.1f ms, cpu %7.1f ms\n", title,
                    frm->qryList.RecordCount(), Median(sorts.wall), Median(sorts.cpu));
    }
    std::printf("peak RSS (VmHWM) %.1f MB after the title clicks\n", double(PeakRssKb()) / 1024.0);

    // Delete of 1,000 rows of the last ninety days, in one transaction; the floor runs
    // the same statements for the next thousand rows.
    frm->QueryDialog->dtp1->setDate(today.addDays(-90));
    std::vector<double> command;
    for (int r = 0; r < runs; ++r) {
        frm->LoadQuery();
        const std::vector<THistoryRecord> mine = recordsOf(frm->qryList, 0, 1000);
        const std::vector<THistoryRecord> theirs = recordsOf(frm->qryList, 1000, 1000);
        t.restart();
        DeleteHistoryRecords(DM->conn, mine);
        prog.add(t);
        t.restart();
        ExecOrDie(raw, "BEGIN IMMEDIATE");
        for (const THistoryRecord& rec : theirs)
            for (const QString& statement : DeleteStatements(rec))
                ExecOrDie(raw, statement.toUtf8());
        ExecOrDie(raw, "COMMIT");
        floor.add(t);
        rows = int(mine.size());

        // The whole command on the list: selection read, question, transaction, list
        // run again.
        frm->LoadQuery();
        QItemSelectionModel* sel = frm->dbgrdh1->selectionModel();
        sel->select(QItemSelection(frm->dbgrdh1->model()->index(0, 0),
                                   frm->dbgrdh1->model()->index(999, 0)),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        t.restart();
        frm->btnDeleteClick();
        command.push_back(t.wallMs());
    }
    report("Delete, 1,000 rows (transaction)", rows, prog, floor);
    std::printf("    the whole command with the list run again (%d rows): wall %.1f ms\n",
                frm->qryList.RecordCount(), Median(command));

    frm.reset();
    delete DM;
    return 0;
}
