// The layout's measuring: the page macros, which columns and rows go, their widths and
// heights, the footers' texts and the bands; the drawing is in GridPageDrawing.cpp.
#include "export/GridPageLayout.h"

#include "data/Errors.h"
#include "data/Money.h"
#include "data/UtQuery.h"
#include "export/PrintDBGridEh.h"
#include "grid/DBGridEh.h"
#include "platform/WaitCursor.h"

#include <QFontMetricsF>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numeric>

// ---------------------------------------------------------------- macros

namespace {

struct MacroName {
    const char* name;
    int kind;
};
const MacroName kMacros[] = {{"&[Pages]", 0}, {"&[Page]", 1},     {"&[ShortDate]", 2},
                             {"&[Date]", 2},  {"&[LongDate]", 3}, {"&[Time]", 4}};

QString macroValue(int kind, const TPageMacros& m) {
    const QLocale l;
    switch (kind) {
    case 0:
        return QString::number(m.Pages);
    case 1:
        return QString::number(m.Page);
    case 2:
        return l.toString(m.Now.date(), QLocale::ShortFormat);
    case 3:
        return l.toString(m.Now.date(), QLocale::LongFormat);
    default:
        return l.toString(m.Now.time(), QLocale::ShortFormat);
    }
}

} // namespace

