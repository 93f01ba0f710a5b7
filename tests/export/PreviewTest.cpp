#include "PrintTestKit.h"
#include "TestEnv.h"

#include "data/UtQuery.h"
#include "export/PreviewFormEh.h"
#include "export/PrintDBGridEh.h"
#include "grid/DBGridEh.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace PrintTestKit;

namespace {

TPreviewFormEh& form() {
    return PreviewFormEh();
}
TPreviewBox* box() {
    return form().PreviewBox();
}

QString status() {
    return form().findChild<QLabel*>(QStringLiteral("StatusText"))->text();
}

// A turn of the wheel by so many eighths of a degree; 120 is a notch.
void wheelBy(int delta) {
    QWidget* vp = box()->viewport();
    const QPointF at(vp->width() / 2.0, vp->height() / 2.0);
    QWheelEvent e(at, vp->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &e);
}
void wheel(int notches) {
    wheelBy(120 * notches);
}

// A view of a known size, so the zoom sizes can be worked out.
void fixedView() {
    form().showNormal();
    form().resize(1000, 800);
    QApplication::processEvents();
    box()->UpdateZoom();
}

// Runs the layout of a long list and, once some pages are done, does something to the
// running preview.
template <class F> void duringLayout(GridFixture& f, F&& act) {
    bool acted = false;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!acted && form().PrinterPreview().Printing() && box()->PageCount() >= 2) {
            acted = true;
            act();
        }
    });
    poll.start();
    // The third page starts late, so that events are let through in the middle of it
    // and what is done there lands mid-page, as on a slow machine.
    const QMetaObject::Connection late = QObject::connect(box(), &TPreviewBox::OpenPreviewer, [] {
        if (form().PrinterPreview().Printing() && box()->PageCount() == 2)
            QTest::qSleep(12);
    });
    f.print.Preview();
    QObject::disconnect(late);
    QVERIFY(acted);
}

