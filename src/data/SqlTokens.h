#pragma once

#include <QString>
#include <utility>
#include <vector>

// The token stream the dialect layer rewrites: a statement cut into words, names, string
// literals, date literals, numbers, parameters, punctuation and the blanks between them,
// so that a rewrite never looks inside a string literal. Joining the texts gives the
// statement back.
namespace SqlTokens {

enum class Tok { Space, Word, Bracket, Quoted, String, Date, Number, Param, Punct };

struct Token {
    Tok kind;
    QString text;
};
using Tokens = std::vector<Token>;
constexpr size_t npos = size_t(-1);

Tokens tokenize(const QString& s);

Token punct(const char* p);
Token word(const char* w);
Token space();

bool isWord(const Token& t, const char* w); // without regard to case
bool isPunct(const Token& t, const char* p);
bool isName(const Token& t);         // a word, a [bracketed] or a "quoted" name
bool isCompoundWord(const Token& t); // union, except, intersect
// A name without its brackets or quotes, lower case.
QString plainName(const Token& t);

// Index of the next token that is not blank at or after i, or t.size().
size_t nextSolid(const Tokens& t, size_t i);
// Index of the previous token that is not blank before i, or npos.
size_t prevSolid(const Tokens& t, size_t i);
// The ")" that closes the "(" at i, or t.size().
size_t closingParen(const Tokens& t, size_t i);
// Where the scope holding i ends: the ")" that closes the parentheses around i, or t.size().
size_t scopeEnd(const Tokens& t, size_t i);
// Where the scope holding i begins: just after the "(" around i, or 0.
size_t scopeBegin(const Tokens& t, size_t i);

// The indexes of every `select` word, last first: a rewrite that works back from the
// end leaves the places it has still to visit where they were.
std::vector<size_t> selectsLastFirst(const Tokens& t);

// The select list of the `select` at s: after "distinct", "all" or "top N", up to the
// list's own `from` (or whatever ends it), as [begin, end) ranges split at its commas.
struct SelectList {
    std::vector<std::pair<size_t, size_t>> items;
};
SelectList selectListAt(const Tokens& t, size_t s);

// The solid token indexes of [begin, end).
std::vector<size_t> solidIn(const Tokens& t, size_t begin, size_t end);
// An item's "AS name" at its end: the index of the `as`, or npos.
size_t aliasAt(const Tokens& t, size_t begin, size_t end);

} // namespace SqlTokens
