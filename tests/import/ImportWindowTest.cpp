// The Import Statement command and window, driven as a user does: the command for the
// selected card, the file chosen in the open dialog, the columns confirmed, the preview
// looked at, OK pressed.
#include "ImportTestKit.h"
#include "TestData.h"
#include "TestEnv.h"

#include "app/UtMain.h"
#include "cards/UtCards.h"
#include "import/ImportModel.h"
#include "import/UtCsvColumns.h"
#include "import/UtImport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace ImportTestKit;
using namespace TestData;

namespace {

QString statesOf(const TFrmImport& frm) {
    QStringList out;
    const TImportModel* m = frm.Model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, TImportModel::colState).data().toString().section(u':', 0, 0) +
                   (m->index(r, TImportModel::colImport).data(Qt::CheckStateRole) == Qt::Checked
                        ? QStringLiteral("*")
                        : QString());
    return out.join(u' ');
}

QString lastMessage(const TestEnv& env) {
    return env.messages->messages.empty() ? QString() : env.messages->messages.back().text;
}

const QByteArray Csv = "Date;Payee;Amount;Memo\n05.01.2024;Coffee;-3,50;\n"
                       "06.01.2024;Employer;1.000,00;January\n31.01.2024;Shop;-12,3,4;\n";

} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT
private slots:
    void theFileMenuOffersTheCommandAboveExit() {
        TestEnv env;
        TFrmMain frm;
        auto* file = frm.menuBar()->findChild<QMenu*>(QStringLiteral("mniMenu_File"));
        QStringList items;
        for (const QAction* a : file->actions())
            items << (a->isSeparator() ? QStringLiteral("-")
                                       : a->text() + u' ' + a->shortcut().toString());
        QCOMPARE(items, QStringList({"&Import Statement... Ctrl+I", "-", "&Exit "}));
    }

    void eachFormatIsImportedOnceIntoTheSelectedCard_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("firstTime"); // the windows the command opens
        QTest::newRow("CSV") << Csv << "TFrmImport TFrmCsvColumns";
        QTest::newRow("QIF") << QByteArray("!Type:Bank\nD1/5/24\nT-3.50\nPCoffee\n^\nD1/6/24\n"
                                           "T1000.00\nPEmployer\nMJanuary\n^\nD1/31/24\nT12,3,4\n"
                                           "PShop\n^\n")
                             << "TFrmImport";
        QTest::newRow("OFX")
            << ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-3.50<FITID>1<NAME>"
                       "Coffee</STMTTRN>\n<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20240106<TRNAMT>1000"
                       "<FITID>2<NAME>Employer<MEMO>January</STMTTRN>\n<STMTTRN><TRNTYPE>DEBIT"
                       "<DTPOSTED>20240107<TRNAMT>12,3,4<FITID>3<NAME>Shop</STMTTRN>\n")
            << "TFrmImport";
    }
    void eachFormatIsImportedOnceIntoTheSelectedCard() {
        QFETCH(QByteArray, file);
        QFETCH(QString, firstTime);
        TestEnv env;
        AddAccount(env, "Checking", 0, "0");
        const int wallet = AddAccount(env, "Cash", 2, "0");
        TFrmMain frm;
        frm.show();
        env.files->openAnswer = {true, write(env.dir() + "/statement.txt", file)};

        QStringList summaries, opened;
        const auto importOnce = [&] {
            opened.clear();
            // Saving rebuilds the cards, and the selection with them.
            frm.Panels->SelectCard(FindCard(frm.Panels->WalletList, wallet));
            ModalsOpenedBy([&] { frm.findChild<QAction*>("mniMenu_Import")->trigger(); },
                           [&](QDialog* d) {
                               opened << QString::fromLatin1(d->metaObject()->className());
                               auto* imp = qobject_cast<TFrmImport*>(d);
                               QCOMPARE(imp->TargetId(), wallet);
                               // The columns step opens inside the window's own handler,
                               // where the timer answering the window cannot come.
                               QTimer nested;
                               connect(&nested, &QTimer::timeout, [&] {
                                   if (auto* c = qobject_cast<TFrmCsvColumns*>(
                                           QApplication::activeModalWidget())) {
                                       opened << QStringLiteral("TFrmCsvColumns");
                                       c->btnOK->click();
                                   }
                               });
                               nested.start(0);
                               imp->btnBrowse->click();
                               nested.stop();
                               summaries << statesOf(*imp) + u'|' + imp->lblSummary->text();
                               imp->btnOK->click();
                           });
        };
        importOnce();
        QCOMPARE(opened.join(u' '), firstTime);
        QCOMPARE(Count(env, "Detail"), 2);
        QCOMPARE(BalanceMismatches(env), QStringList());
        QCOMPARE(FindCard(frm.Panels->WalletList, wallet)->Info->Balance,
                 *Money::parse("996.5", QLocale::c()));
        // The second time the columns are known, and every line is there already.
        importOnce();
        QCOMPARE(opened.join(u' '), QStringLiteral("TFrmImport"));
        QCOMPARE(summaries, QStringList({"New* New* Error|2 new, 0 duplicates, 1 error; "
                                         "+1,000.00 \u22123.50",
                                         "Duplicate Duplicate Error|0 new, 2 duplicates, 1 error; "
                                         "+0.00 \u22120.00"}));
        QCOMPARE(Count(env, "Detail"), 2);
        QCOMPARE(env.files->openRequests.at(0).filter,
                 QStringLiteral("Statements (*.csv *.ofx *.qfx *.qif)|*.csv *.ofx *.qfx *.qif|"
                                "All files (*)|*"));
    }

    void checkedRowsAndTransfersAreWhatIsSaved() {
        TestEnv env;
        const int cash = AddAccount(env, "Cash", 2);
        const int bank = AddAccount(env, "Checking", 0);
        AddDetail(env, bank, 1, "2024-01-04 10:00:00", "3.50", "coffee");
        SettleBalances(env);
        // With no card selected the window starts on the first account.
        TFrmImport frm;
        QCOMPARE(frm.TargetId(), bank);
        env.messages->answers = {};
        ModalsOpenedBy([&] { frm.LoadFile(write(env.dir() + "/s.csv", Csv)); },
                       [](QDialog* d) { qobject_cast<TFrmCsvColumns*>(d)->btnOK->click(); });
        QCOMPARE(statesOf(frm), QStringLiteral("Duplicate New* Error"));
        QCOMPARE(frm.Model()->index(0, TImportModel::colState).data().toString(),
                 QStringLiteral("Duplicate: a debit of 3.50 on 1/4/2024"));
        QCOMPARE(frm.Model()->index(2, TImportModel::colState).data().toString(),
                 QStringLiteral("Error: amount '-12,3,4' is not a number"));
        QCOMPARE(frm.Model()->index(2, TImportModel::colLine).data().toInt(), 4);
        // An error line cannot be checked; the duplicate can, as a transfer to the wallet.
        TImportModel* m = frm.Model();
        QVERIFY(!m->setData(m->index(2, TImportModel::colImport), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(m->setData(m->index(0, TImportModel::colImport), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(m->setData(m->index(0, TImportModel::colTransfer), cash, Qt::EditRole));
        QVERIFY(!m->setData(m->index(1, TImportModel::colTransfer), bank, Qt::EditRole));
        QCOMPARE(statesOf(frm), QStringLiteral("New* New* Error"));
        QCOMPARE(frm.lblSummary->text(),
                 QStringLiteral("2 new, 0 duplicates, 1 error; +1,000.00 \u22123.50"));
        QVERIFY(
            m->setData(m->index(1, TImportModel::colImport), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(frm.lblSummary->text(),
                 QStringLiteral("2 new, 0 duplicates, 1 error; +0.00 \u22123.50"));
        frm.btnOK->click();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(
            env.sql("select SourceID || '>' || DestID || ' ' || Amount from Transfer").toString(),
            QStringLiteral("%1>%2 3.5").arg(bank).arg(cash));
        QCOMPARE(Count(env, "Detail"), 1);
        QCOMPARE(BalanceMismatches(env), QStringList());
    }

    void whatCannotBeReadOrSavedIsSaidAndNothingWritten() {
        TestEnv env;
        const int bank = AddAccount(env, "Checking", 0);
        TFrmImport frm;
        frm.PresetAccount(bank);
        frm.btnOK->click();
        QCOMPARE(lastMessage(env), QStringLiteral("Please choose the statement file to import."));
        const QString binary = write(env.dir() + "/x.ofx", QByteArray("PK\3\4\0\0", 6));
        QVERIFY(!frm.LoadFile(binary));
        QCOMPARE(lastMessage(env),
                 QStringLiteral("The file \"%1\" is not a statement: it holds binary data.")
                     .arg(binary));
        QCOMPARE(env.messages->messages.back().caption, QStringLiteral("Error"));
        const QByteArray whole = ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-1"
                                         "<FITID>1<NAME>A</STMTTRN>\n");
        QVERIFY(!frm.LoadFile(write(env.dir() + "/cut.ofx", whole.left(whole.indexOf("<NAME>")))));
        QVERIFY(lastMessage(env).contains(QStringLiteral("cut short")));

        QVERIFY(frm.LoadFile(write(env.dir() + "/ok.qif", "!Type:Bank\nD2024-01-05\nT-1\nPA\n^\n"
                                                          "D2024-01-06\nT-2\nPB\n^\n")));
        const QString before = Snapshot(env);
        FailOn(env, "Detail", "INSERT", "NEW.[From] = 'B'");
        frm.btnOK->click();
        QCOMPARE(lastMessage(env), QStringLiteral("The statement could not be imported: test "
                                                  "failure in INSERT on Detail. Nothing was "
                                                  "written."));
        QVERIFY(frm.result() != QDialog::Accepted);
        QCOMPARE(Snapshot(env), before);
        StopFailing(env);
        frm.btnOK->click();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(Count(env, "Detail"), 2);
    }

    void ambiguousDatesAreAskedOnce() {
        TestEnv env;
        const int bank = AddAccount(env, "Checking", 0);
        TFrmImport frm;
        frm.PresetAccount(bank);
        env.messages->answers = {mbYes};
        QVERIFY(frm.LoadFile(write(env.dir() + "/a.qif", "!Type:Bank\nD03/04/2024\nT-1\nPA\n^\n"
                                                         "D05/04/2024\nT-1\nPB\n^\n")));
        QCOMPARE(env.messages->messages.size(), size_t(1));
        QCOMPARE(env.messages->messages[0].caption, QStringLiteral("Query"));
        QCOMPARE(env.messages->messages[0].text,
                 QStringLiteral("The dates of this file can be read day first or month first. "
                                "Does 03/04/2024 mean 3 April 2024?\n\nNo reads it as 4 March "
                                "2024."));
        QCOMPARE(frm.Model()->Rows().at(0).Line->Date, QDate(2024, 4, 3));

        // A CSV file asks in its columns step, which will not close until told.
        QStringList seen;
        ModalsOpenedBy(
            [&] {
                frm.LoadFile(write(env.dir() + "/a.csv", "Date,Payee,Amount\n03/04/2024,A,-1\n"
                                                         "05/04/2024,B,-2\n"));
            },
            [&](QDialog* d) {
                auto* columns = qobject_cast<TFrmCsvColumns*>(d);
                seen << QString::number(columns->cbbDateOrder->currentIndex());
                columns->btnOK->click();
                seen << lastMessage(env);
                columns->cbbDateOrder->setCurrentIndex(1);
                columns->btnOK->click();
            });
        QCOMPARE(seen, QStringList({"-1", "Please choose the order in which the dates give the day "
                                          "and the month."}));
        QCOMPARE(frm.Model()->Rows().at(1).Line->Date, QDate(2024, 5, 4));
    }

    void theColumnsCanBeChosenAgainAndAreRememberedOnSaving() {
        TestEnv env;
        const int bank = AddAccount(env, "Checking", 0);
        TFrmImport frm;
        const auto confirm = [](const std::function<void(TFrmCsvColumns*)>& change) {
            return [change](QDialog* d) {
                auto* columns = qobject_cast<TFrmCsvColumns*>(d);
                change(columns);
                columns->btnOK->click();
            };
        };
        ModalsOpenedBy([&] { frm.LoadFile(write(env.dir() + "/s.csv", Csv)); },
                       confirm([](TFrmCsvColumns*) {}));
        QCOMPARE(frm.Model()->Rows().at(1).Line->Party, QStringLiteral("Employer"));
        // The payee's column taken for the purpose instead.
        ModalsOpenedBy([&] { frm.btnColumns->click(); }, confirm([](TFrmCsvColumns* c) {
                           c->cbbParty->setCurrentIndex(0);
                           c->cbbPurpose->setCurrentIndex(2);
                       }));
        QCOMPARE(frm.Model()->Rows().at(1).Line->Party, QString());
        QCOMPARE(frm.Model()->Rows().at(1).Line->Purpose, QStringLiteral("Employer"));
        frm.btnOK->click();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(env.sql("select [For] from Detail where Amount = 1000").toString(),
                 QStringLiteral("Employer"));
        // The next file of that bank is read without asking.
        TFrmImport next;
        next.PresetAccount(bank);
        QCOMPARE(ModalsOpenedBy([&] { next.LoadFile(env.dir() + "/s.csv"); }), QStringList());
        QCOMPARE(next.Model()->Rows().at(1).Line->Purpose, QStringLiteral("Employer"));
    }

    void theHelpButtonAndF1OpenTheImportTopic() {
        TestEnv env;
        ScopedHelpRecorder help;
        TFrmImport frm;
        frm.show();
        QVERIFY(QTest::qWaitForWindowActive(&frm));
        frm.btnHelp->click();
        QTest::keyClick(frm.grdLines, Qt::Key_F1);
        QCOMPARE(help->calls, QStringList({"15:1013", "15:1013"}));
    }
};

BUDGET_TEST(TestImportWindow)
#include "ImportWindowTest.moc"
