// Every kept fuzz input, run through its target as the fuzz programs run it: the seeds
// and each input that once broke a target.
#include "FuzzTargets.h"
#include "TestEnv.h"

#include <QDir>
#include <QtTest>

class FuzzRegressionTest : public QObject {
    Q_OBJECT
private slots:
    void keptInputsKeepEveryPromise() {
        TestEnv env;
        for (const QString& target : Fuzz::Targets()) {
            const QDir dir(QStringLiteral(BUDGET_SOURCE_DIR "/tests/fuzz/") + target);
            const QFileInfoList inputs = dir.entryInfoList(QDir::Files);
            QVERIFY2(!inputs.isEmpty(), qPrintable(target + QStringLiteral(" has no kept inputs")));
            for (const QFileInfo& fi : inputs) {
                QFile f(fi.absoluteFilePath());
                QVERIFY(f.open(QIODevice::ReadOnly));
                // A broken promise aborts with the target's own message.
                Fuzz::Run(target, f.readAll());
            }
        }
    }
};

BUDGET_TEST(FuzzRegressionTest)
#include "FuzzRegressionTest.moc"
