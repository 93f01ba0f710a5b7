#include "export/PreviewBox.h"

#include "ui/Guarded.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <cmath>

namespace {

const int kPercents[] = {500, 200, 150, 100, 75, 50, 25, 10};

QCursor magnifierCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(17, 17, 27, 27);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(11, 11), 8, 8);
    p.drawLine(7, 11, 15, 11);
    p.drawLine(11, 7, 11, 15);
    return QCursor(pm, 11, 11);
}

} // namespace

// ---------------------------------------------------------------- TDrawPanel

TDrawPanel::TDrawPanel(TPreviewBox* box) : QFrame(box->viewport()), m_box(box) {
    setObjectName(QStringLiteral("DrawPanel"));
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setCursor(magnifierCursor());
}

void TDrawPanel::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    TPrinterPreview* printer = m_box->Printer();
    const int page = m_box->CurrentPage();
    if (!printer || page < 1 || page > std::min(m_box->PageCount(), printer->PageCount()))
        return;
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setClipRect(contentsRect());
    PlayPage(p, printer->Page(page - 1), printer->DocGeometry(), QRectF(rect()));
}

void TDrawPanel::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragging = false;
    m_pressGlobal = e->globalPosition().toPoint();
    m_pressScroll =
        QPoint(m_box->horizontalScrollBar()->value(), m_box->verticalScrollBar()->value());
}

void TDrawPanel::mouseMoveEvent(QMouseEvent* e) {
    if (!m_pressed || !(e->buttons() & Qt::LeftButton))
        return;
    const QPoint d = e->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragging && d.manhattanLength() >= QApplication::startDragDistance()) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (m_dragging) {
        m_box->horizontalScrollBar()->setValue(m_pressScroll.x() - d.x());
        m_box->verticalScrollBar()->setValue(m_pressScroll.y() - d.y());
    }
}

void TDrawPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        setCursor(magnifierCursor());
        return;
    }
    const QPoint pos = e->position().toPoint();
    Guarded([&] { m_box->MagnifierClick(pos); });
}

// ---------------------------------------------------------------- TPreviewBox

TPreviewBox::TPreviewBox(QWidget* parent)
    : QAbstractScrollArea(parent), m_panel(new TDrawPanel(this)) {
    setObjectName(QStringLiteral("PreviewBox"));
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

void TPreviewBox::SetCurrentPage(int page) {
    page = std::clamp(page, 1, std::max(1, m_pageCount));
    if (page == m_currentPage)
        return;
    m_currentPage = page;
    m_panel->update();
    emit PrinterPreviewChanged();
}

void TPreviewBox::SetZoomMode(int mode) {
    m_zoomMode = std::clamp(mode, 0, kWholePage);
    UpdateZoom();
    emit PrinterPreviewChanged();
}

void TPreviewBox::UpdateZoom() {
    const TPageGeometry g = m_printer ? m_printer->DocGeometry() : TPageGeometry();
    const QSize view = maximumViewportSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const double sdpi = logicalDpiX();
    const double ratio = g.PrintableMM.height() / g.PrintableMM.width(); // height per width
    const double screenWidth = double(g.Width) * sdpi / g.DpiX;          // the page at 100%
    int w = 0, h = 0;
    QSize content = view;
    QSize vp = view;
    if (m_zoomMode <= 7) {
        w = int(std::lround(kPercents[m_zoomMode] * screenWidth / 100));
        h = int(std::lround(w * ratio));
        const bool needH = w + 16 > view.width();
        const bool needV = h + 16 > view.height() - (needH ? bar : 0);
        vp = QSize(view.width() - (needV ? bar : 0), view.height() - (needH ? bar : 0));
        content = QSize(std::max(w + 16, vp.width()), std::max(h + 16, vp.height()));
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_page = QRect(w + 16 <= vp.width() ? (vp.width() - w) / 2 : 8,
                       h + 16 <= vp.height() ? (vp.height() - h) / 2 : 8, w, h);
    } else if (m_zoomMode == kPageWidth) {
        w = std::max(16, view.width() - bar - 20);
        h = int(std::lround(w * ratio));
        const bool needV = h + 16 > view.height();
        vp = QSize(view.width() - (needV ? bar : 0), view.height());
        content = QSize(vp.width(), std::max(h + 16, vp.height()));
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_page = QRect(8, 8, w, h);
        m_wheelPercent = int(std::lround(w * 100 / screenWidth));
    } else {
        h = std::max(16, view.height() - 16);
        w = int(std::lround(h / ratio));
        if (w > view.width() - 16) {
            w = std::max(16, view.width() - 16);
            h = int(std::lround(w * ratio));
        }
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_page = QRect((view.width() - w) / 2, (view.height() - h) / 2, w, h);
        m_wheelPercent = 100;
    }
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - vp.width()));
    horizontalScrollBar()->setPageStep(vp.width());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - vp.height()));
    verticalScrollBar()->setPageStep(vp.height());
    placePanels();
}

