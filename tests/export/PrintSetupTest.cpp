#include "PrintTestKit.h"
#include "TestData.h"
#include "TestEnv.h"

#include "export/PreviewFormEh.h"
#include "export/PrintDBGridEh.h"
#include "export/PrintSetupDialog.h"
#include "ui/Application.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using namespace PrintTestKit;

namespace {

// Presses "Printer setup" in the preview and hands the setup dialog to act.
QStringList runSetup(const std::function<void(TfPrnDBGridEhSetupDialog*)>& act) {
    return TestData::ModalsOpenedBy(
        [] { QTest::mouseClick(PreviewFormEh().tbtPrinterSetupDialog, Qt::LeftButton); },
        [&](QDialog* d) { act(qobject_cast<TfPrnDBGridEhSetupDialog*>(d)); });
}

} // namespace

class PrintSetupTest : public QObject {
    Q_OBJECT
private slots:
    void setupFillsWritesBackAndLaysOutAgain() {
        GridFixture f(130);
        int layouts = 0;
        f.print.OnBeforePrint = [&] { ++layouts; };
        f.print.Preview();
        QCOMPARE(layouts, 1);
        const int pagesBefore = PreviewFormEh().PrinterPreview().PageCount();
        f.printers->fontAnswer = QStringLiteral("Courier");

        const QStringList opened = runSetup([](TfPrnDBGridEhSetupDialog* d) {
            QVERIFY(d);
            QCOMPARE(d->seUpMargin->text(), QStringLiteral("2"));
            QCOMPARE(d->seRightMargin->text(), QStringLiteral("2"));
            QVERIFY(!d->cbFitWidthToPage->isChecked());
            QVERIFY(!d->rgFitingType->isEnabled());
            QVERIFY(d->rbScaleGrid->isChecked());
            QVERIFY(!d->bPrinterSetupDialog->isEnabled()); // no printer installed
            d->cbFitWidthToPage->click();
            QVERIFY(d->rgFitingType->isEnabled());
            d->seUpMargin->setText(QStringLiteral("1"));
            d->seLowMargin->setText(QStringLiteral("1.25"));
            d->cbColored->setChecked(true);
            d->bPrintFont->click();
            QCOMPARE(d->ePrintFont->text(), QStringLiteral("Courier"));
            d->bOk->click();
        });
        QCOMPARE(opened, QStringList{QStringLiteral("TfPrnDBGridEhSetupDialog:Printer setup")});
        QCOMPARE(f.printers->asked, QStringList{QStringLiteral("font:")});
        QCOMPARE(f.print.Page.TopMargin.Raw, qint64(10000));
        QCOMPARE(f.print.Page.BottomMargin.Raw, qint64(12500));
        QCOMPARE(f.print.Options, pghFitGridToPageWidth | pghColored);
        QCOMPARE(f.print.PrintFontName, QStringLiteral("Courier"));
        // Laid out again, now on one strip.
        QCOMPARE(layouts, 2);
        const TPrinterPreview& pp = PreviewFormEh().PrinterPreview();
        QVERIFY(pp.PageCount() < pagesBefore);
        const DrawnPage p = Replay(pp.Page(0), pp.DocGeometry());
        QVERIFY(p.Find(QStringLiteral("Date")) && p.Find(QStringLiteral("memo")));

        // The next use shows what was kept; Cancel changes nothing.
        runSetup([](TfPrnDBGridEhSetupDialog* d) {
            QCOMPARE(d->seLowMargin->text(), QStringLiteral("1.25"));
            QVERIFY(d->cbFitWidthToPage->isChecked());
            QVERIFY(d->cbColored->isChecked());
            QCOMPARE(d->ePrintFont->text(), QStringLiteral("Courier"));
            d->rbColWidths->setChecked(true);
            d->seUpMargin->setText(QStringLiteral("3"));
            d->bCancel->click();
        });
        QCOMPARE(f.print.Page.TopMargin.Raw, qint64(10000));
        QCOMPARE(f.print.Options, pghFitGridToPageWidth | pghColored);
        QCOMPARE(layouts, 2);
        PreviewFormEh().hide();
    }

    // "&Printer setup" in the dialog chooses among the installed printers; the pages are
    // laid out again on the chosen one's paper, and Print sends them there.
    void printerSetupChoosesThePrinter() {
        GridFixture f(130);
        f.printers->names = QStringList{QStringLiteral("Office"), QStringLiteral("Lab")};
        f.print.Preview();
        TPrinterPreview& pp = PreviewFormEh().PrinterPreview();
        QCOMPARE(pp.GetPrinter(), QStringLiteral("Office"));
        QVERIFY(pp.DocGeometry().Width < pp.DocGeometry().Height);
        f.printers->setupChoice = QStringLiteral("Lab");
        f.printers->setupLandscape = true;
        runSetup([](TfPrnDBGridEhSetupDialog* d) {
            QVERIFY(d->bPrinterSetupDialog->isEnabled());
            d->bPrinterSetupDialog->click();
            d->bOk->click();
        });
        QCOMPARE(f.printers->asked, QStringList{QStringLiteral("setup:Office,Lab:Office")});
        QCOMPARE(pp.GetPrinter(), QStringLiteral("Lab"));
        QVERIFY(pp.DocGeometry().Width > pp.DocGeometry().Height);
        f.printers->answerFrom = f.printers->answerTo = 1;
        QTest::mouseClick(PreviewFormEh().tbtPrint, Qt::LeftButton);
        QCOMPARE(PagesInPdf(f.env.dir() + QStringLiteral("/Lab.pdf")), 1);
        f.printers->names.clear();
        f.print.Preview();
        PreviewFormEh().hide();
    }

    void badMarginIsRefused() {
        GridFixture f(20);
        int layouts = 0;
        f.print.OnBeforePrint = [&] { ++layouts; };
        f.print.Preview();
        bool stayedOpen = false;
        runSetup([&](TfPrnDBGridEhSetupDialog* d) {
            // Leaving a margin with a bad text: the message, and the dialog stays.
            d->activateWindow();
            QApplication::setActiveWindow(d);
            d->seLowMargin->setFocus();
            d->seLowMargin->setText(QStringLiteral("abc"));
            d->seLeftMargin->setFocus();
            QTRY_COMPARE(f.env.messages->messages.size(), size_t(1));
            stayedOpen = d->isVisible();
            QTRY_VERIFY(d->seLowMargin->hasFocus());

            d->seUpMargin->setText(QStringLiteral("1.5"));
            d->seLeftMargin->setText(QStringLiteral("3"));
            d->cbColored->setChecked(true);
            d->bOk->click();
        });
        QVERIFY(stayedOpen);
        QCOMPARE(f.env.messages->messages.size(), size_t(2));
        for (const RecordedMessage& m : f.env.messages->messages) {
            QCOMPARE(m.text, QStringLiteral("'abc' is not a valid floating point value."));
            QCOMPARE(m.caption, ApplicationTitle());
            QCOMPARE(m.icon, MsgIcon::Error);
        }
        // What came before the bad margin is taken, nothing after it, and no new layout.
        QCOMPARE(f.print.Page.TopMargin.Raw, qint64(15000));
        QCOMPARE(f.print.Page.BottomMargin.Raw, qint64(20000));
        QCOMPARE(f.print.Page.LeftMargin.Raw, qint64(20000));
        QCOMPARE(f.print.Options, 0);
        QCOMPARE(layouts, 1);
        PreviewFormEh().hide();
    }
};

BUDGET_TEST(PrintSetupTest)
#include "PrintSetupTest.moc"
