#include "import/CsvReader.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <map>

TCsvTable ParseCsv(const QString& text, QChar separator, const TProgress& progress) {
    TCsvTable t;
    t.Separator = separator;
    TProgressTicker tick(progress, text.size(), 1 << 16);
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        tick(i);
        QStringList fields;
        QString field;
        QString error;
        const int startLine = line;
        qsizetype length = 0;
        bool quoted = false, wasQuoted = false, done = false;
        while (i < n && !done) {
            const QChar c = p[i++];
            if (c == u'\n' || (c == u'\r' && (i >= n || p[i] != u'\n')))
                ++line;
            if (++length > TCsvTable::MaxRecordLength && error.isEmpty()) {
                error = QStringLiteral("line is longer than %1 characters")
                            .arg(QLocale().toString(TCsvTable::MaxRecordLength));
                fields.clear();
                field.clear();
            }
            const bool keep = error.isEmpty();
            if (quoted) {
                if (c == u'"') {
                    if (i < n && p[i] == u'"') {
                        ++i;
                        if (keep)
                            field += u'"';
                    } else {
                        quoted = false;
                    }
                } else if (keep) {
                    field += c;
                }
            } else if (c == u'"' && field.isEmpty() && !wasQuoted) {
                quoted = wasQuoted = true;
            } else if (c == separator) {
                if (keep)
                    fields << field;
                field.clear();
                wasQuoted = false;
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && i < n && p[i] == u'\n') {
                    ++i;
                    ++line;
                }
                done = true;
            } else if (keep) {
                field += c;
            }
        }
        if (quoted && error.isEmpty())
            error = QStringLiteral("a quote is not closed");
        if (error.isEmpty())
            fields << field;
        else
            fields.clear();
        t.Records.push_back(fields);
        t.LineNos.push_back(startLine);
        t.RecordErrors.push_back(error);
    }
    return t;
}

QChar GuessCsvSeparator(const QString& text) {
    const QString head = text.left(64 * 1024);
    QChar best = u',';
    int bestScore = -1, bestFields = 0;
    for (const QChar sep : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        const TCsvTable t = ParseCsv(head, sep);
        std::map<qsizetype, int> counts;
        const size_t sample = std::min<size_t>(t.Records.size(), 30);
        for (size_t r = 0; r < sample; ++r)
            if (t.Records[r].size() > 1)
                ++counts[t.Records[r].size()];
        for (const auto& [fields, records] : counts)
            if (records > bestScore || (records == bestScore && fields > bestFields)) {
                best = sep;
                bestScore = records;
                bestFields = int(fields);
            }
    }
    return best;
}

bool TCsvMapping::Usable() const {
    return DateColumn >= 0 && (AmountColumn >= 0 || InColumn >= 0 || OutColumn >= 0);
}

QString TCsvMapping::ToText() const {
    return QStringLiteral("v1;header=%1;date=%2;amount=%3;in=%4;out=%5;party=%6;purpose=%7;"
                          "memo=%8;order=%9;decimal=%10")
        .arg(int(HasHeader))
        .arg(DateColumn)
        .arg(AmountColumn)
        .arg(InColumn)
        .arg(OutColumn)
        .arg(PartyColumn)
        .arg(PurposeColumn)
        .arg(MemoColumn)
        .arg(int(Order))
        .arg(Decimal == u',' ? QStringLiteral("comma") : QStringLiteral("point"));
}

