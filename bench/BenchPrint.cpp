// Times the printing of the history list through the preview (see bench/README.md):
// 10,000 history rows laid out into the preview window, as pages per second, and how
// soon the first page is on the screen while the rest are still being laid out.
//
//   bench-print [--rows 10000] [--runs 3] [--shots DIR] [--pdf FILE]
// --shots saves pictures of the preview in its three toolbar looks, at 100%, and of the
// setup dialog; --pdf writes the recorded pages.
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
    int rows = 10000, runs = 3;
    QString shots, pdf;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            rows = args[++i].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--shots"))
            shots = args[++i];
        else if (args[i] == QLatin1String("--pdf"))
            pdf = args[++i];
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
    PrintTestKit::AddRows(env, account, rows, QStringLiteral("monthly"));
    TQuery query(&DM->conn);
    query.SQL << PrintTestKit::HistoryStatement();
    query.Open();
    std::unique_ptr<TDBGridEh> grid(PrintTestKit::MakeHistoryGrid(&query));
    grid->show();
    TPrintDBGridEh print;
    print.DBGridEh = grid.get();

    TPreviewFormEh& form = PreviewFormEh();
    QElapsedTimer clock;
    double firstPage = -1;
    QObject::connect(form.PreviewBox(), &TPreviewBox::OpenPreviewer, [&] {
        if (firstPage < 0 && form.PreviewBox()->PageCount() >= 1 && form.isVisible())
            firstPage = double(clock.nsecsElapsed()) / 1e6;
    });

    std::vector<double> totals, firsts, cpus;
    int pages = 0;
    for (int r = 0; r < runs; ++r) {
        firstPage = -1;
        const std::clock_t cpu0 = std::clock();
        clock.start();
        print.Preview();
        totals.push_back(double(clock.nsecsElapsed()) / 1e6);
        // Processor time as well: on a busy machine the wall clock says more about the others.
        cpus.push_back(double(std::clock() - cpu0) * 1000.0 / CLOCKS_PER_SEC);
        firsts.push_back(firstPage);
        pages = form.PrinterPreview().PageCount();
    }
    const double total = Median(totals);
    std::printf("rows %d, pages %d, runs %d\n", rows, pages, runs);
    std::printf("layout into the preview: %.0f ms, %.1f pages/s\n", total, pages * 1000.0 / total);
    std::printf("processor time: %.0f ms, %.1f pages/s\n", Median(cpus),
                pages * 1000.0 / Median(cpus));
    std::printf("first page shown after: %.1f ms\n", Median(firsts));
    std::printf("peak memory: %.1f MB\n", PeakRssKb() / 1024.0);

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
