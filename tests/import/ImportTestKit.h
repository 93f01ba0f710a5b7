#pragma once

#include "import/CsvReader.h"
#include "import/OfxReader.h"
#include "import/QifReader.h"
#include "import/Statement.h"
#include "import/StatementFile.h"

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

// What the import tests share: statement lines written as text to compare, and
// statement files written where a test wants them.
namespace ImportTestKit {

// "2024-01-05|party|-12.5|purpose|memo" per line, or "line: why" for an error line.
inline QString describe(const std::vector<TStatementLine>& lines) {
    QStringList out;
    for (const TStatementLine& l : lines)
        out << (l.Error.isEmpty()
                    ? QStringLiteral("%1|%2|%3|%4|%5")
                          .arg(l.Date.toString(Qt::ISODate), l.Party,
                               l.Amount.toPlainString(QLocale::c()), l.Purpose, l.Memo)
                    : QStringLiteral("%1: %2").arg(l.LineNo).arg(l.Error));
    return out.join(u'\n');
}

inline QString write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// An OFX 1 statement (SGML, elements left open) of a bank account, with these
// <STMTTRN> bodies.
inline QByteArray ofxSgml(const QByteArray& transactions, const QByteArray& acctId = "000123") {
    return "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\nENCODING:USASCII\n"
           "CHARSET:1252\nCOMPRESSION:NONE\nOLDFILEUID:NONE\nNEWFILEUID:NONE\n\n<OFX>\n"
           "<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS>"
           "<DTSERVER>20240110<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1>\n"
           "<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>\n"
           "<STMTRS><CURDEF>USD<BANKACCTFROM><BANKID>987654321<ACCTID>" +
           acctId +
           "<ACCTTYPE>CHECKING</BANKACCTFROM>\n"
           "<BANKTRANLIST><DTSTART>20240101<DTEND>20240110\n" +
           transactions +
           "</BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>20240110</LEDGERBAL></STMTRS>"
           "</STMTTRNRS></BANKMSGSRSV1>\n</OFX>\n";
}

// A statement of any format read as the window reads it when nobody is asked: the CSV
// mapping, the date order and the decimal sign as guessed.
inline TStatement readStatement(const QByteArray& bytes, const QString& name = "statement") {
    const TStatementFile f = StatementFromBytes(bytes, name);
    switch (f.Format) {
    case StatementFormat::Ofx:
        return ReadOfx(f.Bytes, f.FileName);
    case StatementFormat::Qif:
        return ReadQif(f.Text, GuessDateOrder(QifFieldValues(f.Text, u'D'), DateOrder::MDY).order,
                       GuessDecimalSign(QifFieldValues(f.Text, u'T')));
    case StatementFormat::Csv:
        break;
    }
    const TCsvTable t = ParseCsv(f.Text, GuessCsvSeparator(f.Text));
    TStatement st;
    st.Accounts.push_back({});
    st.Lines = CsvLines(t, GuessCsvMapping(t).Mapping);
    return st;
}

} // namespace ImportTestKit
