#include "data/SqlDialect.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

// The schema is compiled into the program; the union rule below reads its keys and
// CHECK constraints from there.
static void initDataResource() { Q_INIT_RESOURCE(data); }

namespace {

enum class Tok { Space, Word, Bracket, Quoted, String, Date, Number, Param, Punct };

struct Token {
    Tok kind;
    QString text;
};

bool isWordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
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

bool isWord(const Token& t, const char* w)
{
    return t.kind == Tok::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}
bool isPunct(const Token& t, const char* p) { return t.kind == Tok::Punct && t.text == QLatin1String(p); }

// Index of the next token that is not blank, or size().
size_t nextSolid(const std::vector<Token>& t, size_t i)
{
    while (i < t.size() && t[i].kind == Tok::Space)
        ++i;
    return i;
}
// Index of the previous token that is not blank, or npos.
size_t prevSolid(const std::vector<Token>& t, size_t i)
{
    while (i > 0) {
        --i;
        if (t[i].kind != Tok::Space)
            return i;
    }
    return size_t(-1);
}

void convertDates(std::vector<Token>& t)
{
    static const QRegularExpression day(QStringLiteral("^#(\\d{4}-\\d{2}-\\d{2})#$"));
    static const QRegularExpression stamp(QStringLiteral("^#(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2})#$"));
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

void bracketQualifiedNames(std::vector<Token>& t)
{
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i].kind == Tok::Word && isPunct(t[i - 1], "."))
            t[i] = {Tok::Bracket, QLatin1Char('[') + t[i].text + QLatin1Char(']')};
}

void convertDateValue(std::vector<Token>& t)
{
    for (size_t i = 0; i < t.size(); ++i) {
        if (!isWord(t[i], "DateValue"))
            continue;
        const size_t n = nextSolid(t, i + 1);
        if (n < t.size() && isPunct(t[n], "("))
            t[i].text = QStringLiteral("date");
    }
}

// "select [distinct] top N" loses its "top N"; " limit N" goes where that select's
// scope ends: the parenthesis that closes it, or the end of the statement.
void convertTop(std::vector<Token>& t)
{
    for (size_t i = 0; i < t.size(); ++i) {
        if (!isWord(t[i], "select"))
            continue;
        size_t k = nextSolid(t, i + 1);
        if (k < t.size() && (isWord(t[k], "distinct") || isWord(t[k], "all")))
            k = nextSolid(t, k + 1);
        if (k >= t.size() || !isWord(t[k], "top"))
            continue;
        const size_t numAt = nextSolid(t, k + 1);
        if (numAt >= t.size() || t[numAt].kind != Tok::Number)
            continue;
        const QString limit = QStringLiteral(" limit ") + t[numAt].text;
        size_t eraseEnd = numAt + 1;
        if (eraseEnd < t.size() && t[eraseEnd].kind == Tok::Space)
            ++eraseEnd;
        t.erase(t.begin() + k, t.begin() + eraseEnd);
        int depth = 0;
        size_t end = t.size();
        for (size_t j = i + 1; j < t.size(); ++j) {
            if (isPunct(t[j], "("))
                ++depth;
            else if (isPunct(t[j], ")") && --depth < 0) {
                end = j;
                break;
            }
        }
        if (end == t.size()) {
            // Keep a trailing semicolon (and blanks) after the limit.
            size_t back = t.size();
            while (back > i + 1 && (t[back - 1].kind == Tok::Space || isPunct(t[back - 1], ";")))
                --back;
            end = back;
        }
        t.insert(t.begin() + end, {Tok::Punct, limit});
    }
}

// Jet names a result column as the select list writes it ("A.Amount" is "Amount"
// even when the inner query says "amount"); an explicit alias keeps that name.
void nameAsWritten(std::vector<Token>& item)
{
    std::vector<size_t> solid;
    for (size_t k = 0; k < item.size(); ++k)
        if (item[k].kind != Tok::Space)
            solid.push_back(k);
    auto isName = [&](size_t k) { return item[k].kind == Tok::Word || item[k].kind == Tok::Bracket; };
    QString name;
    if (solid.size() == 1 && isName(solid[0]))
        name = item[solid[0]].text;
    else if (solid.size() == 3 && isName(solid[0]) && isPunct(item[solid[1]], ".") && isName(solid[2]))
        name = item[solid[2]].text;
    else
        return;
    if (name.startsWith(u'['))
        name = name.mid(1, name.size() - 2);
    else if (isWord(item[solid.back()], "distinct") || isWord(item[solid.back()], "all"))
        return;
    item.insert(item.begin() + ptrdiff_t(solid.back()) + 1,
                {Tok::Punct, QStringLiteral(" AS [") + name + QLatin1Char(']')});
}

