#include "import/OfxScan.h"

#include "export/Windows1252.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxDepth = 40;              // real statements nest about ten deep
constexpr qsizetype MaxValue = 64 * 1024; // bytes of one element's text
constexpr qsizetype MaxTag = 64;          // bytes of a tag's name

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

qsizetype skipSpace(const QByteArray& b, qsizetype i) {
    while (i < b.size() && isSpace(b[i]))
        ++i;
    return i;
}

qsizetype bodyStart(const QByteArray& b) {
    qsizetype i = b.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return skipSpace(b, i);
}

// Bytes [pos, pos + n) of b, cut to what b holds.
QByteArrayView part(const QByteArray& b, qsizetype pos, qsizetype n) {
    pos = std::clamp<qsizetype>(pos, 0, b.size());
    return QByteArrayView(b).sliced(pos, std::clamp<qsizetype>(n, 0, b.size() - pos));
}

// Where the value of a header key ("ENCODING:", "encoding=") begins, or -1.
QByteArray headerValue(const QByteArray& head, const char* key, bool xml) {
    const qsizetype at = head.indexOf(key);
    if (at < 0)
        return {};
    qsizetype i = at + qsizetype(strlen(key));
    qsizetype end = i;
    if (xml) {
        if (i >= head.size() || (head[i] != '"' && head[i] != '\''))
            return {};
        const char quote = head[i++];
        end = head.indexOf(quote, i);
    } else {
        end = head.indexOf('\n', i);
    }
    if (end < 0)
        end = head.size();
    return part(head, i, end - i).trimmed().toByteArray().toUpper();
}

int lineAt(const QByteArray& b, qsizetype pos, qsizetype& countedTo, int& line) {
    line += int(part(b, countedTo, pos - countedTo).count('\n'));
    countedTo = pos;
    return line;
}

struct Frame {
    QByteArray name;
    bool aggregate = false; // it holds other tags; else its text is a value
};

} // namespace

bool LooksLikeOfx(const QByteArray& bytes) {
    const qsizetype i = bodyStart(bytes);
    const QByteArrayView head = part(bytes, i, 4096);
    if (head.startsWith("OFXHEADER:"))
        return true;
    const QByteArray upper = head.toByteArray().toUpper();
    return (head.startsWith("<?xml") || head.startsWith("<OFX>") || head.startsWith("<ofx>")) &&
           upper.contains("<OFX>");
}

