// Times the Export command's writers on the main window's list: each format written by
// the program (ExportGridToFile, as the command calls it) beside its floor, the same
// bytes written by a plain loop through one buffered stream (std::FILE, 64 KiB buffer),
// taking the same shown texts and values from the grid and with every per-column piece
// prepared once. The floor's file is checked to be byte for byte the program's.
// Memory: the peak resident size during one export above the size just before it.
#include "BenchExport.h"

#include "data/Money.h"
#include "export/DBGridEhExport.h"
#include "grid/DBGridEh.h"
#include "lists/UtTransactionList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

long statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Lets the next VmHWM tell the peak from here on.
void resetPeak() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double medianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QByteArray readAllOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Out {
public:
    explicit Out(const QString& path) : m_f(std::fopen(QFile::encodeName(path).constData(), "wb")) {
        std::setvbuf(m_f, nullptr, _IOFBF, 64 * 1024);
    }
    ~Out() { std::fclose(m_f); }
    void put(const char* s, size_t n) { std::fwrite(s, 1, n, m_f); }
    void put(const char* s) { put(s, std::strlen(s)); }
    void put(const QByteArray& b) { put(b.constData(), size_t(b.size())); }
    void word(quint16 w) {
        const quint16 le = qToLittleEndian(w);
        put(reinterpret_cast<const char*>(&le), 2);
    }

private:
    FILE* m_f;
};

// What every floor needs of the list: columns in display order and the exact sums.
struct Shape {
    std::vector<int> cols;
    int rows;
    std::vector<qint64> sums; // per exported column, ten-thousandths
    std::vector<bool> isSum;
};

Shape shapeOf(const TDBGridEh* g) {
    Shape s{g->VisibleColumns(), g->RowCount(), {}, {}};
    for (int c : s.cols) {
        const bool sum = g->Column(c).FooterType == TFooterValueType::fvtSum;
        qint64 total = 0;
        if (sum)
            for (int r = 0; r < s.rows; ++r) {
                const QVariant v = g->FooterValue(r, c);
                if (v.typeId() == QMetaType::Double)
                    total += Money::fromDouble(v.toDouble()).raw();
            }
        s.sums.push_back(total);
        s.isSum.push_back(sum);
    }
    return s;
}

QByteArray footerText(const TDBGridEh* g, const Shape& s, size_t i) {
    return (s.isSum[i] ? Money::fromRaw(s.sums[i]).toPlainString() : g->FooterText(s.cols[i]))
        .toUtf8();
}

void floorText(const TDBGridEh* g, const QString& path) {
    const Shape s = shapeOf(g);
    Out out(path);
    for (size_t i = 0; i < s.cols.size(); ++i) {
        if (i)
            out.put("\t", 1);
        out.put(g->ColumnTitle(s.cols[i]).toUtf8());
    }
    for (int r = 0; r < s.rows; ++r) {
        out.put("\r\n", 2);
        for (size_t i = 0; i < s.cols.size(); ++i) {
            if (i)
                out.put("\t", 1);
            out.put(g->CellText(r, s.cols[i]).toUtf8());
        }
    }
    out.put("\r\n", 2);
    for (size_t i = 0; i < s.cols.size(); ++i) {
        if (i)
            out.put("\t", 1);
        out.put(footerText(g, s, i));
    }
}

QByteArray hex(const QColor& c) {
    return QByteArray::number((c.red() << 16) | (c.green() << 8) | c.blue(), 16)
        .toUpper()
        .rightJustified(6, '0');
}

QByteArray align(Qt::Alignment a) {
    return a & Qt::AlignRight ? "RIGHT" : a & Qt::AlignHCenter ? "CENTER" : "LEFT";
}