void TPreviewBox::placePanels() {
    const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    m_panel->setGeometry(m_page.translated(origin));
    m_panel->update();
    viewport()->update();
}

void TPreviewBox::scrollContentsBy(int, int) {
    placePanels();
}

void TPreviewBox::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Mid));
    p.fillRect(ShadowRect(), QColor(64, 64, 64));
}

void TPreviewBox::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    const QSize view = maximumViewportSize();
    if (m_zoomMode >= kPageWidth || m_page.width() + 16 < view.width() ||
        m_page.height() + 16 < view.height())
        UpdateZoom();
}

void TPreviewBox::MagnifierClick(const QPoint& panelPos) {
    if (m_zoomMode != kWholePage) {
        SetZoomMode(kWholePage);
        return;
    }
    const double fx = double(panelPos.x()) / std::max(1, m_page.width());
    const double fy = double(panelPos.y()) / std::max(1, m_page.height());
    const QPoint inView = m_panel->mapTo(viewport(), panelPos);
    SetZoomMode(kPercent150);
    horizontalScrollBar()->setValue(int(m_page.left() + fx * m_page.width()) - inView.x());
    verticalScrollBar()->setValue(int(m_page.top() + fy * m_page.height()) - inView.y());
}

void TPreviewBox::keyPressEvent(QKeyEvent* e) {
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int vScreen = v->pageStep() - v->singleStep();
    const int hScreen = h->pageStep() - h->singleStep();
    switch (e->key()) {
    case Qt::Key_PageUp:
        v->setValue(ctrl ? v->minimum() : v->value() - vScreen);
        break;
    case Qt::Key_PageDown:
        v->setValue(ctrl ? v->maximum() : v->value() + vScreen);
        break;
    case Qt::Key_Up:
        v->setValue(v->value() - (ctrl ? vScreen : v->singleStep()));
        break;
    case Qt::Key_Down:
        v->setValue(v->value() + (ctrl ? vScreen : v->singleStep()));
        break;
    case Qt::Key_Left:
        h->setValue(h->value() - (ctrl ? hScreen : h->singleStep()));
        break;
    case Qt::Key_Right:
        h->setValue(h->value() + (ctrl ? hScreen : h->singleStep()));
        break;
    case Qt::Key_Home:
        h->setValue(h->minimum());
        if (ctrl)
            v->setValue(v->minimum());
        break;
    case Qt::Key_End:
        h->setValue(h->maximum());
        if (ctrl)
            v->setValue(v->maximum());
        break;
    default:
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
}

void TPreviewBox::wheelEvent(QWheelEvent* e) {
    const int notches = e->angleDelta().y() / 120;
    if (notches == 0) {
        e->ignore();
        return;
    }
    QScrollBar* v = verticalScrollBar();
    if (v->maximum() <= v->minimum())
        SetCurrentPage(m_currentPage + (notches < 0 ? 1 : -1));
    else
        v->setValue(v->value() - notches * v->singleStep() * QApplication::wheelScrollLines() *
                                     m_wheelPercent / 100);
    e->accept();
}

void TPreviewBox::DocumentStarted() {
    m_pageCount = 0;
    m_currentPage = 1;
    m_panel->update();
    emit PrinterPreviewChanged();
}

void TPreviewBox::PageAdded(int completedPages) {
    m_pageCount = completedPages;
    if (completedPages == 1)
        UpdateZoom();
    if (completedPages == m_currentPage)
        m_panel->update();
    emit OpenPreviewer();
    emit PrinterPreviewChanged();
}

void TPreviewBox::DocumentEnded(int pages) {
    m_pageCount = pages;
    m_currentPage = std::clamp(m_currentPage, 1, std::max(1, pages));
    if (pages <= 1)
        UpdateZoom();
    m_panel->update();
    emit OpenPreviewer();
    emit PrinterPreviewChanged();
}
