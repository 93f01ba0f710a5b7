#include "FuzzTargets.h"

#include "BiffReader.h"

#include "data/AppPaths.h"
#include "data/Errors.h"
#include "data/Money.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "export/DBGridEhExport.h"
#include "grid/DBGridEh.h"
#include "help/ChmFile.h"

#include <QApplication>
#include <QBuffer>
#include <QItemSelectionModel>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Fuzz {

namespace {

[[noreturn]] void broken(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "broken promise: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Reads the input as a stream of choices; past its end every read gives zeros.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : m_data(data) {}
    bool empty() const { return m_at >= m_data.size(); }
    quint8 byte() { return empty() ? 0 : quint8(m_data.at(m_at++)); }
    int below(int n) { return n <= 0 ? 0 : byte() % n; }
    quint64 u64() {
        quint64 v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | byte();
        return v;
    }
    // A length-prefixed piece of the input, at most max bytes.
    QByteArray piece(int max = 64) {
        const int n = qMin(below(max + 1), int(m_data.size() - m_at));
        const QByteArray out = m_data.mid(m_at, n);
        m_at += n;
        return out;
    }
    QString text(int max = 64) { return QString::fromUtf8(piece(max)); }
    QByteArray rest() {
        const QByteArray out = m_data.mid(m_at);
        m_at = m_data.size();
        return out;
    }

private:
    QByteArray m_data;
    qsizetype m_at = 0;
};

const QLocale& localeOf(int which) {
    static const QLocale locales[] = {
        QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Arabic, QLocale::Egypt)};
    return locales[which % 4];
}

// The amount grammar in the C locale, written out on its own: blanks around, an
// optional sign, ASCII digits with at most one point, at least one digit. Returns the
// value in ten-thousandths (fifth decimal rounding half away from zero) when it is
// clearly inside the 64-bit range, and whether the text is of that form at all.
struct Expected {
    bool wellFormed = false;
    bool inRange = false;
    bool clearlyOutOfRange = false;
    qint64 raw = 0;
};

Expected expectedAmount(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    Expected e;
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return e;
    e.wellFormed = true;
    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    // Up to fourteen whole digits always fit; from sixteen on never.
    if (whole.size() > 14) {
        e.clearlyOutOfRange = whole.size() > 15;
        return e;
    }
    const QString decimals = (m.captured(3) + QStringLiteral("00000")).left(5);
    WideInt raw =
        WideInt(whole.isEmpty() ? 0 : whole.toLongLong()) * Money::Scale + decimals.left(4).toInt();
    if (decimals.at(4) >= u'5')
        ++raw;
    e.inRange = true;
    e.raw = qint64(m.captured(1) == QLatin1String("-") ? -raw : raw);
    return e;
}

QTemporaryDir* scratch = nullptr;

} // namespace

void Init(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    scratch = new QTemporaryDir;
    SetAppDirOverride(scratch->path());
    CreateEmptyDatabase(scratch->path() + QStringLiteral("/Data.mdb"));
    new TDM();
}

void Amount(const QByteArray& input) {
    Bytes in(input);
    const QLocale& locale = localeOf(in.byte());
    const QString text = QString::fromUtf8(in.rest());
    const std::optional<Money> value = Money::parse(text, locale);
    if (value) {
        const QString again = value->toPlainString(locale);
        if (Money::parse(again, locale) != value)
            broken("a parsed amount does not read back", text + u'|' + again);
    }
    const Expected e = expectedAmount(text);
    const std::optional<Money> c = Money::parse(text, QLocale::c());
    if (!e.wellFormed && c)
        broken("an amount that is not a plain number parsed", text);
    if (e.inRange && (!c || c->raw() != e.raw))
        broken("a plain number parsed to another value", text);
    if (e.clearlyOutOfRange && c)
        broken("a number beyond the range parsed", text);
}

