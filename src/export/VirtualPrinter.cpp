#include "export/VirtualPrinter.h"

#include "data/Errors.h"
#include "platform/Printers.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>

// ---------------------------------------------------------------- TPrinterDevice

TPrinterDevice::TPrinterDevice() : m_names(Printers().Installed()) {
    if (!m_names.isEmpty())
        SetIndex(0);
}

TPrinterDevice::~TPrinterDevice() = default;

void TPrinterDevice::Refresh() {
    const QStringList names = Printers().Installed();
    if (names == m_names)
        return;
    m_names = names;
    m_printer.reset();
    m_index = -1;
    if (!m_names.isEmpty())
        SetIndex(0);
}

void TPrinterDevice::SetIndex(int index) {
    if (index < 0 || index >= m_names.size() || index == m_index)
        return;
    std::unique_ptr<QPrinter> printer = Printers().Open(m_names.at(index));
    if (!printer)
        return;
    m_printer = std::move(printer);
    m_index = index;
}

TPageGeometry TPrinterDevice::Geometry() const {
    TPageGeometry g;
    if (!m_printer) {
        if (m_fixedOrientation == TPrinterOrientation::poLandscape) {
            std::swap(g.Width, g.Height);
            std::swap(g.OffsetX, g.OffsetY);
            g.PrintableMM.transpose();
        }
        return g;
    }
    const int res = m_printer->resolution();
    const QPageLayout layout = m_printer->pageLayout();
    const QRect full = layout.fullRectPixels(res);
    const QRect paint = layout.paintRectPixels(res);
    g.DpiX = g.DpiY = res;
    g.Width = paint.width();
    g.Height = paint.height();
    g.OffsetX = paint.left() - full.left();
    g.OffsetY = paint.top() - full.top();
    g.PrintableMM = layout.paintRect(QPageLayout::Millimeter).size();
    return g;
}

int TPrinterDevice::Copies() const {
    return m_printer ? m_printer->copyCount() : m_fixedCopies;
}

void TPrinterDevice::SetCopies(int copies) {
    if (m_printer)
        m_printer->setCopyCount(copies);
    else
        m_fixedCopies = std::max(1, copies);
}

TPrinterOrientation TPrinterDevice::Orientation() const {
    if (!m_printer)
        return m_fixedOrientation;
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape
               ? TPrinterOrientation::poLandscape
               : TPrinterOrientation::poPortrait;
}

void TPrinterDevice::SetOrientation(TPrinterOrientation o) {
    if (m_printer)
        m_printer->setPageOrientation(
            o == TPrinterOrientation::poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    else
        m_fixedOrientation = o;
}

// ---------------------------------------------------------------- TVirtualPrinter

TVirtualPrinter::TVirtualPrinter() = default;

TVirtualPrinter::~TVirtualPrinter() {
    if (m_painter.isActive())
        m_painter.end();
}

TPrinterCapabilities TVirtualPrinter::Capabilities() const {
    return m_device.Installed() ? pcCopies | pcOrientation | pcCollation : 0;
}

QStringList TVirtualPrinter::Fonts() const {
    return QFontDatabase::families();
}

QPaintDevice* TVirtualPrinter::Handle() const {
    return m_device.Printer();
}

QString TVirtualPrinter::GetPrinter() const {
    const int i = m_device.Index();
    return i >= 0 ? m_device.PrinterNames().at(i) : QString();
}

void TVirtualPrinter::SetPrinter(const QString& name) {
    m_device.SetIndex(int(m_device.PrinterNames().indexOf(name)));
}

void TVirtualPrinter::Abort() {
    m_aborted = true;
    if (m_printing && m_device.Printer())
        m_device.Printer()->abort();
    if (m_painter.isActive())
        m_painter.end();
    m_printing = false;
}

void TVirtualPrinter::BeginDoc() {
    QPrinter* printer = m_device.Printer();
    if (!printer)
        throw EBudgetError(QStringLiteral("There is no printer installed"));
    printer->setDocName(m_title);
    if (!m_painter.begin(printer))
        throw EBudgetError(QStringLiteral("The printer could not start printing"));
    m_aborted = false;
    m_printing = true;
    m_pageNumber = 1;
}

void TVirtualPrinter::EndDoc() {
    if (m_painter.isActive())
        m_painter.end();
    m_printing = false;
}

void TVirtualPrinter::NewPage() {
    if (QPrinter* printer = m_device.Printer())
        printer->newPage();
    ++m_pageNumber;
}

TVirtualPrinter& VirtualPrinter() {
    static TVirtualPrinter* printer = [] {
        auto* p = new TVirtualPrinter;
        qAddPostRoutine([] { delete &VirtualPrinter(); });
        return p;
    }();
    return *printer;
}

void PlayPage(QPainter& painter, const QPicture& page, const TPageGeometry& g,
              const QRectF& target) {
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / g.FullWidth(), target.height() / g.FullHeight());
    painter.translate(g.OffsetX, g.OffsetY);
    // A picture replays scaled by the device's resolution over its own; what is left
    // to do is to map the page's units onto the device's.
    const QPaintDevice* device = painter.device();
    painter.scale(double(g.DpiX) / device->logicalDpiX(), double(g.DpiY) / device->logicalDpiY());
    painter.drawPicture(0, 0, page);
    painter.restore();
}

