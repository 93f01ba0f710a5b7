#include "export/PreviewFormEh.h"

#include "data/UtFormat.h"
#include "export/PrintDBGridEh.h"
#include "platform/Platform.h"
#include "platform/Printers.h"
#include "ui/ErrorReport.h"
#include "ui/Guarded.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>

namespace {

const int kPercents[] = {500, 200, 150, 100, 75, 50, 25, 10};
const char* const kScaleItems[] = {"500%", "200%", "150%", "100%",       "75%",
                                   "50%",  "25%",  "10%",  "Page Width", "Whole Page"};

// The toolbar's pictures, drawn rather than shipped.
enum class Picture { Print, Pdf, Setup, Scale, Prev, Next, Stop, Close };

QIcon toolPicture(Picture kind) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(40, 40, 40), 1.5);
    p.setPen(outline);
    switch (kind) {
    case Picture::Print:
        p.setBrush(Qt::white);
        p.drawRect(9, 3, 14, 10);
        p.setBrush(QColor(160, 160, 170));
        p.drawRoundedRect(3, 12, 26, 12, 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(8, 20, 16, 9);
        break;
    case Picture::Pdf: {
        p.setBrush(Qt::white);
        p.drawRect(6, 2, 20, 28);
        p.setPen(QColor(180, 20, 20));
        QFont f = p.font();
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(6, 10, 20, 12), Qt::AlignCenter, QStringLiteral("PDF"));
        break;
    }
    case Picture::Setup:
        p.setBrush(Qt::white);
        p.drawRect(6, 2, 20, 28);
        p.setPen(QPen(QColor(30, 90, 200), 1, Qt::DashLine));
        p.drawRect(10, 6, 12, 20);
        break;
    case Picture::Scale:
        p.setPen(QPen(QColor(40, 40, 40), 3));
        p.drawLine(20, 20, 28, 28);
        p.setPen(outline);
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPointF(13, 13), 9, 9);
        break;
    case Picture::Prev:
    case Picture::Next: {
        QPainterPath arrow;
        const bool next = kind == Picture::Next;
        arrow.moveTo(next ? 10 : 22, 6);
        arrow.lineTo(next ? 24 : 8, 16);
        arrow.lineTo(next ? 10 : 22, 26);
        arrow.closeSubpath();
        p.setBrush(QColor(40, 120, 60));
        p.drawPath(arrow);
        break;
    }
    case Picture::Stop:
        p.setBrush(QColor(200, 30, 30));
        p.drawRoundedRect(6, 6, 20, 20, 3, 3);
        break;
    case Picture::Close:
        p.setPen(QPen(QColor(60, 60, 60), 3));
        p.drawLine(9, 9, 23, 23);
        p.drawLine(23, 9, 9, 23);
        break;
    }
    return QIcon(pm);
}

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

TPreviewFormEh* g_form = nullptr;

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

// ---------------------------------------------------------------- TPreviewFormEh

TPreviewFormEh::TPreviewFormEh(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("PreviewFormEh"));
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_toolbar = new QWidget(m_splitter);
    m_toolbar->setObjectName(QStringLiteral("ToolBar"));
    m_toolbar->setMinimumHeight(21);
    m_box = new TPreviewBox(m_splitter);
    m_box->SetPrinter(&m_printer);
    m_printer.PreviewBox = m_box;
    m_splitter->addWidget(m_toolbar);
    m_splitter->addWidget(m_box);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    buildToolbar();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusText"));
    statusBar()->addWidget(m_status, 1);
    statusBar()->setSizeGripEnabled(false);
    resize(800, 600);
    m_splitter->setSizes({25, 575});

    connect(m_splitter, &QSplitter::splitterMoved, this,
            [this](int pos, int) { SetToolbarHeight(pos); });
    connect(m_box, &TPreviewBox::PrinterPreviewChanged, this, &TPreviewFormEh::UpdateState);
    connect(m_box, &TPreviewBox::OpenPreviewer, this, &TPreviewFormEh::openPreviewer);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &TPreviewFormEh::repeatStep);
    UpdateState();
}

TPreviewFormEh::~TPreviewFormEh() {
    m_printer.PreviewBox = nullptr;
    if (g_form == this)
        g_form = nullptr;
}