void SqlFormat(const QByteArray& input) {
    Bytes in(input);
    // A text put into a quoted place of a statement stays one literal holding it.
    const QString text = in.text(200);
    const QString quoted = FormatSQL(QStringLiteral("'%s'"), {text});
    if (!quoted.startsWith(u'\'') || !quoted.endsWith(u'\'') || quoted.size() < 2)
        broken("the literal lost its quotes", quoted);
    const QString inner = quoted.mid(1, quoted.size() - 2);
    // A run of an odd number of quotes would end the literal inside the text.
    static const QRegularExpression loneQuote(QStringLiteral("(^|[^'])'('')*([^']|$)"));
    if (inner.contains(loneQuote) ||
        QString(inner).replace(QStringLiteral("''"), QStringLiteral("'")) != text)
        broken("a quote escaped the literal", text);

    // Money in SQL: exactly two decimals and a point, the value rounded to cents.
    const Money m = Money::fromRaw(qint64(in.u64()));
    const QString f = FormatSQL(QStringLiteral("%f"), {m});
    static const QRegularExpression twoDecimals(QStringLiteral("^-?[0-9]+\\.[0-9]{2}$"));
    if (!twoDecimals.match(f).hasMatch())
        broken("money in SQL is not a plain two-decimal number", f);
    if (Money::parse(f, QLocale::c()) != m.roundedToCents())
        broken("money in SQL is not the value rounded to cents", f);

    // Any pattern with any arguments: formatted, or refused with the program's error.
    const QString pattern = in.text(80);
    std::vector<FmtArg> args;
    for (int n = in.below(4); n > 0; --n) {
        switch (in.below(3)) {
        case 0:
            args.emplace_back(qint64(in.u64()));
            break;
        case 1:
            args.emplace_back(in.text(40));
            break;
        default:
            args.emplace_back(Money::fromRaw(qint64(in.u64())));
            break;
        }
    }
    const auto formatBoth = [&](auto&&... a) {
        try {
            Format(pattern, {a...});
            FormatSQL(pattern, {a...});
        } catch (const EBudgetError&) {
        }
    };
    switch (args.size()) {
    case 0:
        formatBoth();
        break;
    case 1:
        formatBoth(args[0]);
        break;
    case 2:
        formatBoth(args[0], args[1]);
        break;
    default:
        formatBoth(args[0], args[1], args[2]);
        break;
    }
}

void Dialect(const QByteArray& input) {
    Bytes in(input);
    const QString literal = in.text(40);
    const QString statement = QString::fromUtf8(in.rest());
    (void)TranslateSql(statement);
    (void)TranslateParam(statement);
    // A string literal anywhere in a statement is never rewritten: not a date in it,
    // not a "top", not a word after a dot.
    const QString quoted = FormatSQL(QStringLiteral("'%s'"), {literal});
    const QString translated = TranslateSql(QStringLiteral("select A.x from T as A where A.y = ") +
                                            quoted + QStringLiteral(" and ") + statement);
    if (!translated.contains(quoted))
        broken("a string literal was rewritten", quoted + u'|' + translated);
}

