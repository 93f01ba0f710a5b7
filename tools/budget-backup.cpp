// Keeps a copy a day of a user's budget: FOLDER/Data.mdb goes to
// FOLDER/backups/Data-YYYY-MM-DD.mdb when that day has none yet, and only the newest 14
// copies stay. The launcher runs it before each start; a failure is reported here and
// the program starts all the same.
//
// The copy is taken with SQLite's online backup inside one read transaction, so another
// copy of the program writing at that moment either finishes its commit first or waits
// for the copy: the file never holds half a save. It is written under a temporary name,
// checked with integrity_check, and only then given its day's name.
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int kKept = 14;
// How long a lock held by a copy of the program in the middle of a commit is waited for.
constexpr int kLockWaitMs = 20000;

struct Failure : std::runtime_error {
    explicit Failure(const QString& text) : std::runtime_error(text.toStdString()) {}
};

class Connection {
public:
    Connection(const QString& path, int flags) {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK)
            throw Failure(QStringLiteral("cannot open %1: %2").arg(path, message()));
        sqlite3_busy_timeout(m_db, kLockWaitMs);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    sqlite3* handle() const { return m_db; }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

private:
    sqlite3* m_db = nullptr;
};

void copyDatabase(const QString& from, const QString& to) {
    // Read-write, though nothing is written: a journal left by a copy of the program that
    // crashed must be rolled back before the file can be read at all. Never created.
    Connection source(from, SQLITE_OPEN_READWRITE);
    Connection copy(to, SQLITE_OPEN_READWRITE);
    sqlite3_backup* backup = sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
    if (!backup)
        throw Failure(copy.message());
    // All pages in one step, so they come from one read transaction; a lock the busy
    // wait could not outlast is tried again for as long again.
    QElapsedTimer waited;
    waited.start();
    int rc;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(100);
    } while ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited.elapsed() < 2 * kLockWaitMs);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw Failure(QString::fromUtf8(sqlite3_errstr(rc)));

    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(copy.handle(), "PRAGMA integrity_check", -1, &check, nullptr) !=
        SQLITE_OK)
        throw Failure(copy.message());
    QStringList verdict;
    while ((rc = sqlite3_step(check)) == SQLITE_ROW)
        verdict << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    if (rc != SQLITE_DONE)
        throw Failure(copy.message());
    if (verdict != QStringList{QStringLiteral("ok")})
        throw Failure(QStringLiteral("the copy failed its integrity check: ") +
                      verdict.join(QStringLiteral("; ")));
}

// Every dated copy, oldest first (the names sort by their dates).
QStringList datedCopies(const QDir& backups) {
    static const QRegularExpression dated(QStringLiteral("^Data-\\d{4}-\\d{2}-\\d{2}\\.mdb$"));
    QStringList names = backups.entryList({QStringLiteral("Data-*.mdb")}, QDir::Files);
    names.removeIf([](const QString& n) { return !dated.match(n).hasMatch(); });
    std::sort(names.begin(), names.end());
    return names;
}

// Returns the new copy's path, or nothing when the day already has one.
QString backUp(const QString& folder) {
    const QString database = QDir(folder).filePath(QStringLiteral("Data.mdb"));
    if (!QFileInfo(database).isFile())
        throw Failure(QStringLiteral("there is no %1 to back up").arg(database));
    const QString backupsPath = QDir(folder).filePath(QStringLiteral("backups"));
    const QString name = QDate::currentDate().toString(QStringLiteral("'Data-'yyyy-MM-dd'.mdb'"));
    QDir backups(backupsPath);
    if (backups.exists(name))
        return {};
    if (!QDir().mkpath(backupsPath))
        throw Failure(QStringLiteral("cannot make the folder %1").arg(backupsPath));

    // A name of this process's own, so two starts at one moment never write one file;
    // the rename below lets only the first of them give the copy its day's name.
    const QString temp = backups.filePath(
        QStringLiteral(".%1.%2.part").arg(name).arg(static_cast<qint64>(getpid())));
    QFile made(temp);
    if (!made.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Failure(
            QStringLiteral("cannot write in %1: %2").arg(backupsPath, made.errorString()));
    made.close();
    try {
        copyDatabase(database, temp);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    const QString target = backups.filePath(name);
    if (!QFile::rename(temp, target)) {
        QFile::remove(temp);
        if (QFileInfo::exists(target))
            return {}; // another start made it in the meantime
        throw Failure(QStringLiteral("cannot name the copy %1").arg(target));
    }

    QStringList dated = datedCopies(backups);
    while (dated.size() > kKept) {
        const QString oldest = backups.filePath(dated.takeFirst());
        if (!QFile::remove(oldest))
            std::fprintf(stderr, "budget-backup: cannot remove the old copy %s\n",
                         qPrintable(oldest));
    }
    // Parts left by a backup that was killed half-way.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo& part :
         backups.entryInfoList({QStringLiteral(".Data-*.part")}, QDir::Files | QDir::Hidden))
        if (part.lastModified() < dayAgo)
            QFile::remove(part.absoluteFilePath());
    return target;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr,
                     "usage: budget-backup FOLDER\n"
                     "Copies FOLDER/Data.mdb to FOLDER/backups/Data-YYYY-MM-DD.mdb when "
                     "today has no copy yet, and keeps the newest %d copies.\n",
                     kKept);
        return 2;
    }
    try {
        const QString made = backUp(QFile::decodeName(argv[1]));
        if (!made.isEmpty())
            std::printf("backed up to %s\n", qPrintable(made));
    } catch (const Failure& e) {
        std::fprintf(stderr, "budget-backup: no backup made: %s\n", e.what());
        return 1;
    }
    return 0;
}
