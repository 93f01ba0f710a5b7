// Times the printing of the history list through the preview (see bench/README.md): for
// 10,000 and for 60,000 history rows, the layout into the preview window as pages per
// second, how soon the first page is on the screen while the rest are still being laid
// out, how long a switch to another page takes in "Whole Page", and the peak memory.
//
//   bench-print [--rows 10000,60000] [--runs 3] [--shots DIR] [--pdf FILE]
// The cases run from the smallest up, so the peak after each is that case's own.
// --shots saves pictures of the preview in its three toolbar looks, at 100%, and of the
// setup dialog; --pdf writes the recorded pages of the last case.
#include "BenchCommon.h"
#include "PrintTestKit.h"
#include "TestData.h"
#include "TestEnv.h"

#include "data/UtDM.h"
#include "export/PreviewFormEh.h"
#include "export/PrintDBGridEh.h"
#include "export/PrintSetupDialog.h"
#include "grid/DBGridEh.h"
#include "ui/Application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    std::vector<int> cases{10000, 60000};
    int runs = 3;
    QString shots, pdf;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows")) {
            cases.clear();
            for (const QString& n : args[++i].split(u','))
                cases.push_back(n.toInt());
            std::sort(cases.begin(), cases.end());
        } else if (args[i] == QLatin1String("--runs")) {
            runs = std::max(1, args[++i].toInt());
        } else if (args[i] == QLatin1String("--shots")) {
            shots = args[++i];
        } else if (args[i] == QLatin1String("--pdf")) {
            pdf = args[++i];
        }
    }

    // The offscreen platform cannot raise windows and says so at every page.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (!msg.contains(QLatin1String("does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(msg));
        (void)type;
    });
    TestEnv env;
    SetPrinters(std::make_unique<PrinterRecorder>()); // no printer: the fixed page
    const int account = TestData::AddAccount(env, QStringLiteral("Bank"), 0);
    TQuery query(&DM->conn);
    query.SQL << PrintTestKit::HistoryStatement();
    std::unique_ptr<TDBGridEh> grid(PrintTestKit::MakeHistoryGrid(&query));
    grid->show();
    TPrintDBGridEh print;
    print.DBGridEh = grid.get();

    TPreviewFormEh& form = PreviewFormEh();
    TPreviewBox* box = form.PreviewBox();
    QElapsedTimer clock;
    double firstPage = -1;
    QObject::connect(box, &TPreviewBox::OpenPreviewer, [&] {
        if (firstPage < 0 && box->PageCount() >= 1 && form.isVisible())
            firstPage = double(clock.nsecsElapsed()) / 1e6;
    });

    int listed = 0;
    for (const int rows : cases) {
        PrintTestKit::AddRows(env, account, rows - listed, QStringLiteral("monthly"));
        listed = rows;
        query.Close();
        query.Open();
        grid->DataChanged();

        std::vector<double> totals, firsts, cpus;
        int pages = 0;
        for (int r = 0; r < runs; ++r) {
            firstPage = -1;
            const std::clock_t cpu0 = std::clock();
            clock.start();
            print.Preview();
            totals.push_back(double(clock.nsecsElapsed()) / 1e6);
            // Processor time as well: on a busy machine the wall clock says more about the
            // others.
            cpus.push_back(double(std::clock() - cpu0) * 1000.0 / CLOCKS_PER_SEC);
            firsts.push_back(firstPage);
            pages = form.PrinterPreview().PageCount();
        }

        // Paging as the user does it, in "Whole Page" on a window of a common size: each
        // switch unpacks the page and paints it.
        form.showNormal();
        form.resize(1000, 760);
        box->SetZoomMode(TPreviewBox::kWholePage);
        QApplication::processEvents();
        std::vector<double> switches;
        const int steps = std::min(pages, 60);
        for (int k = 0; k < steps; ++k) {
            const int page = 1 + int(qint64(k) * (pages - 1) / std::max(1, steps - 1));
            QElapsedTimer t;
            t.start();
            box->SetCurrentPage(page == box->CurrentPage() ? page % pages + 1 : page);
            box->PagePanel()->repaint();
            switches.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const double total = Median(totals);
        std::printf("rows %d, pages %d, runs %d\n", rows, pages, runs);
        std::printf("  layout into the preview: %.0f ms, %.1f pages/s\n", total,
                    pages * 1000.0 / total);
        std::printf("  processor time: %.0f ms, %.1f pages/s\n", Median(cpus),
                    pages * 1000.0 / Median(cpus));
        std::printf("  first page shown after: %.1f ms\n", Median(firsts));
        std::printf("  page switch at 600 dpi, Whole Page: median %.1f ms, slowest %.1f ms\n",
                    Median(switches), *std::max_element(switches.begin(), switches.end()));
        std::printf("  peak memory: %.1f MB\n", PeakRssKb() / 1024.0);
    }

    if (!shots.isEmpty()) {
        form.showNormal();
        form.resize(1000, 760);
        QApplication::processEvents();
        form.grab().save(shots + QStringLiteral("/preview-whole-page.png"));
        form.SetToolbarHeight(60);
        form.PreviewBox()->SetZoomMode(3);
        form.PreviewBox()->SetCurrentPage(2);
        QApplication::processEvents();
        form.grab().save(shots + QStringLiteral("/preview-100.png"));
        form.SetToolbarHeight(41);
        form.PreviewBox()->SetZoomMode(TPreviewBox::kPageWidth);
        QApplication::processEvents();
        form.grab().save(shots + QStringLiteral("/preview-page-width.png"));
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d)
                return;
            d->grab().save(shots + QStringLiteral("/setup-dialog.png"));
            d->close();
        });
        PrintSetupDialog().Execute(print);
    }
    if (!pdf.isEmpty())
        form.PrinterPreview().SavePdf(pdf);
    return 0;
}
