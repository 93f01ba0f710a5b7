#include "export/VirtualPrinter.h"

#include "data/Errors.h"
#include "platform/Printers.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

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

bool TPrinterDevice::SetupDialog(QWidget* owner) {
    if (!m_printer)
        return false;
    int index = m_index;
    if (!Printers().PrinterSetupDialog(owner, m_names, index, m_printer) || !m_printer)
        return false;
    m_index = index;
    return true;
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
    // The quickest packing takes nearly as little room as the best and keeps pace with
    // the layout. The packed bytes come in a buffer of the unpacked size, which is let go.
    QByteArray packed =
        qCompress(reinterpret_cast<const uchar*>(m_current.data()), qsizetype(m_current.size()), 1);
    packed.squeeze();
    m_pages.push_back(std::move(packed));
    m_current = QPicture();
}

QPicture TPrinterPreview::Page(int index) const {
    if (index != m_readyIndex) {
        const QByteArray data = qUncompress(m_pages.at(size_t(index)));
        m_ready = QPicture();
        m_ready.setData(data.constData(), uint(data.size()));
        m_readyIndex = index;
    }
    return m_ready;
}

void TPrinterPreview::Abort() {
    m_aborted = true;
}

void TPrinterPreview::BeginDoc() {
    if (m_painter.isActive())
        m_painter.end();
    m_pages.clear();
    m_readyIndex = -1;
    m_ready = QPicture();
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

void TPrinterPreview::SavePdf(const QString& fileName) const {
    if (m_pages.empty())
        return;
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EBudgetError(FileErrorText("Cannot create file", path, file.errorString()));

    // The pages are made in memory first: the PDF writer does not look at what its
    // device answers, and a device that takes part of a block (a disk filling up, a
    // size limit) tells why only when it is given the rest.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        const TPageGeometry& g = m_docGeometry;
        QPdfWriter writer(&buffer);
        writer.setResolution(g.DpiX);
        writer.setTitle(PrintTitle);
        writer.setPageSize(
            QPageSize(QSizeF(double(g.FullWidth()) / g.DpiX, double(g.FullHeight()) / g.DpiY),
                      QPageSize::Inch, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        bool made = p.begin(&writer);
        const QRectF paper(0, 0, double(g.FullWidth()) * writer.logicalDpiX() / g.DpiX,
                           double(g.FullHeight()) * writer.logicalDpiY() / g.DpiY);
        for (int i = 0; made && i < PageCount(); ++i) {
            if (i > 0)
                made = writer.newPage();
            if (made)
                PlayPage(p, Page(i), g, paper);
        }
        if (p.isActive())
            made = p.end() && made;
        if (!made)
            throw EBudgetError(FileErrorText("Cannot write file", path,
                                             QStringLiteral("The pages could not be made")));
    }
    for (qsizetype done = 0; done < pdf.size();) {
        const qint64 n = file.write(pdf.constData() + done, pdf.size() - done);
        if (n <= 0)
            throw EBudgetError(FileErrorText("Cannot write file", path, file.errorString()));
        done += qsizetype(n);
    }
    // Only now does the file take the name; until then the earlier one stays.
    if (!file.commit())
        throw EBudgetError(FileErrorText("Cannot write file", path, file.errorString()));
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
