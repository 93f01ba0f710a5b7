// Times the reports window on a generated database (see bench/README.md): each of the
// three reports over every account and wallet and the whole period ("All"), worked out
// and drawn (chart and table painted). Beside each stands the floor: the report's own
// aggregate statement run straight through SQLite's C API, every result row read.
//
//   bench-reports DATABASE [--runs 5] [--shot DIR]
#include "BenchCommon.h"

#include "data/UtDM.h"
#include "reports/ReportNumbers.h"
#include "reports/UtReports.h"
#include "ui/Application.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sqlite3.h>

namespace {

struct Runs {
    std::vector<double> wall, cpu;
    void add(const Stopwatch& w) {
        wall.push_back(w.wallMs());
        cpu.push_back(w.cpuMs());
    }
};

// The statement as the program runs it (translated to SQLite's dialect), its days bound
// as the program binds them; the number of result rows.
int runFloor(sqlite3* db, const QString& statement, const TReportPeriod& period) {
    const QByteArray sql = DM->conn.Translate(statement).toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "floor statement: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    const QByteArray d1 = period.from.toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
    const QByteArray d2 =
        period.to.addDays(1).toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
    if (int i = sqlite3_bind_parameter_index(st, ":d1"))
        sqlite3_bind_text(st, i, d1.constData(), -1, SQLITE_TRANSIENT);
    if (int i = sqlite3_bind_parameter_index(st, ":d2"))
        sqlite3_bind_text(st, i, d2.constData(), -1, SQLITE_TRANSIENT);
    int rows = 0;
    volatile qint64 sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0, n = sqlite3_column_count(st); c < n; ++c)
            sink = sink + sqlite3_column_int64(st, c) + sqlite3_column_bytes(st, c);
    }
    sqlite3_finalize(st);
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const BenchArgs args =
        ReadBenchArgs(app.arguments().mid(1), 5, "bench-reports DATABASE [--runs N] [--shot DIR]");
    const QString& db = args.database;
    const int runs = args.runs;
    const QString& shots = args.shots;
    // Reports only read: the program folder links to the database.
    QTemporaryDir dir;
    PrepareProgramFolder(dir, db, false);
    DM = new TDM();
    sqlite3* raw = DM->conn.Handle();
    const long before = PeakRssKb();
    std::printf("after start-up: peak RSS %.1f MB\n", double(before) / 1024.0);

    Stopwatch t;
    auto frm = std::make_unique<TFrmReports>();
    frm->resize(1000, 560);
    frm->show();
    if (!QTest::qWaitForWindowExposed(frm.get()))
        std::fprintf(stderr, "the window was not shown\n");
    Settle(frm.get());
    std::printf("opening the window (last 12 months): wall %.1f ms, cpu %.1f ms\n", t.wallMs(),
                t.cpuMs());
    frm->cbbPeriod->setCurrentIndex(int(TPeriodPreset::All));
    const TReportPeriod period = frm->Period();
    std::printf("period: %s to %s\n", qPrintable(period.from.toString(Qt::ISODate)),
                qPrintable(period.to.toString(Qt::ISODate)));

    // The floors: each report as one aggregate statement, the engine keeping to the
    // chosen accounts and wallets by joins with Account (a transfer counts when exactly one
    // end is among them), grouping, and adding exactly, in two 32-bit halves that cannot
    // overflow.
    const QString stored = QStringLiteral("cast(round(Amount * 10000) as integer)");
    const QString halves = QStringLiteral("sum(%1 >> 32), sum(%1 & 4294967295)").arg(stored);
    const auto movements = [](bool toEnd) {
        const auto days = [toEnd](const char* a) {
            return QStringLiteral("and %1.Date >= :d1 ").arg(QLatin1String(a)) +
                   (toEnd ? QStringLiteral("and %1.Date < :d2 ").arg(QLatin1String(a)) : QString());
        };
        return QStringLiteral("select D.Date as Day, D.type = 0 as Inward, D.Amount from Detail D, "
                              "Account B where B.ID = D.DestID ") +
               days("D") +
               QStringLiteral("union all select T.Date, S.ID is null, T.Amount from Transfer T "
                              "left join Account S on S.ID = T.SourceID left join Account E on "
                              "E.ID = T.DestID where (S.ID is null) <> (E.ID is null) ") +
               days("T");
    };
    const QString grouped = QStringLiteral("select substr(Day, 1, %1), Inward, %2 from (%3) "
                                           "group by 1, 2");
    const struct {
        const char* name;
        QString statement;
    } reports[] = {
        {"income and spending by month", grouped.arg(QString::number(7), halves, movements(true))},
        {"spending by purpose",
         QStringLiteral("select D.For, count(*), %1 from Detail D, Account B where B.ID = "
                        "D.DestID and D.type = 1 and D.Date >= :d1 and D.Date < :d2 group by 1")
             .arg(halves)},
        {"balance over time", grouped.arg(QString::number(10), halves, movements(false))}};
    for (int r = 0; r < 3; ++r) {
        frm->cbbReport->setCurrentIndex(r);
        Settle(frm.get());
        Runs prog, floor;
        int rows = 0;
        for (int i = 0; i < runs; ++i) {
            t.restart();
            frm->LoadReport();
            Settle(frm.get());
            prog.add(t);
            t.restart();
            rows = runFloor(raw, reports[r].statement, period);
            floor.add(t);
        }
        const double pw = Median(prog.wall), fw = Median(floor.wall);
        const double pc = Median(prog.cpu), fc = Median(floor.cpu);
        std::printf("%-30s %6d statement rows, %5d table rows\n"
                    "    wall %8.1f ms  floor %8.1f ms  ratio %5.2f\n"
                    "    cpu  %8.1f ms  floor %8.1f ms  ratio %5.2f\n",
                    reports[r].name, rows, frm->qryReport.RecordCount(), pw, fw, pw / fw, pc, fc,
                    pc / fc);
        if (!shots.isEmpty())
            frm->grab().save(QDir(shots).filePath(QStringLiteral("reports-%1.png").arg(r + 1)));
    }
    const long after = PeakRssKb();
    std::printf("peak RSS (VmHWM) %.1f MB, %.1f MB above start-up\n", double(after) / 1024.0,
                double(after - before) / 1024.0);
    frm.reset();
    delete DM;
    return 0;
}