QByteArray fontOpen(const QFont& f, const QColor& color) {
    const int pt = f.pixelSize() > 0 ? qRound(f.pixelSize() * 72.0 / 96.0) : qRound(f.pointSizeF());
    QByteArray b = "<FONT STYLE=\"font-family: " + f.family().toUtf8() +
                   "; font-size: " + QByteArray::number(pt) + "pt; color: #" + hex(color) + "\">";
    if (f.bold())
        b += "<B>";
    return b;
}

QByteArray escaped(const QString& text) {
    if (text.isEmpty())
        return "&nbsp";
    QString t = text;
    t.replace(u'&', QLatin1String("&amp"))
        .replace(u'<', QLatin1String("&lt"))
        .replace(u'>', QLatin1String("&gt"))
        .replace(u'"', QLatin1String("&quot"));
    return t.toUtf8();
}

void floorHtml(const TDBGridEh* g, const QString& path) {
    const Shape s = shapeOf(g);
    Out out(path);
    out.put(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n<HEAD>\r\n<TITLE>\r\n" +
        g->objectName().toUtf8() +
        "\r\n</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=1 "
        "BGCOLOR=#" +
        hex(g->FixedColor()) + ">\r\n\r\n");
    const QByteArray close = g->font().bold() ? "</B></FONT></TD>\r\n" : "</FONT></TD>\r\n";
    const QByteArray titleClose =
        g->TitleFont().bold() ? "</B></FONT></TD>\r\n" : "</FONT></TD>\r\n";
    const QByteArray footClose =
        g->FooterFont().bold() ? "</B></FONT></TD>\r\n" : "</FONT></TD>\r\n";
    std::vector<QByteArray> cellOpen, footOpen;
    out.put("<TR>\r\n");
    for (int c : s.cols) {
        const QByteArray width = "  <TD WIDTH=" + QByteArray::number(g->ColumnWidth(c));
        out.put(width + " ALIGN=\"" + align(g->TitleAlignment(c)) + "\">" +
                fontOpen(g->TitleFont(), g->TitleFontColor()) + escaped(g->ColumnTitle(c)) +
                titleClose);
        cellOpen.push_back(width + " ALIGN=\"" + align(g->ColumnAlignment(c)) + "\" BGCOLOR=#" +
                           hex(g->ColumnColor(c)) + ">" + fontOpen(g->font(), g->FontColor()));
        footOpen.push_back(width + " ALIGN=\"" + align(g->FooterAlignment(c)) + "\" BGCOLOR=#" +
                           hex(g->FooterColor()) + ">" + fontOpen(g->FooterFont(), g->FontColor()));
    }
    out.put("</TR>\r\n");
    for (int r = 0; r < s.rows; ++r) {
        out.put("<TR>\r\n");
        for (size_t i = 0; i < s.cols.size(); ++i) {
            out.put(cellOpen[i]);
            out.put(escaped(g->CellText(r, s.cols[i])));
            out.put(close);
        }
        out.put("</TR>\r\n");
    }
    out.put("<TR>\r\n");
    for (size_t i = 0; i < s.cols.size(); ++i) {
        out.put(footOpen[i]);
        const QByteArray t = footerText(g, s, i);
        out.put(t.isEmpty() ? QByteArray("&nbsp") : t);
        out.put(footClose);
    }
    out.put("</TR>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
}

void floorXls(const TDBGridEh* g, const QString& path) {
    const Shape s = shapeOf(g);
    Out out(path);
    quint16 row = 0, col = 0;
    auto head = [&](quint16 type, quint16 length) {
        out.word(type);
        out.word(length);
        out.word(row);
        out.word(col);
    };
    auto next = [&] {
        if (size_t(col) + 1 == s.cols.size()) {
            ++row;
            col = 0;
        } else {
            ++col;
        }
    };
    auto label = [&](const QString& text) {
        const QByteArray b = text.toLatin1();
        head(0x0204, quint16(b.size() + 8));
        out.word(0);
        out.word(quint16(b.size()));
        out.put(b);
        next();
    };
    auto number = [&](double v) {
        head(0x0203, 14);
        out.word(0);
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        bits = qToLittleEndian(bits);
        out.put(reinterpret_cast<const char*>(&bits), 8);
        next();
    };
    for (quint16 w : {0x0809, 0x0008, 0x0000, 0x0010, 0x0000, 0x0000})
        out.word(w);
    for (int c : s.cols)
        label(g->ColumnTitle(c));
    std::vector<TFieldKind> kinds;
    for (int c : s.cols)
        kinds.push_back(g->FieldIndex(c) < 0 ? TFieldKind::fkNone : g->FieldKind(c));
    for (int r = 0; r < s.rows; ++r)
        for (size_t i = 0; i < s.cols.size(); ++i) {
            const QVariant v = g->CellValue(r, s.cols[i]);
            if (kinds[i] == TFieldKind::fkNone || v.isNull()) {
                head(0x0201, 6);
                out.word(0x17);
                next();
            } else if (kinds[i] == TFieldKind::fkFloat) {
                number(v.toDouble());
            } else {
                label(g->CellText(r, s.cols[i]));
            }
        }
    for (size_t i = 0; i < s.cols.size(); ++i) {
        if (s.isSum[i])
            number(double(s.sums[i]) / 10000.0);
        else
            label(g->FooterText(s.cols[i]));
    }
    out.word(0x000A);
    out.word(0x0000);
}

struct Format {
    const char* name;
    const char* ext;
    TDBGridEhExportClass program;
    void (*floor)(const TDBGridEh*, const QString&);
};

} // namespace