void TPreviewFormEh::buildToolbar() {
    auto* row = new QHBoxLayout(m_toolbar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    auto button = [&](const char* name, const char* caption, const char* hint, Picture picture) {
        auto* b = new QToolButton(m_toolbar);
        b->setObjectName(QLatin1String(name));
        b->setText(QLatin1String(caption));
        b->setToolTip(QLatin1String(hint ? hint : caption));
        b->setIcon(toolPicture(picture));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        row->addWidget(b);
        return b;
    };
    tbtPrint = button("tbtPrint", "Print", nullptr, Picture::Print);
    tbtPDF = button("tbtPDF", "PDF", nullptr, Picture::Pdf);
    tbtPrinterSetupDialog =
        button("tbtPrinterSetupDialog", "Printer setup", nullptr, Picture::Setup);
    tbtScale = button("tbtScale", "Scale", nullptr, Picture::Scale);
    tbtPrevPage = button("tbtPrevPage", "Previous", "Previous page", Picture::Prev);
    tbtNextPage = button("tbtNextPage", "Next", "Next page", Picture::Next);
    tbStop = button("tbStop", "Stop", nullptr, Picture::Stop);
    tbClose = button("tbClose", "Close", "Close preview", Picture::Close);
    row->addStretch(1);

    pmnScale = new QMenu(this);
    pmnScale->setObjectName(QStringLiteral("pmnScale"));
    m_scaleGroup = new QActionGroup(this);
    m_scaleGroup->setExclusive(true);
    for (int mode = 0; mode <= TPreviewBox::kWholePage; ++mode) {
        QAction* a = pmnScale->addAction(QLatin1String(kScaleItems[mode]));
        a->setCheckable(true);
        a->setData(mode); // the item's tag is its zoom mode
        m_scaleGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, mode] { m_box->SetZoomMode(mode); });
    }

    GuardedConnect(tbtPrint, &QToolButton::clicked, this, &TPreviewFormEh::tbtPrintClick);
    GuardedConnect(tbtPDF, &QToolButton::clicked, this, &TPreviewFormEh::tbtPDFClick);
    GuardedConnect(tbtPrinterSetupDialog, &QToolButton::clicked, this,
                   &TPreviewFormEh::tbtPrinterSetupDialogClick);
    GuardedConnect(tbtScale, &QToolButton::clicked, this, &TPreviewFormEh::tbtScaleClick);
    GuardedConnect(tbStop, &QToolButton::clicked, this, &TPreviewFormEh::tbStopClick);
    GuardedConnect(tbClose, &QToolButton::clicked, this, &TPreviewFormEh::tbCloseClick);
    for (const auto& entry : {std::pair{tbtPrevPage, -1}, std::pair{tbtNextPage, 1}}) {
        QToolButton* b = entry.first;
        const int step = entry.second;
        connect(b, &QToolButton::pressed, this, [this, step] { stepPressed(step); });
        connect(b, &QToolButton::released, this, &TPreviewFormEh::stepReleased);
        connect(b, &QToolButton::clicked, this, [this, step] { stepClicked(step); });
    }
    applyLook(TToolbarLook::CaptionsOnly);
}

void TPreviewFormEh::applyLook(TToolbarLook look) {
    m_look = look;
    const Qt::ToolButtonStyle style = look == TToolbarLook::CaptionsOnly ? Qt::ToolButtonTextOnly
                                      : look == TToolbarLook::ImagesOnly
                                          ? Qt::ToolButtonIconOnly
                                          : Qt::ToolButtonTextUnderIcon;
    const QSize size = look == TToolbarLook::CaptionsOnly ? QSize(66, 21)
                       : look == TToolbarLook::ImagesOnly ? QSize(39, 38)
                                                          : QSize(66, 52);
    for (QToolButton* b : m_toolbar->findChildren<QToolButton*>()) {
        b->setToolButtonStyle(style);
        b->setIconSize(QSize(24, 24));
        // A caption wider than the button in this face widens it rather than being cut.
        const int textWidth = b->fontMetrics().horizontalAdvance(b->text()) + 10;
        b->setFixedSize(look == TToolbarLook::ImagesOnly ? size.width()
                                                         : std::max(size.width(), textWidth),
                        size.height());
    }
}

int TPreviewFormEh::ToolbarHeight() const {
    return m_splitter->sizes().value(0);
}

void TPreviewFormEh::SetToolbarHeight(int height) {
    // A drag can cross two thresholds at once; each look hands over to the next.
    for (int i = 0; i < 2; ++i) {
        TToolbarLook next = m_look;
        switch (m_look) {
        case TToolbarLook::CaptionsOnly:
            if (height > 40)
                next = TToolbarLook::ImagesOnly;
            break;
        case TToolbarLook::ImagesOnly:
            if (height > 54)
                next = TToolbarLook::ImagesWithCaptions;
            else if (height <= 24)
                next = TToolbarLook::CaptionsOnly;
            break;
        case TToolbarLook::ImagesWithCaptions:
            if (height <= 41)
                next = TToolbarLook::ImagesOnly;
            break;
        }
        if (next == m_look)
            break;
        applyLook(next);
    }
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (sizes.value(0) != height)
        m_splitter->setSizes({height, std::max(0, total - height)});
}

void TPreviewFormEh::AttachTo(QWidget* owner) {
    // Over a modal window the preview must be its transient child, or it takes no input.
    if (!owner)
        return;
    winId();
    if (QWindow* w = windowHandle())
        w->setTransientParent(owner->window()->windowHandle());
}

