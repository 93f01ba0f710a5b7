// The query dialog: its checks, and the list its criteria give in the history window.
#include "HistoryTestUtil.h"

#include "grid/DBGridEh.h"

#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using namespace TestData;

namespace {

const int colFrom = 4;

QStringList listed(const TFrmAccountHistory& frm) {
    QStringList l = GridColumn(frm.dbgrdh1, colFrom);
    l.sort();
    return l;
}

HistoryCriteria between(QDate from, QDate to) {
    HistoryCriteria c;
    c.from = from;
    c.to = to;
    return c;
}

// The locale of the test for a while, then en_US again.
struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

} // namespace

class QueryDialogTest : public QObject {
    Q_OBJECT
private slots:
    void amountsAreCheckedBeforeTheDialogCloses() {
        TestEnv env;
        TFrmHistoryQuery dlg;
        const auto press = [&](const QString& min, const QString& max) {
            dlg.show();
            dlg.edtAmount1->setText(min);
            dlg.edtAmount2->setText(max);
            env.messages->messages.clear();
            dlg.btnOK->click();
            return env.messages->messages.empty() ? QString() : env.messages->messages.back().text;
        };
        const auto refused = [&](QLineEdit* focus, const QString& selected) {
            const RecordedMessage& m = env.messages->messages.back();
            return m.caption == QLatin1String("Error") && m.icon == MsgIcon::Error &&
                   m.buttons == mbOK && dlg.isVisible() && dlg.result() != QDialog::Accepted &&
                   dlg.focusWidget() == focus && focus->selectedText() == selected;
        };

        QCOMPARE(press("abc", "20"),
                 QStringLiteral("The minimum amount of money must be a number!"));
        QVERIFY(refused(dlg.edtAmount1, "abc"));
        QCOMPARE(press("   ", ""), QStringLiteral("The minimum amount of money must be a number!"));
        QVERIFY(refused(dlg.edtAmount1, "   "));
        QCOMPARE(press("", "1.2.3"),
                 QStringLiteral("The maximum amount of money must be a number!"));
        QVERIFY(refused(dlg.edtAmount2, "1.2.3"));
        QCOMPARE(press("50", "20"),
                 QStringLiteral("The minimum amount should not be large than the maximum!!"));
        QVERIFY(refused(dlg.edtAmount2, "20"));

        QCOMPARE(press("50", "50"), QString());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        {
            // Where the comma is the decimal sign, 12,50 is a number and 12.50 is not.
            LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
            QCOMPARE(press("12,50", "13"), QString());
            QCOMPARE(press("12.50", ""),
                     QStringLiteral("The minimum amount of money must be a number!"));
        }
    }

    void criteriaNarrowTheList() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int card = AddAccount(env, QStringLiteral("Card"), 1);
        const int purse = AddAccount(env, QStringLiteral("Purse"), 2);
        AddDetail(env, bank, 0, "2024-03-01 00:00:00", "50", QStringLiteral("Central Market"),
                  QStringLiteral("weekly shop"), QStringLiteral("food"));
        AddDetail(env, bank, 1, "2024-03-10 21:30:00", "50.01", QStringLiteral("Grocer"),
                  QStringLiteral("none"), QStringLiteral("rent"));
        AddDetail(env, card, 1, "2024-03-11 00:00:01", "20", QStringLiteral("Market Hall"),
                  QStringLiteral("x"), QStringLiteral("fuel"));
        AddDetail(env, purse, 0, "2024-03-05 12:00:00", "12.5", QStringLiteral("O'Hara"),
                  QStringLiteral("50% off"), QStringLiteral("gift"));
        AddTransfer(env, bank, purse, "2024-03-04 12:00:00", "30", QStringLiteral("me"));
        AddDetail(env, bank, 0, QDate::currentDate().toString("yyyy-MM-dd 08:00:00"), "7",
                  QStringLiteral("today"));
        TFrmAccountHistory frm;
        frm.show();
        const QStringList all{"Central Market", "Grocer", "Market Hall", "O'Hara", "me", "me"};
        QCOMPARE(listed(frm), QStringList{"today"});

