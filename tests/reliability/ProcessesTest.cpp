// The program in processes of its own: killed outright in the middle of its work, and
// two copies working on one file at once. A writer child saves through the windows and
// logs every save it saw succeed; the test then reads the file and the logs.
#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "data/Money.h"
#include "data/UtDM.h"
#include "data/UtQuery.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sqlite3.h>

using namespace TestData;
using namespace UserActions;

namespace {

std::vector<int> ids(const QString& sql) {
    std::vector<int> out;
    TQuery& q = TDM::FreshQuery();
    q.SQL << sql;
    q.Open();
    for (; !q.Eof(); q.Next())
        out.push_back(q.Field(0).AsInteger());
    q.Close();
    return out;
}

// The writer: args are the folder, a tag for its memos, a seed and a number of saves
// (0: until killed). Each save it saw succeed is one line on standard output:
// "<kind> <table> <id> <memo> <amount in ten-thousandths> <account> <account>".
int writer(const QStringList& args) {
    TestEnv env(args.value(0));
    const QString tag = args.value(1);
    std::mt19937 rng(args.value(2).toUInt());
    const int saves = args.value(3).toInt();
    const auto pick = [&](int n) { return int(rng() % quint32(n)); };
    std::printf("ready\n");
    std::fflush(stdout);
    int n = 0;
    for (int done = 0; saves == 0 || done < saves; ++done) {
        const std::vector<int> accounts = ids(QStringLiteral("select ID from Account"));
        const int a = accounts[size_t(pick(int(accounts.size())))];
        const int b = accounts[size_t(pick(int(accounts.size())))];
        const qint64 raw = qint64(pick(2'000'000)) - 500'000 + (pick(4) == 0 ? pick(100) : 0);
        EntryInput in;
        in.party = QStringLiteral("writer %1").arg(tag);
        in.amount = Money::fromRaw(raw).toPlainString();
        in.memo = QStringLiteral("%1-%2").arg(tag).arg(++n);
        const auto log = [&](const char* kind, const char* table, int id, int x, int y) {
            std::printf("%s %s %d %s %lld %d %d\n", kind, table, id, qPrintable(in.memo),
                        static_cast<long long>(raw), x, y);
            std::fflush(stdout);
        };
        switch (pick(6)) {
        case 0:
        case 1: {
            const bool debit = pick(2);
            if (NewDetail(debit, a, in))
                log("new", "Detail",
                    ids(QStringLiteral("select max(ID) from Detail where Memo='%1'").arg(in.memo))
                        .front(),
                    a, 0);
            break;
        }
        case 2:
            if (NewTransfer(a, b, in))
                log("new", "Transfer",
                    ids(QStringLiteral("select max(ID) from Transfer where Memo='%1'").arg(in.memo))
                        .front(),
                    a, b);
            break;
        case 3: {
            const std::vector<int> details =
                ids(QStringLiteral("select D.ID from Detail D join Account A on A.ID = D.DestID"));
            if (details.empty())
                break;
            const int id = details[size_t(pick(int(details.size())))];
            const bool debit =
                ids(QStringLiteral("select type from Detail where ID=%1").arg(id)).front() == 1;
            if (EditDetail(debit, id, in, a))
                log("edit", "Detail", id, a, 0);
            break;
        }
        case 4: {
            // Delete from the history: a deposit or debit, or both rows of a transfer.
            const std::vector<int> details =
                ids(QStringLiteral("select D.ID from Detail D join Account A on A.ID = D.DestID"));
            const std::vector<int> transfers = ids(
                QStringLiteral("select T.ID from Transfer T join Account A on A.ID = T.SourceID"));
            if (pick(2) && !details.empty()) {
                const int id = details[size_t(pick(int(details.size())))];
                const bool debit =
                    ids(QStringLiteral("select type from Detail where ID=%1").arg(id)).front() == 1;
                if (DeleteRecords(
                        {{id, debit ? QStringLiteral("Debit") : QStringLiteral("Deposit")}}) == 1)
                    log("del", "Detail", id, 0, 0);
            } else if (!transfers.empty()) {
                const int id = transfers[size_t(pick(int(transfers.size())))];
                if (DeleteRecords(
                        {{id, QStringLiteral("Trans Out")}, {id, QStringLiteral("Trans In")}}) > 0)
                    log("del", "Transfer", id, 0, 0);
            }
            break;
        }
        default: {
            const std::vector<int> transfers = ids(QStringLiteral("select ID from Transfer"));
            if (transfers.empty())
                break;
            const int id = transfers[size_t(pick(int(transfers.size())))];
            if (EditTransfer(id, in, a, b))
                log("edit", "Transfer", id, a, b);
            break;
        }
        }
    }
    return 0;
}
BUDGET_CHILD(writer, writer)

struct Save {
    QString kind, table;
    int id;
    QString memo;
    qint64 raw;
    int x, y;
};

std::vector<Save> readLog(const QByteArray& out) {
    std::vector<Save> saves;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() != 7)
            continue;
        saves.push_back({QString::fromLatin1(f[0]), QString::fromLatin1(f[1]), f[2].toInt(),
                         QString::fromLatin1(f[3]), f[4].toLongLong(), f[5].toInt(), f[6].toInt()});
    }
    return saves;
}

