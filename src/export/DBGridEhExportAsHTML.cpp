#include "export/DBGridEhExport.h"

#include "grid/DBGridEh.h"

#include <QtMath>

namespace {

const char* alignName(Qt::Alignment a) {
    if (a & Qt::AlignRight)
        return "RIGHT";
    if (a & Qt::AlignHCenter)
        return "CENTER";
    return "LEFT";
}

// Red, green and blue as two upper-case hexadecimal digits each; no colour is black.
QByteArray htmlColor(const QColor& c) {
    if (!c.isValid())
        return QByteArrayLiteral("000000");
    char out[7];
    const char* digits = "0123456789ABCDEF";
    const int parts[3] = {c.red(), c.green(), c.blue()};
    for (int i = 0; i < 3; ++i) {
        out[2 * i] = digits[(parts[i] >> 4) & 0xF];
        out[2 * i + 1] = digits[parts[i] & 0xF];
    }
    return QByteArray(out, 6);
}

// Whole points as the pixel height at 96 dots per inch gives them.
int pointSize(const QFont& f) {
    if (f.pixelSize() > 0)
        return qRound(f.pixelSize() * 72.0 / 96.0);
    return qRound(f.pointSizeF());
}

} // namespace

void TDBGridEhExportAsHTML::PutLine(QStringView text) {
    PutText(text);
    Put("\r\n", 2);
}

void TDBGridEhExportAsHTML::BeginFile() {
    PutLine(u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
    PutLine(u"<HTML>");
    PutLine(u"<HEAD>");
    PutLine(u"<TITLE>");
    PutLine(Grid->objectName());
    PutLine(u"</TITLE>");
    PutLine(u"</HEAD>");
    PutLine(u"<BODY>");
    const bool lines = Grid->showGrid();
    const char* border = !lines          ? "BORDER=0 CELLSPACING=0 CELLPADDING="
                         : Grid->Ctl3D() ? "BORDER=1 CELLSPACING=0 CELLPADDING="
                                         : "BORDER=0 CELLSPACING=1 CELLPADDING=";
    // The table start carries its own CR LF and is then written as a line, so an empty
    // line follows it.
    const QString start = QStringLiteral("<TABLE %1%2 BGCOLOR=#%3>\r\n")
                              .arg(QLatin1String(border), Grid->Flat() ? u"1" : u"2",
                                   QLatin1String(htmlColor(Grid->FixedColor())));
    PutLine(start);
}

void TDBGridEhExportAsHTML::EndFile() {
    PutLine(u"</TABLE>");
    PutLine(u"</BODY>");
    PutLine(u"</HTML>");
}

void TDBGridEhExportAsHTML::PutTitleRow(const std::vector<int>& columns) {
    PutLine(u"<TR>");
    const TExportFont font{Grid->TitleFont(), Grid->TitleFontColor()};
    for (int c : columns)
        PutCell(c, Grid->TitleAlignment(c), nullptr, font, Grid->ColumnTitle(c));
    PutLine(u"</TR>");
}

void TDBGridEhExportAsHTML::PutDataRow(const std::vector<int>& columns) {
    PutLine(u"<TR>");
    TDBGridEhExport::PutDataRow(columns);
    PutLine(u"</TR>");
}

void TDBGridEhExportAsHTML::PutDataCell(int column, const TColCellParamsEh& cell) {
    PutCell(column, cell.Alignment, &cell.Background, cell.Font, cell.Text);
}

void TDBGridEhExportAsHTML::PutFooterRow(const std::vector<int>& columns, int footerRow) {
    PutLine(u"<TR>");
    TDBGridEhExport::PutFooterRow(columns, footerRow);
    PutLine(u"</TR>");
}

void TDBGridEhExportAsHTML::PutFooterCell(int, int, const QString& text, Qt::Alignment alignment,
                                          const QColor& background, const TExportFont& font,
                                          int column) {
    PutCell(column, alignment, &background, font, text);
}

// "  <TD WIDTH=w ALIGN="a" BGCOLOR=#c>", the text in its font, "</TD>"; title cells
// have no background of their own.
void TDBGridEhExportAsHTML::PutCell(int column, Qt::Alignment alignment, const QColor* background,
                                    const TExportFont& font, const QString& text) {
    QByteArray& out = Buffer();
    out.append("  <TD WIDTH=");
    out.append(QByteArray::number(Grid->ColumnWidth(column)));
    out.append(" ALIGN=\"");
    out.append(alignName(alignment));
    out.append('"');
    if (background) {
        out.append(" BGCOLOR=#");
        out.append(htmlColor(*background));
    }
    out.append('>');
    FontText(font, text);
    PutLine(u"</TD>");
}

void TDBGridEhExportAsHTML::FontText(const TExportFont& font, const QString& text) {
    QByteArray& out = Buffer();
    out.append("<FONT STYLE=\"font-family: ");
    PutText(font.Font.family());
    out.append("; font-size: ");
    out.append(QByteArray::number(pointSize(font.Font)));
    out.append("pt; color: #");
    out.append(htmlColor(font.Color));
    out.append("\">");
    const bool styles[4] = {font.Font.bold(), font.Font.italic(), font.Font.underline(),
                            font.Font.strikeOut()};
    const char* open[4] = {"<B>", "<I>", "<U>", "<STRIKE>"};
    const char* close[4] = {"</B>", "</I>", "</U>", "</STRIKE>"};
    for (int i = 0; i < 4; ++i)
        if (styles[i])
            out.append(open[i]);
    if (text.isEmpty()) {
        out.append("&nbsp");
    } else if (text.contains(u'&') || text.contains(u'<') || text.contains(u'>') ||
               text.contains(u'"')) {
        // Entities without closing semicolons: browsers still read these four so, and
        // pages written before read the same.
        QString escaped = text;
        escaped.replace(u'&', QLatin1String("&amp"));
        escaped.replace(u'<', QLatin1String("&lt"));
        escaped.replace(u'>', QLatin1String("&gt"));
        escaped.replace(u'"', QLatin1String("&quot"));
        PutText(escaped);
    } else {
        PutText(text);
    }
    // Closed in the order they were opened.
    for (int i = 0; i < 4; ++i)
        if (styles[i])
            out.append(close[i]);
    out.append("</FONT>");
    FlushIfFull();
}
