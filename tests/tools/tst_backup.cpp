// The daily backup tool: one copy a day, the newest 14 kept, each copy whole and
// consistent though another process writes at that moment, and every failure reported
// without a half-made copy left behind.
#include "TestData.h"
#include "TestEnv.h"
#include "ToolsKit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <random>
#include <set>
#include <sqlite3.h>

using namespace TestData;
using namespace ToolsKit;

namespace {

constexpr int kTransfers = 3000;

struct Run {
    int exitCode = -1;
    QString err;
};

Run backUp(const QString& folder) {
    QProcess p;
    startAsUser(p, backupTool(), {folder});
    Run run;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        run.exitCode = p.exitCode();
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

QStringList backupFiles(const QString& folder) {
    return QDir(folder + QStringLiteral("/backups"))
        .entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool exec(sqlite3* db, const QString& sql) {
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The other process: until it is killed, moves the amounts of every seventh transfer
// (some rows on nearly every page of the file) by one sum and both balances of each with
// them, in one transaction. Every committed state keeps each balance equal to its
// records; a copy that mixes two states does not.
int amountEditor(const QStringList& args) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(args.value(0)).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(db, 60000);
    // Not waiting for the disk, it commits one edit after another, so the file's pages
    // are being rewritten nearly all the time.
    exec(db, QStringLiteral("PRAGMA synchronous=OFF"));
    std::mt19937 rng(args.value(1).toUInt());
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        const int picked = int(rng() % 7);
        const int cents = int(rng() % 1001) - 500;
        const QString chosen = QStringLiteral("ID % 7 = %1").arg(picked);
        const bool ok =
            exec(db, QStringLiteral("BEGIN IMMEDIATE")) &&
            exec(db, QStringLiteral("update Transfer set Amount = Amount + (%1) / 100.0 where %2")
                         .arg(cents)
                         .arg(chosen)) &&
            exec(db, QStringLiteral("update Account as A set Balance = Balance + (%1) / 100.0 * "
                                    "((select count(*) from Transfer where DestID = A.ID and %2) - "
                                    "(select count(*) from Transfer where SourceID = A.ID and %2))")
                         .arg(cents)
                         .arg(chosen));
        exec(db, ok ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
    }
}

} // namespace
BUDGET_CHILD(amountEditor, amountEditor)

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void keepsTheNewestFourteen_data() {
        QTest::addColumn<int>("older");      // dated copies of earlier days already there
        QTest::addColumn<bool>("todayMade"); // today's copy already there
        QTest::addColumn<int>("oldestKept"); // days back of the oldest copy left
        QTest::newRow("first backup") << 0 << false << 0;
        QTest::newRow("fourteenth keeps all") << 13 << false << 13;
        QTest::newRow("fifteenth removes the oldest") << 14 << false << 13;
        QTest::newRow("many left from before") << 20 << false << 13;
        QTest::newRow("today has one") << 3 << true << 3;
    }
    void keepsTheNewestFourteen() {
        QFETCH(int, older);
        QFETCH(bool, todayMade);
        QFETCH(int, oldestKept);
        TestEnv env(false);
        AddAccount(env, QStringLiteral("Savings"), 0, QStringLiteral("12.5"));
        const QString backups = env.dir() + QStringLiteral("/backups/");
        QVERIFY(QDir().mkpath(backups));
        const QDate today = QDate::currentDate();
        for (int back = 1; back <= older; ++back)
            writeFile(backups + today.addDays(-back).toString(u"'Data-'yyyy-MM-dd'.mdb'"),
                      QByteArray::number(back));
        if (todayMade)
            writeFile(backups + todaysBackup(), "made earlier today");
        // Files of the user's own are no backups of the tool's.
        const QStringList own{QStringLiteral("Data-copy.mdb"), QStringLiteral("notes.txt")};
        for (const QString& name : own)
            writeFile(backups + name, "mine");

        const Run run = backUp(env.dir());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));