std::optional<TCsvMapping> TCsvMapping::FromText(const QString& text) {
    const QStringList parts = text.split(u';');
    if (parts.value(0) != QLatin1String("v1"))
        return std::nullopt;
    std::map<QString, QString> v;
    for (const QString& p : parts.mid(1)) {
        const qsizetype eq = p.indexOf(u'=');
        if (eq > 0)
            v[p.left(eq)] = p.mid(eq + 1);
    }
    TCsvMapping m;
    bool ok = true;
    const auto number = [&](const char* key, int low, int high) {
        bool good = false;
        const int n = v[QLatin1String(key)].toInt(&good);
        ok = ok && good && n >= low && n <= high;
        return n;
    };
    constexpr int maxColumn = 10000;
    m.HasHeader = number("header", 0, 1) == 1;
    m.DateColumn = number("date", -1, maxColumn);
    m.AmountColumn = number("amount", -1, maxColumn);
    m.InColumn = number("in", -1, maxColumn);
    m.OutColumn = number("out", -1, maxColumn);
    m.PartyColumn = number("party", -1, maxColumn);
    m.PurposeColumn = number("purpose", -1, maxColumn);
    m.MemoColumn = number("memo", -1, maxColumn);
    m.Order = DateOrder(number("order", 0, 2));
    const QString decimal = v[QStringLiteral("decimal")];
    ok = ok && (decimal == QLatin1String("comma") || decimal == QLatin1String("point"));
    m.Decimal = decimal == QLatin1String("comma") ? u',' : u'.';
    if (!ok || !m.Usable())
        return std::nullopt;
    return m;
}

namespace {

QString fold(const QString& s) {
    return s.simplified().toCaseFolded();
}

bool looksLikeAmount(const QString& v) {
    QString why;
    return !v.trimmed().isEmpty() && (ParseStatementAmount(v, u'.', &why).has_value() ||
                                      ParseStatementAmount(v, u',', &why).has_value());
}

bool looksLikeDate(const QString& v) {
    return ParseStatementDate(v, DateOrder::DMY).isValid() ||
           ParseStatementDate(v, DateOrder::MDY).isValid();
}

// The header name matches one of the words, as a whole or as a word inside it.
bool named(const QString& header, std::initializer_list<const char*> words) {
    const QString h = fold(header);
    for (const char* w : words) {
        const QString word = QString::fromUtf8(w);
        if (h == word || h.startsWith(word + u' ') || h.endsWith(u' ' + word) ||
            h.contains(u' ' + word + u' '))
            return true;
    }
    return false;
}

// The values of a column in the data records (a sample of them).
QStringList columnValues(const TCsvTable& t, int column, bool hasHeader, int limit = 500) {
    QStringList values;
    for (size_t r = hasHeader ? 1 : 0; r < t.Records.size() && values.size() < limit; ++r)
        if (t.RecordErrors[r].isEmpty() && column < t.Records[r].size())
            values << t.Records[r].at(column);
    return values;
}

// The share of a column's non-empty values a test passes, and how many are empty.
struct Share {
    int passed = 0, given = 0, empty = 0;
    bool all() const { return given > 0 && passed == given; }
};
template <class Test> Share share(const QStringList& values, Test test) {
    Share s;
    for (const QString& v : values) {
        if (v.trimmed().isEmpty()) {
            ++s.empty;
            continue;
        }
        ++s.given;
        s.passed += test(v) ? 1 : 0;
    }
    return s;
}

} // namespace

void GuessCsvFormats(const TCsvTable& table, TCsvMapping& m, TCsvGuess* guess) {
    const TDateGuess dates =
        GuessDateOrder(columnValues(table, m.DateColumn, m.HasHeader, 100000), LocaleDateOrder());
    m.Order = dates.order;
    if (guess) {
        guess->DateAmbiguous = dates.ambiguous;
        guess->DateExample = dates.example;
    }
    QStringList amounts;
    for (int c : {m.AmountColumn, m.InColumn, m.OutColumn})
        if (c >= 0)
            amounts += columnValues(table, c, m.HasHeader, 100000);
    m.Decimal = GuessDecimalSign(amounts);
}

