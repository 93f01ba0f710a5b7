#include "ForeignAccess.h"
#include "LockWaits.h"
#include "TestEnv.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "data/UtDM.h"
#include "ui/Application.h"

#include <QFile>
#include <QtTest>

class DataModuleTest : public QObject {
    Q_OBJECT
private slots:
    void totalsAndLookups() {
        TestEnv env;
        QCOMPARE(TDM::GetWalletTotal().raw(), 0);
        QCOMPARE(TDM::GetAccountTotal().raw(), 0);
        env.sql(QStringLiteral("insert into Account(name,type,Balance) values('Same',2,10.5)"));
        env.sql(QStringLiteral("insert into Account(name,type,Balance) values('W2',2,-2.25)"));
        env.sql(QStringLiteral("insert into Account(name,type,Balance) values('Same',0,7)"));
        env.sql(QStringLiteral("insert into Account(name,type,Balance) values('Same',1,1)"));
        QCOMPARE(TDM::GetWalletTotal().raw(), 82500);
        QCOMPARE(TDM::GetAccountTotal().raw(), 80000);

        // Never across the wallet/account line; the first row of the group wins.
        QCOMPARE(TDM::FindAccountInfo(QStringLiteral("Same"), true)->ID, 1);
        QCOMPARE(TDM::FindAccountInfo(QStringLiteral("Same"), false)->ID, 3);
        QCOMPARE(TDM::FindAccountInfo(QStringLiteral("W2"), false)->ID, 0);

        PDataInfo none = TDM::LoadAccountInfo(99);
        QCOMPARE(none->ID, 0);
        QVERIFY(none->Name.isEmpty() && none->URL.isEmpty() && none->Memo.isEmpty());
        QCOMPARE(none->Balance.raw(), 0);
        QVERIFY(!none->Negative && !none->WarnNegative && !none->Card);

        QVERIFY(!TDM::DeleteAccountRow(99));
        QCOMPARE(TDM::ChooseValue(true, 1, 0), 1);
        QCOMPARE(TDM::ChooseValue(false, QStringLiteral("a"), QStringLiteral("b")),
                 QStringLiteral("b"));

        TDM::ShowErrorMessage(QStringLiteral("Please enter an account name!"));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Error"));
        QCOMPARE(env.messages->messages.back().icon, MsgIcon::Error);
        QCOMPARE(env.messages->messages.back().buttons, MsgButtons(mbOK));
    }

    void missingOrBrokenDatabaseIsReportedNotCreated() {
        TestEnv env(false);
        QFile::remove(env.dbPath());
        DM = new TDM();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        const RecordedMessage& m = env.messages->messages.front();
        QCOMPARE(m.caption, ApplicationTitle());
        QCOMPARE(m.icon, MsgIcon::Error);
        QVERIFY2(m.text.contains(env.dbPath()), qPrintable(m.text));
        QVERIFY(m.text.endsWith(u'.'));
        QVERIFY(!QFile::exists(env.dbPath()));
        // Every later statement fails the same way, as an error, not a crash.
        try {
            TDM::GetWalletTotal();
            QFAIL("a statement ran without a database");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message() + u'.', m.text);
        }
        delete DM;
        DM = nullptr;

        QFile junk(env.dbPath());
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        DM = new TDM();
        QCOMPARE(env.messages->messages.size(), size_t(2));
        QVERIFY2(env.messages->messages.back().text.contains(env.dbPath()),
                 qPrintable(env.messages->messages.back().text));
        QVERIFY2(env.messages->messages.back().text.contains(QStringLiteral("not a database")),
                 qPrintable(env.messages->messages.back().text));
        QCOMPARE(QFile(env.dbPath()).size(), 4096);

        delete DM;
        DM = nullptr;

        // A file of no bytes is an empty database to the engine: the program reports it
        // once, and neither reads nor writes it again.
        QVERIFY(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
        junk.close();
        DM = new TDM();
        QCOMPARE(env.messages->messages.size(), size_t(3));
        const QString empty = env.messages->messages.back().text;
        QVERIFY2(empty.contains(env.dbPath()) &&
                     empty.contains(QStringLiteral("no such table: Account")),
                 qPrintable(empty));
        QVERIFY(!DM->Ready());
        try {
            TDM::DeleteAccountRow(1);
            QFAIL("a statement ran on a file that is not the program's database");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message() + u'.', empty);
        }
        QCOMPARE(QFile(env.dbPath()).size(), 0);
        delete DM;
        DM = nullptr;
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();

