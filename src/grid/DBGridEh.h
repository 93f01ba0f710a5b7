#pragma once

#include "data/Money.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>
#include <QTableView>
#include <optional>
#include <vector>

class TQuery;
class TDBGridEh;
class TGridFooter;

enum class TSortMarker { smNone, smUp, smDown };
enum class TFooterValueType { fvtNon, fvtStaticText, fvtSum, fvtCount };
// What a result field holds, by its declared type (or, for an expression without one, by
// its values): writers keep whole numbers and numbers as numbers.
enum class TFieldKind { fkNone, fkInteger, fkFloat, fkOther };

// What is selected in the grid, as printing reads it.
enum class TGridSelectionType { gstNon, gstRecordBookmarks, gstRectangle, gstColumns, gstAll };
struct TGridSelection {
    TGridSelectionType Type = TGridSelectionType::gstNon;
    std::vector<int> Rows;                                        // selected records, in list order
    int LeftCol = -1, RightCol = -1, TopRow = -1, BottomRow = -1; // a rectangle
    std::vector<int> Columns;                                     // selected columns
};

// One column of the grid: which result field it shows and how.
struct TColumnEh {
    QString FieldName;       // matched to the result without regard to case; empty: unbound
    QString Title;           // empty: the field name as the query delivers it
    Qt::Alignment Alignment; // none: the field's (numbers right, other values left)
    Qt::Alignment TitleAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    int Width = 64;
    int MinWidth = 0;        // 0: no limit
    int MaxWidth = 0;        // 0: no limit
    bool Fixed = false;      // the user cannot drag it
    bool TitleButton = true; // a click on its title is reported
    QColor Color;            // cell background; invalid: the grid's own
    TFooterValueType FooterType = TFooterValueType::fvtNon;
    QString FooterText;   // for fvtStaticText
    QString FooterField;  // for fvtSum; empty: the column's own field
    QString FooterFormat; // "0.##": at most two decimals; empty: general number
    TSortMarker SortMarker = TSortMarker::smNone;
    bool HideDuplicates = false; // a cell equal to the one above shows empty
};

// The read-only table model over a query's in-memory rows, in the query's current order.
class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Owned by its grid, so it goes with it.
    explicit TGridModel(TDBGridEh* grid);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void Reset(); // begin + end reset in one step

private:
    friend class TDBGridEh;
    TDBGridEh* m_grid;
    int m_rows = 0; // rows as of the last reset, so a query closed meanwhile is never read
};

// Paints the alternate-row tint and the column colour under the cell, then lets the
// grid's owner draw into the finished cell.
class TGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TGridDelegate(TDBGridEh* grid);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TDBGridEh* m_grid;
};

// The data-aware grid behind every list: columns bound to result fields, title buttons,
// sort markers, one footer row, a frozen first column, tinted rows and row selection.
class TDBGridEh : public QTableView {
    Q_OBJECT
public:
    explicit TDBGridEh(QWidget* parent = nullptr);
    ~TDBGridEh() override;

    // Columns; set them before the data, or call DataChanged afterwards.
    void SetColumns(std::vector<TColumnEh> columns);
    int ColumnCount() const { return int(m_columns.size()); }
    const TColumnEh& Column(int i) const { return m_columns.at(size_t(i)); }

    // The grid reads its rows from this query; DataChanged after every (re)open or sort.
    void SetDataSet(TQuery* query);
    TQuery* DataSet() const { return m_query; }
    void DataChanged();

    // The field index a column is bound to in the open result, or -1.
    int FieldIndex(int column) const;

    // Sort markers, one column at a time: setting one takes the others off.
    void SetSortMarker(int column, TSortMarker marker);
    TSortMarker SortMarker(int column) const { return Column(column).SortMarker; }

