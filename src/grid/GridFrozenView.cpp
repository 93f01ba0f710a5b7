// The grid's frozen first column: a second view over the same rows and selection laid
// over the left edge, where the windows paint their "No." column, and the overlays'
// places.
#include "grid/DBGridEh.h"

#include "grid/GridFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

void TDBGridEh::SetFrozenCols(int count) {
    m_frozenCols = std::clamp(count, 0, 1);
    if (m_frozenCols == 0) {
        delete m_frozen;
        m_frozen = nullptr;
        return;
    }
    if (!m_frozen) {
        // A second view over the same rows and selection, showing only the frozen
        // column, laid over the left edge so sideways scrolling passes beneath it.
        m_frozen = new QTableView(this);
        m_frozen->setModel(m_model);
        m_frozen->setSelectionModel(selectionModel());
        m_frozen->setItemDelegate(m_delegate);
        m_frozen->setFocusPolicy(Qt::NoFocus);
        m_frozen->setEditTriggers(NoEditTriggers);
        m_frozen->setSelectionBehavior(SelectRows);
        m_frozen->setSelectionMode(selectionMode());
        m_frozen->setWordWrap(false);
        m_frozen->verticalHeader()->hide();
        m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_frozen->horizontalHeader()->setHighlightSections(false);
        m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozen->setFrameShape(QFrame::NoFrame);
        m_frozen->setPalette(palette());
        m_frozen->setVerticalScrollMode(verticalScrollMode());
        connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(m_frozen->horizontalHeader(), &QHeaderView::sectionClicked, this,
                &TDBGridEh::titleClicked);
        m_frozen->show();
    }
    applyColumnLayout();
}

void TDBGridEh::placeOverlays() {
    const QRect vp = viewport()->geometry();
    if (m_footerRows > 0)
        m_footer->setGeometry(vp.x(), vp.bottom() + 1, vp.width(), viewportMargins().bottom());
    if (m_frozen) {
        int w = 0;
        for (int c = 0; c < m_frozenCols; ++c)
            w += columnWidth(c);
        const int headerHeight = horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
        m_frozen->horizontalHeader()->setFixedHeight(headerHeight);
        m_frozen->horizontalHeader()->setVisible(headerHeight > 0);
        m_frozen->setGeometry(vp.x(), vp.y() - headerHeight, w, vp.height() + headerHeight);
        m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
    }
}

void TDBGridEh::DrawRecNo(QPainter* painter, const QRect& rect) const {
    if (m_drawingRecNo == -1)
        return;
    painter->setPen(palette().color(QPalette::ButtonText));
    const QFontMetrics fm(painter->font());
    painter->drawText(rect.left() + 3, rect.top() + 2 + fm.ascent(),
                      QString::number(m_drawingRecNo));
}
