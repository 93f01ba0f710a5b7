// Faults from outside the program: a statement failing half-way, a file that cannot be
// written, locked by another program or full, files missing. Each is reported in words,
// leaves nothing half-written, and the same command works once the fault is gone.
#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "app/UtMain.h"
#include "data/UtDM.h"
#include "help/HelpWindow.h"
#include "ui/Application.h"
#include "ui/HelpContext.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QtTest>
#include <sqlite3.h>

using namespace TestData;
using namespace UserActions;

namespace {

const QString ErrorOccured = QStringLiteral("Error occured!");

void onProgramConnection(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(DM->conn.Handle(), sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString why = QString::fromUtf8(err);
        sqlite3_free(err);
        QFAIL(qPrintable(why));
    }
}

// The last message the program showed, and whether one was shown since `before`.
struct Shown {
    TestEnv& env;
    size_t before;
    explicit Shown(TestEnv& e) : env(e), before(e.messages->messages.size()) {}
    bool any() const { return env.messages->messages.size() > before; }
    QString text() const { return any() ? env.messages->messages.back().text : QString(); }
};

EntryInput typed(const QString& amount, const QString& memo = {}) {
    EntryInput in;
    in.party = QStringLiteral("Employer");
    in.amount = amount;
    in.memo = memo;
    return in;
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
private slots:
    // A statement that fails after others of the same save or delete have run: the
    // ones before it are undone, the window says so, and it saves once the fault is gone.
    void aStatementFailingHalfWayLeavesNothingBehind() {
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int cash = AddAccount(env, QStringLiteral("Cash"), 2);
        QVERIFY(NewDetail(false, bank, typed(QStringLiteral("100"))));
        const int deposit = env.sql(QStringLiteral("select max(ID) from Detail")).toInt();
        QVERIFY(NewTransfer(bank, cash, typed(QStringLiteral("30"))));
        const int transfer = env.sql(QStringLiteral("select max(ID) from Transfer")).toInt();
        TFrmMain frm;
        frm.show();

        struct Case {
            const char* what;
            QString table, event, condition;
            std::function<bool()> act;
            QString message; // empty: the top-level report with the engine's words
        };
        const std::vector<Case> cases = {
            {"new deposit, its balance",
             "Account",
             "UPDATE",
             {},
             [&] { return NewDetail(false, bank, typed(QStringLiteral("5"))); },
             ErrorOccured},
            {"deposit moved to the wallet, the wallet's balance", "Account", "UPDATE",
             QStringLiteral("NEW.ID = %1").arg(cash),
             [&] { return EditDetail(false, deposit, typed(QStringLiteral("90")), cash); },
             ErrorOccured},
            {"new debit, its row",
             "Detail",
             "INSERT",
             {},
             [&] { return NewDetail(true, cash, typed(QStringLiteral("5"))); },
             ErrorOccured},
            {"new transfer, the destination", "Account", "UPDATE",
             QStringLiteral("NEW.ID = %1").arg(cash),
             [&] { return NewTransfer(bank, cash, typed(QStringLiteral("7"))); }, ErrorOccured},
            {"transfer edited, its row",
             "Transfer",
             "UPDATE",
             {},
             [&] { return EditTransfer(transfer, typed(QStringLiteral("8")), cash, bank); },
             ErrorOccured},
            {"transfer edited again, its destination", "Account", "UPDATE",
             QStringLiteral("NEW.ID = %1").arg(bank),
             [&] { return EditTransfer(transfer, typed(QStringLiteral("8")), cash, bank); },
             ErrorOccured},
            {"new account",
             "Account",
             "INSERT",
             {},
             [&] { return NewAccount(frm, QStringLiteral("Savings"), 0) != 0; },
             {}},
            {"account renamed",
             "Account",
             "UPDATE",
             {},
             [&] { return RenameAccount(frm, bank, QStringLiteral("Main bank")); },
             {}},
            {"wallet deleted",
             "Account",
             "DELETE",
             {},
             [&] { return DeleteAccount(frm, cash); },
             {}},
        };
        for (const Case& c : cases) {
            const QString before = Snapshot(env);
            FailOn(env, c.table, c.event, c.condition);
            const Shown shown(env);
            QVERIFY2(!c.act(), c.what);
            QVERIFY2(shown.any(), c.what);
            if (c.message.isEmpty())
                QVERIFY2(shown.text().contains(QLatin1String("test failure")),
                         qPrintable(shown.text()));
            else
                QCOMPARE(shown.text(), c.message);
            QVERIFY2(!DM->conn.InTransaction(), c.what);
            QCOMPARE(Snapshot(env), before);

            StopFailing(env);
            QVERIFY2(c.act(), c.what);
            QVERIFY2(BalanceMismatches(env).isEmpty(), c.what);
        }
    }

    // The file cannot be written (root ignores file modes, so the connection is made
    // read-only the way a read-only file makes it), or its disk is full.
    void aFileThatTakesNoWritesIsReportedAndSparedHalfSaves() {
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        QVERIFY(NewDetail(false, bank, typed(QStringLiteral("10"))));
        const QString before = Snapshot(env);

        onProgramConnection("PRAGMA query_only = 1");
        {
            const Shown shown(env);
            QVERIFY(!NewDetail(true, bank, typed(QStringLiteral("4"))));
            QVERIFY2(shown.text() == ErrorOccured ||
                         shown.text().contains(QLatin1String("readonly")),
                     qPrintable(shown.text()));
        }
        {
            TFrmMain frm;
            const Shown shown(env);
            QCOMPARE(NewAccount(frm, QStringLiteral("Savings"), 0), 0);
            QVERIFY2(shown.text().contains(QLatin1String("readonly")), qPrintable(shown.text()));
        }
        QCOMPARE(Snapshot(env), before);
        onProgramConnection("PRAGMA query_only = 0");
        QVERIFY(NewDetail(true, bank, typed(QStringLiteral("4"))));

        // A disk with no room left: the page the long memo needs cannot be had.
        const QString full = Snapshot(env);
        const int pages =
            env.sql(QStringLiteral("select page_count from pragma_page_count()")).toInt();
        onProgramConnection(qPrintable(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        {
            const Shown shown(env);
            QVERIFY(!NewDetail(false, bank, typed(QStringLiteral("1"), QString(100000, u'x'))));
            QCOMPARE(shown.text(), ErrorOccured);
        }
        QVERIFY(!DM->conn.InTransaction());
        QCOMPARE(Snapshot(env), full);
        onProgramConnection("PRAGMA max_page_count = 1073741823");
        QVERIFY(NewDetail(false, bank, typed(QStringLiteral("1"), QString(100000, u'x'))));
        QVERIFY(BalanceMismatches(env).isEmpty());
        QCOMPARE(Balance(env, bank), QStringLiteral("7"));
    }

    // Another program holds the write lock: the save waits a moment, then fails in the
    // window's own words with nothing written, and goes through once the other program
    // lets go.
    void aLockHeldByAnotherProgramIsWaitedForThenReported() {
        const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (cli.isEmpty())
            QSKIP("the sqlite3 command-line program is not installed");
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        sqlite3_busy_timeout(DM->conn.Handle(), 300);

        QProcess other;
        other.start(cli, {env.dbPath()});
        QVERIFY(other.waitForStarted());
        other.write("BEGIN IMMEDIATE;\nSELECT 'locked';\n");
        QVERIFY(other.waitForReadyRead(5000));
        QVERIFY(other.readAll().contains("locked"));

        const QString before = Snapshot(env);
        {
            const Shown shown(env);
            QVERIFY(!NewDetail(false, bank, typed(QStringLiteral("10"))));
            QCOMPARE(shown.text(), ErrorOccured);
            QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Error"));
            QCOMPARE(env.messages->messages.back().icon, MsgIcon::Error);
        }
        QVERIFY(!DM->conn.InTransaction());
        QCOMPARE(Snapshot(env), before);

        other.write("COMMIT;\n.quit\n");
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(5000));
        QVERIFY(NewDetail(false, bank, typed(QStringLiteral("10"))));
        QCOMPARE(Balance(env, bank), QStringLiteral("10"));
    }

    // A file that is missing or is no database at start-up: after the one report of it,
    // each command that needs the file says so again, and the file is never created
    // or written.
    void anUnusableFileAtStartUpLeavesEveryCommandReportingIt() {
        for (const QByteArray& content :
             {QByteArray(), QByteArray("not a database, just text\n")}) {
            TestEnv env(false);
            EnsureCardBitmaps(env);
            QFile file(env.dbPath());
            if (content.isNull())
                QVERIFY(file.remove());
            else
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                        file.write(content) > 0);
            file.close();
            new TDM();
            TFrmMain frm;
            frm.show();
            QCOMPARE(env.messages->messages.size(), size_t(1));
            const auto namesTheFile = [&] {
                return env.messages->messages.back().text.contains(env.dbPath());
            };
            QVERIFY(namesTheFile());

            QCOMPARE(NewAccount(frm, QStringLiteral("Savings"), 0), 0);
            QVERIFY(namesTheFile());
            const size_t before = env.messages->messages.size();
            DeleteRecords({{1, QStringLiteral("Deposit")}});
            QVERIFY(env.messages->messages.size() > before);
            QVERIFY(namesTheFile());
            QCOMPARE(QFile::exists(env.dbPath()), !content.isNull());
            if (!content.isNull()) {
                QVERIFY(file.open(QIODevice::ReadOnly));
                QCOMPARE(file.readAll(), content);
            }
        }
    }

    // The card pictures or the help file are gone: the program says which file is
    // missing and goes on.
    void missingPicturesAndHelpAreReportedAndTheProgramGoesOn() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        QDir(env.dir() + QStringLiteral("/res")).removeRecursively();
        {
            const Shown shown(env);
            TFrmMain frm;
            frm.show();
            QVERIFY2(shown.text().contains(
                         QDir::toNativeSeparators(env.dir() + QStringLiteral("/res/acc.bmp"))) ||
                         shown.text().contains(env.dir() + QStringLiteral("/res/acc.bmp")),
                     qPrintable(shown.text()));
        }
        // Saving goes on without the pictures.
        QVERIFY(NewDetail(false, bank, typed(QStringLiteral("12.5"))));
        QCOMPARE(Balance(env, bank), QStringLiteral("12.5"));

        // F1 on a window whose help file is gone: the help window says so.
        const ScopedAppHelpFile help(env.dir() + QStringLiteral("/budget.chm"));
        TFrmMain frm;
        frm.show();
        const Shown shown(env);
        ShowHelpFor(&frm);
        QApplication::processEvents();
        THelpWindow* helpWindow = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<THelpWindow*>(w); h && h->isVisible())
                helpWindow = h;
        QVERIFY(helpWindow);
        QVERIFY(helpWindow->Browser->toPlainText().contains(QLatin1String("cannot be opened")));
        QVERIFY(!shown.any());
        helpWindow->close();
        QVERIFY(NewDetail(true, bank, typed(QStringLiteral("2.5"))));
        QCOMPARE(Balance(env, bank), QStringLiteral("10"));
    }
};

BUDGET_TEST(FaultsTest)
#include "FaultsTest.moc"
