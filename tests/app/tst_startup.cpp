// Start-up of the main window over a database that cannot be used, or not yet: one
// report, and no cards or list built on it.
#include "ForeignAccess.h"
#include "LockWaits.h"
#include "TestData.h"

#include "app/UtMain.h"
#include "cards/UtCards.h"
#include "data/UtDM.h"
#include "lists/UtTransactionList.h"

#include <QFile>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void failedOpenIsReportedOnce() {
        for (const QByteArray& content : {QByteArray(), QByteArray(""), QByteArray(4096, 'x')}) {
            TestEnv env(false);
            QFile file(env.dbPath());
            if (content.isNull())
                QVERIFY(file.remove()); // missing
            else
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                        file.write(content) == content.size());
            file.close();
            DM = new TDM();
            TFrmMain frm;
            QCOMPARE(env.messages->messages.size(), size_t(1));
            QVERIFY2(env.messages->messages.front().text.contains(env.dbPath()),
                     qPrintable(env.messages->messages.front().text));
            QVERIFY(frm.Panels);
            QVERIFY(frm.Panels->AccountList.isEmpty() && frm.Panels->WalletList.isEmpty());
            QVERIFY(!frm.TransactionList->qryList.Active());
            QCOMPARE(QFile(env.dbPath()).size(), content.isNull() ? 0 : content.size());
        }
    }

    void lockedAtStartUp() {
        TestEnv env(false);
        TestData::AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("10"));
        TestData::AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("5"));
        SavedLockWaits restore;
        TConnection::DefaultBusyTimeoutMs = 100;

        // Held for a moment: waited for, and the window comes up with its cards.
        TDM::StartupLockWaitMs = 10000;
        {
            ForeignAccess::Lock other(env.dbPath(), "EXCLUSIVE");
            other.ReleaseAfter(500);
            DM = new TDM();
        }
        {
            TFrmMain frm;
            QVERIFY(env.messages->messages.empty());
            QCOMPARE(frm.Panels->AccountList.size(), 1);
            QCOMPARE(frm.Panels->WalletList.size(), 1);
        }
        delete DM;
        DM = nullptr;

        // Still held: one report and no cards; once it is gone the panels load.
        TDM::StartupLockWaitMs = 200;
        ForeignAccess::Lock other(env.dbPath(), "EXCLUSIVE");
        DM = new TDM();
        TFrmMain frm;
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QVERIFY(frm.Panels->AccountList.isEmpty());
        other.Release();
        frm.Panels->LoadAccounts();
        frm.Panels->LoadWallets();
        QCOMPARE(frm.Panels->AccountList.size(), 1);
        QCOMPARE(frm.Panels->WalletList.size(), 1);
        QCOMPARE(env.messages->messages.size(), size_t(1));
    }
};

BUDGET_TEST(StartupTest)
#include "tst_startup.moc"