// The file against the logs: every record a writer saw saved is there, each record
// holds what the last save written to it (named by its memo) says, and no record holds
// a save that no log has, beyond `unlogged` of them (a writer killed between its
// commit and its log line). Empty when they agree.
QString againstLogs(TestEnv& env, const std::vector<Save>& log, int unlogged) {
    std::map<QString, const Save*> byMemo;
    for (const Save& s : log)
        byMemo[s.memo] = &s;
    QStringList out;
    TConnection c;
    c.Open(env.dbPath());
    for (const char* table : {"Detail", "Transfer"}) {
        const bool detail = QLatin1String(table) == QLatin1String("Detail");
        TQuery q(&c);
        q.SQL << (detail
                      ? QStringLiteral("select ID, Memo, Amount, DestID, 0 from Detail")
                      : QStringLiteral("select ID, Memo, Amount, SourceID, DestID from Transfer"));
        q.Open();
        std::set<int> present;
        for (; !q.Eof(); q.Next()) {
            const int id = q.Field(0).AsInteger();
            present.insert(id);
            const QString memo = q.Field(1).AsString();
            const auto it = byMemo.find(memo);
            if (memo.isEmpty())
                continue; // written before the writers started
            if (it == byMemo.end()) {
                if (--unlogged < 0)
                    out << QStringLiteral("%1 %2 holds a save no writer logged (%3)")
                               .arg(table)
                               .arg(id)
                               .arg(memo);
                continue;
            }
            const Save& s = *it->second;
            if (s.table != QLatin1String(table) || s.id != id ||
                q.Field(2).AsMoney().raw() != s.raw || q.Field(3).AsInteger() != s.x ||
                q.Field(4).AsInteger() != s.y)
                out << QStringLiteral("%1 %2 does not hold save %3").arg(table).arg(id).arg(memo);
        }
        std::set<int> deleted;
        for (const Save& s : log)
            if (s.table == QLatin1String(table) && s.kind == QLatin1String("del")) {
                deleted.insert(s.id);
                if (present.count(s.id))
                    out << QStringLiteral("%1 %2 deleted as %3 is still there")
                               .arg(table)
                               .arg(s.id)
                               .arg(s.memo);
            }
        std::set<int> saved;
        for (const Save& s : log)
            if (s.table == QLatin1String(table) && s.kind != QLatin1String("del"))
                saved.insert(s.id);
        for (int id : saved)
            if (!present.count(id) && !deleted.count(id) && --unlogged < 0)
                out << QStringLiteral("%1 %2 is gone, and no writer deleted it").arg(table).arg(id);
    }
    return out.join(QStringLiteral("; "));
}

QString integrity(TestEnv& env) {
    return env.sql(QStringLiteral("select * from pragma_integrity_check()")).toString();
}

void prepareAccounts(TestEnv& env) {
    for (const char* name : {"Bank", "Card", "Savings"})
        AddAccount(env, QLatin1String(name), name[0] == 'C' ? 1 : 0);
    for (const char* name : {"Purse", "Jar"})
        AddAccount(env, QLatin1String(name), 2);
}