TOfxScan ScanOfx(const QByteArray& b, const QString& fileName, const TProgress& progress) {
    const auto refuse = [&](const QString& why) {
        return EStatementUnreadable{
            QStringLiteral("The file \"%1\" is not an OFX statement the program can read: %2.")
                .arg(fileName, why)};
    };
    TOfxScan scan;
    const qsizetype start = bodyStart(b);
    const QByteArray head = b.mid(start, 4096);
    qsizetype body = b.indexOf("<OFX>", start);
    if (body < 0)
        body = b.toUpper().indexOf("<OFX>", start);
    if (body < 0)
        throw refuse(QStringLiteral("it has no <OFX> part"));
    if (head.startsWith("OFXHEADER:")) {
        const QByteArray encoding = headerValue(head, "ENCODING:", false);
        scan.Utf8 = encoding == "UTF-8" || encoding == "UTF8";
    } else {
        const QByteArray encoding = headerValue(head, "encoding=", true);
        scan.Utf8 = encoding.isEmpty() || encoding == "UTF-8" || encoding == "UTF8";
    }

    std::vector<Frame> stack;
    int statement = -1; // the account of the statement being read
    bool inTransaction = false, ended = false;
    TOfxTransaction txn;
    QByteArray lastValueTag; // an element just read, whose XML end tag may follow
    qsizetype countedTo = 0;
    int line = 1;
    TProgressTicker tick(progress, b.size(), 1 << 18);

    const auto within = [&](const char* name) {
        for (const Frame& f : stack)
            if (f.aggregate && f.name == name)
                return true;
        return false;
    };
    const auto parent = [&](size_t up = 0) -> QByteArray {
        return stack.size() > up ? stack[stack.size() - 1 - up].name : QByteArray();
    };
    const auto value = [&](const QByteArray& name, const QByteArray& v) {
        if (inTransaction && parent() == "STMTTRN") {
            if (name == "DTPOSTED")
                txn.DtPosted = v;
            else if (name == "TRNAMT")
                txn.TrnAmt = v;
            else if (name == "FITID")
                txn.FitId = v;
            else if (name == "NAME")
                txn.Name = v;
            else if (name == "MEMO")
                txn.Memo = v;
            else if (name == "CHECKNUM")
                txn.CheckNum = v;
        } else if (inTransaction && parent() == "PAYEE" && name == "NAME") {
            txn.PayeeName = v;
        } else if (statement >= 0 && (parent() == "BANKACCTFROM" || parent() == "CCACCTFROM") &&
                   (parent(1) == "STMTRS" || parent(1) == "CCSTMTRS")) {
            TOfxAccount& a = scan.Accounts[size_t(statement)];
            if (name == "BANKID")
                a.BankId = v;
            else if (name == "BRANCHID")
                a.BranchId = v;
            else if (name == "ACCTID")
                a.AcctId = v;
            else if (name == "ACCTTYPE")
                a.AcctType = v;
        }
    };
    const auto openAggregate = [&](const QByteArray& name, qsizetype at) {
        if (name == "STMTRS" || name == "CCSTMTRS") {
            scan.Accounts.push_back({});
            scan.Accounts.back().CreditCard = name == "CCSTMTRS";
            statement = int(scan.Accounts.size()) - 1;
        } else if (name == "STMTTRN" && statement >= 0 &&
                   (within("STMTRS") || within("CCSTMTRS"))) {
            inTransaction = true;
            txn = TOfxTransaction();
            txn.Account = statement;
            txn.LineNo = lineAt(b, at, countedTo, line);
        }
    };
    const auto closeAggregate = [&](const QByteArray& name) {
        if (name == "STMTTRN" && inTransaction) {
            scan.Transactions.push_back(std::move(txn));
            inTransaction = false;
        } else if (name == "STMTRS" || name == "CCSTMTRS") {
            statement = -1;
        } else if (name == "OFX") {
            ended = true;
        }
    };

    qsizetype i = body;
    while (i < b.size()) {
        tick(i);
        const qsizetype lt = b.indexOf('<', i);
        const qsizetype textEnd = lt < 0 ? b.size() : lt;
        const QByteArrayView text = part(b, i, textEnd - i).trimmed();
        if (!text.isEmpty()) {
            if (ended)
                break; // whatever follows the end of the document is not read
            if (text.size() > MaxValue)
                throw refuse(QStringLiteral("line %1 holds a value of %2 bytes")
                                 .arg(lineAt(b, i, countedTo, line))
                                 .arg(QLocale().toString(text.size())));
            if (stack.empty() || stack.back().aggregate)
                throw refuse(QStringLiteral("line %1 holds text outside any element")
                                 .arg(lineAt(b, i, countedTo, line)));
            const QByteArray name = stack.back().name;
            stack.pop_back();
            value(name, text.toByteArray());
            lastValueTag = name;
        }
        if (lt < 0)
            break;
        if (b.mid(lt, 4) == "<!--" || (lt + 1 < b.size() && b[lt + 1] == '?')) {
            const bool comment = b[lt + 1] == '!';
            const qsizetype close = b.indexOf(comment ? "-->" : "?>", lt);
            if (close < 0)
                throw refuse(QStringLiteral("it ends inside a comment"));
            i = close + (comment ? 3 : 2);
            continue;
        }
        const qsizetype gt = b.indexOf('>', lt);
        if (gt < 0 || gt - lt - 1 > MaxTag + 1)
            throw refuse(gt < 0 ? QStringLiteral("it ends inside a tag: it may have been cut short")
                                : QStringLiteral("line %1 holds a tag that is too long")
                                      .arg(lineAt(b, lt, countedTo, line)));
        const bool closing = lt + 1 < gt && b[lt + 1] == '/';
        QByteArray name = b.mid(lt + (closing ? 2 : 1), gt - lt - (closing ? 2 : 1));
        if (!name.isUpper())
            name = name.toUpper();
        if (name.isEmpty() || !std::all_of(name.begin(), name.end(), isNameChar))
            throw refuse(QStringLiteral("line %1 holds a malformed tag")
                             .arg(lineAt(b, lt, countedTo, line)));
        i = gt + 1;
        if (ended)
            throw refuse(QStringLiteral("line %1 holds tags after the end of the document")
                             .arg(lineAt(b, lt, countedTo, line)));
        if (!closing) {
            if (!stack.empty() && !stack.back().aggregate) {
                // The tag before this one held no text: it opens an aggregate.
                stack.back().aggregate = true;
                openAggregate(stack.back().name, lt);
            }
            if (int(stack.size()) >= MaxDepth)
                throw refuse(QStringLiteral("line %1 nests deeper than %2 levels")
                                 .arg(lineAt(b, lt, countedTo, line))
                                 .arg(MaxDepth));
            stack.push_back({name, false});
            lastValueTag.clear();
            continue;
        }
        const auto open = std::find_if(stack.rbegin(), stack.rend(),
                                       [&name](const Frame& f) { return f.name == name; });
        if (open != stack.rend()) {
            // An aggregate ends, or an element with no text in it. Whatever was left open
            // inside it ends with it, as SGML has it.
            const size_t keep = size_t(stack.rend() - open) - 1;
            while (stack.size() > keep) {
                const Frame f = stack.back();
                stack.pop_back();
                if (f.aggregate)
                    closeAggregate(f.name);
                else
                    value(f.name, QByteArray(""));
            }
        } else if (name != lastValueTag) {
            throw refuse(QStringLiteral("line %1 closes <%2>, which is not open")
                             .arg(lineAt(b, lt, countedTo, line))
                             .arg(QString::fromLatin1(name)));
        }
        lastValueTag.clear();
    }
    if (!ended)
        throw refuse(
            QStringLiteral("it ends before its statement does: it may have been cut short"));
    return scan;
}

