#include "import/QifReader.h"

#include <QLocale>
#include <QStringView>

namespace {

enum class Section { None, Transactions, Investments, Accounts, Other };

Section sectionOf(QStringView header, Section current) {
    if (header.startsWith(QLatin1String("!Type:"), Qt::CaseInsensitive)) {
        const QString type = header.mid(6).trimmed().toString().toLower();
        if (type == QLatin1String("bank") || type == QLatin1String("cash") ||
            type == QLatin1String("ccard") || type == QLatin1String("oth a") ||
            type == QLatin1String("oth l"))
            return Section::Transactions;
        if (type == QLatin1String("invst"))
            return Section::Investments;
        return Section::Other; // categories, classes, memorised transactions, prices
    }
    if (header.startsWith(QLatin1String("!Account"), Qt::CaseInsensitive))
        return Section::Accounts;
    // !Option:AutoSwitch and !Clear:AutoSwitch only say that account lists follow.
    if (header.startsWith(QLatin1String("!Option"), Qt::CaseInsensitive) ||
        header.startsWith(QLatin1String("!Clear"), Qt::CaseInsensitive))
        return current;
    return Section::Other;
}

// Walks the lines of a QIF text, telling each field with the section it stands in and
// the line it is on.
template <class Visit> void walk(const QString& text, Visit visit, const TProgress& progress = {}) {
    TProgressTicker tick(progress, text.size(), 1 << 16);
    Section section = Section::None;
    int lineNo = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        tick(pos);
        qsizetype end = text.indexOf(u'\n', pos);
        if (end < 0)
            end = text.size();
        ++lineNo;
        QStringView line = QStringView(text).mid(pos, end - pos);
        pos = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (line.front() == u'!') {
            // The record before a header belongs to the section it stood in.
            visit(section, QChar(u'!'), line, lineNo);
            section = sectionOf(line.trimmed(), section);
            continue;
        }
        visit(section, line.front(), line.mid(1), lineNo);
    }
    visit(section, QChar(u'^'), QStringView(), 0); // a last record without its ^
}

// One transaction as its fields came.
struct Record {
    int lineNo = 0;
    QString date, amount, altAmount, party, memo, category, number;
    QStringList splitCategories, splitMemos, splitAmounts;
    bool any = false;
};

QString joined(const QStringList& parts, const QString& glue) {
    QStringList kept;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(glue);
}

TStatementLine lineOf(const Record& r, DateOrder order, QChar decimal, int account) {
    TStatementLine line;
    line.LineNo = r.lineNo;
    line.Account = account;
    line.Party = r.party.trimmed();
    QStringList memo{r.memo};
    if (!r.number.trimmed().isEmpty())
        memo << QStringLiteral("No. ") + r.number.trimmed();
    if (r.splitCategories.isEmpty()) {
        line.Purpose = r.category.trimmed();
    } else {
        line.Purpose = joined(r.splitCategories, QStringLiteral(", "));
        memo += r.splitMemos;
    }
    line.Memo = joined(memo, QStringLiteral("; "));

    line.Date = ParseStatementDate(r.date, order);
    if (!line.Date.isValid()) {
        line.Error = DateError(r.date);
        return line;
    }
    QString why;
    const QString amountText = r.amount.trimmed().isEmpty() ? r.altAmount : r.amount;
    const std::optional<Money> amount = ParseStatementAmount(amountText, decimal, &why);
    if (!amount) {
        line.Error = why;
        return line;
    }
    line.Amount = *amount;
    if (!r.splitAmounts.isEmpty()) {
        Money parts;
        for (const QString& s : r.splitAmounts) {
            const std::optional<Money> part = ParseStatementAmount(s, decimal, &why);
            if (!part) {
                line.Error = QStringLiteral("split ") + why;
                return line;
            }
            parts = parts.saturatingAdd(*part);
        }
        if (parts != *amount)
            line.Error =
                QStringLiteral("the splits add up to %1, not %2")
                    .arg(parts.toPlainString(QLocale::c()), amount->toPlainString(QLocale::c()));
    }
    return line;
}

} // namespace

QStringList QifFieldValues(const QString& text, QChar code) {
    QStringList values;
    walk(text, [&](Section s, QChar c, QStringView value, int) {
        if (c == code && (s == Section::Transactions || s == Section::None))
            values << value.toString();
    });
    return values;
}

TStatement ReadQif(const QString& text, DateOrder order, QChar decimal, const TProgress& progress) {
    TStatement st;
    st.Format = StatementFormat::Qif;
    std::vector<TStatementAccount> accounts;
    std::vector<int> lineCounts;
    int current = -1; // the account the transactions now read belong to
    TStatementAccount pendingAccount;
    bool pendingAny = false;
    Record r;

    const auto useAccount = [&]() {
        if (current < 0) {
            accounts.push_back({});
            lineCounts.push_back(0);
            current = int(accounts.size()) - 1;
        }
    };
    const auto finish = [&](Section s) {
        if (!r.any) {
            r = Record();
            return;
        }
        useAccount();
        TStatementLine line = lineOf(r, order, decimal, current);
        if (s == Section::Investments) {
            line.Error = QStringLiteral("investment transactions are not imported");
        }
        st.Lines.push_back(std::move(line));
        ++lineCounts[size_t(current)];
        r = Record();
    };

    walk(
        text,
        [&](Section s, QChar code, QStringView value, int lineNo) {
            if (code == u'!') {
                finish(s);
                return;
            }
            if (s == Section::Accounts) {
                switch (code.unicode()) {
                case u'N':
                    pendingAccount.Name = value.trimmed().toString();
                    pendingAny = true;
                    break;
                case u'^':
                    if (pendingAny) {
                        // The same account named again is the same account.
                        current = -1;
                        for (size_t i = 0; i < accounts.size(); ++i)
                            if (accounts[i].Name == pendingAccount.Name)
                                current = int(i);
                        if (current < 0) {
                            accounts.push_back(pendingAccount);
                            lineCounts.push_back(0);
                            current = int(accounts.size()) - 1;
                        }
                    }
                    pendingAccount = TStatementAccount();
                    pendingAny = false;
                    break;
                default:
                    break; // type, description, limits: nothing the import needs
                }
                return;
            }
            if (s == Section::Other)
                return;
            if (code == u'^') {
                finish(s);
                return;
            }
            if (!r.any)
                r.lineNo = lineNo;
            r.any = true;
            const QString v = value.toString();
            switch (code.unicode()) {
            case u'D':
                r.date = v;
                break;
            case u'T':
                r.amount = v;
                break;
            case u'U':
                r.altAmount = v;
                break;
            case u'P':
                r.party = v;
                break;
            case u'M':
                r.memo = v;
                break;
            case u'L':
                r.category = v;
                break;
            case u'N':
                r.number = v;
                break;
            case u'S':
                r.splitCategories << v;
                break;
            case u'E':
                r.splitMemos << v;
                break;
            case u'$':
                r.splitAmounts << v;
                break;
            default:
                break; // C (cleared), A (address) and the rest are not kept
            }
        },
        progress);

    // Accounts the file only lists, without transactions of their own, are not offered.
    std::vector<int> renumbered(accounts.size(), -1);
    for (size_t i = 0; i < accounts.size(); ++i)
        if (lineCounts[i] > 0) {
            renumbered[i] = int(st.Accounts.size());
            st.Accounts.push_back(accounts[i]);
        }
    for (TStatementLine& l : st.Lines)
        l.Account = renumbered[size_t(l.Account)];
    if (st.Accounts.empty())
        st.Accounts.push_back({});
    return st;
}
