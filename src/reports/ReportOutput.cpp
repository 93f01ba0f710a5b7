// What the reports window hands out: the table on the clipboard, the chart in a file, and
// chart and table on paper.
#include "reports/UtReports.h"

#include "data/Errors.h"
#include "data/UtDM.h"
#include "export/PrintDBGridEh.h"
#include "export/VirtualPrinter.h"
#include "grid/DBGridEh.h"
#include "platform/Platform.h"
#include "platform/Printers.h"

#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

// The pages of a report: the chart on the first page, within the table's margins, and
// the table from the second page on. Recorded first, so the print dialog can offer them.
class TReportPages : public TPrinterPreview {
public:
    TReportPages(QChartView* view, double marginCm) : m_view(view), m_marginCm(marginCm) {}
    void BeginDoc() override {
        TPrinterPreview::BeginDoc();
        const TPageGeometry g = Geometry();
        const double mx = m_marginCm / 2.54 * g.DpiX, my = m_marginCm / 2.54 * g.DpiY;
        const QRectF room(mx - g.OffsetX, my - g.OffsetY, g.FullWidth() - 2 * mx,
                          g.FullHeight() - 2 * my);
        // The chart keeps the shape it has on the screen.
        const QRect source = m_view->viewport()->rect();
        const QSizeF shape = QSizeF(source.size()).scaled(room.size(), Qt::KeepAspectRatio);
        m_view->render(Canvas(), QRectF(room.topLeft(), shape), source);
        NewPage();
    }

private:
    QChartView* m_view;
    double m_marginCm;
};

enum class TChartFormat { Png = 1, Svg = 2, Pdf = 3 };

const char* const kExtensions[] = {"png", "svg", "pdf"};

} // namespace

QString TFrmReports::TableText() const {
    const std::vector<int> columns = dbgrdhReport->VisibleColumns();
    const auto line = [&](auto cell) {
        QStringList cells;
        for (int c : columns)
            cells << cell(c);
        return cells.join(u'\t');
    };
    QStringList lines;
    lines << line([&](int c) { return dbgrdhReport->ColumnTitle(c); });
    for (int r = 0; r < dbgrdhReport->RowCount(); ++r)
        lines << line([&](int c) { return dbgrdhReport->CellText(r, c); });
    if (dbgrdhReport->HasFooter())
        lines << line([&](int c) { return dbgrdhReport->FooterText(c); });
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void TFrmReports::btnCopyClick() {
    QGuiApplication::clipboard()->setText(TableText());
}

void TFrmReports::btnSaveClick() {
    const SaveDialogResult r = ShowSaveDialog(
        this, SaveDialogRequest{QStringLiteral("PNG picture(*.png)|*.png|SVG drawing(*.svg)|*.svg|"
                                               "PDF document(*.pdf)|*.pdf"),
                                QStringLiteral("png"), cbbReport->currentText(), 1});
    if (!r.accepted || r.fileName.isEmpty())
        return;
    // A name typed with one of the three extensions is saved in that format; any other
    // gets the extension of the format chosen in the dialog.
    QString name = r.fileName;
    const QString suffix = QFileInfo(name).suffix();
    if (std::none_of(std::begin(kExtensions), std::end(kExtensions), [&](const char* ext) {
            return suffix.compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
        }))
        name += QLatin1Char('.') + QLatin1String(kExtensions[std::clamp(r.filterIndex, 1, 3) - 1]);
    SaveChart(name);
}

void TFrmReports::SaveChart(const QString& fileName) const {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    TChartFormat format = TChartFormat::Png;
    if (suffix == QLatin1String("svg"))
        format = TChartFormat::Svg;
    else if (suffix == QLatin1String("pdf"))
        format = TChartFormat::Pdf;
    const QString failed = QStringLiteral("Cannot create file \"%1\"").arg(fileName);
    // Written beside the file and put in place only when complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EBudgetError(failed + QStringLiteral(": ") + file.errorString());
    const QSize size = chvReport->viewport()->size();
    const QRect source(QPoint(0, 0), size);
    bool drawn = false;
    switch (format) {
    case TChartFormat::Png: {
        // Twice the screen's pixels, for a picture that stays sharp in a document.
        QImage image(size * 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(chart->backgroundBrush().color());
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        chvReport->render(&p, QRectF(image.rect()), source);
        p.end();
        drawn = image.save(&file, "PNG");
        break;
    }
    case TChartFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(source);
        svg.setTitle(cbbReport->currentText());
        QPainter p;
        drawn = p.begin(&svg);
        if (drawn) {
            chvReport->render(&p, QRectF(source), source);
            drawn = p.end();
        }
        break;
    }
    case TChartFormat::Pdf: {
        QPdfWriter pdf(&file);
        pdf.setTitle(cbbReport->currentText());
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / 96.0, QPageSize::Point, QString(),
                                  QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        drawn = p.begin(&pdf);
        if (drawn) {
            chvReport->render(&p, QRectF(0, 0, pdf.width(), pdf.height()), source);
            drawn = p.end();
        }
        break;
    }
    }
    if (!drawn || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        throw EBudgetError(failed);
    }
    if (!file.commit())
        throw EBudgetError(failed + QStringLiteral(": ") + file.errorString());
}

void TFrmReports::btnPrintClick() {
    TReportPages pages(chvReport, double(prntReport->Page.LeftMargin.Raw) / 10000);
    if (!pages.Device().Installed()) {
        TDM::ShowErrorMessage(QStringLiteral("There is no printer installed"), this);
        return;
    }
    prntReport->Title = QStringList{
        cbbReport->currentText(), cbbAccWal->currentText().trimmed(),
        QStringLiteral("%1 - %2").arg(QLocale().toString(Period().from, QLocale::ShortFormat),
                                      QLocale().toString(Period().to, QLocale::ShortFormat))};
    prntReport->Print(pages);
    int from = 1, to = pages.PageCount();
    if (!Printers().PrintDialog(this, *pages.Device().Printer(), 1, pages.PageCount(), from, to))
        return;
    pages.PrintPages(from, to);
}
