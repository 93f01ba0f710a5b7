// Times the printing of the history list through the preview (see bench/README.md):
// 10,000 history rows laid out into the preview window, as pages per second, and how
// soon the first page is on the screen while the rest are still being laid out.
//
//   bench-print [--rows 10000] [--runs 3] [--shot FILE] [--pdf FILE]
#include "PrintTestKit.h"
#include "TestData.h"
#include "TestEnv.h"

#include "data/UtDM.h"
#include "export/PreviewFormEh.h"
#include "export/PrintDBGridEh.h"
#include "grid/DBGridEh.h"
#include "ui/Application.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long peakRssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    int rows = 10000, runs = 3;
    QString shot, pdf;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            rows = args[++i].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--shot"))
            shot = args[++i];
        else if (args[i] == QLatin1String("--pdf"))
            pdf = args[++i];
    }

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

    std::vector<double> totals, firsts;
    int pages = 0;
    for (int r = 0; r < runs; ++r) {
        firstPage = -1;
        clock.start();
        print.Preview();
        totals.push_back(double(clock.nsecsElapsed()) / 1e6);
        firsts.push_back(firstPage);
        pages = form.PrinterPreview().PageCount();
    }
    const double total = median(totals);
    std::printf("rows %d, pages %d, runs %d\n", rows, pages, runs);
    std::printf("layout into the preview: %.0f ms, %.1f pages/s\n", total, pages * 1000.0 / total);
    std::printf("first page shown after: %.1f ms\n", median(firsts));
    std::printf("peak memory: %.1f MB\n", peakRssKb() / 1024.0);

    if (!shot.isEmpty()) {
        form.resize(1000, 760);
        form.showNormal();
        QApplication::processEvents();
        form.grab().save(shot);
    }
    if (!pdf.isEmpty())
        form.PrinterPreview().SavePdf(pdf);
    return 0;
}
