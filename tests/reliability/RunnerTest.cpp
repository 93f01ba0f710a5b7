// The test executables' own runner: a run of chosen functions passes when they pass, as
// the README's long model run relies on, and listing or writing results covers every
// class.
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

// This executable again, with the given arguments and extra environment.
Run runAgain(const QStringList& args, const QStringList& environment = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationFilePath(), args);
    Run r;
    if (p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.output = QString::fromLocal8Bit(p.readAll());
    return r;
}

} // namespace

class RunnerTest : public QObject {
    Q_OBJECT
private slots:
    void eachClassGetsOnlyTheFunctionsItDeclares() {
        TestEnv env;
        // The long model run, made short.
        const Run model = runAgain({QStringLiteral("balancesFollowTheirRecordsThroughEveryWindow")},
                                   {QStringLiteral("BUDGET_MODEL_STEPS=200")});
        QVERIFY2(model.exitCode == 0, qPrintable(model.output.right(2000)));
        QVERIFY(model.output.contains(QLatin1String("1 test classes run, 0 with failures")));

        const Run listed = runAgain({QStringLiteral("-functions")});
        QCOMPARE(listed.exitCode, 0);
        for (const char* f :
             {"balancesFollowTheirRecordsThroughEveryWindow()", "keptInputsKeepEveryPromise()",
              "commitsGoThroughARollbackJournalSyncedInFull()",
              "eachClassGetsOnlyTheFunctionsItDeclares()"})
            QVERIFY2(listed.output.contains(QLatin1String(f)), f);

        // Results written to a file: one for each class that ran, none for the others.
        const QString out = env.dir() + QStringLiteral("/results.xml");
        const Run two = runAgain({QStringLiteral("commitsGoThroughARollbackJournalSyncedInFull"),
                                  QStringLiteral("keptInputsKeepEveryPromise"),
                                  QStringLiteral("-o"), out + QStringLiteral(",xml")});
        QVERIFY2(two.exitCode == 0, qPrintable(two.output.right(2000)));
        QCOMPARE(QDir(env.dir()).entryList({QStringLiteral("results*")}),
                 (QStringList{"results-FuzzRegressionTest.xml", "results-ProcessesTest.xml"}));
        for (const char* cls : {"FuzzRegressionTest", "ProcessesTest"}) {
            QFile f(env.dir() + QStringLiteral("/results-%1.xml").arg(QLatin1String(cls)));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(f.readAll().contains(QByteArray("name=\"") + cls + '"'), cls);
        }

        // A name that no class declares fails the run.
        QVERIFY(runAgain({QStringLiteral("noSuchFunction")}).exitCode != 0);
    }
};

BUDGET_TEST(RunnerTest)
#include "RunnerTest.moc"
