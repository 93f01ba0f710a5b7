#include "data/SqlUnions.h"

#include <QSet>
#include <algorithm>
#include <functional>
#include <optional>
#include <sqlite3.h>

using namespace SqlTokens;

namespace {

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

} // namespace

void MakeDisjointUnionsAll(Tokens& t, const TSchemaFacts& facts) {
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

namespace {

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
