// The fuzz targets over the statement readers: a statement is input from outside.
#include "FuzzTargets.h"

#include "import/CsvReader.h"
#include "import/OfxReader.h"
#include "import/OfxScan.h"
#include "import/QifReader.h"
#include "import/StatementFile.h"

#include <QLocale>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

namespace {

[[noreturn]] void broken(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "broken promise: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Every line either says why it cannot be read, or has a date and an amount the
// program can hold, and belongs to an account the statement names.
void checkLines(const TStatement& st, qsizetype textLines) {
    if (st.Accounts.empty())
        broken("a statement without an account");
    for (const TStatementLine& l : st.Lines) {
        if (l.Account < 0 || size_t(l.Account) >= st.Accounts.size())
            broken("a line of no account", QString::number(l.Account));
        if (l.LineNo < 1 || l.LineNo > textLines)
            broken("a line number outside the file", QString::number(l.LineNo));
        if (!l.Error.isEmpty())
            continue;
        if (!l.Date.isValid())
            broken("a good line without a date");
        if (!l.Amount.fitsStored())
            broken("a good line beyond the money limits", l.Amount.toPlainString(QLocale::c()));
    }
}

qsizetype linesOf(const QString& text) {
    return text.count(u'\n') + text.count(u'\r') + 1;
}

// A statement file as its reader sees it; false when it is refused as a whole.
bool open(const QByteArray& input, TStatementFile& f) {
    try {
        f = StatementFromBytes(input, QStringLiteral("fuzz"));
        return true;
    } catch (const EStatementUnreadable& e) {
        if (!e.Message.startsWith(QLatin1String("The file \"fuzz\"")))
            broken("a refusal that does not name the file", e.Message);
        return false;
    }
}

QString quoted(const QString& field) {
    return u'"' + QString(field).replace(u'"', QLatin1String("\"\"")) + u'"';
}

} // namespace

void Csv(const QByteArray& input) {
    TStatementFile f;
    if (!open(input, f) || f.Format != StatementFormat::Csv)
        return;
    const QChar separator = GuessCsvSeparator(f.Text);
    const TCsvTable t = ParseCsv(f.Text, separator);
    // The records written back with every field quoted read back the same (unless the
    // doubled quotes make one too long to be read).
    QString again;
    std::vector<const QStringList*> kept;
    for (size_t r = 0; r < t.Records.size(); ++r)
        if (t.RecordErrors[r].isEmpty()) {
            QStringList fields;
            for (const QString& field : t.Records[r])
                fields << quoted(field);
            again += fields.join(separator) + u'\n';
            kept.push_back(&t.Records[r]);
        }
    const TCsvTable back = ParseCsv(again, separator);
    if (back.Records.size() != kept.size())
        broken("quoted records do not read back", QString::number(back.Records.size()));
    for (size_t r = 0; r < kept.size(); ++r)
        if (back.RecordErrors[r].isEmpty()
                ? back.Records[r] != *kept[r]
                : !back.RecordErrors[r].startsWith(QLatin1String("line is longer")))
            broken("a quoted record reads back otherwise", kept[r]->join(u'|'));
    TStatement st;
    st.Accounts.push_back({});
    st.Lines = CsvLines(t, GuessCsvMapping(t).Mapping);
    checkLines(st, linesOf(f.Text));
}

void Qif(const QByteArray& input) {
    TStatementFile f;
    if (!open(input, f) || f.Format != StatementFormat::Qif)
        return;
    for (const DateOrder order : {DateOrder::DMY, DateOrder::MDY})
        checkLines(ReadQif(f.Text, order, GuessDecimalSign(QifFieldValues(f.Text, u'T'))),
                   linesOf(f.Text));
}

void Ofx(const QByteArray& input) {
    // Fed as OFX whatever it begins with: the scan and the library see every input.
    TOfxScan scan;
    try {
        scan = ScanOfx(input, QStringLiteral("fuzz"));
    } catch (const EStatementUnreadable&) {
        return;
    }
    // What the library is handed is always a document the scan itself reads whole.
    for (size_t from = 0; from < scan.Transactions.size();) {
        size_t to = from;
        while (to < scan.Transactions.size() && to - from < OfxChunkTransactions &&
               scan.Transactions[to].Account == scan.Transactions[from].Account)
            ++to;
        try {
            const TOfxScan chunk = ScanOfx(OfxChunk(scan, from, to), QStringLiteral("chunk"));
            if (chunk.Transactions.size() != to - from)
                broken("a document for the library loses transactions");
        } catch (const EStatementUnreadable& e) {
            broken("a document for the library does not read", e.Message);
        }
        from = to;
    }
    const TStatement st = ReadOfx(input, QStringLiteral("fuzz"));
    checkLines(st, input.count('\n') + input.count('\r') + 1);
}

} // namespace Fuzz
