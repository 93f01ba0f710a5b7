// The layout's drawing: page by page, the header and footer, the titles, the rows and
// the texts before and after the grid; what goes where was measured beforehand.
#include "export/GridPageLayout.h"

#include "data/UtQuery.h"
#include "export/PrintDBGridEh.h"
#include "grid/DBGridEh.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPointer>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

// ---------------------------------------------------------------- pages

bool TGridPageLayout::abortRequested() {
    if (m_printer.Aborted() || !m_comp.DBGridEh || !m_grid->DataSet() ||
        !m_grid->DataSet()->Active())
        m_stopped = true;
    return m_stopped;
}

void TGridPageLayout::startPage(bool newPage) {
    if (newPage) {
        if (!m_counting) {
            QCoreApplication::processEvents();
            m_sinceEvents.start();
        }
        if (abortRequested())
            return;
        m_printer.NewPage();
    }
    m_canvas = m_printer.Canvas();
    m_macros.Page = m_printer.PageNumber();
    m_pageHasContent = false;
    m_above.assign(m_cols.size(), QString());
    if (m_counting)
        return;
    m_canvas->setBrush(Qt::NoBrush);
    m_canvas->setFont(m_font);
    drawHeaderFooter();
}

void TGridPageLayout::drawHeaderFooter() {
    drawColontitle(m_comp.PageHeader, true);
    drawColontitle(m_comp.PageFooter, false);
}

void TGridPageLayout::drawColontitle(const TPageColontitle& c, bool header) {
    const int band = header ? m_headerBand : m_footerBand;
    if (band == 0)
        return;
    const int textRoom = header ? m_headerText : m_footerText;
    const QRect outer = m_frame; // before the bands were taken off
    QPainter& p = *m_canvas;
    p.save();
    p.setFont(header ? m_headerFontP : m_footerFontP);
    p.setPen(Qt::black);
    const int outerBottom = outer.top() + outer.height();
    const QRect textRect =
        header ? QRect(outer.left(), outer.top(), outer.width(), textRoom)
               : QRect(outer.left(), outerBottom - textRoom, outer.width(), textRoom);
    const Qt::Alignment v = header ? Qt::AlignTop : Qt::AlignBottom;
    const std::pair<const QStringList*, Qt::Alignment> parts[] = {{&c.LeftText, Qt::AlignLeft},
                                                                  {&c.CenterText, Qt::AlignHCenter},
                                                                  {&c.RightText, Qt::AlignRight}};
    for (const auto& [text, h] : parts)
        if (!text->isEmpty())
            p.drawText(textRect, int(h | v), ReplacePageMacros(text->join(u'\n'), m_macros));
    if (c.LineType != TPageColontitleLineType::pcltNon) {
        const int vres = m_geo.DpiY;
        p.setPen(QPen(Qt::black, m_lineWidth, Qt::SolidLine, Qt::FlatCap));
        const int dir = header ? 1 : -1;
        const int outerRight = outer.left() + outer.width();
        int y = header ? outer.top() + textRoom + vres / 40 : outerBottom - textRoom - vres / 40;
        p.drawLine(outer.left(), y, outerRight, y);
        if (c.LineType == TPageColontitleLineType::pcltDoubleLine) {
            y += dir * (vres / 30);
            p.drawLine(outer.left(), y, outerRight, y);
        }
    }
    p.restore();
}

void TGridPageLayout::cellDone() {
    if (m_counting)
        return;
    // Letting events through after every cell would cost more than the drawing itself; a
    // few milliseconds apart keeps the preview just as usable and Stop just as quick.
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < 10)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
    // The grid or its data may have gone while events ran.
    abortRequested();
}

