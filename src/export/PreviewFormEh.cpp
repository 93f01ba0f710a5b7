#include "export/PreviewFormEh.h"

#include "data/UtFormat.h"
#include "export/PrintDBGridEh.h"
#include "platform/Platform.h"
#include "platform/Printers.h"
#include "ui/ErrorReport.h"
#include "ui/Guarded.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>

static void initPreviewResources() {
    Q_INIT_RESOURCE(preview);
}

namespace {

const char* const kScaleItems[] = {"500%", "200%", "150%", "100%",       "75%",
                                   "50%",  "25%",  "10%",  "Page Width", "Whole Page"};

// The toolbar's pictures, by the name of the command.
QIcon toolPicture(const char* name) {
    initPreviewResources();
    return QIcon(QStringLiteral(":/export/pictures/preview-%1.png").arg(QLatin1String(name)));
}

TPreviewFormEh* g_form = nullptr;

} // namespace

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
    m_printer.Observer = m_box;
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
    m_printer.Observer = nullptr;
    if (g_form == this)
        g_form = nullptr;
}

void TPreviewFormEh::buildToolbar() {
    auto* row = new QHBoxLayout(m_toolbar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    auto button = [&](const char* name, const char* caption, const char* hint,
                      const char* picture) {
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
    tbtPrint = button("tbtPrint", "Print", nullptr, "print");
    tbtPDF = button("tbtPDF", "PDF", nullptr, "pdf");
    tbtPrinterSetupDialog = button("tbtPrinterSetupDialog", "Printer setup", nullptr, "setup");
    tbtScale = button("tbtScale", "Scale", nullptr, "scale");
    tbtPrevPage = button("tbtPrevPage", "Previous", "Previous page", "previous");
    tbtNextPage = button("tbtNextPage", "Next", "Next page", "next");
    tbStop = button("tbStop", "Stop", nullptr, "stop");
    tbClose = button("tbClose", "Close", "Close preview", "close");
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
    request.fileName = PrintTitle;
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
