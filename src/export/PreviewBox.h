#pragma once

#include "export/VirtualPrinter.h"

#include <QAbstractScrollArea>
#include <QFrame>

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
class TPreviewBox : public QAbstractScrollArea, public IPreviewObserver {
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
    void DocumentStarted() override;
    void PageAdded(int completedPages) override;
    void DocumentEnded(int pages) override;

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