// No file of this process may grow beyond a size while it lives, as under a quota; a
// write past it fails with the system's reason instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_signal(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_old{};
    void (*m_signal)(int);
};

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void pagingStateAndPrinting() {
        GridFixture f(130);
        f.print.Preview();
        QVERIFY(form().isVisible());
        QCOMPARE(form().windowTitle(), QStringLiteral("Preview - Tabular information"));
        const int pages = box()->PageCount();
        QVERIFY(pages >= 4);
        QCOMPARE(status(), QStringLiteral("Page 1 of %1").arg(pages));
        QVERIFY(!form().tbtPrint->isEnabled()); // no printer installed
        QVERIFY(form().tbtPDF->isEnabled());
        QVERIFY(form().tbtPrinterSetupDialog->isEnabled());
        QVERIFY(!form().tbtPrevPage->isEnabled());
        QVERIFY(form().tbtNextPage->isEnabled());
        QVERIFY(!form().tbStop->isEnabled());
        QVERIFY(form().tbClose->isEnabled());

        QTest::mouseClick(form().tbtNextPage, Qt::LeftButton);
        QCOMPARE(box()->CurrentPage(), 2);
        QCOMPARE(status(), QStringLiteral("Page 2 of %1").arg(pages));
        QVERIFY(form().tbtPrevPage->isEnabled());
        // The whole page fits: the wheel turns pages, within the document.
        box()->SetZoomMode(TPreviewBox::kWholePage);
        wheel(-1);
        QCOMPARE(box()->CurrentPage(), 3);
        wheel(3);
        QCOMPARE(box()->CurrentPage(), 2);
        // A touchpad's small steps add up to a notch; a turn back starts the count again.
        for (int i = 0; i < 3; ++i)
            wheelBy(-40);
        QCOMPARE(box()->CurrentPage(), 3);
        wheelBy(-80);
        wheelBy(60);
        wheelBy(-80);
        QCOMPARE(box()->CurrentPage(), 3);
        wheelBy(-40);
        QCOMPARE(box()->CurrentPage(), 4);
        wheel(1);
        box()->SetCurrentPage(pages + 5);
        QCOMPARE(box()->CurrentPage(), pages);
        QVERIFY(!form().tbtNextPage->isEnabled());

        // With a printer, "Print" sends the chosen range; "PDF" writes every page.
        f.printers->names = QStringList{QStringLiteral("Office")};
        f.print.Preview();
        QVERIFY(form().tbtPrint->isEnabled());
        f.printers->answerFrom = 2;
        f.printers->answerTo = 4;
        QTest::mouseClick(form().tbtPrint, Qt::LeftButton);
        QCOMPARE(f.printers->asked, QStringList{QStringLiteral("print:1-%1").arg(pages)});
        QCOMPARE(PagesInPdf(f.printers->lastOutputFile), 3);
        f.env.files->answer = {true, f.env.dir() + QStringLiteral("/out.pdf"), 1};
        QTest::mouseClick(form().tbtPDF, Qt::LeftButton);
        QCOMPARE(f.env.files->requests.size(), size_t(1));
        QCOMPARE(f.env.files->requests[0].defaultExtension, QStringLiteral("pdf"));
        QCOMPARE(PagesInPdf(f.env.dir() + QStringLiteral("/out.pdf")), pages);
        f.printers->names.clear();
        f.print.Preview();
    }

    // A PDF that cannot be written whole is not put in place: the earlier file of that
    // name stays, nothing is left beside it, and the message names the file and why.
    void aPdfThatCannotBeWrittenLeavesTheEarlierFile() {
        GridFixture f(400);
        f.print.Preview();
        const QString path = f.env.dir() + QStringLiteral("/out.pdf");
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        f.env.files->answer = {true, path, 1};
        {
            const FileSizeLimit quota(20000);
            QTest::mouseClick(form().tbtPDF, Qt::LeftButton);
        }
        QCOMPARE(f.env.messages->messages.size(), size_t(1));
        const QString text = f.env.messages->messages[0].text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(path)) &&
                     text.contains(QLatin1String("File too large")),
                 qPrintable(text));
        QCOMPARE(f.env.messages->messages[0].icon, MsgIcon::Error);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
        earlier.close();
        QCOMPARE(QDir(f.env.dir()).entryList({QStringLiteral("*pdf*")}, QDir::Files),
                 QStringList{QStringLiteral("out.pdf")});

        // Without the limit the same command replaces it with every page.
        QTest::mouseClick(form().tbtPDF, Qt::LeftButton);
        QCOMPARE(f.env.messages->messages.size(), size_t(1));
        QCOMPARE(PagesInPdf(path), box()->PageCount());
        form().hide();
    }

    void zoomModesScrollingAndKeys() {
        GridFixture f(10);
        f.print.Preview();
        fixedView();
        TPreviewBox* b = box();
        const QSize view = b->maximumViewportSize();
        const int bar = b->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, b);

        b->SetZoomMode(TPreviewBox::kWholePage);
        const QRect whole = b->PagePanel()->geometry();
        QVERIFY(whole.height() == view.height() - 16 || whole.width() == view.width() - 16);
        QVERIFY(whole.width() <= view.width() - 16 && whole.height() <= view.height() - 16);
        QCOMPARE(b->verticalScrollBar()->maximum(), 0);

        b->SetZoomMode(3); // 100%: the printable width at the screen's resolution
        const int w100 = qRound(4676 * b->logicalDpiX() / 600.0);
        QCOMPARE(b->PagePanel()->width(), w100);
        QCOMPARE(b->PagePanel()->height(), qRound(w100 * 285.0 / 198.0));
        QCOMPARE(b->verticalScrollBar()->maximum() + b->verticalScrollBar()->pageStep(),
                 b->PagePanel()->height() + 16);

        b->SetZoomMode(TPreviewBox::kPageWidth);
        QCOMPARE(b->PagePanel()->width(), view.width() - bar - 20);
        QCOMPARE(b->PagePanel()->pos(), QPoint(8, 8));
        QCOMPARE(b->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(b->WheelPercent(), qRound((view.width() - bar - 20) * 100.0 / w100));
        QScrollBar* v = b->verticalScrollBar();
        wheel(-1);
        QCOMPARE(v->value(),
                 v->singleStep() * QApplication::wheelScrollLines() * b->WheelPercent() / 100);
        QTest::keyClick(b, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(v->value(), v->maximum());
        QTest::keyClick(b, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(v->value(), 0);
        QTest::keyClick(b, Qt::Key_PageDown);
        QCOMPARE(v->value(), std::min(v->maximum(), v->pageStep() - v->singleStep()));
        QTest::keyClick(b, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(v->value(), 0);
        QTest::keyClick(b, Qt::Key_Down);
        QCOMPARE(v->value(), v->singleStep());

        // The scale menu: each item's tag is its mode, checked as the mode is.
        QAction* half = form().ScaleMenu()->actions().at(5);
        QCOMPARE(half->text(), QStringLiteral("50%"));
        half->trigger();
        QCOMPARE(b->ZoomMode(), 5);
        QVERIFY(half->isChecked());
        QVERIFY(!form().ScaleMenu()->actions().at(8)->isChecked());
        // Resizing in "Whole Page" keeps the page whole.
        b->SetZoomMode(TPreviewBox::kWholePage);
        form().resize(700, 500);
        QApplication::processEvents();
        QVERIFY(b->PagePanel()->height() <= b->maximumViewportSize().height() - 16);
    }

    void magnifierClickDragAndBack() {
        GridFixture f(10);
        f.print.Preview();
        fixedView();
        TPreviewBox* b = box();
        b->SetZoomMode(TPreviewBox::kWholePage);
        TDrawPanel* panel = b->PagePanel();
        const QPoint clicked(panel->width() * 3 / 4, panel->height() / 4);
        const QPoint inView = panel->mapTo(b->viewport(), clicked);
        QTest::mouseClick(panel, Qt::LeftButton, {}, clicked);
        QCOMPARE(b->ZoomMode(), TPreviewBox::kPercent150);
        // The same spot of the page is in view, under the mouse as far as the page allows.
        const QPoint sameSpot(panel->width() * 3 / 4, panel->height() / 4);
        const QPoint now = panel->mapTo(b->viewport(), sameSpot);
        QVERIFY(b->viewport()->rect().contains(now));
        QVERIFY(qAbs(now.y() - inView.y()) <= 2);
        QVERIFY(b->horizontalScrollBar()->value() > 0);

        // A drag pans and does not zoom.
        b->horizontalScrollBar()->setValue(0);
        b->verticalScrollBar()->setValue(0);
        const int h = b->horizontalScrollBar()->value();
        const int v = b->verticalScrollBar()->value();
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(100, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 70), panel->mapToGlobal(QPointF(60, 70)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &move);
        QCOMPARE(panel->cursor().shape(), Qt::ClosedHandCursor);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(60, 70));
        QCOMPARE(b->ZoomMode(), TPreviewBox::kPercent150);
        QCOMPARE(b->horizontalScrollBar()->value(), h + 40);
        QCOMPARE(b->verticalScrollBar()->value(), v + 30);
        QCOMPARE(panel->cursor().shape(), Qt::BitmapCursor);

        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(b->ZoomMode(), TPreviewBox::kWholePage);
    }

    // Stop, Esc and closing end the layout at the next page: every row on the last page
    // is whole (on a page of the right strip, the rows of the left strip's page before
    // it). While the first page is laid out the status counts it.
    void stopAndCloseDuringLayout() {
        GridFixture f(4000, QStringLiteral("m"));
        const auto lastPageHasWholeRows = [] {
            const TPrinterPreview& pp = form().PrinterPreview();
            const int last = pp.PageCount() - 1;
            const DrawnPage p = Replay(pp.Page(last), pp.DocGeometry());
            // A finished page holds at least one row, and each row every cell of it.
            if (p.Find(QStringLiteral("Acc/Wal"))) {
                const int rows = p.Count(QStringLiteral("Bank"));
                return rows > 0 && p.Count(QStringLiteral("food")) == rows;
            }
            const int rows = p.Count(QStringLiteral("m"));
            return last > 0 && rows > 0 &&
                   rows == Replay(pp.Page(last - 1), pp.DocGeometry()).Count("food");
        };
        QStringList firstStatus;
        QTimer early;
        early.setInterval(0);
        QObject::connect(&early, &QTimer::timeout, [&] {
            if (form().PrinterPreview().Printing() && box()->PageCount() == 0)
                firstStatus << status();
        });
        early.start();
        bool closeEnabled = true, stopEnabled = false, printEnabled = true;
        duringLayout(f, [&] {
            closeEnabled = form().tbClose->isEnabled();
            stopEnabled = form().tbStop->isEnabled();
            printEnabled = form().tbtPDF->isEnabled() || form().tbtPrinterSetupDialog->isEnabled();
            QTest::mouseClick(form().tbStop, Qt::LeftButton);
        });
        QVERIFY(!closeEnabled);
        QVERIFY(stopEnabled);
        QVERIFY(!printEnabled);
        // The pages done so far stay; the whole list would take well over a hundred.
        const int kept = box()->PageCount();
        QVERIFY(kept >= 2 && kept < 20);
        QCOMPARE(form().PrinterPreview().PageCount(), kept);
        QVERIFY(form().tbClose->isEnabled());
        QVERIFY(form().isVisible());
        QVERIFY(f.grid->window()->isEnabled());
        QVERIFY(lastPageHasWholeRows());
        early.stop();
        QVERIFY(!firstStatus.isEmpty());
        QCOMPARE(firstStatus.first(), QStringLiteral("Page 1 of 1"));

        // Esc stops as well; closing while laying out hides the window once the run ends.
        duringLayout(f, [] { QTest::keyClick(&form(), Qt::Key_Escape); });
        QVERIFY(box()->PageCount() < 20);
        QVERIFY(form().isVisible());
        QVERIFY(lastPageHasWholeRows());
        duringLayout(f, [] { form().close(); });
        QVERIFY(box()->PageCount() < 20);
        QVERIFY(!form().isVisible());
        QVERIFY(lastPageHasWholeRows());
    }

    void closingHidesAndTheWindowIsReused() {
        TPreviewFormEh* first = nullptr;
        {
            GridFixture f(130);
            f.print.Preview();
            first = &form();
            box()->SetZoomMode(3);
            QTest::mouseClick(form().tbClose, Qt::LeftButton);
            QVERIFY(!form().isVisible());
            QVERIFY(PreviewFormExists());
        }
        // Its print component is gone: the pages stay, "Printer setup" does not.
        QVERIFY(!form().tbtPrinterSetupDialog->isEnabled());
        QVERIFY(form().PrinterPreview().PageCount() > 2);
        GridFixture g(3);
        g.print.Preview();
        QCOMPARE(&form(), first);
        QVERIFY(form().isVisible());
        QCOMPARE(box()->ZoomMode(), 3);
        QVERIFY(form().ScaleMenu()->actions().at(3)->isChecked());
        QCOMPARE(box()->PageCount(), 2);
        QVERIFY(form().tbtPrinterSetupDialog->isEnabled());
        QTest::keyClick(&form(), Qt::Key_Escape);
        QVERIFY(!form().isVisible());

        // Without open data nothing is laid out and the window stays closed.
        g.query->Close();
        g.print.Preview();
        QVERIFY(!form().isVisible());
        QCOMPARE(box()->PageCount(), 2);
    }

    void toolbarLooks() {
        TPreviewFormEh& w = form();
        using L = TPreviewFormEh::TToolbarLook;
        w.SetToolbarHeight(24);
        w.SetToolbarHeight(24); // from any look back to captions only
        QCOMPARE(w.ToolbarLook(), L::CaptionsOnly);
        QCOMPARE(w.tbtNextPage->size(), QSize(66, 21));
        w.SetToolbarHeight(40);
        QCOMPARE(w.ToolbarLook(), L::CaptionsOnly);
        w.SetToolbarHeight(41);
        QCOMPARE(w.ToolbarLook(), L::ImagesOnly);
        QCOMPARE(w.tbtNextPage->size(), QSize(39, 38));
        w.SetToolbarHeight(54);
        QCOMPARE(w.ToolbarLook(), L::ImagesOnly);
        w.SetToolbarHeight(55);
        QCOMPARE(w.ToolbarLook(), L::ImagesWithCaptions);
        QCOMPARE(w.tbtNextPage->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        w.SetToolbarHeight(42);
        QCOMPARE(w.ToolbarLook(), L::ImagesWithCaptions);
        w.SetToolbarHeight(41);
        QCOMPARE(w.ToolbarLook(), L::ImagesOnly);
        w.SetToolbarHeight(25);
        QCOMPARE(w.ToolbarLook(), L::ImagesOnly);
        w.SetToolbarHeight(24);
        QCOMPARE(w.ToolbarLook(), L::CaptionsOnly);
        QCOMPARE(w.tbtNextPage->toolButtonStyle(), Qt::ToolButtonTextOnly);
        w.SetToolbarHeight(60); // one drag past both thresholds
        QCOMPARE(w.ToolbarLook(), L::ImagesWithCaptions);
        w.SetToolbarHeight(24);
        w.SetToolbarHeight(24);
        QCOMPARE(w.ToolbarLook(), L::CaptionsOnly);
    }

    void holdingNextRepeats() {
        GridFixture f(400);
        f.print.Preview();
        QTest::mouseClick(form().tbtNextPage, Qt::LeftButton);
        QCOMPARE(box()->CurrentPage(), 2);
        QTest::mousePress(form().tbtNextPage, Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(box()->CurrentPage(), 2); // not before 400 ms
        QTRY_VERIFY_WITH_TIMEOUT(box()->CurrentPage() >= 4, 3000);
        const int before = box()->CurrentPage();
        QTest::mouseRelease(form().tbtNextPage, Qt::LeftButton);
        QCOMPARE(box()->CurrentPage(), before);
        QTest::qWait(250);
        QCOMPARE(box()->CurrentPage(), before);
    }

    void usableOverAModalWindow() {
        GridFixture f(130);
        QDialog owner;
        owner.setModal(true);
        f.grid->setParent(&owner);
        bool turned = false;
        QTimer::singleShot(0, &owner, [&] {
            f.print.Preview();
            box()->SetCurrentPage(1);
            // Through the window system, where a modal window blocks the others.
            QWindow* w = form().windowHandle();
            const QPoint at =
                form().tbtNextPage->mapTo(&form(), form().tbtNextPage->rect().center());
            QTest::mouseClick(w, Qt::LeftButton, {}, at);
            turned = box()->CurrentPage() == 2;
            form().hide();
            owner.reject();
        });
        owner.exec();
        f.grid->setParent(nullptr);
        QVERIFY(turned);
    }
};

BUDGET_TEST(PreviewTest)
#include "PreviewTest.moc"
