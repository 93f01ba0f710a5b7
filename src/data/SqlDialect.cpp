#include "data/SqlDialect.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <optional>
#include <sqlite3.h>
#include <vector>

namespace {

// ------------------------------------------------------------------------ tokens

enum class Tok { Space, Word, Bracket, Quoted, String, Date, Number, Param, Punct };

struct Token {
    Tok kind;
    QString text;
};
using Tokens = std::vector<Token>;
constexpr size_t npos = size_t(-1);

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

Tokens tokenize(const QString& s) {
    Tokens out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto scanTo = [&](qsizetype from, QChar close, bool doubled) {
        qsizetype j = from + 1;
        while (j < n) {
            if (s.at(j) == close) {
                if (doubled && j + 1 < n && s.at(j + 1) == close) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    };
    while (i < n) {
        const QChar c = s.at(i);
        qsizetype j = i + 1;
        Tok kind = Tok::Punct;
        if (c.isSpace()) {
            while (j < n && s.at(j).isSpace())
                ++j;
            kind = Tok::Space;
        } else if (c == u'\'') {
            j = scanTo(i, u'\'', true);
            kind = Tok::String;
        } else if (c == u'"') {
            j = scanTo(i, u'"', true);
            kind = Tok::Quoted;
        } else if (c == u'[') {
            j = scanTo(i, u']', false);
            kind = Tok::Bracket;
        } else if (c == u'#') {
            const qsizetype close = s.indexOf(u'#', i + 1);
            if (close > i) {
                j = close + 1;
                kind = Tok::Date;
            }
        } else if (c == u':' && i + 1 < n && isWordStart(s.at(i + 1))) {
            while (j < n && isWordChar(s.at(j)))
                ++j;
            kind = Tok::Param;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s.at(i + 1).isDigit())) {
            while (j < n && (s.at(j).isDigit() || s.at(j) == u'.'))
                ++j;
            kind = Tok::Number;
        } else if (isWordStart(c)) {
            while (j < n && isWordChar(s.at(j)))
                ++j;
            kind = Tok::Word;
        } else if (i + 1 < n) {
            const QString two = s.mid(i, 2);
            if (two == u"<>" || two == u"<=" || two == u">=" || two == u"!=" || two == u"||")
                j = i + 2;
        }
        out.push_back({kind, s.mid(i, j - i)});
        i = j;
    }
    return out;
}

Token punct(const char* p) {
    return {Tok::Punct, QString::fromLatin1(p)};
}
Token word(const char* w) {
    return {Tok::Word, QString::fromLatin1(w)};
}
Token space() {
    return {Tok::Space, QStringLiteral(" ")};
}

bool isWord(const Token& t, const char* w) {
    return t.kind == Tok::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}
bool isPunct(const Token& t, const char* p) {
    return t.kind == Tok::Punct && t.text == QLatin1String(p);
}
bool isName(const Token& t) {
    return t.kind == Tok::Word || t.kind == Tok::Bracket || t.kind == Tok::Quoted;
}
bool isCompoundWord(const Token& t) {
    return isWord(t, "union") || isWord(t, "except") || isWord(t, "intersect");
}

// A name without its brackets or quotes, lower case.
QString plainName(const Token& t) {
    QString s = t.text;
    if (t.kind == Tok::Bracket || t.kind == Tok::Quoted)
        s = s.mid(1, s.size() - 2);
    return s.toLower();
}

// Index of the next token that is not blank at or after i, or t.size().
size_t nextSolid(const Tokens& t, size_t i) {
    while (i < t.size() && t[i].kind == Tok::Space)
        ++i;
    return i;
}
// Index of the previous token that is not blank before i, or npos.
size_t prevSolid(const Tokens& t, size_t i) {
    while (i > 0) {
        --i;
        if (t[i].kind != Tok::Space)
            return i;
    }
    return npos;
}

// The ")" that closes the "(" at i, or t.size().
size_t closingParen(const Tokens& t, size_t i) {
    int depth = 0;
    for (size_t j = i; j < t.size(); ++j) {
        if (isPunct(t[j], "("))
            ++depth;
        else if (isPunct(t[j], ")") && --depth == 0)
            return j;
    }
    return t.size();
}

// Where the scope holding i ends: the ")" that closes the parentheses around i, or t.size().
size_t scopeEnd(const Tokens& t, size_t i) {
    int depth = 0;
    for (size_t j = i; j < t.size(); ++j) {
        if (isPunct(t[j], "("))
            ++depth;
        else if (isPunct(t[j], ")") && --depth < 0)
            return j;
    }
    return t.size();
}

// Where the scope holding i begins: just after the "(" around i, or 0.
size_t scopeBegin(const Tokens& t, size_t i) {
    int depth = 0;
    for (size_t j = i; j-- > 0;) {
        if (isPunct(t[j], ")"))
            ++depth;
        else if (isPunct(t[j], "(") && --depth < 0)
            return j + 1;
    }
    return 0;
}

// The indexes of every `select` word, last first: a rewrite that works back from the
// end leaves the places it has still to visit where they were.
std::vector<size_t> selectsLastFirst(const Tokens& t) {
    std::vector<size_t> out;
    for (size_t i = t.size(); i-- > 0;)
        if (isWord(t[i], "select"))
            out.push_back(i);
    return out;
}

// The select list of the `select` at s: after "distinct", "all" or "top N", up to the
// list's own `from` (or whatever ends it), as [begin, end) ranges split at its commas.
struct SelectList {
    std::vector<std::pair<size_t, size_t>> items;
};

SelectList selectListAt(const Tokens& t, size_t s) {
    size_t i = nextSolid(t, s + 1);
    if (i < t.size() && (isWord(t[i], "distinct") || isWord(t[i], "all")))
        i = nextSolid(t, i + 1);
    if (i < t.size() && isWord(t[i], "top")) {
        const size_t n = nextSolid(t, i + 1);
        if (n < t.size() && t[n].kind == Tok::Number)
            i = n + 1;
    }
    SelectList list;
    size_t begin = i;
    int depth = 0;
    for (; i < t.size(); ++i) {
        const Token& tok = t[i];
        if (isPunct(tok, "(")) {
            ++depth;
        } else if (isPunct(tok, ")")) {
            if (--depth < 0)
                break;
        } else if (depth == 0) {
            if (isPunct(tok, ",")) {
                list.items.emplace_back(begin, i);
                begin = i + 1;
            } else if (isPunct(tok, ";") || isCompoundWord(tok) || isWord(tok, "from") ||
                       isWord(tok, "into") || isWord(tok, "where") || isWord(tok, "group") ||
                       isWord(tok, "having") || isWord(tok, "order") || isWord(tok, "limit")) {
                break;
            }
        }
    }
    list.items.emplace_back(begin, i);
    return list;
}

// The solid token indexes of [begin, end).
std::vector<size_t> solidIn(const Tokens& t, size_t begin, size_t end) {
    std::vector<size_t> out;
    for (size_t k = begin; k < end; ++k)
        if (t[k].kind != Tok::Space)
            out.push_back(k);
    return out;
}

// An item's "AS name" at its end: the index of the `as`, or npos.
size_t aliasAt(const Tokens& t, size_t begin, size_t end) {
    const auto solid = solidIn(t, begin, end);
    if (solid.size() >= 3 && isWord(t[solid[solid.size() - 2]], "as") && isName(t[solid.back()]))
        return solid[solid.size() - 2];
    return npos;
}

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

// ---------------------------------------------------------------- disjoint unions
//
// A `union` removes duplicate rows, which forces SQLite to build every branch in full
// before the outer query's conditions can narrow it: the combined transaction list
// then scans all deposits, debits and transfers for every card click. Where the
// branches provably cannot yield equal rows, `union all` gives the same rows and lets
// SQLite push the outer conditions into each branch and use the indexes.
//
// The rule: a compound of selects joined by `union` becomes `union all` when
//  1. every branch is "select <list> from <one table> [[as] alias] [where ...]", with no
//     distinct, join, second table, group by, having or limit, and its list holds the
//     table's INTEGER PRIMARY KEY column, so no branch repeats a row of its own; and
//  2. at one list position every branch yields a known set of values, pairwise
//     disjoint: an integer literal gives itself; a column with a CHECK (col IN (...))
//     gives that list, and null as well unless the column is NOT NULL.
// The facts come from the open database. Anything the rule cannot see through leaves
// the statement as it was.

struct ValueSet {
    QSet<qint64> values;
    bool null = false;
    bool meets(const ValueSet& o) const { return (null && o.null) || values.intersects(o.values); }
};

// The solid tokens of a select-list item without a trailing "as name".
std::vector<const Token*> itemCore(const std::vector<const Token*>& item) {
    std::vector<const Token*> core = item;
    if (core.size() >= 3 && isWord(*core[core.size() - 2], "as") && isName(*core.back()))
        core.resize(core.size() - 2);
    return core;
}

// The column an item names ("col", "T.col" or "alias.col" of the branch's table).
QString itemColumn(const std::vector<const Token*>& item, const QString& table,
                   const QString& alias) {
    const auto core = itemCore(item);
    if (core.size() == 1 && isName(*core[0]))
        return plainName(*core[0]);
    if (core.size() == 3 && isName(*core[0]) && isPunct(*core[1], ".") && isName(*core[2])) {
        const QString q = plainName(*core[0]);
        if (q == table || q == alias)
            return plainName(*core[2]);
    }
    return {};
}

// The known values a select-list item can yield, or nothing.
std::optional<ValueSet> itemValues(const std::vector<const Token*>& item, const TTableFacts& tf,
                                   const QString& table, const QString& alias) {
    const auto core = itemCore(item);
    if (core.size() == 1 && core[0]->kind == Tok::Number && !core[0]->text.contains(u'.'))
        return ValueSet{{core[0]->text.toLongLong()}, false};
    if (core.size() == 2 && isPunct(*core[0], "-") && core[1]->kind == Tok::Number &&
        !core[1]->text.contains(u'.'))
        return ValueSet{{-core[1]->text.toLongLong()}, false};
    const QString col = itemColumn(item, table, alias);
    const auto it = col.isEmpty() ? tf.checkedValues.end() : tf.checkedValues.find(col);
    if (it == tf.checkedValues.end())
        return std::nullopt;
    return ValueSet{*it, !tf.notNull.contains(col)};
}

// Per-position value sets of one branch, or nothing when the branch is not a plain
// single-table select that lists its table's key.
std::optional<std::vector<std::optional<ValueSet>>> branchShape(const std::vector<const Token*>& s,
                                                                const TSchemaFacts& facts) {
    if (s.empty() || !isWord(*s[0], "select"))
        return std::nullopt;
    size_t i = 1;
    if (i < s.size() && (isWord(*s[i], "distinct") || isWord(*s[i], "all") || isWord(*s[i], "top")))
        return std::nullopt;
    std::vector<std::vector<const Token*>> items(1);
    int depth = 0;
    for (; i < s.size(); ++i) {
        if (isPunct(*s[i], "("))
            ++depth;
        else if (isPunct(*s[i], ")"))
            --depth;
        if (depth == 0 && isWord(*s[i], "from"))
            break;
        if (depth == 0 && isPunct(*s[i], ",")) {
            items.emplace_back();
            continue;
        }
        items.back().push_back(s[i]);
    }
    if (i >= s.size() || ++i >= s.size() || !isName(*s[i]))
        return std::nullopt;
    const QString table = plainName(*s[i++]);
    QString alias;
    if (i < s.size() && isWord(*s[i], "as"))
        ++i;
    if (i < s.size() && s[i]->kind == Tok::Word && !isWord(*s[i], "where"))
        alias = plainName(*s[i++]);
    // Only a where clause may follow; it narrows a branch but cannot repeat a row.
    if (i < s.size() && !isWord(*s[i], "where"))
        return std::nullopt;
    depth = 0;
    for (size_t k = i; k < s.size(); ++k) {
        if (isPunct(*s[k], "("))
            ++depth;
        else if (isPunct(*s[k], ")"))
            --depth;
        else if (depth == 0 &&
                 (isWord(*s[k], "group") || isWord(*s[k], "having") || isWord(*s[k], "limit") ||
                  isWord(*s[k], "join") || isPunct(*s[k], ",")))
            return std::nullopt;
    }
    const auto ft = facts.find(table);
    if (ft == facts.end() || ft->primaryKey.isEmpty())
        return std::nullopt;
    bool hasKey = false;
    std::vector<std::optional<ValueSet>> shape;
    for (const auto& item : items) {
        if (item.empty())
            return std::nullopt;
        hasKey = hasKey || itemColumn(item, table, alias) == ft->primaryKey;
        shape.push_back(itemValues(item, *ft, table, alias));
    }
    if (!hasKey)
        return std::nullopt;
    return shape;
}

// The positions of the `union` words of the compound in [begin, end) that may become
// `union all`.
std::vector<size_t> disjointUnionsIn(const Tokens& t, size_t begin, size_t end,
                                     const TSchemaFacts& facts) {
    std::vector<std::vector<const Token*>> branches(1);
    std::vector<size_t> unions;
    int depth = 0;
    for (size_t i = begin; i < end; ++i) {
        const Token& tok = t[i];
        if (tok.kind == Tok::Space)
            continue;
        if (isPunct(tok, "("))
            ++depth;
        else if (isPunct(tok, ")"))
            --depth;
        if (depth == 0 && isWord(tok, "union")) {
            const size_t n = nextSolid(t, i + 1);
            if (n < end && isWord(t[n], "all"))
                i = n;
            else
                unions.push_back(i);
            branches.emplace_back();
            continue;
        }
        if (depth == 0 && (isWord(tok, "except") || isWord(tok, "intersect")))
            return {};
        // A trailing order by / limit belongs to the whole compound.
        if (depth == 0 && (isWord(tok, "order") || isWord(tok, "limit") || isPunct(tok, ";")))
            break;
        branches.back().push_back(&tok);
    }
    if (unions.empty())
        return {};
    std::vector<std::vector<std::optional<ValueSet>>> shapes;
    for (const auto& b : branches) {
        auto shape = branchShape(b, facts);
        if (!shape || (!shapes.empty() && shape->size() != shapes.front().size()))
            return {};
        shapes.push_back(std::move(*shape));
    }
    for (size_t p = 0; p < shapes.front().size(); ++p) {
        std::vector<const ValueSet*> seen;
        bool disjoint = true;
        for (const auto& shape : shapes) {
            if (!shape[p] || std::any_of(seen.begin(), seen.end(),
                                         [&](const ValueSet* v) { return v->meets(*shape[p]); })) {
                disjoint = false;
                break;
            }
            seen.push_back(&*shape[p]);
        }
        if (disjoint)
            return unions;
    }
    return {};
}

// ... union ... -> ... union all ... by the rule above, in every scope of the statement.
void disjointUnions(Tokens& t, const TSchemaFacts& facts) {
    if (facts.isEmpty())
        return;
    std::vector<size_t> opens;
    std::vector<std::pair<size_t, size_t>> scopes;
    for (size_t i = 0; i < t.size(); ++i) {
        if (isPunct(t[i], "("))
            opens.push_back(i);
        else if (isPunct(t[i], ")") && !opens.empty()) {
            scopes.emplace_back(opens.back() + 1, i);
            opens.pop_back();
        }
    }
    scopes.emplace_back(0, t.size());
    std::vector<size_t> found;
    for (const auto& [b, e] : scopes) {
        const auto u = disjointUnionsIn(t, b, e, facts);
        found.insert(found.end(), u.begin(), u.end());
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    for (size_t u : found)
        t.insert(t.begin() + ptrdiff_t(u) + 1, {space(), word("all")});
}

// ----------------------------------------------------------------- schema facts

// Every "CHECK ( col IN ( n, ... ) )" of a table's definition.
void readChecks(const QString& createSql, TTableFacts& tf) {
    const Tokens all = tokenize(createSql);
    std::vector<const Token*> s;
    for (const Token& tok : all)
        if (tok.kind != Tok::Space)
            s.push_back(&tok);
    for (size_t i = 0; i + 6 < s.size(); ++i) {
        if (!isWord(*s[i], "check") || !isPunct(*s[i + 1], "(") || !isName(*s[i + 2]) ||
            !isWord(*s[i + 3], "in") || !isPunct(*s[i + 4], "("))
            continue;
        QSet<qint64> values;
        size_t k = i + 5;
        bool ok = true;
        for (;; ++k) {
            bool negative = false;
            if (k < s.size() && isPunct(*s[k], "-")) {
                negative = true;
                ++k;
            }
            if (k >= s.size() || s[k]->kind != Tok::Number || s[k]->text.contains(u'.')) {
                ok = false;
                break;
            }
            values.insert(negative ? -s[k]->text.toLongLong() : s[k]->text.toLongLong());
            if (++k < s.size() && isPunct(*s[k], ","))
                continue;
            break;
        }
        if (!ok || k + 1 >= s.size() || !isPunct(*s[k], ")") || !isPunct(*s[k + 1], ")"))
            continue;
        const QString col = plainName(*s[i + 2]);
        auto it = tf.checkedValues.find(col);
        if (it == tf.checkedValues.end())
            tf.checkedValues.insert(col, values);
        else
            it->intersect(values); // every check must hold
    }
}

QString columnText(sqlite3_stmt* st, int c) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
}

} // namespace

TSchemaFacts ReadSchemaFacts(sqlite3* db) {
    TSchemaFacts facts;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "select name, sql from sqlite_master where type = 'table'", -1, &st,
                           nullptr) != SQLITE_OK)
        return facts;
    std::vector<std::pair<QString, QString>> tables;
    while (sqlite3_step(st) == SQLITE_ROW)
        tables.emplace_back(columnText(st, 0), columnText(st, 1));
    sqlite3_finalize(st);

    for (const auto& [name, createSql] : tables) {
        TTableFacts tf;
        readChecks(createSql, tf);
        const QByteArray pragma =
            "pragma table_info(\"" + name.toUtf8().replace('"', "\"\"") + "\")";
        if (sqlite3_prepare_v2(db, pragma.constData(), -1, &st, nullptr) != SQLITE_OK)
            continue;
        QStringList keys;
        QString keyType;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString col = columnText(st, 1).toLower();
            if (sqlite3_column_int(st, 3))
                tf.notNull.insert(col);
            if (sqlite3_column_int(st, 5) > 0) {
                keys << col;
                keyType = columnText(st, 2);
            }
        }
        sqlite3_finalize(st);
        // Only an INTEGER PRIMARY KEY is sure to be there and different in every row.
        if (keys.size() == 1 &&
            keyType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0) {
            tf.primaryKey = keys.first();
            tf.notNull.insert(tf.primaryKey);
        }
        facts.insert(name.toLower(), tf);
    }
    return facts;
}

QString TranslateSql(const QString& jetSql, const TSchemaFacts& facts) {
    Tokens t = tokenize(jetSql);
    convertDateLiterals(t);
    bracketQualifiedNames(t);
    inlineListAliases(t);
    nameResultColumns(t);
    convertDateValue(t);
    convertTop(t);
    disjointUnions(t, facts);
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
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    return value;
}