        // The schema tool refuses to overwrite an existing file.
        QVERIFY_THROWS_EXCEPTION(std::exception, CreateEmptyDatabase(env.dbPath()));
        QCOMPARE(QFile(env.dbPath()).size(), 4096);
    }

    // Another copy of the program saving, or a backup taking its copy, locks the file for
    // a moment: start-up waits for it far beyond a statement's busy timeout.
    void startUpWaitsForAnotherProgramsLock() {
        TestEnv env(false);
        env.sql(QStringLiteral("insert into Account(name, type, Balance) values ('Bank', 0, 10)"));
        SavedLockWaits restore;
        TConnection::DefaultBusyTimeoutMs = 100;
        TDM::StartupLockWaitMs = 10000;
        {
            ForeignAccess::Lock other(env.dbPath(), "EXCLUSIVE");
            other.ReleaseAfter(700);
            DM = new TDM();
        }
        QVERIFY(env.messages->messages.empty());
        QVERIFY(DM->Ready());
        QCOMPARE(TDM::GetAccountTotal().raw(), 100000);
        delete DM;
        DM = nullptr;

        // Still held after the wait: said once; the connection stays, and works as soon
        // as the other program lets go.
        TDM::StartupLockWaitMs = 300;
        ForeignAccess::Lock other(env.dbPath(), "EXCLUSIVE");
        DM = new TDM();
        QCOMPARE(env.messages->messages.size(), size_t(1));
        const QString text = env.messages->messages.front().text;
        QVERIFY2(text.contains(QStringLiteral("database is locked")) && text.contains(env.dbPath()),
                 qPrintable(text));
        QVERIFY(!DM->Ready());
        other.Release();
        QCOMPARE(TDM::GetAccountTotal().raw(), 100000);
        QVERIFY(TDM::DeleteAccountRow(1));
    }

    // A file that cannot be written opens, and start-up says that nothing can be saved,
    // instead of the first save failing with a bare error.
    void readOnlyFileIsSaidAtStartUp() {
        TestEnv env(false);
        env.sql(QStringLiteral("insert into Account(name, type, Balance) values ('Purse', 2, 7)"));
        QVERIFY(QFile::setPermissions(env.dbPath(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        {
            ForeignAccess::NoWriteOverride asAUser;
            DM = new TDM();
        }
        QCOMPARE(env.messages->messages.size(), size_t(1));
        const RecordedMessage& m = env.messages->messages.front();
        QCOMPARE(m.caption, ApplicationTitle());
        QCOMPARE(m.icon, MsgIcon::Warning);
        QVERIFY2(m.text.contains(env.dbPath()) && m.text.contains(QStringLiteral("read-only")) &&
                     m.text.contains(QStringLiteral("cannot be saved")),
                 qPrintable(m.text));
        QVERIFY(DM->Ready());
        QCOMPARE(TDM::GetWalletTotal().raw(), 70000);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, TDM::DeleteAccountRow(1));

        // A writable file opens without a word.
        delete DM;
        DM = nullptr;
        QVERIFY(QFile::setPermissions(env.dbPath(), QFile::ReadOwner | QFile::WriteOwner));
        DM = new TDM();
        QCOMPARE(env.messages->messages.size(), size_t(1));
    }

    void storedMoneyStaysRoundedToFourDecimals() {
        TestEnv env;
        env.sql(QStringLiteral("insert into Account(name,type) values('A',0)"));
        for (int i = 0; i < 10; ++i)
            env.sql(QStringLiteral("update Account set Balance = balance + 0.1 where ID=1"));
        env.sql(QStringLiteral("update Account set Balance = balance + 0.00004 where ID=1"));
        QCOMPARE(env.sql(QStringLiteral("select Balance = 1.0 from Account")).toInt(), 1);
        env.sql(QStringLiteral("insert into Detail(type,DestID,Amount) values(0,1,1.23456)"));
        QCOMPARE(env.sql(QStringLiteral("select Amount = 1.2346 from Detail")).toInt(), 1);
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 env.sql(QStringLiteral("insert into Detail(type) values(2)")));
    }
};

BUDGET_TEST(DataModuleTest)
#include "tst_datamodule.moc"