    // Presentation, as shown: for export and printing.
    QString ColumnTitle(int column) const;
    int ColumnWidth(int column) const { return columnWidth(column); }
    Qt::Alignment ColumnAlignment(int column) const; // horizontal part only
    QString CellText(int row, int column) const;
    QString FooterText(int column) const;
    bool HasFooter() const { return m_footerRows > 0; }
    int FooterRowCount() const { return m_footerRows; }
    QFont TitleFont() const;
    QFont FooterFont() const; // the grid's own unless one was set
    void SetFooterFont(const QFont& font);
    QColor FooterColor() const { return m_footerColor; }
    QColor FixedColor() const; // behind the titles
    bool Flat() const { return m_flat; }
    void SetFlat(bool on);
    // Visible columns in display order.
    std::vector<int> VisibleColumns() const;
    // Rows shown, in the current order.
    int RowCount() const;
    Qt::Alignment TitleAlignment(int column) const;
    Qt::Alignment FooterAlignment(int column) const;
    QColor ColumnColor(int column) const; // the column's own, else the grid's
    QColor TitleFontColor() const;
    QColor FontColor() const; // of the cells' and the footer's texts
    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool on) { m_ctl3D = on; }

    // Values behind the shown texts, for writers that keep numbers as numbers.
    QVariant CellValue(int row, int column) const; // null for an unbound column
    TFieldKind FieldKind(int column) const;
    // A sum footer adds its own field when it names one, else the column's.
    QVariant FooterValue(int row, int column) const;
    TFieldKind FooterFieldKind(int column) const;
    // Row height in pixels and in lines of text; 0 each: the font decides.
    int RowHeight() const { return m_rowHeight; }
    int RowLines() const { return m_rowLines; }
    void SetRowHeight(int pixels);
    void SetRowLines(int lines);

    // Row positions (in list order) of the selected rows, ascending.
    std::vector<int> SelectedRows() const;
    void SetMultiSelect(bool on);
    TGridSelection Selection() const;

    // Options.
    void SetFooterRowCount(int rows);
    void SetFrozenCols(int count); // 0 or 1
    void SetOddRowColor(const QColor& c);
    void SetFooterColor(const QColor& c);
    void SetTitleButtons(bool on) { m_titleButtons = on; }

    // While a cell is being drawn: the 1-based record number of its row in the current
    // order, or -1 when the grid draws no row.
    int DrawingRecNo() const { return m_drawingRecNo; }
    // Writes the number of the row being drawn into its cell, 3 pixels in and 2 down, as
    // the windows' "No." columns show it; nothing when the row has no number.
    void DrawRecNo(QPainter* painter, const QRect& rect) const;

signals:
    // A click on a column title that acts as a button.
    void TitleBtnClick(int column);
    // After the grid has drawn a cell; DrawingRecNo() tells its row.
    void DrawColumnCell(QPainter* painter, const QRect& rect, int column);

protected:
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class TGridModel;
    friend class TGridDelegate;
    friend class TGridFooter;
    void applyColumnLayout();
    void placeOverlays();
    void recomputeFooter();
    void sectionResized(int logical, int oldSize, int newSize);
    void titleClicked(int logical);
    void updateMarkers();
    QString formatValue(const QVariant& v) const;
    QString sumText(int field, bool twoDecimals) const;
    int footerField(int column) const;
    TFieldKind kindOfField(int field) const;
    void applyRowHeight();

    std::vector<TColumnEh> m_columns;
    std::vector<int> m_fieldIndex;        // per column, in the open result
    std::vector<QString> m_footerTexts;   // cached when the data is (re)loaded
    std::vector<TFieldKind> m_fieldKinds; // per result field, likewise
    std::vector<int> m_footerFieldIndex;  // per column: the field its sum footer adds
    TQuery* m_query = nullptr;
    TGridModel* m_model;
    TGridDelegate* m_delegate;
    TGridFooter* m_footer;
    QTableView* m_frozen = nullptr;
    int m_frozenCols = 0;
    int m_footerRows = 0;
    bool m_titleButtons = true;
    bool m_inLayout = false;
    bool m_flat = false;
    int m_rowHeight = 0;
    int m_rowLines = 0;
    QColor m_oddRowColor;
    QColor m_footerColor{205, 206, 231};
    std::optional<QFont> m_footerFont;
    bool m_ctl3D = true;
    mutable int m_drawingRecNo = -1;
};

// A grid's query being filled again: made, it closes the query, and the grid lets go of
// the old rows before they are dropped; gone, however the scope is left, the grid shows
// whatever is open then, the empty result of a failed statement included.
class TGridReload {
public:
    explicit TGridReload(TDBGridEh* grid);
    ~TGridReload();
    TGridReload(const TGridReload&) = delete;
    TGridReload& operator=(const TGridReload&) = delete;

private:
    TDBGridEh* m_grid;
};