QString ReplacePageMacros(const QString& text, const TPageMacros& macros) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        bool replaced = false;
        if (text.at(i) == u'&' && (i == 0 || text.at(i - 1) != u'&')) {
            for (const MacroName& m : kMacros) {
                const QLatin1String name(m.name);
                if (QStringView(text).mid(i).startsWith(name, Qt::CaseInsensitive)) {
                    out += macroValue(m.kind, macros);
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text.at(i++);
    }
    return out;
}

bool NamesPageCount(const QString& text) {
    TPageMacros a, b;
    b.Pages = 2;
    return ReplacePageMacros(text, a) != ReplacePageMacros(text, b);
}

// ---------------------------------------------------------------- pure steps

std::vector<int> ColumnsToPrint(const TGridSelection& s, const std::vector<int>& visible) {
    if (s.Type == TGridSelectionType::gstRectangle) {
        std::vector<int> cols;
        const auto first = std::find(visible.begin(), visible.end(), s.LeftCol);
        const auto last = std::find(visible.begin(), visible.end(), s.RightCol);
        if (first != visible.end() && last != visible.end() && first <= last)
            cols.assign(first, last + 1);
        return cols;
    }
    if (s.Type == TGridSelectionType::gstColumns) {
        std::vector<int> cols;
        for (int c : s.Columns)
            if (std::find(visible.begin(), visible.end(), c) != visible.end())
                cols.push_back(c);
        return cols;
    }
    return visible;
}

std::vector<int> RowsToPrint(const TGridSelection& s, int recordCount) {
    std::vector<int> rows;
    if (s.Type == TGridSelectionType::gstRecordBookmarks) {
        for (int r : s.Rows)
            if (r >= 0 && r < recordCount)
                rows.push_back(r);
    } else if (s.Type == TGridSelectionType::gstRectangle) {
        for (int r = std::max(0, s.TopRow); r <= std::min(s.BottomRow, recordCount - 1); ++r)
            rows.push_back(r);
    } else {
        rows.resize(size_t(std::max(0, recordCount)));
        std::iota(rows.begin(), rows.end(), 0);
    }
    return rows;
}

void FitByColumnWidths(std::vector<int>& widths, int frameWidth) {
    if (widths.empty())
        return;
    const qint64 total = std::accumulate(widths.begin(), widths.end(), qint64(0));
    if (total <= frameWidth || total <= 0)
        return;
    qint64 sum = 0;
    for (int& w : widths) {
        w = int(qint64(w) * std::max(frameWidth, 0) / total);
        sum += w;
    }
    widths.back() += int(std::max<qint64>(frameWidth, 0) - sum);
}

std::vector<std::vector<int>> SplitIntoStrips(std::vector<int>& widths, int frameWidth) {
    std::vector<std::vector<int>> strips;
    const int limit = std::max(frameWidth, 1);
    int used = 0;
    for (int i = 0; i < int(widths.size()); ++i) {
        widths[size_t(i)] = std::min(widths[size_t(i)], limit);
        if (strips.empty() || used + widths[size_t(i)] > limit) {
            strips.emplace_back();
            used = 0;
        }
        strips.back().push_back(i);
        used += widths[size_t(i)];
    }
    return strips;
}

// ---------------------------------------------------------------- the layout

TGridPageLayout::TGridPageLayout(const TPrintDBGridEh& component, TVirtualPrinter& printer,
                                 bool counting, int pageCount)
    : m_comp(component), m_grid(component.DBGridEh.data()), m_printer(printer),
      m_counting(counting), m_pageCount(pageCount) {}

QFont TGridPageLayout::printerFont(const QFont& screenFont) const {
    QFont f = screenFont;
    if (!m_comp.PrintFontName.isEmpty())
        f.setFamily(m_comp.PrintFontName);
    const int dpi = m_geo.FontDpi();
    const double px = screenFont.pixelSize() > 0
                          ? double(screenFont.pixelSize()) * dpi / m_grid->logicalDpiY()
                          : screenFont.pointSizeF() * dpi / 72.0;
    f.setPixelSize(std::max(1, RoundHalfEven(px)));
    // Glyphs drawn at every zoom keep the advances they were measured with.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void TGridPageLayout::prepare() {
    m_geo = m_printer.Geometry();
    m_macros.Pages = std::max(1, m_pageCount);

    // Scales between the grid's screen and the printer.
    const double sx = double(m_geo.DpiX) / m_grid->logicalDpiX();
    const double sy = double(m_geo.DpiY) / m_grid->logicalDpiY();
    m_scaleX = std::max(sx, 1 / sx);
    m_scaleY = std::max(sy, 1 / sy);

    auto margin = [&](const TMargin& m, int dpi) {
        const qint64 d = m_comp.Units() == TMeasureUnits::MM ? 25400 : 10000;
        return int(std::clamp<qint64>(DivRoundHalfEven(qint64(dpi) * m.Raw, d), -1000000, 1000000));
    };
    const TPageParams& page = m_comp.Page;
    // Right and bottom are the first units past the frame.
    const int left = margin(page.LeftMargin, m_geo.DpiX) - m_geo.OffsetX;
    const int top = margin(page.TopMargin, m_geo.DpiY) - m_geo.OffsetY;
    const int right = m_geo.Width + m_geo.OffsetX - margin(page.RightMargin, m_geo.DpiX);
    const int bottom = m_geo.Height + m_geo.OffsetY - margin(page.BottomMargin, m_geo.DpiY);
    m_frame = QRect(left, top, right - left, bottom - top);
    m_hInset = RoundHalfEven(2 * m_scaleX);
    m_vInset = RoundHalfEven(m_grid->Flat() ? m_scaleY : 2 * m_scaleY);
    m_lineWidth = std::max(1, RoundHalfEven((m_geo.DpiX + m_geo.DpiY) / 200.0));

    m_font = printerFont(m_grid->font());
    m_titleFont = printerFont(m_grid->TitleFont());
    m_footerFont = printerFont(m_grid->FooterFont());
    m_headerFontP = printerFont(m_comp.PageHeader.Font);
    m_footerFontP = printerFont(m_comp.PageFooter.Font);
    m_fixedColor = m_grid->FixedColor();
    m_footerColor = m_grid->FooterColor();
    m_elide = m_grid->textElideMode() != Qt::ElideNone;

    // Columns and rows to print.
    const TGridSelection sel = m_grid->Selection();
    for (int c : ColumnsToPrint(sel, m_grid->VisibleColumns())) {
        const TColumnEh& col = m_grid->Column(c);
        m_cols.push_back({c, m_grid->FieldIndex(c), m_grid->ColumnTitle(c), col.Alignment,
                          col.TitleAlignment, col.Color, col.HideDuplicates, QString()});
    }
    TQuery* q = m_grid->DataSet();
    for (int r : RowsToPrint(sel, q->RecordCount()))
        m_lines.push_back(r);
    for (int f = 0; f < m_grid->FooterRowCount(); ++f)
        m_lines.push_back(-1 - f);
    computeFooters();

    measureWidths();

    // Page header and footer take their room off the frame.
    const int vres = m_geo.DpiY;
    auto band = [&](const TPageColontitle& c, const QFont& font, int& textRoom) {
        textRoom = 0;
        const QFontMetricsF fm(font);
        for (const QStringList* t : {&c.LeftText, &c.CenterText, &c.RightText}) {
            const QString text = ReplacePageMacros(t->join(u'\n'), m_macros);
            if (!text.isEmpty())
                textRoom = std::max(
                    textRoom,
                    int(std::ceil(fm.boundingRect(QRectF(0, 0, std::max(1, m_frame.width()), 1e6),
                                                  Qt::AlignLeft, text)
                                      .height())));
        }
        if (textRoom > 0)
            textRoom += vres / 20;
        int room = textRoom;
        if (c.LineType != TPageColontitleLineType::pcltNon)
            room += vres / 20;
        if (c.LineType == TPageColontitleLineType::pcltDoubleLine)
            room += vres / 30;
        return room;
    };
    m_headerBand = band(m_comp.PageHeader, m_headerFontP, m_headerText);
    m_footerBand = band(m_comp.PageFooter, m_footerFontP, m_footerText);

    // Fit by scaling draws the grid smaller and gives it a larger frame to match.
    const int frameW = m_frame.width();
    const qint64 total = std::accumulate(m_widths.begin(), m_widths.end(), qint64(0));
    const QRect inner = m_frame.adjusted(0, m_headerBand, 0, -m_footerBand);
    m_gridFrame = QRectF(inner);
    if ((m_comp.Options & pghFitGridToPageWidth) && !(m_comp.Options & pghFitingByColWidths) &&
        total > frameW) {
        if (frameW <= 0)
            throw EBudgetError(
                QStringLiteral(" function SetMapMode(Handle, MM_ISOTROPIC) has returned 0 "));
        m_fit = double(frameW) / double(total);
        m_gridFrame = QRectF(inner.left() / m_fit, inner.top() / m_fit, double(total),
                             inner.height() / m_fit);
    }
    std::vector<int> widths = m_widths;
    m_strips = SplitIntoStrips(widths, int(std::floor(m_gridFrame.width() + 1e-6)));
    m_widths = widths;

    measureBands();
}

void TGridPageLayout::computeFooters() {
    TQuery* q = m_grid->DataSet();
    for (Column& c : m_cols) {
        const TColumnEh& col = m_grid->Column(c.Index);
        if (col.FooterType == TFooterValueType::fvtStaticText) {
            c.FooterText = col.FooterText;
            continue;
        }
        if (col.FooterType != TFooterValueType::fvtSum &&
            col.FooterType != TFooterValueType::fvtCount)
            continue;
        const int f =
            q->FindFieldIndex(col.FooterField.isEmpty() ? col.FieldName : col.FooterField);
        MoneySum sum;
        int count = 0;
        if (f >= 0)
            for (int row : m_lines) {
                if (row < 0)
                    continue;
                const QVariant& v = q->ValueAt(row, f);
                if (v.isNull())
                    continue;
                ++count;
                sum.add(v);
            }
        if (col.FooterType == TFooterValueType::fvtCount) {
            c.FooterText = QString::number(count);
            continue;
        }
        if (!sum.valid())
            throw EBudgetError(
                QStringLiteral("The sum under \"%1\" is too large to be printed").arg(c.Title));
        c.FooterText =
            col.FooterFormat == QLatin1String("0.##") ? sum.toShortString() : sum.toPlainString();
    }
}

void TGridPageLayout::measureWidths() {
    const QFontMetricsF fm(m_font), tfm(m_titleFont), ffm(m_footerFont);
    for (const Column& c : m_cols)
        m_widths.push_back(RoundHalfEven((m_grid->ColumnWidth(c.Index) + 1) * m_scaleX));

    if (m_comp.Options & pghOptimalColWidths) {
        const TWaitCursor wait;
        const int pad = 2 * m_hInset;
        for (size_t i = 0; i < m_cols.size(); ++i) {
            const Column& c = m_cols[i];
            double w = 10;
            w = std::max(w, tfm.horizontalAdvance(c.Title) + pad);
            for (int row : m_lines)
                if (row >= 0)
                    w = std::max(w, fm.horizontalAdvance(m_grid->CellText(row, c.Index)) + pad);
            if (m_grid->FooterRowCount() > 0)
                w = std::max(w, ffm.horizontalAdvance(c.FooterText) + pad);
            m_widths[i] = int(std::ceil(w));
        }
    }
    if ((m_comp.Options & pghFitGridToPageWidth) && (m_comp.Options & pghFitingByColWidths))
        FitByColumnWidths(m_widths, m_frame.width());
}

void TGridPageLayout::measureBands() {
    const QFontMetricsF fm(m_font), tfm(m_titleFont);
    if (m_grid->RowHeight() > 0 || m_grid->RowLines() > 0)
        m_baseRowHeight = RoundHalfEven(m_grid->RowLines() * (fm.height() + fm.leading()) +
                                        m_grid->RowHeight() * m_scaleY);
    else
        m_baseRowHeight = int(std::ceil(fm.height())) + 2 * m_vInset;
    m_wrap = m_baseRowHeight - 2 * m_vInset >= 2 * fm.height();

    m_titleHeight = int(std::ceil(tfm.height())) + 2 * m_vInset;
    m_titleBandHeight = 0;
    if (!m_comp.Title.isEmpty())
        m_titleBandHeight = int(std::ceil(tfm.height() * m_comp.Title.size())) + 2 * m_vInset;
    m_lineHeights.assign(m_lines.size(), -1);
}

int TGridPageLayout::lineHeight(int line) {
    int& h = m_lineHeights[size_t(line)];
    if (h >= 0)
        return h;
    h = m_baseRowHeight;
    if (m_comp.Options & pghRowAutoStretch) {
        const int row = m_lines[size_t(line)];
        const QFontMetricsF fm(row >= 0 ? m_font : m_footerFont);
        for (size_t i = 0; i < m_cols.size(); ++i) {
            const QString text =
                row >= 0 ? m_grid->CellText(row, m_cols[i].Index) : m_cols[i].FooterText;
            if (text.isEmpty())
                continue;
            const double w = std::max(1, m_widths[i] - 2 * m_hInset);
            const QRectF r = fm.boundingRect(QRectF(0, 0, w, 1e7), Qt::TextWordWrap, text);
            h = std::max(h, int(std::ceil(r.height())) + 2 * m_vInset);
        }
    }
    return h;
}
