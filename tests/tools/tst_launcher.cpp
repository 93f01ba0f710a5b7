// The launcher gives each user a folder of their own: their Data.mdb, made once and
// never overwritten, links to the program, and a backup a day; the program started
// through its link there opens that Data.mdb. A backup that fails is reported, and the
// program starts all the same.
#include "TestEnv.h"
#include "ToolsKit.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <sqlite3.h>

using namespace ToolsKit;

namespace {

QString buildDir() {
    return QFileInfo(QStringLiteral(BUDGET_PROGRAM)).canonicalPath();
}

// Whether the process became the program with this Data.mdb open, as a started program
// has: its data module opens the file before the main window is made.
bool becameTheProgram(QProcess& p, const QString& database, QString& why) {
    const QString program = QFileInfo(QStringLiteral(BUDGET_PROGRAM)).canonicalFilePath();
    const QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        if (p.state() == QProcess::NotRunning) {
            why = QStringLiteral("ended: ") + QString::fromLocal8Bit(p.readAllStandardError());
            return false;
        }
        const QString proc = QStringLiteral("/proc/%1/").arg(p.processId());
        const QString data = QFileInfo(database).canonicalFilePath();
        if (QFileInfo(proc + QStringLiteral("exe")).symLinkTarget() == program && !data.isEmpty())
            for (const QFileInfo& fd :
                 QDir(proc + QStringLiteral("fd")).entryInfoList(QDir::AllEntries | QDir::System))
                if (fd.symLinkTarget() == data)
                    return true;
        QThread::msleep(50);
    }
    why = QStringLiteral("the program did not open ") + database;
    return false;
}

QVariant firstValue(const QString& database, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_stmt* q = nullptr;
    QVariant value;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &q, nullptr) == SQLITE_OK &&
        sqlite3_step(q) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
    sqlite3_finalize(q);
    sqlite3_close(db);
    return value;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class LauncherTest : public QObject {
    Q_OBJECT

    QProcessEnvironment environment(const QString& home, const QString& xdg) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home);
        if (xdg.isNull())
            env.remove(QStringLiteral("XDG_DATA_HOME"));
        else
            env.insert(QStringLiteral("XDG_DATA_HOME"), xdg);
        return env;
    }

private slots:
    void eachUserGetsAFolderOfTheirOwn_data() {
        QTest::addColumn<QString>("xdg"); // XDG_DATA_HOME below the temporary folder
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_DATA_HOME") << "data"
                                       << "data/velmora-budget";
        QTest::newRow("no XDG_DATA_HOME") << QString() << "home/.local/share/velmora-budget";
        QTest::newRow("relative XDG_DATA_HOME is ignored") << "relative"
                                                           << "home/.local/share/velmora-budget";
    }
    void eachUserGetsAFolderOfTheirOwn() {
        QFETCH(QString, xdg);
        QFETCH(QString, folder);
        QTemporaryDir tmp;
        const QString home = tmp.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        const QProcessEnvironment env = environment(
            home, xdg.isNull() || xdg == QLatin1String("relative") ? xdg : tmp.filePath(xdg));
        folder = tmp.filePath(folder);
        const QString database = folder + QStringLiteral("/Data.mdb");
        const QString backup = folder + QStringLiteral("/backups/") + todaysBackup();

        QProcess help;
        help.setProcessEnvironment(env);
        help.start(launcher(), {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(30000));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(help.readAllStandardOutput()).contains(folder + u'/'));
        QVERIFY(!QFileInfo::exists(folder));

        QByteArray firstBackup;
        for (int start = 1; start <= 2; ++start) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(launcher(), QStringList());
            QString why;
            QVERIFY2(becameTheProgram(p, database, why), qPrintable(why));
            p.kill();
            p.waitForFinished();

            QVERIFY(QFileInfo(database).isFile() && !QFileInfo(database).isSymLink());
            for (const char* name : {"budget", "budget.chm", "res"}) {
                const QFileInfo link(folder + u'/' + QLatin1String(name));
                QVERIFY2(link.isSymLink(), name);
                QCOMPARE(link.symLinkTarget(), buildDir() + u'/' + QLatin1String(name));
            }
            QCOMPARE(QDir(folder + QStringLiteral("/backups")).entryList(QDir::Files),
                     QStringList{todaysBackup()});
            if (start == 1) {
                QCOMPARE(QFileInfo(folder).permissions() &
                             (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                              QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
                         QFile::Permissions());
                QCOMPARE(firstValue(backup, QStringLiteral("select count(*) from Account")),
                         QVariant(QStringLiteral("0")));
                firstBackup = readFile(backup);
                QVERIFY(firstValue(database, QStringLiteral("insert into Account(name, type) "
                                                            "values('Mine', 0) returning ID"))
                            .isValid());
            } else {
                // Neither the budget nor the day's backup was made again.
                QCOMPARE(firstValue(database, QStringLiteral("select name from Account")),
                         QVariant(QStringLiteral("Mine")));
                QCOMPARE(readFile(backup), firstBackup);
            }
        }
    }

    void aReadOnlyBackupsFolderIsReportedAndTheProgramStarts() {
        QTemporaryDir tmp;
        const QString folder = tmp.filePath(QStringLiteral("velmora-budget"));
        const QString backups = folder + QStringLiteral("/backups");
        QVERIFY(QDir().mkpath(backups));
        QVERIFY(QFile::setPermissions(backups, QFile::ReadOwner | QFile::ExeOwner));
        QProcess p;
        p.setProcessEnvironment(environment(tmp.path(), tmp.path()));
        startAsUser(p, launcher(), {});
        QString why;
        const bool started = becameTheProgram(p, folder + QStringLiteral("/Data.mdb"), why);
        p.kill();
        p.waitForFinished();
        QFile::setPermissions(backups, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(started, qPrintable(why));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("budget-backup: no backup made: cannot write in %1: "
                                             "Permission denied")
                                  .arg(backups)) &&
                     err.contains(QLatin1String("starting without today's backup")),
                 qPrintable(err));
        QCOMPARE(QDir(backups).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

BUDGET_TEST(LauncherTest)
#include "tst_launcher.moc"
