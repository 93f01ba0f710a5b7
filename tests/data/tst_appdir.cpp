// The program's folder is the folder of the path it was started by: a link's own folder,
// not its target's, so each user's folder of links into the installed program is the
// folder the program finds Data.mdb in.
#include "TestEnv.h"

#include "data/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

namespace {
int printAppDir(const QStringList&) {
    std::printf("%s", qPrintable(AppDir()));
    return 0;
}
} // namespace
BUDGET_CHILD(printAppDir, printAppDir)

class AppDirTest : public QObject {
    Q_OBJECT
private slots:
    void startedByLinkPathOrBareName_data() {
        QTest::addColumn<QString>("command");  // run by sh in the temporary folder
        QTest::addColumn<QString>("expected"); // "links", "links/more" or "real"
        QTest::newRow("link by absolute path") << "exec \"$PWD/links/budget\""
                                               << "links";
        QTest::newRow("link by relative path") << "exec ./links/budget"
                                               << "links";
        QTest::newRow("link to a link") << "exec links/more/budget"
                                        << "links/more";
        QTest::newRow("folder with dot-dot") << "exec links/more/../budget"
                                             << "links";
        QTest::newRow("bare name on the search path") << "PATH=\"$PWD/links:$PATH\" exec budget"
                                                      << "real";
    }
    void startedByLinkPathOrBareName() {
        QFETCH(QString, command);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("links/more")));
        QVERIFY(QFile::link(QCoreApplication::applicationFilePath(),
                            tmp.filePath(QStringLiteral("links/budget"))));
        QVERIFY(QFile::link(tmp.filePath(QStringLiteral("links/budget")),
                            tmp.filePath(QStringLiteral("links/more/budget"))));

        QProcess sh;
        sh.setWorkingDirectory(tmp.path());
        sh.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), command + QStringLiteral(" --child printAppDir")});
        QVERIFY(sh.waitForFinished(30000));
        QCOMPARE(sh.exitCode(), 0);
        const QString want = expected == QLatin1String("real")
                                 ? QCoreApplication::applicationDirPath() + u'/'
                                 : tmp.filePath(expected) + u'/';
        QCOMPARE(QString::fromLocal8Bit(sh.readAllStandardOutput()), want);
    }
};

BUDGET_TEST(AppDirTest)
#include "tst_appdir.moc"
