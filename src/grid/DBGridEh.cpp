#include "grid/DBGridEh.h"

#include "data/Errors.h"
#include "data/UtQuery.h"
#include "grid/GridFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace {

// By the declared type, as the engine's type affinity reads it; dates, texts and
// yes/no values are shown as texts. An expression declares nothing, so its first
// value that is not null tells.
TFieldKind fieldKindOf(const TQuery& q, int field) {
    const QString t = q.FieldDeclType(field).toUpper();
    if (t.isEmpty()) {
        for (int r = 0, n = q.RecordCount(); r < n; ++r) {
            const QVariant& v = q.ValueAt(r, field);
            if (v.typeId() == QMetaType::LongLong)
                return TFieldKind::fkInteger;
            if (v.typeId() == QMetaType::Double)
                return TFieldKind::fkFloat;
            if (!v.isNull())
                return TFieldKind::fkOther;
        }
        return TFieldKind::fkOther;
    }
    if (t.contains(QLatin1String("INT")))
        return TFieldKind::fkInteger;
    for (const char* word : {"CHAR", "CLOB", "TEXT", "BLOB", "DATE", "TIME", "BOOL", "MEMO"})
        if (t.contains(QLatin1String(word)))
            return TFieldKind::fkOther;
    return TFieldKind::fkFloat; // REAL, FLOAT, DOUBLE, NUMERIC, DECIMAL, MONEY, CURRENCY
}

Qt::Alignment horizontal(Qt::Alignment a) {
    return a & Qt::AlignHorizontal_Mask;
}

} // namespace

// ---------------------------------------------------------------- TGridModel

TGridModel::TGridModel(TDBGridEh* grid) : QAbstractTableModel(grid), m_grid(grid) {}

int TGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid->ColumnCount();
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        QString text = m_grid->CellText(index.row(), index.column());
        if (m_grid->Column(index.column()).HideDuplicates && index.row() > 0 &&
            text == m_grid->CellText(index.row() - 1, index.column()))
            text.clear();
        return text;
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_grid->ColumnAlignment(index.column()) | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TGridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || section < 0 || section >= m_grid->ColumnCount())
        return {};
    if (role == Qt::DisplayRole)
        return m_grid->ColumnTitle(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_grid->TitleAlignment(section) | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TGridModel::Reset() {
    beginResetModel();
    const TQuery* q = m_grid->m_query;
    m_rows = q && q->Active() ? q->RecordCount() : 0;
    endResetModel();
}

// ---------------------------------------------------------------- TGridDelegate

TGridDelegate::TGridDelegate(TDBGridEh* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const TColumnEh& col = m_grid->Column(index.column());
    const bool selected = option.state & QStyle::State_Selected;
    if (!selected) {
        if (col.Color.isValid())
            painter->fillRect(option.rect, col.Color);
        else if (index.row() % 2 == 1 && m_grid->m_oddRowColor.isValid())
            painter->fillRect(option.rect, m_grid->m_oddRowColor);
    }
    QStyleOptionViewItem opt(option);
    // The selection stays visible when the grid has lost the focus.
    opt.state |= QStyle::State_Active;
    QStyledItemDelegate::paint(painter, opt, index);
    m_grid->m_drawingRecNo = index.row() + 1;
    painter->save();
    painter->setClipRect(option.rect);
    emit m_grid->DrawColumnCell(painter, option.rect, index.column());
    painter->restore();
    m_grid->m_drawingRecNo = -1;
}

// ---------------------------------------------------------------- TDBGridEh

TDBGridEh::TDBGridEh(QWidget* parent)
    : QTableView(parent), m_model(new TGridModel(this)), m_delegate(new TGridDelegate(this)),
      m_footer(new TGridFooter(this)) {
    setModel(m_model);
    setItemDelegate(m_delegate);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setStretchLastSection(false);
    setHorizontalScrollMode(ScrollPerPixel);
    m_footer->hide();

    // Selected rows keep their colour without the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &TDBGridEh::sectionResized);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBGridEh::titleClicked);
}

TDBGridEh::~TDBGridEh() = default;

void TDBGridEh::SetColumns(std::vector<TColumnEh> columns) {
    m_columns = std::move(columns);
    m_fieldIndex.assign(m_columns.size(), -1);
    m_footerTexts.assign(m_columns.size(), QString());
    m_model->Reset();
    applyColumnLayout();
    DataChanged();
}

void TDBGridEh::applyColumnLayout() {
    QHeaderView* h = horizontalHeader();
    for (int c = 0; c < ColumnCount(); ++c) {
        const TColumnEh& col = Column(c);
        h->setSectionResizeMode(c, col.Fixed ? QHeaderView::Fixed : QHeaderView::Interactive);
        h->resizeSection(c, col.Width);
    }
    if (m_frozen) {
        for (int c = 0; c < ColumnCount(); ++c) {
            m_frozen->setColumnHidden(c, c >= m_frozenCols);
            if (c < m_frozenCols)
                m_frozen->setColumnWidth(c, columnWidth(c));
        }
    }
    updateMarkers();
    placeOverlays();
}

void TDBGridEh::SetDataSet(TQuery* query) {
    m_query = query;
    DataChanged();
}

void TDBGridEh::DataChanged() {
    m_fieldIndex.assign(m_columns.size(), -1);
    m_footerFieldIndex.assign(m_columns.size(), -1);
    m_fieldKinds.clear();
    if (m_query && m_query->Active()) {
        for (int c = 0; c < ColumnCount(); ++c) {
            const TColumnEh& col = Column(c);
            if (!col.FieldName.isEmpty())
                m_fieldIndex[size_t(c)] = m_query->FindFieldIndex(col.FieldName);
            m_footerFieldIndex[size_t(c)] = col.FooterField.isEmpty()
                                                ? m_fieldIndex[size_t(c)]
                                                : m_query->FindFieldIndex(col.FooterField);
        }
        for (int f = 0; f < m_query->FieldCount(); ++f)
            m_fieldKinds.push_back(fieldKindOf(*m_query, f));
    }
    recomputeFooter();
    m_model->Reset();
    // Titles may follow the result's own field names.
    m_model->headerDataChanged(Qt::Horizontal, 0, std::max(0, ColumnCount() - 1));
    m_footer->update();
}

TGridReload::TGridReload(TDBGridEh* grid) : m_grid(grid) {
    if (TQuery* q = m_grid->DataSet())
        q->Close();
    m_grid->DataChanged();
}

TGridReload::~TGridReload() {
    m_grid->DataChanged();
}

int TDBGridEh::FieldIndex(int column) const {
    return column >= 0 && column < ColumnCount() ? m_fieldIndex[size_t(column)] : -1;
}

QString TDBGridEh::formatValue(const QVariant& v) const {
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Double: {
        // General number format: shortest form, no thousands separator.
        QLocale l;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l.toString(v.toDouble(), 'g', 15);
    }
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    default:
        return v.toString();
    }
}

