// The grid's footer row: its texts, the sums under the columns, and how it is drawn.
#include "grid/GridFooter.h"

#include "data/UtQuery.h"
#include "grid/DBGridEh.h"

#include <QHeaderView>
#include <QPainter>

TGridFooter::TGridFooter(TDBGridEh* grid) : QWidget(grid), m_grid(grid) {}

void TGridFooter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_grid->m_footerColor);
    p.setFont(m_grid->FooterFont());
    QHeaderView* h = m_grid->horizontalHeader();
    const int n = m_grid->ColumnCount();
    // Frozen columns last, so they cover what scrolls beneath them.
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < n; ++c) {
            const bool frozen = c < m_grid->m_frozenCols;
            if (frozen != (pass == 1) || h->isSectionHidden(c))
                continue;
            const int x = frozen ? h->sectionPosition(c) : h->sectionViewportPosition(c);
            const QRect cell(x, 0, h->sectionSize(c), height());
            if (frozen)
                p.fillRect(cell, m_grid->m_footerColor);
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(cell.topRight(), cell.bottomRight());
            p.setPen(m_grid->FontColor());
            p.drawText(cell.adjusted(3, 0, -3, 0),
                       int(m_grid->FooterAlignment(c)) | Qt::AlignVCenter,
                       m_grid->m_footerTexts[size_t(c)]);
        }
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
}

void TDBGridEh::recomputeFooter() {
    const bool open = m_query && m_query->Active();
    for (int c = 0; c < ColumnCount(); ++c) {
        const TColumnEh& col = Column(c);
        QString text;
        if (col.FooterType == TFooterValueType::fvtStaticText) {
            text = col.FooterText;
        } else if (col.FooterType == TFooterValueType::fvtSum && open) {
            text = sumText(footerField(c), col.FooterFormat == QLatin1String("0.##"));
        } else if (col.FooterType == TFooterValueType::fvtCount && open) {
            const int f = footerField(c);
            int count = 0;
            if (f >= 0)
                for (int r = 0, n = m_query->RecordCount(); r < n; ++r)
                    count += m_query->ValueAt(r, f).isNull() ? 0 : 1;
            text = QString::number(count);
        }
        m_footerTexts[size_t(c)] = text;
    }
}

QString TDBGridEh::sumText(int field, bool twoDecimals) const {
    // The grid refreshes from destructors and paint code, where nothing may be thrown: a
    // sum without a value is shown empty.
    MoneySum sum;
    if (field >= 0)
        for (int r = 0, n = m_query->RecordCount(); r < n; ++r)
            sum.add(m_query->ValueAt(r, field));
    return twoDecimals ? sum.toShortString() : sum.toPlainString();
}

QString TDBGridEh::FooterText(int column) const {
    return m_footerTexts.at(size_t(column));
}

int TDBGridEh::footerField(int column) const {
    return column >= 0 && column < ColumnCount() ? m_footerFieldIndex[size_t(column)] : -1;
}

TFieldKind TDBGridEh::FooterFieldKind(int column) const {
    return kindOfField(footerField(column));
}

Qt::Alignment TDBGridEh::FooterAlignment(int column) const {
    const TFieldKind k = FieldKind(column);
    return k == TFieldKind::fkInteger || k == TFieldKind::fkFloat ? Qt::AlignRight : Qt::AlignLeft;
}

QFont TDBGridEh::FooterFont() const {
    return m_footerFont ? *m_footerFont : font();
}

void TDBGridEh::SetFooterFont(const QFont& font) {
    m_footerFont = font;
    m_footer->update();
}

QVariant TDBGridEh::FooterValue(int row, int column) const {
    const int f = footerField(column);
    if (f < 0 || row < 0 || row >= RowCount())
        return {};
    return m_query->ValueAt(row, f);
}

void TDBGridEh::SetFooterRowCount(int rows) {
    m_footerRows = std::max(0, std::min(rows, 1));
    m_footer->setVisible(m_footerRows > 0);
    updateGeometries();
}

void TDBGridEh::SetFooterColor(const QColor& c) {
    m_footerColor = c;
    m_footer->update();
}