void BenchExport(TTransactionList* list, int runs, const QString& dir, ExportRun what) {
    const Format formats[] = {
        {"text", "txt", &CreateExport<TDBGridEhExportAsText>, &floorText},
        {"web page", "htm", &CreateExport<TDBGridEhExportAsHTML>, &floorHtml},
        {"spreadsheet", "xls", &CreateExport<TDBGridEhExportAsXLS>, &floorXls},
    };
    TDBGridEh* grid = list->dbgrdh1;
    const int rows = grid->RowCount();
    for (const Format& f : formats) {
        const bool xls = f.floor == &floorXls;
        if ((what == ExportRun::SpreadsheetOnly && !xls) ||
            (xls && rows + 2 > TDBGridEhExportAsXLS::MaxRows))
            continue; // the spreadsheet is timed on a list that fits a worksheet
        const QString program = QDir(dir).filePath(QStringLiteral("program.") + f.ext);
        const QString floor = QDir(dir).filePath(QStringLiteral("floor.") + f.ext);
        std::vector<double> p, fl;
        long extraKb = 0;
        for (int r = 0; r < runs; ++r) {
            const long before = statusKb("VmRSS:");
            resetPeak();
            QElapsedTimer t;
            t.start();
            ExportGridToFile(f.program, grid, program, true);
            p.push_back(double(t.nsecsElapsed()) / 1e6);
            extraKb = std::max(extraKb, statusKb("VmHWM:") - before);
            t.restart();
            f.floor(grid, floor);
            fl.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const QByteArray a = readAllOf(program), b = readAllOf(floor);
        if (a != b)
            std::fprintf(stderr,
                         "export %s: the floor's %lld bytes differ from the program's %lld\n",
                         f.name, qint64(b.size()), qint64(a.size()));
        if (what == ExportRun::MemoryOnly) {
            std::printf("export %-12s %7d rows  peak RSS during the export +%ld kB\n", f.name, rows,
                        extraKb);
        } else {
            const double pm = medianOf(p), fm = medianOf(fl);
            std::printf("export %-12s %7d rows  %9.1f ms  floor %9.1f ms  ratio %5.2f  %6.1f MB "
                        "file  peak RSS during the export +%ld kB\n",
                        f.name, rows, pm, fm, pm / fm, double(a.size()) / 1e6, extraKb);
        }
        QFile::remove(program);
        QFile::remove(floor);
    }
}
