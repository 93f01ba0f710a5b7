#pragma once

#include "export/VirtualPrinter.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QMainWindow>
#include <QTimer>

class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class TPreviewBox;

// The white page that paints the current page; a click zooms in or back out, a drag pans.
class TDrawPanel : public QFrame {
    Q_OBJECT
public:
    explicit TDrawPanel(TPreviewBox* box);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TPreviewBox* m_box;
    QPoint m_pressGlobal;
    QPoint m_pressScroll;
    bool m_pressed = false;
    bool m_dragging = false;
};

// The scrolling page view: page count, current page, zoom mode and the page itself over a
// dark shadow.
class TPreviewBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPreviewBox(QWidget* parent = nullptr);

    static constexpr int kWholePage = 9;
    static constexpr int kPageWidth = 8;
    static constexpr int kPercent150 = 2;

    void SetPrinter(TPrinterPreview* printer) { m_printer = printer; }
    TPrinterPreview* Printer() const { return m_printer; }

    int PageCount() const { return m_pageCount; }
    int CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int page); // clamped to 1 .. page count
    int ZoomMode() const { return m_zoomMode; }
    void SetZoomMode(int mode);
    int WheelPercent() const { return m_wheelPercent; }
    void UpdateZoom();

    TDrawPanel* PagePanel() const { return m_panel; }
    // The dark backing panel behind the page, as a shadow, in the view's coordinates.
    QRect ShadowRect() const { return m_panel->geometry().translated(4, 4); }
    // Zoom between "Whole Page" and 150%, keeping the clicked point where it is.
    void MagnifierClick(const QPoint& panelPos);

    // From the recording printer.
    void DocumentStarted();
    void PageAdded(int completedPages);
    void DocumentEnded(int pages);

signals:
    void PrinterPreviewChanged();
    void OpenPreviewer();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void placePanels();

    TPrinterPreview* m_printer = nullptr;
    int m_pageCount = 0;
    int m_currentPage = 1;
    int m_zoomMode = kWholePage;
    int m_wheelPercent = 100;
    QRect m_page; // the page panel in content coordinates
    TDrawPanel* m_panel;
};

// The preview window: shows the pages the print component recorded, pages through them,
// zooms, prints them, writes them to PDF and opens the setup. One serves the process.
class TPreviewFormEh : public QMainWindow {
    Q_OBJECT
public:
    explicit TPreviewFormEh(QWidget* parent = nullptr);
    ~TPreviewFormEh() override;

    enum class TToolbarLook { CaptionsOnly, ImagesOnly, ImagesWithCaptions };

    TPrinterPreview& PrinterPreview() { return m_printer; }
    TPreviewBox* PreviewBox() const { return m_box; }
    QMenu* ScaleMenu() const { return pmnScale; }
    TToolbarLook ToolbarLook() const { return m_look; }
    // What dragging the splitter under the toolbar does.
    void SetToolbarHeight(int height);
    int ToolbarHeight() const;

    // The preview is used from the (modal) window of the grid it prints.
    void AttachTo(QWidget* owner);
    void UpdateState();

    QToolButton* tbtPrint;
    QToolButton* tbtPDF;
    QToolButton* tbtPrinterSetupDialog;
    QToolButton* tbtScale;
    QToolButton* tbtPrevPage;
    QToolButton* tbtNextPage;
    QToolButton* tbStop;
    QToolButton* tbClose;
    QMenu* pmnScale;

public slots:
    void tbtPrintClick();
    void tbtPDFClick();
    void tbtPrinterSetupDialogClick();
    void tbtScaleClick();
    void tbtPrevPageClick();
    void tbtNextPageClick();
    void tbStopClick();
    void tbCloseClick();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildToolbar();
    void applyLook(TToolbarLook look);
    void openPreviewer();
    void stepPressed(int step);
    void stepReleased();
    void stepClicked(int step);
    void repeatStep();

    TPrinterPreview m_printer;
    TPreviewBox* m_box;
    QWidget* m_toolbar;
    QSplitter* m_splitter;
    QLabel* m_status;
    QActionGroup* m_scaleGroup;
    TToolbarLook m_look = TToolbarLook::CaptionsOnly;
    bool m_closeWhenDone = false;
    // Holding Previous or Next repeats the step.
    QTimer m_repeat;
    int m_repeatStep = 0;
    bool m_repeating = false;
};

// The process's preview window, created hidden on first use and kept until the end.
TPreviewFormEh& PreviewFormEh();
bool PreviewFormExists();
