// Help as the user reaches it from the program's windows, the about box and the
// Help menu's links.
#include "TestData.h"

#include "accounts/UtBankAccount.h"
#include "accounts/UtWallet.h"
#include "app/UtMain.h"
#include "data/AppPaths.h"
#include "help/HelpWindow.h"
#include "help/UtAbout.h"
#include "transactions/UtDebit.h"
#include "transactions/UtDeposit.h"
#include "transactions/UtTransfer.h"
#include "ui/HelpContext.h"
#include "ui/Modal.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

QList<THelpWindow*> helpWindows() {
    QList<THelpWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<THelpWindow*>(w))
            found << h;
    return found;
}

QString pageShown() {
    const QList<THelpWindow*> windows = helpWindows();
    return windows.size() == 1 ? windows.first()->CurrentPage()
                               : QStringLiteral("%1 windows").arg(windows.size());
}

// F1 on whatever has the focus once the window is active.
QString pageAfterF1In(QDialog& window) {
    window.show();
    window.activateWindow();
    // The help window took the activation last time; wait until this one has it back.
    if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }))
        return QStringLiteral("window not active");
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window, Qt::Key_F1);
    window.hide();
    return pageShown();
}

// A click the way the window system delivers it, so modal windows can refuse it.
void systemClick(QWidget* widget, QPoint at = {}) {
    if (at.isNull())
        at = widget->rect().center();
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, window->mapFromGlobal(widget->mapToGlobal(at)));
}

} // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT
private slots:
    void f1InEveryWindowOpensItsTopic() {
        TestEnv env;
        QVERIFY(QFile::copy(QStringLiteral(BUDGET_HELP_FILE),
                            env.dir() + QStringLiteral("/budget.chm")));
        const int bank = TestData::AddAccount(env, QStringLiteral("Bank"), 0, QStringLiteral("10"));
        TestData::AddAccount(env, QStringLiteral("Purse"), 2, QStringLiteral("5"));

        TFrmMain frm;
        frm.show();
        QVERIFY(QTest::qWaitForWindowActive(&frm));
        QTest::keyClick(&frm, Qt::Key_F1);
        QCOMPARE(pageShown(), QStringLiteral("/welcome.htm"));

        TFrmBankAccount account(&frm);
        QCOMPARE(pageAfterF1In(account), QStringLiteral("/account.htm"));
        TFrmWallet wallet(&frm);
        QCOMPARE(pageAfterF1In(wallet), QStringLiteral("/wallet.htm"));
        TFrmDeposit deposit(&frm);
        deposit.PresetAccount(bank);
        QCOMPARE(pageAfterF1In(deposit), QStringLiteral("/deposit.htm"));
        TFrmDebit debit(&frm);
        debit.PresetAccount(bank);
        QCOMPARE(pageAfterF1In(debit), QStringLiteral("/debit.htm"));
        TFrmTransfer transfer(&frm);
        QCOMPARE(pageAfterF1In(transfer), QStringLiteral("/transfer.htm"));
        // A window that only states its context.
        QDialog history(&frm);
        SetHelpContext(&history, 1012);
        new QLineEdit(&history);
        QCOMPARE(pageAfterF1In(history), QStringLiteral("/history.htm"));

        // The help window stays usable while a modal window is open beside it.
        const QStringList opened = TestData::ModalsOpenedBy(
            [&] {
                TFrmTransfer modal(&frm);
                ShowModal(modal);
            },
            [&](QDialog* d) {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : d,
                                Qt::Key_F1);
                THelpWindow* help = helpWindows().value(0);
                QVERIFY(help);
                QTreeWidgetItem* item = help->tvContents
                                            ->findItems(QStringLiteral("Entering a deposit"),
                                                        Qt::MatchExactly | Qt::MatchRecursive)
                                            .value(0);
                QVERIFY(item);
                systemClick(help->tvContents->viewport(),
                            help->tvContents->visualItemRect(item).center());
                QCOMPARE(help->CurrentPage(), QStringLiteral("/deposit.htm"));
            });
        QCOMPARE(opened, QStringList({"TFrmTransfer:Transfer"}));

        HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
        QVERIFY(helpWindows().isEmpty());
    }

    void helpButtonsAndF1FollowTheFocus() {
        TestEnv env;
        ScopedHelpRecorder help;
        QWidget opener;
        SetHelpContext(&opener, 1000);
        QDialog window(&opener);
        SetHelpContext(&window, 1009);
        auto* edit = new QLineEdit(&window);
        auto* own = new QPushButton(QStringLiteral("&Help"), &window);
        SetHelpContext(own, 1010);
        own->move(0, 40);

        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(edit, Qt::Key_F1);
        QTest::keyClick(own, Qt::Key_F1);
        ShowHelpFor(edit);
        QCOMPARE(help->calls, QStringList({"15:1009", "15:1010", "15:1009"}));

        // A window without a context of its own does not borrow its opener's.
        help->calls.clear();
        QDialog plain(&opener);
        auto* other = new QLineEdit(&plain);
        plain.show();
        QVERIFY(QTest::qWaitForWindowActive(&plain));
        QTest::keyClick(other, Qt::Key_F1);
        ShowHelpFor(other);
        QVERIFY(help->calls.isEmpty());
        QCOMPARE(FindHelpContext(&opener), 1000);

        // The deposit window's help button: one call for its topic in the program's folder.
        const ScopedAppHelpFile start(QStringLiteral("budget.chm"));
        help->files.clear();
        TFrmDeposit deposit;
        deposit.PresetAccount(TestData::AddAccount(env, QStringLiteral("Bank"), 0));
        deposit.btnHelp->click();
        QCOMPARE(help->calls, QStringList({"15:1009"}));
        QCOMPARE(help->files, QStringList({AppDir() + QStringLiteral("budget.chm")}));
    }

    void aboutBoxShowsAndOpensItsLinks() {
        TestEnv env;
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(box.size(), QSize(298, 213));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QCOMPARE(box.OKButton->geometry(), QRect(111, 180, 75, 25));
        QVERIFY(box.OKButton->isDefault());
        QCOMPARE(box.ProductName->text(), QStringLiteral("Velmora Budget"));
        QCOMPARE(box.Version->text(), QStringLiteral("V1.0.0.0"));
        QCOMPARE(box.lblHomepage->pos(), QPoint(8, 104));
        QCOMPARE(box.lblHomepage->width(), 120);
        QVERIFY(box.lblHomepage->wordWrap());
        QCOMPARE(box.lblEmail1->pos(), QPoint(48, 128));
        QCOMPARE(box.lblEmail2->pos(), QPoint(168, 128));
        // Every text can be read whole, inside the panel and clear of the others.
        const QList<QLabel*> texts{box.ProductName, box.Version,   box.MakerNotice, box.lblHomepage,
                                   box.lbl1,        box.lblEmail1, box.lblEmail2};
        for (QLabel* l : texts) {
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->text()));
            QVERIFY2(box.Panel1->contentsRect().contains(l->geometry()), qPrintable(l->text()));
            for (QLabel* other : texts)
                QVERIFY2(other == l || !other->geometry().intersects(l->geometry()),
                         qPrintable(l->text()));
        }

        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::mouseClick(box.lblHomepage, Qt::LeftButton);
        QTest::mouseClick(box.lblEmail1, Qt::LeftButton);
        box.lblEmail2->setText(QStringLiteral("accounts@example.net"));
        QTest::mouseClick(box.lblEmail2, Qt::LeftButton);
        QCOMPARE(env.shell->opened,
                 QStringList({"https://velmora.test/", "Mailto:help@velmora.test",
                              "Mailto:accounts@example.net"}));

        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void helpMenuAndToolbarCommands() {
        TestEnv env;
        ScopedHelpRecorder help;
        TFrmMain frm;
        const auto trigger = [&](const char* name) {
            frm.findChild<QAction*>(QLatin1String(name))->trigger();
        };
        trigger("mniMenu_HelpTopics");
        frm.findChild<QToolButton*>(QStringLiteral("btnToolHelp"))->click();
        QCOMPARE(help->calls, QStringList({"1:0", "1:0"}));
        QCOMPARE(help->files.first(), AppDir() + QStringLiteral("budget.chm"));

        for (const char* name :
             {"mniMenu_OnlineTutorial", "mniMenu_Whatsnew", "mniMenu_Checkupdates",
              "mniMenu_Homepage", "mniMenu_Support", "mniMenu_SendFeedback"})
            trigger(name);
        frm.findChild<QToolButton*>(QStringLiteral("btnToolWeb"))->click();
        const QString site = QStringLiteral("https://velmora.test/");
        QCOMPARE(env.shell->opened,
                 QStringList({site + "features.htm", site + "features.htm", site + "features.htm",
                              site, site + "support.htm", "mailto:help@velmora.test", site}));

        // The about box is modal: the main window takes no click while it is shown.
        frm.show();
        QVERIFY(QTest::qWaitForWindowActive(&frm));
        env.shell->opened.clear();
        const QStringList opened = TestData::ModalsOpenedBy(
            [&] { trigger("mniMenu_About"); },
            [&](QDialog*) {
                systemClick(frm.findChild<QToolButton*>(QStringLiteral("btnToolWeb")));
            });
        QCOMPARE(opened, QStringList({"TAboutBox:About"}));
        QVERIFY(env.shell->opened.isEmpty());
        // Once it is closed the same click goes through.
        systemClick(frm.findChild<QToolButton*>(QStringLiteral("btnToolWeb")));
        QCOMPARE(env.shell->opened, QStringList({site}));
    }
};

BUDGET_TEST(TestHelpWindows)
#include "tst_windows.moc"
