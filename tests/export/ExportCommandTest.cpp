#include "TestData.h"

#include "export/ExportCommand.h"
#include "lists/UtTransactionList.h"
#include "ui/Application.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace TestData;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A list of the given number of deposits in March 2024.
void fillList(TestEnv& env, TTransactionList& list, int rows) {
    const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
    env.sql(QStringLiteral("insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                           "select 0, %1, '2024-03-05 09:00:00', 'payer ' || i, i, 'food', '' "
                           "from (with recursive n(i) as (select 1 union all select i + 1 from "
                           "n where i < %2) select i from n)")
                .arg(bank)
                .arg(rows));
    list.dtpRange1->setDate(QDate(2024, 3, 1));
    list.dtpRange2->setDate(QDate(2024, 3, 31));
    list.LoadList(bank);
}

} // namespace

class ExportCommandTest : public QObject {
    Q_OBJECT
private slots:
    void fileNameAndFormatFollowTheChosenFilter() {
        TestEnv env;
        TTransactionList list;
        fillList(env, list, 2);
        const QString out = env.dir() + QStringLiteral("/out/");
        QVERIFY(QDir().mkpath(out));
        struct Case {
            QString typed;
            int filter;
            QString written;
            QByteArray start;
        };
        const Case cases[] = {
            {"dayreport", 1, "dayreport.xls", QByteArray::fromHex("0908080000001000")},
            {"report.txt", 1, "report.txt.xls", QByteArray::fromHex("0908080000001000")},
            {"REPORT.XLS", 1, "REPORT.XLS", QByteArray::fromHex("0908080000001000")},
            {"notes", 2, "notes.txt", "No.\tDate\t"},
            {"REPORT.HTM", 3, "REPORT.HTM", "<!DOCTYPE HTML"},
            {"report.html", 3, "report.html.htm", "<!DOCTYPE HTML"},
            {"pagehtm", 3, "pagehtm", "<!DOCTYPE HTML"},
        };
        for (const Case& c : cases) {
            env.files->answer = {true, out + c.typed, c.filter};
            env.messages->answers = {mbNo};
            ExportGridCommand(&list, list.dbgrdh1);
            QVERIFY2(readFile(out + c.written).startsWith(c.start), qPrintable(c.written));
        }
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 7);
        QCOMPARE(ExportFileName(QStringLiteral("a.Txt"), TExportKind::Text),
                 QStringLiteral("a.Txt"));
        QCOMPARE(ExportFileName(QStringLiteral("xt"), TExportKind::Text), QStringLiteral("xt.txt"));
        QVERIFY(env.shell->opened.isEmpty());
    }

    // The system's save dialog: a file that exists is overwritten without a question,
    // and a bare name gets the extension of the format chosen, once.
    void theSaveDialogAsksNothingAndAddsTheChosenExtension() {
        TestEnv env;
        TTransactionList list;
        fillList(env, list, 2);
        const QString out = env.dir() + QStringLiteral("/out");
        QVERIFY(QDir().mkpath(out));
        std::unique_ptr<IFileDialogs> recorder = SetFileDialogs(SystemFileDialogs());
        const struct {
            const char* typed;
            int filter; // as offered, from 1
            const char* written;
            QByteArray start;
        } cases[] = {
            {"report", 2, "report.txt", "No.\tDate\t"},
            {"report.txt", 1, "report.txt.xls", QByteArray::fromHex("0908080000001000")},
            {"page", 3, "page.htm", "<!DOCTYPE HTML"},
            {"dayreport", 1, "dayreport.xls", QByteArray::fromHex("0908080000001000")},
        };
        QStringList asked;
        for (const auto& c : cases) {
            const QString target = out + u'/' + QLatin1String(c.written);
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
            old.close();
            env.messages->answers = {mbNo};
            const QStringList opened = ModalsOpenedBy(
                [&] { ExportGridCommand(&list, list.dbgrdh1); },
                [&](QDialog* d) {
                    auto* dialog = qobject_cast<QFileDialog*>(d);
                    if (!dialog)
                        return;
                    dialog->setDirectory(out);
                    // Chosen as the user chooses it, in the dialog's list of types.
                    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                    for (int i = 1; i < c.filter; ++i)
                        QTest::keyClick(types, Qt::Key_Down);
                    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                        ->setText(QLatin1String(c.typed));
                    // A question the dialog asks while saving is noted and answered No.
                    QTimer watch;
                    watch.setInterval(0);
                    QObject::connect(&watch, &QTimer::timeout, [&] {
                        if (auto* box =
                                qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                            asked << box->text();
                            box->reject();
                        }
                    });
                    watch.start();
                    static_cast<QDialog*>(dialog)->accept(); // its Save button
                });
            QCOMPARE(opened.size(), 1);
            QVERIFY2(asked.isEmpty(), qPrintable(asked.join(u' ')));
            QVERIFY2(readFile(target).startsWith(c.start), c.written);
        }
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 4);
        SetFileDialogs(std::move(recorder));
    }

    void failuresNameTheFileAndLeaveNoHalfFile() {
        TestEnv env;
        TTransactionList list;
        fillList(env, list, 400);
        QVERIFY(QDir().mkpath(env.dir() + QStringLiteral("/out")));
        const QString plain = env.dir() + QStringLiteral("/out/plain");
        QVERIFY(QFile(plain).open(QIODevice::WriteOnly));

        // A folder that is not there, and a "folder" that is a file.
        for (const QString& folder : {env.dir() + QStringLiteral("/missing"), plain}) {
            env.messages->messages.clear();
            env.files->answer = {true, folder + QStringLiteral("/x"), 1};
            list.btnExport->click(); // guarded, as the user presses it
            QCOMPARE(env.messages->messages.size(), size_t(1));
            const RecordedMessage& m = env.messages->messages[0];
            QCOMPARE(m.caption, ApplicationTitle());
            QCOMPARE(m.icon, MsgIcon::Error);
            const QRegularExpression shape(QStringLiteral("^Cannot create file \"%1\"\\. \\S.*$")
                                               .arg(QRegularExpression::escape(folder + "/x.xls")));
            QVERIFY2(shape.match(m.text).hasMatch(), qPrintable(m.text));
        }

        // A write that fails halfway, as on a full disk: the file that was there stays
        // as it was and nothing else is left beside it.
        const QString target = env.dir() + QStringLiteral("/out/report.htm");
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("before");
        }
        env.messages->messages.clear();
        env.files->answer = {true, target, 3};
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 100 * 1024; // the page of 400 rows is several times that
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        list.btnExport->click();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages[0].text,
                 QStringLiteral("Cannot write file \"%1\". %2.")
                     .arg(target, QString::fromLocal8Bit(std::strerror(EFBIG))));
        QCOMPARE(readFile(target), QByteArray("before"));
        QCOMPARE(QDir(env.dir() + QStringLiteral("/out")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"plain", "report.htm"}));

        // Unlimited again, the same export goes through and replaces the old file.
        env.messages->answers = {mbNo};
        list.btnExport->click();
        QVERIFY(readFile(target).startsWith("<!DOCTYPE"));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Confirm"));
    }
};

BUDGET_TEST(ExportCommandTest)
#include "ExportCommandTest.moc"