TCsvGuess GuessCsvMapping(const TCsvTable& t) {
    TCsvGuess g;
    TCsvMapping& m = g.Mapping;
    // The first readable record, and the one after it.
    std::vector<size_t> readable;
    for (size_t r = 0; r < t.Records.size() && readable.size() < 2; ++r)
        if (t.RecordErrors[r].isEmpty() && t.Records[r].size() > 1)
            readable.push_back(r);
    if (readable.empty())
        return g;
    const QStringList& first = t.Records[readable[0]];
    const bool firstHasValues = std::any_of(first.begin(), first.end(), [](const QString& v) {
        return looksLikeAmount(v) || looksLikeDate(v);
    });
    m.HasHeader = !firstHasValues;
    const int columns = int(first.size());

    std::vector<bool> taken(size_t(columns), false);
    const auto take = [&](int& slot, int column) {
        if (slot < 0 && column >= 0 && !taken[size_t(column)]) {
            slot = column;
            taken[size_t(column)] = true;
        }
    };
    if (m.HasHeader) {
        for (int c = 0; c < columns; ++c) {
            const QString& h = first.at(c);
            if (named(h, {"date", "datum", "booking date", "transaction date", "posted",
                          "posting date", "fecha", "data", "buchungstag", "valuta"}))
                take(m.DateColumn, c);
        }
        for (int c = 0; c < columns; ++c) {
            const QString& h = first.at(c);
            if (named(h, {"balance", "saldo", "solde", "running balance"}))
                taken[size_t(c)] = true; // a running balance is no amount of a line
            else if (named(h, {"credit", "money in", "paid in", "deposit", "deposits", "in",
                               "haben", "gutschrift", "crédit", "income", "received"}))
                take(m.InColumn, c);
            else if (named(h, {"debit", "money out", "paid out", "withdrawal", "withdrawals", "out",
                               "soll", "lastschrift", "débit", "spent"}))
                take(m.OutColumn, c);
        }
        if (m.InColumn < 0 || m.OutColumn < 0) {
            if (m.InColumn >= 0)
                taken[size_t(m.InColumn)] = false;
            if (m.OutColumn >= 0)
                taken[size_t(m.OutColumn)] = false;
            m.InColumn = m.OutColumn = -1;
            for (int c = 0; c < columns; ++c)
                if (named(first.at(c), {"amount", "betrag", "montant", "importe", "bedrag",
                                        "belopp", "beløb", "summe", "value", "sum", "umsatz"}))
                    take(m.AmountColumn, c);
        }
        for (int c = 0; c < columns; ++c) {
            const QString& h = first.at(c);
            if (named(h, {"payee", "party", "name", "merchant", "counterparty", "beneficiary",
                          "description", "payer", "empfänger", "auftraggeber", "bénéficiaire",
                          "libellé", "beguenstigter/zahlungspflichtiger"}))
                take(m.PartyColumn, c);
            else if (named(h, {"memo", "note", "notes", "comment", "remark", "remarks"}))
                take(m.MemoColumn, c);
            else if (named(h, {"purpose", "category", "reference", "verwendungszweck", "details",
                               "motif", "concepto", "referenz"}))
                take(m.PurposeColumn, c);
        }
    }
    // What the names did not tell, the values do.
    for (int c = 0; c < columns && m.DateColumn < 0; ++c)
        if (!taken[size_t(c)] && share(columnValues(t, c, m.HasHeader), looksLikeDate).all())
            take(m.DateColumn, c);
    if (m.AmountColumn < 0 && m.InColumn < 0)
        for (int c = 0; c < columns && m.AmountColumn < 0; ++c)
            if (!taken[size_t(c)] && share(columnValues(t, c, m.HasHeader), looksLikeAmount).all())
                take(m.AmountColumn, c);
    for (int* slot : {&m.PartyColumn, &m.PurposeColumn, &m.MemoColumn})
        for (int c = 0; c < columns && *slot < 0; ++c)
            if (!taken[size_t(c)]) {
                const Share text = share(columnValues(t, c, m.HasHeader), [](const QString& v) {
                    return !looksLikeAmount(v) && !looksLikeDate(v);
                });
                if (text.passed > 0 && text.passed * 2 >= text.given)
                    take(*slot, c);
            }
    if (m.DateColumn >= 0)
        GuessCsvFormats(t, m, &g);
    return g;
}

