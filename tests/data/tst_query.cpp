// The query objects on their own: what an open result gives back, its sort order, the
// updatable result, and the connection's file and locks.
#include "ForeignAccess.h"
#include "TestEnv.h"
#include "data/Errors.h"
#include "data/UtDM.h"

#include <QCollator>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {

// The value row n of the Mixed table holds (see fillMixed): every kind SQLite has,
// repeated and unique texts, non-ASCII ones, and texts differing only in case.
QVariant expectedMixed(int n) {
    switch (n % 9) {
    case 0:
        return QVariant();
    case 1:
        return QVariant(qlonglong(n * 1000003LL - 4000000000LL));
    case 2:
        return QVariant(n + 0.25);
    case 3:
        return QVariant(QStringLiteral("Kind %1").arg(n % 3));
    case 4:
        return QVariant(QString());
    case 5:
        return QVariant(QStringLiteral("Zoë ") + QString::number(n % 5));
    case 6:
        return QVariant(QStringLiteral("row %1 at 2026-12-01 10:00:%2").arg(n).arg(n % 60));
    case 7:
        return QVariant(QByteArray::fromHex("00ff") + QByteArray::number(n % 2));
    default:
        return QVariant(n % 3 == 0
                            ? QStringLiteral("kind 1")
                            : (n % 3 == 1 ? QStringLiteral("KIND 2") : QStringLiteral("_kind")));
    }
}

void fillMixed(TestEnv& env, int rows) {
    env.sql(QStringLiteral("create table Mixed (ID INTEGER PRIMARY KEY, v, u)"));
    env.sql(
        QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
            "insert into Mixed(ID, u, v) select i, 'unique ' || i, case i % 9 when 0 then null "
            "when 1 then i * "
            "1000003 - 4000000000 when 2 then i + 0.25 when 3 then 'Kind ' || (i % 3) when 4 then "
            "'' when 5 then 'Zoë ' || (i % 5) when 6 then 'row ' || i || ' at 2026-12-01 10:00:' "
            "|| (i % 60) when 7 then iif(i % 2, x'00ff31', x'00ff30') else iif(i % 3 = 0, 'kind "
            "1', iif(i % 3 = 1, 'KIND 2', '_kind')) end "
            "from n")
            .arg(rows));
}