        QStringList expected = own;
        for (int back = 1; back <= std::min(older, oldestKept); ++back)
            expected << today.addDays(-back).toString(u"'Data-'yyyy-MM-dd'.mdb'");
        expected << todaysBackup();
        expected.sort();
        QCOMPARE(backupFiles(env.dir()), expected);
        for (const QString& name : own)
            QCOMPARE(readFile(backups + name), QByteArray("mine"));
        if (todayMade) {
            QCOMPARE(readFile(backups + todaysBackup()), QByteArray("made earlier today"));
        } else {
            QVERIFY(QFile::remove(env.dbPath()));
            QVERIFY(QFile::copy(backups + todaysBackup(), env.dbPath()));
            QCOMPARE(env.sql(QStringLiteral("select name || ' ' || Balance from Account")),
                     QVariant(QStringLiteral("Savings 12.5")));
        }
    }

    void aCopyTakenWhileAnotherProcessWritesIsConsistent() {
        TestEnv env(false);
        for (int i = 0; i < 5; ++i)
            AddAccount(env, QStringLiteral("Account %1").arg(i), i % 3);
        // Long memos spread the rows over hundreds of pages, so an edit writes pages all
        // through the file.
        env.sql(QStringLiteral(
                    "insert into Transfer(SourceID, DestID, Date, [From], Amount, [For], Memo) "
                    "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                    "select 1 + i % 5, 1 + (i + 2) % 5, '2026-01-01 10:00:00', 'me', "
                    "(i % 997) + 0.25, 'rent', hex(randomblob(200)) from n")
                    .arg(kTransfers));
        SettleBalances(env);
        QCOMPARE(Count(env, QStringLiteral("Transfer")), kTransfers);

        QProcess editor;
        StartChild(editor, QStringLiteral("amountEditor"), {env.dbPath(), QStringLiteral("7")});
        QVERIFY(editor.waitForReadyRead(30000));
        std::set<QString> states;
        const QString copy = env.dir() + QStringLiteral("/backups/") + todaysBackup();
        for (int i = 0; i < 30; ++i) {
            QFile::remove(copy);
            const Run run = backUp(env.dir());
            QVERIFY2(run.exitCode == 0, qPrintable(run.err));

            TestEnv check(false);
            QVERIFY(QFile::remove(check.dbPath()) && QFile::copy(copy, check.dbPath()));
            QCOMPARE(check.sql(QStringLiteral("select * from pragma_integrity_check")),
                     QVariant(QStringLiteral("ok")));
            QCOMPARE(Count(check, QStringLiteral("Transfer")), kTransfers);
            const QStringList wrong = BalanceMismatches(check);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
            states.insert(
                check.sql(QStringLiteral("select group_concat(Balance) from Account")).toString());
        }
        QCOMPARE(editor.state(), QProcess::Running);
        editor.kill();
        editor.waitForFinished();
        // The other process really wrote between the copies.
        QVERIFY2(states.size() > 1, "every copy holds the same balances");
    }

    void failuresAreReportedAndLeaveNoCopy_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only backups folder") << "read-only"
                                                  << "Permission denied";
        QTest::newRow("no database") << "missing"
                                     << "there is no";
        QTest::newRow("not a database") << "foreign"
                                        << "file is not a database";
    }
    void failuresAreReportedAndLeaveNoCopy() {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        TestEnv env(false);
        const QString backups = env.dir() + QStringLiteral("/backups");
        QVERIFY(QDir().mkpath(backups));
        if (fault == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(backups, QFile::ReadOwner | QFile::ExeOwner));
        else if (fault == QLatin1String("missing"))
            QVERIFY(QFile::remove(env.dbPath()));
        else {
            QVERIFY(QFile::remove(env.dbPath()));
            writeFile(env.dbPath(), QByteArray(8192, 'x'));
        }
        const Run run = backUp(env.dir());
        QFile::setPermissions(backups, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(QLatin1String("budget-backup: no backup made: ")) &&
                     run.err.contains(reason),
                 qPrintable(run.err));
        QCOMPARE(backupFiles(env.dir()), QStringList());
    }
};

BUDGET_TEST(BackupTest)
#include "tst_backup.moc"
