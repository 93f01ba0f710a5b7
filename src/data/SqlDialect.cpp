#include "data/SqlDialect.h"

#include "data/SqlTokens.h"
#include "data/SqlUnions.h"
#include "data/UtFormat.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>

using namespace SqlTokens;

namespace {

// ------------------------------------------------------------------ the rewrites

// #2024-01-05# -> '2024-01-05 00:00:00': dates are stored as that text.
void convertDateLiterals(Tokens& t) {
    static const QRegularExpression day(QStringLiteral("^#(\\d{4}-\\d{2}-\\d{2})#$"));
    static const QRegularExpression stamp(
        QStringLiteral("^#(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2})#$"));
    for (Token& tok : t) {
        if (tok.kind != Tok::Date)
            continue;
        if (auto m = day.match(tok.text); m.hasMatch())
            tok.text = QLatin1Char('\'') + m.captured(1) + QStringLiteral(" 00:00:00'");
        else if (auto m2 = stamp.match(tok.text); m2.hasMatch())
            tok.text = QLatin1Char('\'') + m2.captured(1) + QLatin1Char('\'');
        else
            tok.text = QLatin1Char('\'') + tok.text.mid(1, tok.text.size() - 2) + QLatin1Char('\'');
        tok.kind = Tok::String;
    }
}

// A.from -> A.[from]: Jet takes any word after a dot for a name, SQLite not a keyword.
void bracketQualifiedNames(Tokens& t) {
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i].kind == Tok::Word && isPunct(t[i - 1], "."))
            t[i] = {Tok::Bracket, QLatin1Char('[') + t[i].text + QLatin1Char(']')};
}

struct ListAlias {
    QString name;
    Tokens expr;
};

// The tokens of the list item [begin, end), where a word naming one of `aliases` becomes
// that alias's expression in parentheses. A subquery is copied as it is.
constexpr size_t MaxAliasExpansion = 20000;

Tokens withAliasesPutIn(const Tokens& t, size_t begin, size_t end,
                        const std::vector<ListAlias>& aliases) {
    Tokens body;
    for (size_t k = begin; k < end; ++k) {
        const Token& tok = t[k];
        const size_t q = nextSolid(t, k + 1);
        if (isPunct(tok, "(") && q < end && isWord(t[q], "select")) {
            const size_t close = std::min(closingParen(t, k), end - 1);
            body.insert(body.end(), t.begin() + ptrdiff_t(k), t.begin() + ptrdiff_t(close) + 1);
            k = close;
            continue;
        }
        const ListAlias* hit = nullptr;
        if (tok.kind == Tok::Word) {
            const size_t p = prevSolid(t, k);
            const bool qualified = p != npos && p >= begin && isPunct(t[p], ".");
            const bool asName = p != npos && p >= begin && isWord(t[p], "as");
            const bool call = q < end && (isPunct(t[q], "(") || isPunct(t[q], "."));
            if (!qualified && !asName && !call)
                for (const ListAlias& a : aliases)
                    if (a.name.compare(tok.text, Qt::CaseInsensitive) == 0)
                        hit = &a;
        }
        // Each alias may use the ones before it, so a list like "a+a as a, a+a as a, ..."
        // doubles at every item; past a size no real statement reaches, the name is
        // left as written and the engine reports it instead of the program hanging.
        if (hit && body.size() + hit->expr.size() <= MaxAliasExpansion) {
            body.push_back(punct("("));
            body.insert(body.end(), hit->expr.begin(), hit->expr.end());
            body.push_back(punct(")"));
        } else {
            body.push_back(tok);
        }
    }
    return body;
}

// select a*2 as x, x+1 as y -> select a*2 as x, (a*2)+1 as y. Only the list's own
// items are looked at: a subquery inside an item has names of its own.
void inlineListAliases(Tokens& t) {
    for (size_t s : selectsLastFirst(t)) {
        const SelectList list = selectListAt(t, s);
        std::vector<ListAlias> aliases;
        Tokens joined;
        for (size_t k = 0; k < list.items.size(); ++k) {
            const auto [begin, end] = list.items[k];
            Tokens body = withAliasesPutIn(t, begin, end, aliases);
            const size_t as = aliasAt(body, 0, body.size());
            if (as != npos)
                aliases.push_back({plainName(body[nextSolid(body, as + 1)]),
                                   Tokens(body.begin(), body.begin() + ptrdiff_t(as))});
            if (k > 0)
                joined.push_back(punct(","));
            joined.insert(joined.end(), body.begin(), body.end());
        }
        if (aliases.empty())
            continue;
        const size_t from = list.items.front().first, to = list.items.back().second;
        t.erase(t.begin() + ptrdiff_t(from), t.begin() + ptrdiff_t(to));
        t.insert(t.begin() + ptrdiff_t(from), joined.begin(), joined.end());
    }
}