// Jet lets a select list use an alias given earlier in the same list; SQLite needs
// the expression itself there.
void inlineListAliases(std::vector<Token>& t)
{
    for (size_t s = 0; s < t.size(); ++s) {
        if (!isWord(t[s], "select"))
            continue;
        // Split the list into items at depth-0 commas up to the list's own "from".
        struct Item { size_t begin, end; };
        std::vector<Item> items;
        int depth = 0;
        size_t itemStart = s + 1, j = s + 1;
        for (; j < t.size(); ++j) {
            if (isPunct(t[j], "("))
                ++depth;
            else if (isPunct(t[j], ")")) {
                if (--depth < 0)
                    break;
            } else if (depth == 0 && (isPunct(t[j], ",") )) {
                items.push_back({itemStart, j});
                itemStart = j + 1;
            } else if (depth == 0 && (isWord(t[j], "from") || isWord(t[j], "union") || isPunct(t[j], ";"))) {
                break;
            }
        }
        items.push_back({itemStart, j});
        if (items.size() < 2)
            continue;

        struct Alias { QString name; std::vector<Token> expr; };
        std::vector<Alias> aliases;
        // Work from the last item back so earlier indexes stay valid while we edit.
        std::vector<std::vector<Token>> rebuilt;
        for (const Item& it : items) {
            std::vector<Token> body(t.begin() + it.begin, t.begin() + it.end);
            if (!aliases.empty()) {
                std::vector<Token> replaced;
                for (size_t k = 0; k < body.size(); ++k) {
                    const Token& tok = body[k];
                    const Alias* hit = nullptr;
                    if (tok.kind == Tok::Word) {
                        const size_t p = prevSolid(body, k);
                        const size_t q = nextSolid(body, k + 1);
                        const bool qualified = p != size_t(-1) && isPunct(body[p], ".");
                        const bool call = q < body.size() && (isPunct(body[q], "(") || isPunct(body[q], "."));
                        const bool isAsName = p != size_t(-1) && isWord(body[p], "as");
                        if (!qualified && !call && !isAsName)
                            for (const Alias& a : aliases)
                                if (a.name.compare(tok.text, Qt::CaseInsensitive) == 0)
                                    hit = &a;
                    }
                    if (hit) {
                        replaced.push_back({Tok::Punct, QStringLiteral("(")});
                        replaced.insert(replaced.end(), hit->expr.begin(), hit->expr.end());
                        replaced.push_back({Tok::Punct, QStringLiteral(")")});
                    } else {
                        replaced.push_back(tok);
                    }
                }
                body.swap(replaced);
            }
            // Record "expr AS alias" for the items that follow.
            size_t last = body.size();
            while (last > 0 && body[last - 1].kind == Tok::Space)
                --last;
            if (last > 0 && (body[last - 1].kind == Tok::Word || body[last - 1].kind == Tok::Bracket)) {
                const size_t asAt = prevSolid(body, last - 1);
                if (asAt != size_t(-1) && isWord(body[asAt], "as")) {
                    QString name = body[last - 1].text;
                    if (body[last - 1].kind == Tok::Bracket)
                        name = name.mid(1, name.size() - 2);
                    aliases.push_back({name, std::vector<Token>(body.begin(), body.begin() + asAt)});
                }
            }
            nameAsWritten(body);
            rebuilt.push_back(std::move(body));
        }
        std::vector<Token> list;
        for (size_t k = 0; k < rebuilt.size(); ++k) {
            if (k)
                list.push_back({Tok::Punct, QStringLiteral(",")});
            list.insert(list.end(), rebuilt[k].begin(), rebuilt[k].end());
        }
        const size_t listBegin = items.front().begin, listEnd = items.back().end;
        t.erase(t.begin() + listBegin, t.begin() + listEnd);
        t.insert(t.begin() + listBegin, list.begin(), list.end());
    }
}

} // namespace

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
//  2. at one list position every branch yields a known set of integers, pairwise
//     disjoint: an integer literal gives itself, a column with a CHECK (col IN (...))
//     in the schema gives that list.
// Anything the rule cannot see through leaves the statement as it was.

