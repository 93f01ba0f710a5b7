#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <vector>

class QTemporaryDir;
class QWidget;
struct sqlite3;

// What the benchmarks share: timing, memory, reading rows straight through SQLite's
// C API for the floors, and the stand-in program folder.

double ElapsedMs(const QElapsedTimer& t);

// Wall-clock time and the CPU time of the calling thread since the last restart. On a
// machine shared with other work the CPU time is the steadier of the two; a step that
// waits for the disk (a commit) shows only in the wall clock.
class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart();
    double wallMs() const;
    double cpuMs() const;

private:
    QElapsedTimer m_wall;
    double m_cpuStart = 0;
};
double Median(std::vector<double> v);
// The peak resident memory of the process so far (VmHWM), in kilobytes.
long PeakRssKb();

// Every row of a statement, every column read as its own type. Returns the row count.
int ReadAll(sqlite3* db, const QByteArray& sql);
// Runs a statement that returns no rows; exits on failure.
void ExecOrDie(sqlite3* db, const QByteArray& sql);

// Makes `dir` play the program's folder: Data.mdb there is `database` (a link to it, or
// a copy when the benchmark changes data) and res/ holds the card bitmaps.
void PrepareProgramFolder(const QTemporaryDir& dir, const QString& database, bool copy);

// The arguments most benchmarks take: the database, `--runs N` and `--shot DIR`. Prints
// `usage` and exits with 2 when no existing database is named.
struct BenchArgs {
    QString database;
    int runs = 5;
    QString shots;
};
BenchArgs ReadBenchArgs(const QStringList& args, int defaultRuns, const char* usage);

// Lets queued events run and paints the window at once.
void Settle(QWidget* w);