QString pragma(sqlite3* db, const char* name) {
    QString value;
    sqlite3_exec(
        db, (QByteArray("PRAGMA ") + name).constData(),
        [](void* out, int, char** values, char**) {
            *static_cast<QString*>(out) = QString::fromUtf8(values[0]);
            return 0;
        },
        &value, nullptr);
    return value;
}

} // namespace

class ProcessesTest : public QObject {
    Q_OBJECT
private slots:
    // A commit is durable and the file stays one file at rest, also one that another
    // program switched to a write-ahead log.
    void commitsGoThroughARollbackJournalSyncedInFull() {
        TestEnv env;
        QCOMPARE(pragma(DM->conn.Handle(), "journal_mode"), QStringLiteral("delete"));
        QCOMPARE(pragma(DM->conn.Handle(), "synchronous"), QStringLiteral("2"));
        delete DM;

        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(env.dbPath()).constData(), &other,
                                 SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        QCOMPARE(pragma(other, "journal_mode=WAL"), QStringLiteral("wal"));
        sqlite3_close(other);

        new TDM();
        QCOMPARE(pragma(DM->conn.Handle(), "journal_mode"), QStringLiteral("delete"));
        AddAccount(env, QStringLiteral("Bank"), 0);
        QVERIFY(!QFile::exists(env.dbPath() + QStringLiteral("-wal")));
    }

    // BUDGET_KILLS sets the number of kills.
    void killedAtAnyMomentTheFileStaysWholeAndTrue() {
        TestEnv env;
        EnsureCardBitmaps(env);
        prepareAccounts(env);
        delete DM; // the writers are the only ones writing
        std::mt19937 rng(20130613);
        std::vector<Save> log;
        const int kills = EnvNumber("BUDGET_KILLS", 30);
        int survived = 0;
        for (int k = 0; k < kills; ++k) {
            QProcess child;
            StartChild(child, QStringLiteral("writer"),
                       {env.dir(), QStringLiteral("k%1").arg(k), QString::number(rng()),
                        QStringLiteral("0")});
            QVERIFY(child.waitForStarted());
            QVERIFY(child.waitForReadyRead(20000));
            QTest::qWait(50 + int(rng() % 700));
            child.kill();
            QVERIFY(child.waitForFinished(5000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            const std::vector<Save> more = readLog(child.readAllStandardOutput());
            log.insert(log.end(), more.begin(), more.end());

            QCOMPARE(integrity(env), QStringLiteral("ok"));
            const QStringList drift = BalanceMismatches(env);
            QVERIFY2(drift.isEmpty(),
                     qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(drift.join(u' '))));
            const QString lost = againstLogs(env, log, k + 1);
            QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(lost)));
            ++survived;
        }
        // The kills must have landed among saves, not before the first one.
        QVERIFY(log.size() > size_t(kills));
        qInfo("%d kills survived, %d saves logged", survived, int(log.size()));
    }

    void twoCopiesOnOneFileLoseNothingAndApplyNothingTwice() {
        TestEnv env;
        EnsureCardBitmaps(env);
        prepareAccounts(env);
        delete DM;
        const int saves = EnvNumber("BUDGET_COPY_SAVES", 150);
        QProcess first, second;
        StartChild(first, QStringLiteral("writer"),
                   {env.dir(), QStringLiteral("a"), QStringLiteral("1"), QString::number(saves)});
        StartChild(second, QStringLiteral("writer"),
                   {env.dir(), QStringLiteral("b"), QStringLiteral("2"), QString::number(saves)});
        for (QProcess* p : {&first, &second}) {
            QVERIFY(p->waitForFinished(300000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        std::vector<Save> log = readLog(first.readAllStandardOutput());
        const std::vector<Save> other = readLog(second.readAllStandardOutput());
        log.insert(log.end(), other.begin(), other.end());
        QVERIFY(log.size() > size_t(saves));

        QCOMPARE(integrity(env), QStringLiteral("ok"));
        QVERIFY2(BalanceMismatches(env).isEmpty(), qPrintable(BalanceMismatches(env).join(u' ')));
        const QString wrong = againstLogs(env, log, 0);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        qInfo("two copies: %d saves logged", int(log.size()));
    }
};

BUDGET_TEST(ProcessesTest)
#include "ProcessesTest.moc"