void TPreviewFormEh::UpdateState() {
    const bool printing = m_printer.Printing();
    tbtPrint->setEnabled(!printing && m_printer.Device().Installed());
    tbtPDF->setEnabled(!printing && m_printer.PageCount() > 0);
    tbtPrinterSetupDialog->setEnabled(!printing && bool(m_printer.SetupHandler) &&
                                      !m_printer.PrintComponent.isNull());
    tbtPrevPage->setEnabled(m_box->CurrentPage() > 1);
    tbtNextPage->setEnabled(m_box->CurrentPage() < m_box->PageCount());
    tbStop->setEnabled(printing);
    tbClose->setEnabled(!printing);
    m_status->setText(
        Format(QStringLiteral("Page %d of %d"), {m_box->CurrentPage(), m_box->PageCount()}));
    setWindowTitle(QStringLiteral("Preview - ") + m_printer.Title());
    const QList<QAction*> items = m_scaleGroup->actions();
    if (m_box->ZoomMode() >= 0 && m_box->ZoomMode() < items.size())
        items.at(m_box->ZoomMode())->setChecked(true);
    if (!printing && m_closeWhenDone) {
        m_closeWhenDone = false;
        hide();
    }
}

void TPreviewFormEh::openPreviewer() {
    if (m_closeWhenDone)
        return;
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    if (!isVisible())
        showMaximized();
    if (!isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void TPreviewFormEh::tbtPrintClick() {
    if (m_printer.Printing() || !m_printer.Device().Installed() || m_printer.PageCount() == 0)
        return;
    int from = 1, to = m_printer.PageCount();
    if (!Printers().PrintDialog(this, *m_printer.Device().Printer(), 1, m_printer.PageCount(), from,
                                to))
        return;
    m_printer.PrintPages(from, to);
}

void TPreviewFormEh::tbtPDFClick() {
    if (m_printer.Printing() || m_printer.PageCount() == 0)
        return;
    SaveDialogRequest request;
    request.filter = QStringLiteral("PDF(*.pdf)|*.pdf");
    request.defaultExtension = QStringLiteral("pdf");
    request.fileName = QStringLiteral("Tabular information");
    const SaveDialogResult chosen = FileDialogs().Save(this, request);
    if (!chosen.accepted || chosen.fileName.isEmpty())
        return;
    if (!m_printer.SavePdf(chosen.fileName))
        ReportError(Format(QStringLiteral("Cannot create file \"%s\""), {chosen.fileName}));
}

void TPreviewFormEh::tbtPrinterSetupDialogClick() {
    if (m_printer.Printing() || m_printer.PrintComponent.isNull())
        return;
    if (m_printer.SetupHandler) {
        // The handler may lay the pages out again; hold on to it meanwhile.
        const std::function<void()> handler = m_printer.SetupHandler;
        handler();
        return;
    }
    if (m_printer.Device().Installed() &&
        Printers().PrinterSetupDialog(this, *m_printer.Device().Printer()))
        m_box->UpdateZoom();
}

void TPreviewFormEh::tbtScaleClick() {
    pmnScale->popup(tbtScale->mapToGlobal(QPoint(0, tbtScale->height())));
}

void TPreviewFormEh::tbtPrevPageClick() {
    m_box->SetCurrentPage(m_box->CurrentPage() - 1);
}

void TPreviewFormEh::tbtNextPageClick() {
    m_box->SetCurrentPage(m_box->CurrentPage() + 1);
}

void TPreviewFormEh::stepPressed(int step) {
    m_repeatStep = step;
    m_repeating = false;
    m_repeat.start(400);
}

void TPreviewFormEh::repeatStep() {
    QToolButton* b = m_repeatStep < 0 ? tbtPrevPage : tbtNextPage;
    if (!b->isDown()) {
        m_repeat.stop();
        return;
    }
    m_repeating = true;
    m_repeat.setInterval(100);
    m_repeatStep < 0 ? tbtPrevPageClick() : tbtNextPageClick();
}

void TPreviewFormEh::stepReleased() {
    m_repeat.stop();
}

void TPreviewFormEh::stepClicked(int step) {
    // Once the step repeats, letting go adds no further step.
    if (m_repeating) {
        m_repeating = false;
        return;
    }
    step < 0 ? tbtPrevPageClick() : tbtNextPageClick();
}

void TPreviewFormEh::tbStopClick() {
    m_printer.Abort();
}

void TPreviewFormEh::tbCloseClick() {
    close();
}

void TPreviewFormEh::closeEvent(QCloseEvent* e) {
    if (m_printer.Printing()) {
        // The run ends at its next page; the window goes when it has.
        m_printer.Abort();
        m_closeWhenDone = true;
        e->ignore();
        return;
    }
    e->accept();
}

void TPreviewFormEh::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        if (m_printer.Printing())
            tbStopClick();
        else
            close();
        e->accept();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

TPreviewFormEh& PreviewFormEh() {
    if (!g_form) {
        g_form = new TPreviewFormEh;
        // Owned by the application: it goes when the application does.
        qAddPostRoutine([] {
            delete g_form;
            g_form = nullptr;
        });
    }
    return *g_form;
}

bool PreviewFormExists() {
    return g_form != nullptr;
}