QString TDBGridEh::CellText(int row, int column) const {
    const int f = FieldIndex(column);
    if (f < 0 || !m_query || row < 0 || row >= m_model->m_rows || row >= m_query->RecordCount())
        return {};
    return formatValue(m_query->ValueAt(row, f));
}

QString TDBGridEh::ColumnTitle(int column) const {
    const TColumnEh& col = Column(column);
    if (!col.Title.isEmpty())
        return col.Title;
    const int f = FieldIndex(column);
    return f >= 0 ? m_query->FieldName(f) : col.FieldName;
}

TFieldKind TDBGridEh::kindOfField(int field) const {
    return field >= 0 && field < int(m_fieldKinds.size()) ? m_fieldKinds[size_t(field)]
                                                          : TFieldKind::fkNone;
}

TFieldKind TDBGridEh::FieldKind(int column) const {
    return kindOfField(FieldIndex(column));
}

Qt::Alignment TDBGridEh::ColumnAlignment(int column) const {
    if (const Qt::Alignment own = horizontal(Column(column).Alignment))
        return own;
    const TFieldKind k = FieldKind(column);
    return k == TFieldKind::fkInteger || k == TFieldKind::fkFloat ? Qt::AlignRight : Qt::AlignLeft;
}

Qt::Alignment TDBGridEh::TitleAlignment(int column) const {
    const Qt::Alignment own = horizontal(Column(column).TitleAlignment);
    return own ? own : Qt::AlignLeft;
}

QColor TDBGridEh::ColumnColor(int column) const {
    const QColor& own = Column(column).Color;
    return own.isValid() ? own : palette().color(QPalette::Base);
}

std::vector<int> TDBGridEh::VisibleColumns() const {
    std::vector<int> cols;
    const QHeaderView* h = horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int c = h->logicalIndex(v);
        if (c >= 0 && c < ColumnCount() && !isColumnHidden(c))
            cols.push_back(c);
    }
    return cols;
}

int TDBGridEh::RowCount() const {
    return m_query ? std::min(m_model->m_rows, m_query->RecordCount()) : 0;
}