        // Confirmed at once: today, every account and wallet.
        const QDate today = QDate::currentDate();
        RunHistoryQuery(frm, between(today, today));
        QCOMPARE(listed(frm), QStringList{"today"});

        const auto query = [&](HistoryCriteria c) {
            RunHistoryQuery(frm, c);
            return listed(frm);
        };
        QCOMPARE(query({}), all);
        // The tenth's evening is in, the eleventh is not.
        QCOMPARE(query(between({2024, 3, 1}, {2024, 3, 10})),
                 (QStringList{"Central Market", "Grocer", "O'Hara", "me", "me"}));

        HistoryCriteria c;
        c.min = "50";
        QCOMPARE(query(c), QStringList{"Grocer"});
        c.max = "50";
        QCOMPARE(query(c), QStringList{"Central Market"});
        c.min.clear();
        c.max = "20";
        QCOMPARE(query(c), QStringList{"O'Hara"});
        {
            LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
            c.min = "12,5";
            c.max = "20,00";
            QCOMPARE(query(c), (QStringList{"Market Hall", "O'Hara"}));
        }

        c = {};
        c.fromText = "  Market  ";
        QCOMPARE(query(c), (QStringList{"Central Market", "Market Hall"}));
        c.fromText = "o'hara"; // a quote, and no regard to case
        QCOMPARE(query(c), QStringList{"O'Hara"});
        c = {};
        c.memo = " ";
        QCOMPARE(query(c), (QStringList{"Central Market", "O'Hara"}));
        c.memo = "%";
        QCOMPARE(query(c), QStringList{"O'Hara"});
        c = {};
        c.toText = "ren";
        QCOMPARE(query(c), QStringList{"Grocer"});
        QVERIFY(env.messages->messages.empty());

        c = {};
        c.accWal = 1;
        QCOMPARE(query(c), (QStringList{"Central Market", "Grocer", "Market Hall", "me"}));
        c.accWal = frm.QueryDialog->cbbAccWal->findText("---Wallet---");
        QCOMPARE(query(c), (QStringList{"O'Hara", "me"}));
        c = {};
        c.type = 3; // "Trans in"
        QCOMPARE(query(c), QStringList{"me"});
        QCOMPARE(GridColumn(frm.dbgrdh1, 3), QStringList{"Purse"});

        // The next showing starts from the criteria of the last one.
        c = {};
        c.fromText = "Grocer";
        c.min = "1";
        query(c);
        QString seenFrom, seenMin;
        QDate seenTo;
        RunHistoryQuery(frm, {}, [&](TFrmHistoryQuery& q) {
            seenFrom = q.edtFrom->text();
            seenMin = q.edtAmount1->text();
            seenTo = q.dtp2->date();
        });
        QCOMPARE(seenFrom, QStringLiteral("Grocer"));
        QCOMPARE(seenMin, QStringLiteral("1"));
        QCOMPARE(seenTo, QDate(2024, 3, 31));

        // Closing the dialog leaves the list as it was.
        ModalsOpenedBy([&] { frm.btnQuery->click(); },
                       [](QDialog* d) {
                           if (auto* q = qobject_cast<TFrmHistoryQuery*>(d)) {
                               q->edtFrom->setText("nothing like this");
                               q->btnClose->click();
                           }
                       });
        QCOMPARE(listed(frm), all);

        // The statement stays until a filter changes: a click on the radio button that
        // is already checked, or Space on it, changes nothing.
        frm.rbToday->click();
        QCOMPARE(listed(frm), all);
        frm.rbToday->setFocus();
        QTest::keyClick(frm.rbToday, Qt::Key_Space);
        QCOMPARE(listed(frm), all);
        frm.rbMonth->click();
        QCOMPARE(listed(frm), QStringList{"today"});
        QVERIFY(env.messages->messages.empty());
    }
};
BUDGET_TEST(QueryDialogTest)
#include "QueryDialogTest.moc"