void TGridPageLayout::drawCell(const QRectF& cell, const QString& text, const QFont& font,
                               Qt::Alignment align, const QColor& fill, bool leftLine, bool topLine,
                               bool wrap) {
    QPainter& p = *m_canvas;
    if ((m_comp.Options & pghColored) && fill.isValid() && fill != QColor(Qt::white))
        p.fillRect(cell, fill);
    if (!text.isEmpty()) {
        const QRectF r = cell.adjusted(m_hInset, m_vInset, -m_hInset, -m_vInset);
        p.setFont(font);
        p.setPen(Qt::black);
        QString shown = text;
        int flags = int(align);
        if (wrap)
            flags |= Qt::TextWordWrap;
        else if (m_elide)
            shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, r.width());
        if (r.width() > 0 && r.height() > 0)
            p.drawText(r, flags, shown);
    }
    p.setPen(QPen(Qt::black, m_lineWidth, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(QPointF(cell.left(), cell.bottom()), QPointF(cell.right(), cell.bottom()));
    p.drawLine(QPointF(cell.right(), cell.top()), QPointF(cell.right(), cell.bottom()));
    if (leftLine)
        p.drawLine(QPointF(cell.left(), cell.top()), QPointF(cell.left(), cell.bottom()));
    if (topLine)
        p.drawLine(QPointF(cell.left(), cell.top()), QPointF(cell.right(), cell.top()));
}

void TGridPageLayout::drawTitles(const std::vector<int>& strip, qreal& y) {
    qreal stripWidth = 0;
    for (int i : strip)
        stripWidth += m_widths[size_t(i)];
    const qreal left = m_gridFrame.left();
    if (m_titleBandHeight > 0) {
        if (!m_counting) {
            QPainter& p = *m_canvas;
            const QRectF band(left, y, stripWidth, m_titleBandHeight);
            p.setFont(m_titleFont);
            p.setPen(Qt::black);
            p.drawText(band.adjusted(m_hInset, m_vInset, -m_hInset, -m_vInset),
                       Qt::AlignHCenter | Qt::AlignTop, m_comp.Title.join(u'\n'));
            p.setPen(QPen(Qt::black, m_lineWidth));
            p.setBrush(Qt::NoBrush);
            p.drawRect(band);
        }
        y += m_titleBandHeight;
    }
    qreal x = left;
    for (size_t k = 0; k < strip.size(); ++k) {
        const size_t i = size_t(strip[k]);
        if (!m_counting) {
            drawCell(QRectF(x, y, m_widths[i], m_titleHeight), m_cols[i].Title, m_titleFont,
                     m_cols[i].TitleAlign, m_fixedColor, k == 0, true, false);
            cellDone();
        }
        x += m_widths[i];
    }
    y += m_titleHeight;
}

void TGridPageLayout::drawLine(int line, const std::vector<int>& strip, qreal y, qreal h) {
    const int row = m_lines[size_t(line)];
    qreal x = m_gridFrame.left();
    for (size_t k = 0; k < strip.size() && !m_stopped; ++k) {
        const size_t i = size_t(strip[k]);
        const Column& c = m_cols[i];
        const QRectF cell(x, y, m_widths[i], h);
        x += m_widths[i];
        if (row >= 0) {
            QString text = m_grid->CellText(row, c.Index);
            if (c.HideDuplicates) {
                const QString shown = m_pageHasContent && text == m_above[i] ? QString() : text;
                m_above[i] = text;
                text = shown;
            }
            drawCell(cell, text, m_font, c.Align, c.Color, k == 0, false,
                     m_wrap || (m_comp.Options & pghRowAutoStretch));
        } else {
            drawCell(cell, c.FooterText, m_footerFont, c.Align, m_footerColor, k == 0, false,
                     m_wrap || (m_comp.Options & pghRowAutoStretch));
        }
        cellDone();
    }
}

void TGridPageLayout::flow() {
    bool firstPage = true; // the document's first page is still unused
    if (!m_comp.BeforeGridText.isEmpty()) {
        printRichText(m_comp.BeforeGridText, true);
        firstPage = false;
    }
    const int n = int(m_lines.size());
    int line = 0;
    do {
        // The band: as many rows as fit under the titles, at least one.
        const qreal room = m_gridFrame.height() - m_titleBandHeight - m_titleHeight;
        int end = line;
        qreal used = 0;
        while (end < n && (end == line || used + lineHeight(end) <= room))
            used += lineHeight(end++);
        for (const std::vector<int>& strip : m_strips) {
            if (!firstPage) {
                startPage(true);
                if (m_stopped)
                    return;
            }
            firstPage = false;
            QPainter& p = *m_canvas;
            if (!m_counting) {
                p.save();
                p.scale(m_fit, m_fit);
                p.setClipRect(m_gridFrame);
            }
            m_y = m_gridFrame.top();
            drawTitles(strip, m_y);
            for (int l = line; l < end && !m_stopped; ++l) {
                const int h = lineHeight(l);
                if (!m_counting)
                    drawLine(l, strip, m_y, h);
                m_y += h;
                m_pageHasContent = true;
            }
            if (!m_counting)
                p.restore();
            if (m_stopped)
                return;
        }
        line = end;
    } while (line < n);
    if (!m_comp.AfterGridText.isEmpty())
        printRichText(m_comp.AfterGridText, false);
}

void TGridPageLayout::printRichText(const QString& html, bool startsDocument) {
    // Laid out for the printer's resolution, so point sizes come out in device units.
    QImage dpiDevice(1, 1, QImage::Format_Mono);
    dpiDevice.setDotsPerMeterX(RoundHalfEven(m_geo.DpiX / 0.0254));
    dpiDevice.setDotsPerMeterY(RoundHalfEven(m_geo.DpiY / 0.0254));
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&dpiDevice);
    doc.setDefaultFont(m_font);
    doc.setHtml(html);
    const QRect frame = m_frame.adjusted(0, m_headerBand, 0, -m_footerBand);
    doc.setTextWidth(std::max(1, frame.width()));
    const int frameBottom = frame.top() + frame.height();

    // Page breaks fall between lines of text.
    std::vector<qreal> lineBottoms;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextLayout* tl = b.layout();
        for (int i = 0; i < tl->lineCount(); ++i)
            lineBottoms.push_back(tl->position().y() + tl->lineAt(i).rect().bottom());
    }
    const qreal docHeight = doc.size().height();
    qreal y = startsDocument ? frame.top() : m_y * m_fit;
    if (!startsDocument && y >= frameBottom) {
        startPage(true);
        y = frame.top();
    }
    qreal sliceTop = 0;
    while (sliceTop < docHeight && !m_stopped) {
        const qreal room = frameBottom - y;
        qreal sliceEnd = sliceTop + room;
        if (sliceEnd < docHeight) {
            qreal cut = sliceTop;
            for (qreal b : lineBottoms)
                if (b <= sliceEnd && b > cut)
                    cut = b;
            // A line taller than a page is cut where the page ends.
            sliceEnd = cut > sliceTop ? cut : sliceEnd;
        } else {
            sliceEnd = docHeight;
        }
        if (!m_counting) {
            QPainter& p = *m_canvas;
            p.save();
            p.translate(frame.left(), y - sliceTop);
            doc.drawContents(&p, QRectF(0, sliceTop, frame.width(), sliceEnd - sliceTop));
            p.restore();
        }
        y += sliceEnd - sliceTop;
        sliceTop = sliceEnd;
        if (sliceTop < docHeight) {
            startPage(true);
            y = frame.top();
        }
    }
    m_pageHasContent = true;
    m_y = y / m_fit;
}

void TGridPageLayout::Run() {
    if (!m_grid || !m_grid->DataSet() || !m_grid->DataSet()->Active())
        return;
    prepare();

    // The grid's window stays still while the run lets events through.
    QPointer<QWidget> window = m_counting ? nullptr : m_grid->window();
    const bool wasEnabled = window && window->isEnabled();
    if (window)
        window->setEnabled(false);
    // However the run ends, the window takes input again, a printer that cannot begin
    // the document included, and a begun document is ended.
    bool begun = false;
    const auto finish = qScopeGuard([&] {
        if (window && wasEnabled)
            window->setEnabled(true);
        if (begun)
            m_printer.EndDoc();
    });
    m_printer.SetTitle(PrintTitle);
    m_printer.BeginDoc();
    begun = true;
    startPage(false);
    flow();
}