QFont TDBGridEh::TitleFont() const {
    return horizontalHeader()->font();
}

QColor TDBGridEh::TitleFontColor() const {
    return horizontalHeader()->palette().color(QPalette::ButtonText);
}

QColor TDBGridEh::FontColor() const {
    return palette().color(QPalette::Text);
}

QColor TDBGridEh::FixedColor() const {
    return palette().color(QPalette::Button);
}

void TDBGridEh::SetFlat(bool on) {
    m_flat = on;
    setFrameShadow(on ? QFrame::Plain : QFrame::Sunken);
}

QVariant TDBGridEh::CellValue(int row, int column) const {
    const int f = FieldIndex(column);
    if (f < 0 || row < 0 || row >= RowCount())
        return {};
    return m_query->ValueAt(row, f);
}

void TDBGridEh::SetSortMarker(int column, TSortMarker marker) {
    for (int c = 0; c < ColumnCount(); ++c)
        m_columns[size_t(c)].SortMarker = c == column ? marker : TSortMarker::smNone;
    updateMarkers();
}

void TDBGridEh::updateMarkers() {
    int marked = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    for (int c = 0; c < ColumnCount(); ++c)
        if (Column(c).SortMarker != TSortMarker::smNone) {
            marked = c;
            order = Column(c).SortMarker == TSortMarker::smUp ? Qt::AscendingOrder
                                                              : Qt::DescendingOrder;
        }
    horizontalHeader()->setSortIndicator(marked, order);
}

void TDBGridEh::titleClicked(int logical) {
    if (m_titleButtons && logical >= 0 && logical < ColumnCount() && Column(logical).TitleButton)
        emit TitleBtnClick(logical);
    // The header moves its own indicator on a click; ours follows the markers only.
    updateMarkers();
}

void TDBGridEh::sectionResized(int logical, int, int newSize) {
    if (logical < 0 || logical >= ColumnCount())
        return;
    const TColumnEh& col = Column(logical);
    int bounded = newSize;
    if (col.MinWidth > 0)
        bounded = std::max(bounded, col.MinWidth);
    if (col.MaxWidth > 0)
        bounded = std::min(bounded, col.MaxWidth);
    if (bounded != newSize) {
        horizontalHeader()->resizeSection(logical, bounded);
        return;
    }
    if (m_frozen && logical < m_frozenCols) {
        m_frozen->setColumnWidth(logical, newSize);
        placeOverlays();
    }
    m_footer->update();
}

std::vector<int> TDBGridEh::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TDBGridEh::SetMultiSelect(bool on) {
    setSelectionMode(on ? ExtendedSelection : SingleSelection);
    // Clicks in the frozen column work on the same selection and must extend it alike.
    if (m_frozen)
        m_frozen->setSelectionMode(selectionMode());
}

TGridSelection TDBGridEh::Selection() const {
    TGridSelection s;
    // A single-row grid always shows its current row; only a multi-row grid selects.
    if (selectionMode() == ExtendedSelection) {
        s.Rows = SelectedRows();
        if (!s.Rows.empty())
            s.Type = TGridSelectionType::gstRecordBookmarks;
    }
    return s;
}

void TDBGridEh::SetRowHeight(int pixels) {
    m_rowHeight = std::max(0, pixels);
    applyRowHeight();
}

void TDBGridEh::SetRowLines(int lines) {
    m_rowLines = std::max(0, lines);
    applyRowHeight();
}

void TDBGridEh::applyRowHeight() {
    const QFontMetrics fm(font());
    const int h = m_rowHeight > 0 || m_rowLines > 0
                      ? m_rowLines * (fm.height() + fm.leading()) + m_rowHeight
                      : fm.height() + 5;
    verticalHeader()->setDefaultSectionSize(std::max(h, 4));
    if (m_frozen)
        m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    updateGeometries();
}

void TDBGridEh::SetOddRowColor(const QColor& c) {
    m_oddRowColor = c;
    viewport()->update();
}

void TDBGridEh::updateGeometries() {
    QTableView::updateGeometries();
    if (m_inLayout)
        return;
    m_inLayout = true;
    const int footerHeight = m_footerRows > 0 ? verticalHeader()->defaultSectionSize() + 2 : 0;
    QMargins m = viewportMargins();
    if (m.bottom() != footerHeight) {
        m.setBottom(footerHeight);
        setViewportMargins(m);
    }
    m_inLayout = false;
    placeOverlays();
}

void TDBGridEh::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    placeOverlays();
}

void TDBGridEh::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0)
        m_footer->update();
}