namespace {

struct TableFacts {
    QString primaryKey;
    QHash<QString, QSet<qint64>> checkedValues; // lower-case column -> allowed values
};

const QHash<QString, TableFacts>& schemaFacts()
{
    static const QHash<QString, TableFacts> facts = [] {
        initDataResource();
        QHash<QString, TableFacts> out;
        QFile f(QStringLiteral(":/data/schema.sql"));
        if (!f.open(QIODevice::ReadOnly))
            return out;
        const QString schema = QString::fromUtf8(f.readAll());
        static const QRegularExpression table(
            QStringLiteral("CREATE TABLE\\s+\\[?(\\w+)\\]?\\s*\\((.*?)\\n\\);"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression pk(
            QStringLiteral("^\\s*\\[?(\\w+)\\]?\\s+INTEGER\\s+PRIMARY\\s+KEY\\b"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
        static const QRegularExpression check(
            QStringLiteral("^\\s*\\[?(\\w+)\\]?\\s+INTEGER\\b[^\\n]*CHECK\\s*\\(\\s*\\[?(\\w+)\\]?\\s+IN\\s*\\(([-\\d,\\s]+)\\)\\s*\\)"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
        for (auto t = table.globalMatch(schema); t.hasNext();) {
            const auto m = t.next();
            TableFacts tf;
            const QString body = m.captured(2);
            if (auto k = pk.match(body); k.hasMatch())
                tf.primaryKey = k.captured(1).toLower();
            for (auto c = check.globalMatch(body); c.hasNext();) {
                const auto cm = c.next();
                if (cm.captured(1).compare(cm.captured(2), Qt::CaseInsensitive) != 0)
                    continue;
                QSet<qint64> values;
                for (const QString& v : cm.captured(3).split(u',', Qt::SkipEmptyParts))
                    values.insert(v.trimmed().toLongLong());
                tf.checkedValues.insert(cm.captured(1).toLower(), values);
            }
            out.insert(m.captured(1).toLower(), tf);
        }
        return out;
    }();
    return facts;
}

QString plainName(const Token& t)
{
    QString s = t.text;
    if (t.kind == Tok::Bracket)
        s = s.mid(1, s.size() - 2);
    return s.toLower();
}

bool isNameToken(const Token& t) { return t.kind == Tok::Word || t.kind == Tok::Bracket; }

// The solid tokens of a select-list item without a trailing "as name" / bare alias.
std::vector<const Token*> itemCore(const std::vector<const Token*>& item)
{
    std::vector<const Token*> core = item;
    if (core.size() >= 3 && isWord(*core[core.size() - 2], "as") && isNameToken(*core.back()))
        core.resize(core.size() - 2);
    return core;
}

// The known integer values a select-list item can yield, or nothing.
std::optional<QSet<qint64>> itemValues(const std::vector<const Token*>& item, const TableFacts& tf,
                                       const QString& tableOrAlias1, const QString& alias2)
{
    const auto core = itemCore(item);
    if (core.size() == 1 && core[0]->kind == Tok::Number && !core[0]->text.contains(u'.'))
        return QSet<qint64>{core[0]->text.toLongLong()};
    if (core.size() == 2 && isPunct(*core[0], "-") && core[1]->kind == Tok::Number &&
        !core[1]->text.contains(u'.'))
        return QSet<qint64>{-core[1]->text.toLongLong()};
    QString col;
    if (core.size() == 1 && isNameToken(*core[0]))
        col = plainName(*core[0]);
    else if (core.size() == 3 && isNameToken(*core[0]) && isPunct(*core[1], ".") && isNameToken(*core[2])) {
        const QString q = plainName(*core[0]);
        if (q != tableOrAlias1 && q != alias2)
            return std::nullopt;
        col = plainName(*core[2]);
    }
    if (col.isEmpty())
        return std::nullopt;
    const auto it = tf.checkedValues.find(col);
    if (it == tf.checkedValues.end())
        return std::nullopt;
    return *it;
}

bool itemIsColumn(const std::vector<const Token*>& item, const QString& column, const QString& table,
                  const QString& alias)
{
    const auto core = itemCore(item);
    if (core.size() == 1 && isNameToken(*core[0]))
        return plainName(*core[0]) == column;
    if (core.size() == 3 && isNameToken(*core[0]) && isPunct(*core[1], ".") && isNameToken(*core[2])) {
        const QString q = plainName(*core[0]);
        return (q == table || q == alias) && plainName(*core[2]) == column;
    }
    return false;
}

// Per-position value sets of one branch [b, e) of solid tokens, or nothing when the
// branch is not a plain single-table select that lists its table's key.
std::optional<std::vector<std::optional<QSet<qint64>>>> branchShape(const std::vector<const Token*>& s)
{
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
    if (i >= s.size() || ++i >= s.size() || !isNameToken(*s[i]))
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
        else if (depth == 0 && (isWord(*s[k], "group") || isWord(*s[k], "having") ||
                                isWord(*s[k], "limit") || isWord(*s[k], "join") || isPunct(*s[k], ",")))
            return std::nullopt;
    }
    const auto ft = schemaFacts().find(table);
    if (ft == schemaFacts().end() || ft->primaryKey.isEmpty())
        return std::nullopt;
    bool hasKey = false;
    std::vector<std::optional<QSet<qint64>>> shape;
    for (const auto& item : items) {
        if (item.empty())
            return std::nullopt;
        hasKey = hasKey || itemIsColumn(item, ft->primaryKey, table, alias);
        shape.push_back(itemValues(item, *ft, table, alias));
    }
    if (!hasKey)
        return std::nullopt;
    return shape;
}

// Applies the rule to the compound whose depth-0 tokens run from `begin` to `end`:
// the positions of the `union` words that may become `union all`.
std::vector<size_t> disjointUnionsIn(const std::vector<Token>& t, size_t begin, size_t end)
{
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
            if (n < end && isWord(t[n], "all")) {
                i = n;
            } else {
                unions.push_back(i);
            }
            branches.emplace_back();
            continue;
        }
        // A trailing order by / limit belongs to the whole compound.
        if (depth == 0 && (isWord(tok, "order") || isWord(tok, "limit") || isPunct(tok, ";")))
            break;
        branches.back().push_back(&tok);
    }
    if (unions.empty())
        return {};
    std::vector<std::vector<std::optional<QSet<qint64>>>> shapes;
    for (const auto& b : branches) {
        auto shape = branchShape(b);
        if (!shape || (!shapes.empty() && shape->size() != shapes.front().size()))
            return {};
        shapes.push_back(std::move(*shape));
    }
    for (size_t p = 0; p < shapes.front().size(); ++p) {
        QSet<qint64> seen;
        bool disjoint = true;
        for (const auto& shape : shapes) {
            if (!shape[p] || seen.intersects(*shape[p])) {
                disjoint = false;
                break;
            }
            seen.unite(*shape[p]);
        }
        if (disjoint)
            return unions;
    }
    return {};
}

void disjointUnions(std::vector<Token>& t)
{
    // Every parenthesised scope, and the statement itself.
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
        const auto u = disjointUnionsIn(t, b, e);
        found.insert(found.end(), u.begin(), u.end());
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    for (size_t u : found)
        t.insert(t.begin() + ptrdiff_t(u) + 1, {{Tok::Space, QStringLiteral(" ")}, {Tok::Word, QStringLiteral("all")}});
}

} // namespace

QString TranslateSql(const QString& jetSql)
{
    std::vector<Token> t = tokenize(jetSql);
    convertDates(t);
    bracketQualifiedNames(t);
    convertDateValue(t);
    convertTop(t);
    disjointUnions(t);
    inlineListAliases(t);
    QString out;
    out.reserve(jetSql.size() + 32);
    for (const Token& tok : t)
        out += tok.text;
    return out;
}

QVariant TranslateParam(const QVariant& value)
{
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