// select A.Amount from ... -> select A.Amount AS [Amount] from ...: Jet names a result
// column as the list writes it, even where the inner query says "amount"; SQLite leaves
// unaliased names unspecified. An item that has an alias keeps it.
void nameResultColumns(Tokens& t) {
    for (size_t s : selectsLastFirst(t)) {
        const SelectList list = selectListAt(t, s);
        for (auto it = list.items.rbegin(); it != list.items.rend(); ++it) {
            const auto solid = solidIn(t, it->first, it->second);
            QString name;
            if (solid.size() == 1 && isName(t[solid[0]]))
                name = t[solid[0]].text;
            else if (solid.size() == 3 && isName(t[solid[0]]) && isPunct(t[solid[1]], ".") &&
                     isName(t[solid[2]]))
                name = t[solid[2]].text;
            else
                continue;
            if (name.startsWith(u'[') || name.startsWith(u'"'))
                name = name.mid(1, name.size() - 2);
            t.insert(t.begin() + ptrdiff_t(solid.back()) + 1,
                     {space(),
                      word("AS"),
                      space(),
                      {Tok::Bracket, QLatin1Char('[') + name + QLatin1Char(']')}});
        }
    }
}

// DateValue(d) -> datetime(d, 'start of day') wherever it is compared or computed
// with, so that it meets a date literal or a stored date in the same form; date(d)
// where it is a result column of the statement itself, which the lists show as a date.
void convertDateValue(Tokens& t) {
    std::vector<bool> resultColumn(t.size(), false);
    for (size_t s : selectsLastFirst(t)) {
        if (scopeBegin(t, s) != 0)
            continue;
        for (const auto& [begin, end] : selectListAt(t, s).items) {
            const size_t as = aliasAt(t, begin, end);
            const auto solid = solidIn(t, begin, as == npos ? end : as);
            if (solid.size() >= 3 && isWord(t[solid[0]], "DateValue") &&
                isPunct(t[solid[1]], "(") && closingParen(t, solid[1]) == solid.back())
                resultColumn[solid[0]] = true;
        }
    }
    for (size_t i = t.size(); i-- > 0;) {
        if (!isWord(t[i], "DateValue"))
            continue;
        const size_t open = nextSolid(t, i + 1);
        if (open >= t.size() || !isPunct(t[open], "("))
            continue;
        if (resultColumn[i]) {
            t[i].text = QStringLiteral("date");
        } else {
            t.insert(t.begin() + ptrdiff_t(closingParen(t, open)),
                     {punct(","), space(), {Tok::String, QStringLiteral("'start of day'")}});
            t[i].text = QStringLiteral("datetime");
        }
    }
}

// select top 2 a from t -> select a from t limit 2. In a compound the top belongs to
// its own branch, which becomes a subquery: select top 2 a from t union select b from u
// -> select * from (select a from t limit 2) union select b from u.
void convertTop(Tokens& t) {
    for (size_t s : selectsLastFirst(t)) {
        size_t k = nextSolid(t, s + 1);
        if (k < t.size() && (isWord(t[k], "distinct") || isWord(t[k], "all")))
            k = nextSolid(t, k + 1);
        if (k >= t.size() || !isWord(t[k], "top"))
            continue;
        const size_t numAt = nextSolid(t, k + 1);
        if (numAt >= t.size() || t[numAt].kind != Tok::Number)
            continue;
        const QString count = t[numAt].text;
        t.erase(t.begin() + ptrdiff_t(k), t.begin() + ptrdiff_t(nextSolid(t, numAt + 1)));

        // The scope this select is in, and whether it is a compound.
        const size_t begin = scopeBegin(t, s), end = scopeEnd(t, s);
        bool compound = false;
        int depth = 0;
        for (size_t j = begin; j < end; ++j) {
            if (isPunct(t[j], "("))
                ++depth;
            else if (isPunct(t[j], ")"))
                --depth;
            else if (depth == 0 && isCompoundWord(t[j]))
                compound = true;
        }
        // Where this select's part ends: its scope, before any trailing ";" (and, in a
        // compound, at the next compound word or the compound's own order by).
        size_t stop = end;
        depth = 0;
        for (size_t j = s + 1; j < end; ++j) {
            if (isPunct(t[j], "("))
                ++depth;
            else if (isPunct(t[j], ")"))
                --depth;
            else if (depth == 0 && (isPunct(t[j], ";") || (compound && (isCompoundWord(t[j]) ||
                                                                        isWord(t[j], "order"))))) {
                stop = j;
                break;
            }
        }
        while (stop > s + 1 && t[stop - 1].kind == Tok::Space)
            --stop;
        if (compound) {
            t.insert(t.begin() + ptrdiff_t(stop),
                     {space(), word("limit"), space(), {Tok::Number, count}, punct(")")});
            t.insert(t.begin() + ptrdiff_t(s), {word("select"), space(), punct("*"), space(),
                                                word("from"), space(), punct("(")});
        } else {
            t.insert(t.begin() + ptrdiff_t(stop),
                     {space(), word("limit"), space(), {Tok::Number, count}});
        }
    }
}

} // namespace

QString TranslateSql(const QString& jetSql, const TSchemaFacts& facts) {
    Tokens t = tokenize(jetSql);
    convertDateLiterals(t);
    bracketQualifiedNames(t);
    inlineListAliases(t);
    nameResultColumns(t);
    convertDateValue(t);
    convertTop(t);
    MakeDisjointUnionsAll(t, facts);
    QString out;
    out.reserve(jetSql.size() + 64);
    for (const Token& tok : t)
        out += tok.text;
    return out;
}

QVariant TranslateParam(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        static const QRegularExpression day(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        const QString s = value.toString();
        if (day.match(s).hasMatch())
            return s + QStringLiteral(" 00:00:00");
    }
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(StoredDateTimeFormat);
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0)).toString(StoredDateTimeFormat);
    return value;
}