void GridWriters(const QByteArray& input) {
    if (!DM)
        broken("no data module");
    Bytes in(input);
    const int columns = 1 + in.below(5);
    const int rows = in.below(12);

    // The rows come from a statement of bound values, so any text or number reaches the
    // grid as the engine delivers it.
    TQuery q(&DM->conn);
    QStringList selects;
    int p = 0;
    for (int r = 0; r < qMax(rows, 1); ++r) {
        QStringList items;
        for (int c = 0; c < columns; ++c) {
            const QString name = QStringLiteral("p%1").arg(p++);
            items << QStringLiteral(":%1 as c%2").arg(name).arg(c);
            QVariant v;
            switch (in.below(5)) {
            case 0:
                break; // null
            case 1:
                v = qlonglong(in.u64());
                break;
            case 2: {
                const quint64 bits = in.u64();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                v = d;
                break;
            }
            case 3:
                v = qlonglong(in.below(2000) - 1000);
                break;
            default:
                v = in.text(30);
                break;
            }
            q.SetParam(name, v);
        }
        selects << QStringLiteral("select ") + items.join(QStringLiteral(", "));
    }
    q.SQL << selects.join(QStringLiteral(" union all "));
    if (rows == 0)
        q.SQL << QStringLiteral(" limit 0");
    try {
        q.Open();
    } catch (const EDatabaseError&) {
        return;
    }

    TDBGridEh grid;
    std::vector<TColumnEh> cols(size_t(1 + in.below(columns + 1)));
    for (TColumnEh& col : cols) {
        const int field = in.below(columns + 2);
        col.FieldName = field < columns ? QStringLiteral("c%1").arg(field)
                                        : (field == columns ? QString() : QStringLiteral("none"));
        col.Title = in.text(12);
        col.Width = in.below(300);
        const Qt::Alignment aligns[] = {Qt::Alignment(), Qt::AlignLeft, Qt::AlignRight,
                                        Qt::AlignHCenter};
        col.Alignment = aligns[in.below(4)];
        col.FooterType = TFooterValueType(in.below(4));
        col.FooterText = in.text(10);
        col.FooterFormat = in.below(2) ? QStringLiteral("0.##") : QString();
        col.HideDuplicates = in.below(4) == 0;
        if (in.below(3) == 0)
            col.FooterField = QStringLiteral("c%1").arg(in.below(columns + 1));
    }
    grid.SetColumns(std::move(cols));
    grid.SetFooterRowCount(in.below(3));
    grid.SetMultiSelect(true);
    grid.SetDataSet(&q);
    grid.DataChanged();
    if (in.below(2) && q.FieldCount() > 0) {
        try {
            q.SetSort(q.FieldName(in.below(q.FieldCount())) +
                      (in.below(2) ? QStringLiteral(" DESC") : QString()));
        } catch (const EDatabaseError&) {
        }
        grid.DataChanged();
    }
    for (int r = 0; r < q.RecordCount(); ++r)
        if (in.below(2))
            grid.selectionModel()->select(grid.model()->index(r, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const bool allRows = in.below(2);

    const auto write = [&](TDBGridEhExport&& writer) {
        writer.Grid = &grid;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        writer.WriteToStream(&buffer, allRows);
        return buffer.data();
    };
    // A footer sum beyond the money type is refused with the writer's message (the
    // export command reports it and leaves no file); the three writers agree on it.
    QByteArray xls;
    int refused = 0;
    for (int kind = 0; kind < 3; ++kind) {
        try {
            if (kind == 0)
                write(TDBGridEhExportAsText());
            else if (kind == 1)
                write(TDBGridEhExportAsHTML());
            else
                xls = write(TDBGridEhExportAsXLS());
        } catch (const EBudgetError& e) {
            if (!QString(e.what()).startsWith(QStringLiteral("The sum under")))
                throw;
            ++refused;
        }
    }
    if (refused == 3)
        return;
    if (refused != 0)
        broken("only some writers refused the sums", QString::number(refused));
    const BiffSheet sheet = ReadBiff(xls);
    if (!sheet.error.isEmpty())
        broken("the spreadsheet is not well formed", sheet.error);
}

namespace {

QString escaped(QString text) {
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    text.replace(u'"', QStringLiteral("&quot;"));
    return text;
}

// A contents file as the help compiler writes one, from a tree of entries.
void writeSitemap(const std::vector<TSitemapEntry>& entries, QString& out) {
    out += QStringLiteral("<UL>\n");
    for (const TSitemapEntry& e : entries) {
        out +=
            QStringLiteral("<LI> <OBJECT type=\"text/sitemap\">\n<param name=\"Name\" value=\"") +
            escaped(e.Name) + QStringLiteral("\">\n");
        if (!e.Local.isEmpty())
            out += QStringLiteral("<param name=\"Local\" value=\"") + escaped(e.Local) +
                   QStringLiteral("\">\n");
        out += QStringLiteral("</OBJECT>\n");
        if (!e.Children.empty())
            writeSitemap(e.Children, out);
    }
    out += QStringLiteral("</UL>\n");
}

bool sameTree(const std::vector<TSitemapEntry>& a, const std::vector<TSitemapEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Local != b[i].Local ||
            !sameTree(a[i].Children, b[i].Children))
            return false;
    return true;
}

std::vector<TSitemapEntry> randomTree(Bytes& in, int depth) {
    std::vector<TSitemapEntry> level(size_t(in.below(depth == 0 ? 5 : 3)));
    for (TSitemapEntry& e : level) {
        e.Name = u'n' + in.text(16);
        if (in.below(2))
            e.Local = u'p' + in.text(16);
        if (depth < 3 && in.below(3) == 0)
            e.Children = randomTree(in, depth + 1);
    }
    return level;
}

} // namespace

void HelpLookup(const QByteArray& input) {
    Bytes in(input);
    // Damaged help objects of any shape are read without failing.
    (void)ParseChmSystem(in.piece(200));
    const QByteArray ivb = in.piece(200);
    (void)ParseContextMap(ivb, in.piece(200));
    (void)ParseSitemap(in.piece(200));
    // Names and pages of any text come back from a contents file exactly as written.
    const std::vector<TSitemapEntry> tree = randomTree(in, 0);
    QString html;
    writeSitemap(tree, html);
    if (!sameTree(ParseSitemap(html.toUtf8()), tree))
        broken("a contents file does not read back", html);
}

QStringList Targets() {
    return {QStringLiteral("amount"),      QStringLiteral("sqlformat"),  QStringLiteral("dialect"),
            QStringLiteral("gridwriters"), QStringLiteral("helplookup"), QStringLiteral("csv"),
            QStringLiteral("qif"),         QStringLiteral("ofx")};
}

void Run(const QString& target, const QByteArray& input) {
    if (target == QLatin1String("amount"))
        Amount(input);
    else if (target == QLatin1String("sqlformat"))
        SqlFormat(input);
    else if (target == QLatin1String("dialect"))
        Dialect(input);
    else if (target == QLatin1String("gridwriters"))
        GridWriters(input);
    else if (target == QLatin1String("helplookup"))
        HelpLookup(input);
    else if (target == QLatin1String("csv"))
        Csv(input);
    else if (target == QLatin1String("qif"))
        Qif(input);
    else if (target == QLatin1String("ofx"))
        Ofx(input);
    else
        broken("no such target", target);
}

} // namespace Fuzz
