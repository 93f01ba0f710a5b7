#pragma once

#include <QLatin1String>
#include <QPainter>
#include <QPicture>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QPrinter;
class QPaintDevice;
class TPrintDBGridEh;

// The title of every printed grid: the document's name on the printer, in the preview's
// caption and in a PDF file, and the PDF file's suggested name.
constexpr QLatin1String PrintTitle("Tabular information");

enum class TPrinterOrientation { poPortrait, poLandscape };

enum TPrinterCapability { pcCopies = 0x1, pcOrientation = 0x2, pcCollation = 0x4 };
using TPrinterCapabilities = int;

// What a layout needs to know of a page, in the printer's own device units: the
// resolution, the printable area and where it sits on the paper.
struct TPageGeometry {
    int DpiX = 600;
    int DpiY = 600;
    int Width = 4676; // printable
    int Height = 6744;
    int OffsetX = 130; // of the printable area from the paper's edge
    int OffsetY = 150;
    QSizeF PrintableMM{198, 285};

    int FullWidth() const { return Width + 2 * OffsetX; }
    int FullHeight() const { return Height + 2 * OffsetY; }
    // Fonts are sized for the smaller of the two resolutions.
    int FontDpi() const { return std::min(DpiX, DpiY); }
};

// A printer object: one of the installed printers, or, when none is installed, a fixed
// 600 dpi page so that pages can still be laid out and viewed.
class TPrinterDevice {
public:
    TPrinterDevice();
    ~TPrinterDevice();

    bool Installed() const { return m_printer != nullptr; }
    // Reads the installed printers again; keeps the chosen one while the list is the same.
    void Refresh();
    QPrinter* Printer() const { return m_printer.get(); }
    TPageGeometry Geometry() const;

    QStringList PrinterNames() const { return m_names; }
    int Index() const { return m_index; }
    void SetIndex(int index);

    int Copies() const;
    void SetCopies(int copies);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation o);

private:
    QStringList m_names;
    int m_index = -1;
    std::unique_ptr<QPrinter> m_printer;
    TPrinterOrientation m_fixedOrientation = TPrinterOrientation::poPortrait;
    int m_fixedCopies = 1;
};

// The printer the print component draws on. This base class forwards every operation to
// the system printer; the preview derives from it and records pages instead.
class TVirtualPrinter {
public:
    TVirtualPrinter();
    virtual ~TVirtualPrinter();
    TVirtualPrinter(const TVirtualPrinter&) = delete;
    TVirtualPrinter& operator=(const TVirtualPrinter&) = delete;

    virtual bool Aborted() const { return m_aborted; }
    // Draws in device units of the printable area.
    virtual QPainter* Canvas() { return &m_painter; }
    virtual TPrinterCapabilities Capabilities() const;
    virtual QStringList Fonts() const;
    virtual QPaintDevice* Handle() const;
    virtual int Copies() const { return m_device.Copies(); }
    virtual TPrinterOrientation Orientation() const { return m_device.Orientation(); }
    virtual int PageHeight() const { return Geometry().Height; }
    virtual int PageWidth() const { return Geometry().Width; }
    virtual int PageNumber() const { return m_pageNumber; }
    virtual bool Printing() const { return m_printing; }
    virtual QString Title() const { return m_title; }
    int FullPageWidth() const { return Geometry().FullWidth(); }
    int FullPageHeight() const { return Geometry().FullHeight(); }
    virtual int PrinterIndex() const { return m_device.Index(); }
    virtual QStringList PrinterList() const { return m_device.PrinterNames(); }
    virtual int XDPI() const { return Geometry().DpiX; }
    virtual int YDPI() const { return Geometry().DpiY; }
    virtual void SetPrinterIndex(int index) { m_device.SetIndex(index); }
    virtual void SetCopies(int copies) { m_device.SetCopies(copies); }
    virtual void SetOrientation(TPrinterOrientation o) { m_device.SetOrientation(o); }
    virtual void SetTitle(const QString& title) { m_title = title; }
    virtual void Abort();
    virtual void BeginDoc();
    virtual void EndDoc();
    virtual void NewPage();
    virtual QString GetPrinter() const;
    virtual void SetPrinter(const QString& name);

    // The page as the layout sees it; the physical offsets are part of it.
    virtual TPageGeometry Geometry() const { return m_device.Geometry(); }
    TPrinterDevice& Device() { return m_device; }

protected:
    TPrinterDevice m_device;
    QPainter m_painter;
    QString m_title;
    bool m_aborted = false;
    bool m_printing = false;
    int m_pageNumber = 0;
};

// The process's one forwarding printer.
TVirtualPrinter& VirtualPrinter();

// Draws a recorded page so that the full paper (printable area plus the offsets) fills
// the target rectangle of whatever device the painter draws on.
void PlayPage(QPainter& painter, const QPicture& page, const TPageGeometry& geometry,
              const QRectF& target);

// Whoever shows the pages of a recording printer as they come.
class IPreviewObserver {
public:
    virtual ~IPreviewObserver() = default;
    virtual void DocumentStarted() = 0;
    virtual void PageAdded(int completedPages) = 0;
    virtual void DocumentEnded(int pages) = 0;
};

// A printer that records each page as a vector picture, for the preview; it can send the
// recorded pages to its printer object or to a PDF file afterwards.
class TPrinterPreview : public TVirtualPrinter {
public:
    TPrinterPreview();
    ~TPrinterPreview() override;

    void Abort() override;
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;

    int PageCount() const { return int(m_pages.size()); }
    // The page the recorded pages were laid out on.
    const TPageGeometry& DocGeometry() const { return m_docGeometry; }
    const QPicture& Page(int index) const { return m_pages.at(size_t(index)); }

    // Draws pages fromPage..toPage (1-based) on the printer object, one sheet each.
    void PrintPages(int fromPage, int toPage);
    // Writes every recorded page to a PDF file at the pages' own resolution; false when
    // the file cannot be written.
    bool SavePdf(const QString& fileName) const;

    // Who shows the pages, who produced them, and what "Printer setup" runs.
    IPreviewObserver* Observer = nullptr;
    QPointer<TPrintDBGridEh> PrintComponent;
    std::function<void()> SetupHandler;

private:
    void startPicture();
    void finishPicture();

    std::vector<QPicture> m_pages;
    QPicture m_current;
    TPageGeometry m_docGeometry; // the page every picture of this document was laid out on
};

// A printer that only counts pages; the layout runs on it once to learn the page count.
class TPageCounter : public TVirtualPrinter {
public:
    explicit TPageCounter(const TPageGeometry& geometry) : m_geometry(geometry) {}
    TPageGeometry Geometry() const override { return m_geometry; }
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    int PageCount() const { return m_pageNumber; }

private:
    void restart();
    TPageGeometry m_geometry;
    QPicture m_scratch;
};