std::optional<Money> ParseOfxAmount(const QByteArray& text, QString* why) {
    const QByteArray t = text.trimmed();
    const auto fail = [&](const QString& reason) -> std::optional<Money> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (t.isEmpty())
        return fail(QStringLiteral("no amount"));
    qsizetype i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    int digits = 0, points = 0;
    QByteArray plain = t.left(i);
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            plain += c;
        } else if ((c == '.' || c == ',') && points == 0) {
            ++points;
            plain += '.';
        } else {
            digits = 0;
            break;
        }
    }
    const QString shown = QString::fromLatin1(t.left(40));
    if (digits == 0)
        return fail(QStringLiteral("amount '%1' is not a number").arg(shown));
    const std::optional<Money> m = Money::parse(QString::fromLatin1(plain), QLocale::c());
    if (!m || !m->fitsStored())
        return fail(QStringLiteral("amount '%1' is beyond what the program can hold").arg(shown));
    return m;
}

QDate ParseOfxDate(const QByteArray& text) {
    const QByteArray t = text.trimmed();
    if (t.size() < 8 ||
        !std::all_of(t.begin(), t.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
        return QDate();
    const QDate d(t.left(4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt());
    return d.year() >= 1900 && d.year() <= 2199 ? d : QDate();
}

QString OfxText(const TOfxScan& scan, const QByteArray& value) {
    return scan.Utf8 ? QString::fromUtf8(value) : FromWindows1252(value);
}

namespace {

// A text for the library, in UTF-8 whatever the file's set: numeric character
// references written out (the library drops them), control characters blanked, cut to
// `limit` bytes without leaving half a character or half an entity.
QByteArray safeText(const TOfxScan& scan, const QByteArray& v, qsizetype limit) {
    QString text = OfxText(scan, v);
    static const QRegularExpression reference(QStringLiteral("&#(x[0-9A-Fa-f]{1,6}|[0-9]{1,7});"));
    for (QRegularExpressionMatch m = reference.match(text); m.hasMatch();
         m = reference.match(text, m.capturedStart())) {
        const QString digits = m.captured(1);
        bool ok = false;
        const uint code =
            digits.startsWith(u'x') ? digits.mid(1).toUInt(&ok, 16) : digits.toUInt(&ok);
        const bool usable =
            ok && code >= 0x20 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        text.replace(m.capturedStart(), m.capturedLength(),
                     usable ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1)
                            : QString());
    }
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = u' ';
    const QByteArray full = text.toUtf8();
    QByteArray out = full.left(limit);
    if (out.size() < full.size()) {
        while (!out.isEmpty() && (uchar(full[out.size()]) & 0xC0) == 0x80)
            out.chop(1);
        const qsizetype amp = out.lastIndexOf('&');
        if (amp >= 0 && out.indexOf(';', amp) < 0)
            out.truncate(amp);
    }
    return out;
}

QByteArray safeId(const QByteArray& v, qsizetype limit) {
    QByteArray out;
    for (const char c : v.left(limit))
        out += isNameChar(c) ? c : '0';
    return out.isEmpty() ? QByteArray("0") : out;
}

} // namespace

QByteArray OfxChunk(const TOfxScan& scan, size_t from, size_t to) {
    const TOfxAccount& a = scan.Accounts[size_t(scan.Transactions[from].Account)];
    QByteArray d;
    d.reserve(qsizetype(to - from) * 160 + 1024);
    d += "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\n";
    d += "ENCODING:UTF-8\r\nCHARSET:NONE\r\n";
    d += "COMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n<OFX>\r\n";
    // The library keeps 9 bytes of a bank id, 22 of a branch or account id.
    if (a.CreditCard)
        d += "<CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>"
             "<CCSTMTRS><CURDEF>USD<CCACCTFROM><ACCTID>" +
             safeId(a.AcctId, 22) + "</CCACCTFROM>";
    else
        d += "<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>"
             "<STMTRS><CURDEF>USD<BANKACCTFROM><BANKID>" +
             safeId(a.BankId, 9) + "<ACCTID>" + safeId(a.AcctId, 22) + "<ACCTTYPE>" +
             (a.AcctType == "SAVINGS" || a.AcctType == "MONEYMRKT" || a.AcctType == "CREDITLINE"
                  ? a.AcctType
                  : QByteArray("CHECKING")) +
             "</BANKACCTFROM>";
    d += "\r\n<BANKTRANLIST><DTSTART>19700101<DTEND>19700101\r\n";
    for (size_t k = from; k < to; ++k) {
        const TOfxTransaction& t = scan.Transactions[k];
        d += "<STMTTRN><TRNTYPE>OTHER<DTPOSTED>19700101<TRNAMT>0<FITID>" +
             QByteArray::number(qulonglong(k - from));
        const QByteArray& name = t.Name.isNull() ? t.PayeeName : t.Name;
        if (!name.trimmed().isEmpty())
            d += "<NAME>" + safeText(scan, name, 96);
        if (!t.Memo.trimmed().isEmpty())
            d += "<MEMO>" + safeText(scan, t.Memo, 255);
        d += "</STMTTRN>\r\n";
    }
    d += "</BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>19700101</LEDGERBAL>";
    d += a.CreditCard ? "</CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1>"
                      : "</STMTRS></STMTTRNRS></BANKMSGSRSV1>";
    d += "\r\n</OFX>\r\n";
    return d;
}