// The order the lists sort in: nulls, numbers by value, texts as the user's language
// orders them without regard to case, binary values.
int referenceCompare(const QVariant& a, const QVariant& b) {
    auto rank = [](const QVariant& v) {
        if (v.isNull())
            return 0;
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
            return 1;
        return v.typeId() == QMetaType::QByteArray ? 3 : 2;
    };
    if (rank(a) != rank(b))
        return rank(a) < rank(b) ? -1 : 1;
    switch (rank(a)) {
    case 1:
        return a.toDouble() < b.toDouble() ? -1 : (a.toDouble() > b.toDouble() ? 1 : 0);
    case 2: {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const int c = collator.compare(a.toString(), b.toString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case 3:
        return a.toByteArray() < b.toByteArray() ? -1 : (b.toByteArray() < a.toByteArray() ? 1 : 0);
    default:
        return 0;
    }
}

} // namespace

class QueryTest : public QObject {
    Q_OBJECT
private slots:
    // More rows than a block of the result holds and more texts than a column keeps
    // looking up: every value comes back as stored, in its kind.
    void resultKeepsEveryValue() {
        TestEnv env;
        const int rows = 10000;
        fillMixed(env, rows);
        const QString longText = QString(70000, u'x') + QStringLiteral("é");
        env.sql(QStringLiteral("insert into Mixed(ID, v) values (%1, '%2')")
                    .arg(rows + 1)
                    .arg(longText));
        env.sql(QStringLiteral("insert into Mixed(ID, v) values (%1, 9223372036854775807)")
                    .arg(rows + 2));

        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, v, typeof(v) as t, u from Mixed order by ID");
        q.Open();
        QCOMPARE(q.RecordCount(), rows + 2);
        for (int n = 1; n <= rows; ++n) {
            const QVariant v = q.ValueAt(n - 1, 1);
            const QVariant want = expectedMixed(n);
            if (v.typeId() != want.typeId() || v != want)
                QFAIL(qPrintable(QStringLiteral("row %1: %2 (%3), expected %4 (%5)")
                                     .arg(n)
                                     .arg(v.toString(), v.typeName() ? v.typeName() : "null",
                                          want.toString(),
                                          want.typeName() ? want.typeName() : "null")));
        }
        // A column of texts that never repeat.
        for (int n = 1; n <= rows; ++n)
            if (q.ValueAt(n - 1, 3).toString() != QStringLiteral("unique %1").arg(n))
                QFAIL(qPrintable(
                    QStringLiteral("row %1: %2").arg(n).arg(q.ValueAt(n - 1, 3).toString())));
        QCOMPARE(q.ValueAt(rows, 1).toString(), longText);
        QCOMPARE(q.ValueAt(rows + 1, 1).toLongLong(), std::numeric_limits<qint64>::max());
        q.SetRecNo(5);
        QCOMPARE(q.FieldByName(QStringLiteral("V")).AsString(), QStringLiteral("Zoë 0"));
        QCOMPARE(q.FieldByName(QStringLiteral("t")).AsString(), QStringLiteral("text"));
        QVERIFY(q.FieldByName(QStringLiteral("v")).IsNull() == false);
        q.SetRecNo(9);
        QVERIFY(q.FieldByName(QStringLiteral("v")).IsNull());
    }

    void sortOrderAcrossKinds() {
        TestEnv env;
        fillMixed(env, 5000);
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select ID, v from Mixed");
        q.Open();
        for (const QString& order : {QStringLiteral("v"), QStringLiteral("[V] DESC")}) {
            q.SetSort(order);
            const bool desc = order.endsWith(QLatin1String("DESC"));
            for (int r = 1; r < q.RecordCount(); ++r) {
                const int c =
                    referenceCompare(q.ValueAt(r - 1, 1), q.ValueAt(r, 1)) * (desc ? -1 : 1);
                const bool stable = c != 0 || q.ValueAt(r - 1, 0).toInt() < q.ValueAt(r, 0).toInt();
                if (c > 0 || !stable)
                    QFAIL(qPrintable(
                        QStringLiteral("%1: rows %2 and %3 out of order: %4 / %5")
                            .arg(order)
                            .arg(q.ValueAt(r - 1, 0).toInt())
                            .arg(q.ValueAt(r, 0).toInt())
                            .arg(q.ValueAt(r - 1, 1).toString(), q.ValueAt(r, 1).toString())));
            }
        }
        q.SetSort(QString());
        QCOMPARE(q.ValueAt(0, 0).toInt(), 1);
        QCOMPARE(q.ValueAt(4999, 0).toInt(), 5000);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.SetSort(QStringLiteral("Nowhere")));

        // Accented letters stand with their plain ones, not after "z".
        TQuery names(&DM->conn);
        names.SQL << QStringLiteral("select 'Zed' as n union all select 'émile' union all "
                                    "select 'Adam' union all select 'Émile' union all "
                                    "select 'Eve'");
        names.Open();
        names.SetSort(QStringLiteral("n"));
        QStringList order;
        for (int r = 0; r < names.RecordCount(); ++r)
            order << names.ValueAt(r, 0).toString();
        QCOMPARE(order, (QStringList{"Adam", "émile", "Émile", "Eve", "Zed"}));
    }

    // Searches match without regard to case for every letter, with the operator's
    // own rules kept: '%' any run, '_' one character, the escape, NULL for NULL.
    void likeFoldsEveryLetter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("result"); // 1, 0, or -1 for NULL
        QTest::newRow("umlaut") << "Müller"
                                << "MÜLLER" << 1;
        QTest::newRow("accent, contained") << "ÉMILE DUPONT"
                                           << "%émile%" << 1;
        QTest::newRow("greek") << "Ωmega"
                               << "ωMEGA" << 1;
        QTest::newRow("whole text") << "abc"
                                    << "ab" << 0;
        QTest::newRow("one character") << "axb"
                                       << "a_b" << 1;
        QTest::newRow("one character beyond 16 bits") << "x😀y"
                                                      << "x_y" << 1;
        QTest::newRow("escaped _") << "a_b"
                                   << "a\\_b" << 1;
        QTest::newRow("escaped _ is no wildcard") << "axb"
                                                  << "a\\_b" << 0;
        QTest::newRow("escaped %") << "100%"
                                   << "100\\%" << 1;
        QTest::newRow("escaped % is no wildcard") << "1000"
                                                  << "100\\%" << 0;
        QTest::newRow("escaped escape") << "back\\slash"
                                        << "%\\\\%" << 1;
        QTest::newRow("escape at the end") << "ab"
                                           << "ab\\" << 0;
        QTest::newRow("anything, even nothing") << ""
                                                << "%" << 1;
        QTest::newRow("nothing is no character") << ""
                                                 << "_" << 0;
        QTest::newRow("two runs") << "aXbXc"
                                  << "%x%x%" << 1;
        QTest::newRow("two runs, one there") << "aXb"
                                             << "%x%x%" << 0;
        QTest::newRow("null text") << QString() << "%" << -1;
    }

    void likeFoldsEveryLetter() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, result);
        TestEnv env;
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select :t like :p escape '\\' as m");
        q.SetParam(QStringLiteral("t"), text.isNull() ? QVariant() : QVariant(text));
        q.SetParam(QStringLiteral("p"), pattern);
        q.Open();
        const QVariant m = q.ValueAt(0, 0);
        QCOMPARE(m.isNull() ? -1 : m.toInt(), result);
    }

    // Posting changes the row in memory as in the file, whatever kind the field held.
    void updatableResultFollowsPosts() {
        TestEnv env;
        fillMixed(env, 20);
        TQuery q(&DM->conn);
        q.SQL << QStringLiteral("select [ID], [v] from Mixed where ID <= 9");
        q.OpenForUpdate();
        q.SetRecNo(9); // v is null
        q.Edit();
        q.FieldByName(QStringLiteral("v")).SetValue(QStringLiteral("now a text"));
        q.Post();
        q.SetRecNo(3); // v is a text
        q.Edit();
        q.FieldByName(QStringLiteral("v")).SetValue(12);
        q.Post();
        q.Append();
        q.FieldByName(QStringLiteral("v")).SetValue(2.5);
        q.Post();
        QCOMPARE(q.RecordCount(), 10);
        QStringList seen, stored;
        for (q.First(); !q.Eof(); q.Next())
            seen << q.FieldByName(QStringLiteral("v")).AsString();
        TQuery back(&DM->conn);
        back.SQL << QStringLiteral("select v from Mixed where ID <= 9 or ID > 20 order by ID");
        back.Open();
        for (back.First(); !back.Eof(); back.Next())
            stored << back.Field(0).AsString();
        QCOMPARE(seen, stored);
        QCOMPARE(seen.at(2), QStringLiteral("12"));
        QCOMPARE(seen.at(8), QStringLiteral("now a text"));
        QCOMPARE(seen.at(9), QStringLiteral("2.5"));
    }

    void connectionOpensTheFileItself() {
        TestEnv env;
        TConnection c;
        const QString missing = env.dir() + QStringLiteral("/none.mdb");
        try {
            c.Open(missing);
            QFAIL("a missing file was opened");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.message().contains(missing), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(missing));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.Execute(QStringLiteral("select 1")));

        // A lock another program holds for a moment is waited out by a statement.
        c.Open(env.dbPath());
        {
            ForeignAccess::Lock other(env.dbPath(), "EXCLUSIVE");
            other.ReleaseAfter(300);
            QCOMPARE(c.Execute(QStringLiteral("insert into Account(name) values ('A')")), 1);
        }

        // A save holds the write lock from its start: another writer waits for it.
        DM->conn.BeginTrans();
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(env.dbPath()).constData(), &raw,
                                 SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_BUSY);
        DM->conn.RollbackTrans();
        QCOMPARE(sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        // ... and a save cannot begin while another program is writing.
        const int keep = TConnection::DefaultBusyTimeoutMs;
        TConnection::DefaultBusyTimeoutMs = 100;
        TConnection quick;
        quick.Open(env.dbPath());
        TConnection::DefaultBusyTimeoutMs = keep;
        try {
            quick.BeginTrans();
            QFAIL("a save began while another program held the write lock");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("database is locked"));
        }
        QVERIFY(!quick.InTransaction());
        sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        quick.BeginTrans();
        QVERIFY(quick.InTransaction());
        quick.RollbackTrans();
    }
};

BUDGET_TEST(QueryTest)
#include "tst_query.moc"