QString CsvHeaderKey(const TCsvTable& table, bool hasHeader) {
    if (!hasHeader)
        return {};
    for (size_t r = 0; r < table.Records.size(); ++r)
        if (table.RecordErrors[r].isEmpty() && table.Records[r].size() > 1) {
            QStringList names;
            for (const QString& f : table.Records[r])
                names << fold(f);
            return QString(table.Separator) + u'|' + names.join(u'|');
        }
    return {};
}

std::vector<TStatementLine> CsvLines(const TCsvTable& t, const TCsvMapping& m) {
    std::vector<TStatementLine> lines;
    lines.reserve(t.Records.size());
    qsizetype columns = -1;
    bool headerSkipped = !m.HasHeader;
    const auto field = [](const QStringList& r, int c) {
        return c >= 0 && c < r.size() ? r.at(c).trimmed() : QString();
    };
    for (size_t r = 0; r < t.Records.size(); ++r) {
        const QStringList& rec = t.Records[r];
        const bool blank = t.RecordErrors[r].isEmpty() &&
                           std::all_of(rec.begin(), rec.end(),
                                       [](const QString& f) { return f.trimmed().isEmpty(); });
        if (blank)
            continue;
        if (columns < 0 && t.RecordErrors[r].isEmpty()) {
            // Some banks end every line, or only the header, with a separator.
            columns = rec.size();
            while (columns > 1 && rec.at(columns - 1).trimmed().isEmpty())
                --columns;
        }
        if (!headerSkipped && t.RecordErrors[r].isEmpty()) {
            headerSkipped = true;
            continue;
        }
        TStatementLine line;
        line.LineNo = t.LineNos[r];
        if (!t.RecordErrors[r].isEmpty()) {
            line.Error = t.RecordErrors[r];
            lines.push_back(std::move(line));
            continue;
        }
        line.Party = field(rec, m.PartyColumn);
        line.Purpose = field(rec, m.PurposeColumn);
        line.Memo = field(rec, m.MemoColumn);
        const bool blankBeyond =
            std::all_of(rec.begin() + std::min(rec.size(), columns), rec.end(),
                        [](const QString& f) { return f.trimmed().isEmpty(); });
        if (rec.size() < columns || !blankBeyond) {
            line.Error = QStringLiteral("line has %1 columns, not %2").arg(rec.size()).arg(columns);
            lines.push_back(std::move(line));
            continue;
        }
        const QString dateText = field(rec, m.DateColumn);
        line.Date = ParseStatementDate(dateText, m.Order);
        if (!line.Date.isValid())
            line.Error = DateError(dateText);
        QString why;
        if (m.AmountColumn >= 0) {
            const std::optional<Money> a =
                ParseStatementAmount(field(rec, m.AmountColumn), m.Decimal, &why);
            if (a)
                line.Amount = *a;
        } else {
            Money total;
            bool any = false;
            for (const auto& [column, sign] :
                 {std::pair{m.InColumn, 1}, std::pair{m.OutColumn, -1}}) {
                const QString v = field(rec, column);
                if (v.isEmpty() || !why.isEmpty())
                    continue;
                const std::optional<Money> a = ParseStatementAmount(v, m.Decimal, &why);
                if (!a)
                    break;
                // Either column may carry a sign of its own; the column says the direction.
                const Money size = *a < Money() ? -*a : *a;
                total = sign > 0 ? total + size : total - size;
                any = true;
            }
            if (!any && why.isEmpty())
                why = QStringLiteral("no amount");
            if (why.isEmpty())
                line.Amount = total;
        }
        if (line.Error.isEmpty() && !why.isEmpty())
            line.Error = why;
        lines.push_back(std::move(line));
    }
    return lines;
}