// ---------------------------------------------------------------- TPrinterPreview

TPrinterPreview::TPrinterPreview() : m_docGeometry(Geometry()) {}

TPrinterPreview::~TPrinterPreview() {
    if (m_painter.isActive())
        m_painter.end();
}

void TPrinterPreview::startPicture() {
    m_current = QPicture();
    m_painter.begin(&m_current);
    // Pages are laid out in the printer's device units; the picture keeps the screen's
    // resolution, so the recording is scaled down to it rather than moving the window.
    m_painter.scale(double(m_current.logicalDpiX()) / m_docGeometry.DpiX,
                    double(m_current.logicalDpiY()) / m_docGeometry.DpiY);
}

void TPrinterPreview::finishPicture() {
    if (!m_painter.isActive())
        return;
    m_painter.end();
    m_pages.push_back(m_current);
    m_current = QPicture();
}

void TPrinterPreview::Abort() {
    m_aborted = true;
}

void TPrinterPreview::BeginDoc() {
    if (m_painter.isActive())
        m_painter.end();
    m_pages.clear();
    m_docGeometry = Geometry();
    m_aborted = false;
    m_printing = true;
    m_pageNumber = 1;
    if (Observer)
        Observer->DocumentStarted();
    startPicture();
}

void TPrinterPreview::NewPage() {
    finishPicture();
    ++m_pageNumber;
    if (Observer)
        Observer->PageAdded(PageCount());
    startPicture();
}

void TPrinterPreview::EndDoc() {
    finishPicture();
    m_printing = false;
    if (Observer)
        Observer->DocumentEnded(PageCount());
}

void TPrinterPreview::PrintPages(int fromPage, int toPage) {
    QPrinter* printer = m_device.Printer();
    if (!printer || PageCount() == 0)
        return;
    fromPage = std::clamp(fromPage, 1, PageCount());
    toPage = std::clamp(toPage, fromPage, PageCount());
    printer->setDocName(PrintTitle);
    QPainter p;
    if (!p.begin(printer))
        throw EBudgetError(QStringLiteral("The printer could not start printing"));
    // The printer chosen in the print dialog may differ from the one the pages were laid
    // out for: its own paper takes the page.
    const int res = printer->resolution();
    const QRect full = printer->pageLayout().fullRectPixels(res);
    const QRect paint = printer->pageLayout().paintRectPixels(res);
    const QRectF target(full.left() - paint.left(), full.top() - paint.top(), full.width(),
                        full.height());
    for (int i = fromPage; i <= toPage; ++i) {
        if (i > fromPage)
            printer->newPage();
        PlayPage(p, Page(i - 1), m_docGeometry, target);
    }
    p.end();
}

bool TPrinterPreview::SavePdf(const QString& fileName) const {
    if (m_pages.empty())
        return false;
    const TPageGeometry& g = m_docGeometry;
    QPdfWriter writer(fileName);
    writer.setResolution(g.DpiX);
    writer.setTitle(PrintTitle);
    writer.setPageSize(
        QPageSize(QSizeF(double(g.FullWidth()) / g.DpiX, double(g.FullHeight()) / g.DpiY),
                  QPageSize::Inch, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p;
    if (!p.begin(&writer))
        return false;
    const QRectF paper(0, 0, double(g.FullWidth()) * writer.logicalDpiX() / g.DpiX,
                       double(g.FullHeight()) * writer.logicalDpiY() / g.DpiY);
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        PlayPage(p, m_pages[i], g, paper);
    }
    return p.end();
}

// ---------------------------------------------------------------- TPageCounter

void TPageCounter::restart() {
    if (m_painter.isActive())
        m_painter.end();
    m_scratch = QPicture();
    m_painter.begin(&m_scratch);
}

void TPageCounter::BeginDoc() {
    m_aborted = false;
    m_printing = true;
    m_pageNumber = 1;
    restart();
}

void TPageCounter::NewPage() {
    ++m_pageNumber;
    restart();
}

void TPageCounter::EndDoc() {
    if (m_painter.isActive())
        m_painter.end();
    m_printing = false;
}
