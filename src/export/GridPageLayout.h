#pragma once

#include "data/Rounding.h"
#include "export/VirtualPrinter.h"

#include <QColor>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFont>
#include <QRectF>
#include <QString>
#include <vector>

class TDBGridEh;
class TPrintDBGridEh;
struct TGridSelection;

// The values a page header or footer can name.
struct TPageMacros {
    int Page = 1;
    int Pages = 1;
    QDateTime Now = QDateTime::currentDateTime();
};
// Replaces &[Page], &[Pages], &[ShortDate], &[Date], &[LongDate] and &[Time] without
// regard to case; a macro written with a doubled "&" in front is left as it stands.
QString ReplacePageMacros(const QString& text, const TPageMacros& macros);
bool NamesPageCount(const QString& text);

// Which grid columns and which rows a layout prints, from the grid's selection:
// columns as grid column indexes in display order, rows as positions in the list.
std::vector<int> ColumnsToPrint(const TGridSelection& selection, const std::vector<int>& visible);
std::vector<int> RowsToPrint(const TGridSelection& selection, int recordCount);

// Fits column widths into a frame by scaling each (multiply, then divide); the last
// column takes what the integer division leaves, so the widths add up to the frame.
void FitByColumnWidths(std::vector<int>& widths, int frameWidth);

// Distributes columns over strips of the frame's width, left to right. A column wider
// than the frame is cut to it; every strip holds at least one column.
std::vector<std::vector<int>> SplitIntoStrips(std::vector<int>& widths, int frameWidth);

// The layout of one grid onto the pages of one printer: the whole run, from the begin of
// the document to its end. With counting set nothing is drawn and no events are
// processed; only the pages are counted.
class TGridPageLayout {
public:
    TGridPageLayout(const TPrintDBGridEh& component, TVirtualPrinter& printer, bool counting,
                    int pageCount);
    void Run();

    // What the layout decided, for whoever wants to look (the benchmark, tests).
    const std::vector<std::vector<int>>& Strips() const { return m_strips; }
    const std::vector<int>& Widths() const { return m_widths; }
    QRectF GridFrame() const { return m_gridFrame; }

private:
    struct Column {
        int Index;      // in the grid
        int FieldIndex; // in the result, or -1
        QString Title;
        Qt::Alignment Align, TitleAlign;
        QColor Color;
        bool HideDuplicates;
        QString FooterText;
    };
    enum class Stop { No, Yes };

    void prepare();
    void measureWidths();
    void computeFooters();
    void measureBands();
    int lineHeight(int line);
    QFont printerFont(const QFont& screenFont) const;

    void startPage(bool newPage);
    bool abortRequested();
    void drawHeaderFooter();
    void drawColontitle(const struct TPageColontitle& c, bool header);
    void flow();
    void drawTitles(const std::vector<int>& strip, qreal& y);
    void drawLine(int line, const std::vector<int>& strip, qreal y, qreal h);
    void drawCell(const QRectF& cell, const QString& text, const QFont& font, Qt::Alignment align,
                  const QColor& fill, bool leftLine, bool topLine, bool wrap);
    void cellDone();
    void printRichText(const QString& html, bool startsDocument);

    const TPrintDBGridEh& m_comp;
    TDBGridEh* m_grid;
    TVirtualPrinter& m_printer;
    bool m_counting;
    bool m_stopped = false;
    int m_pageCount;
    TPageMacros m_macros;
    TPageGeometry m_geo;
    QPainter* m_canvas = nullptr;

    double m_scaleX = 1, m_scaleY = 1;
    int m_hInset = 0, m_vInset = 0, m_lineWidth = 1;
    QRect m_frame;      // device units, inside the margins, less header and footer
    QRectF m_gridFrame; // where the grid goes, in the units it is drawn in
    double m_fit = 1;   // fit by scaling: device units per grid unit

    std::vector<Column> m_cols;
    std::vector<int> m_widths;
    std::vector<std::vector<int>> m_strips;
    std::vector<int> m_lines; // a list position, or -1 - n for footer row n
    std::vector<int> m_lineHeights;

    QFont m_font, m_titleFont, m_footerFont, m_headerFontP, m_footerFontP;
    QColor m_fixedColor, m_footerColor;
    bool m_elide = false;
    bool m_wrap = false;
    int m_baseRowHeight = 0, m_titleHeight = 0, m_titleBandHeight = 0;
    int m_headerBand = 0, m_footerBand = 0, m_headerText = 0, m_footerText = 0;
    qreal m_y = 0;                 // where the next thing goes on the page, grid units
    bool m_pageHasContent = false; // anything printed on the page being drawn
    std::vector<QString> m_above;  // per column: the text above, for hidden duplicates
    QElapsedTimer m_sinceEvents;   // since events were last let through
};
