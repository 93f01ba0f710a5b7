#include "BenchCommon.h"

#include "data/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sqlite3.h>

double ElapsedMs(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

namespace {
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}
} // namespace

void Stopwatch::restart() {
    m_wall.start();
    m_cpuStart = threadCpuMs();
}

double Stopwatch::wallMs() const {
    return ElapsedMs(m_wall);
}

double Stopwatch::cpuMs() const {
    return threadCpuMs() - m_cpuStart;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

long PeakRssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

int ReadAll(sqlite3* db, const QByteArray& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "floor statement: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    int rows = 0;
    volatile qint64 sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0, n = sqlite3_column_count(st); c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                sink = sink + sqlite3_column_int64(st, c);
                break;
            case SQLITE_FLOAT:
                sink = sink + qint64(sqlite3_column_double(st, c));
                break;
            case SQLITE_NULL:
                break;
            default:
                sink = sink + sqlite3_column_bytes(st, c) + *sqlite3_column_text(st, c);
            }
        }
    }
    sqlite3_finalize(st);
    return rows;
}

void ExecOrDie(sqlite3* db, const QByteArray& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "statement failed: %s\n  %s\n", err ? err : "", sql.constData());
        std::exit(1);
    }
}

void PrepareProgramFolder(const QTemporaryDir& dir, const QString& database, bool copy) {
    const QString target = dir.filePath(QStringLiteral("Data.mdb"));
    const QString source = QFileInfo(database).absoluteFilePath();
    if (!(copy ? QFile::copy(source, target) : QFile::link(source, target))) {
        std::fprintf(stderr, "cannot put the database into %s\n", qPrintable(dir.path()));
        std::exit(1);
    }
    SetAppDirOverride(dir.path());
    QDir().mkpath(dir.filePath(QStringLiteral("res")));
    for (const QFileInfo& bmp : QDir(QStringLiteral(BUDGET_SOURCE_DIR "/resources/res"))
                                    .entryInfoList({QStringLiteral("*.bmp")}))
        QFile::copy(bmp.absoluteFilePath(), dir.filePath("res/" + bmp.fileName()));
}

void Settle(QWidget* w) {
    QCoreApplication::processEvents();
    w->repaint();
}

BenchArgs ReadBenchArgs(const QStringList& args, int defaultRuns, const char* usage) {
    BenchArgs out;
    out.runs = defaultRuns;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            out.runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--shot") && i + 1 < args.size())
            out.shots = args[++i];
        else
            out.database = args[i];
    }
    if (out.database.isEmpty() || !QFileInfo::exists(out.database)) {
        std::fprintf(stderr, "usage: %s\n", usage);
        std::exit(2);
    }
    return out;
}
