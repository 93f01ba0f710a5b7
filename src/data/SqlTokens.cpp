#include "data/SqlTokens.h"

namespace SqlTokens {

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

} // namespace

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

QString plainName(const Token& t) {
    QString s = t.text;
    if (t.kind == Tok::Bracket || t.kind == Tok::Quoted)
        s = s.mid(1, s.size() - 2);
    return s.toLower();
}

size_t nextSolid(const Tokens& t, size_t i) {
    while (i < t.size() && t[i].kind == Tok::Space)
        ++i;
    return i;
}
size_t prevSolid(const Tokens& t, size_t i) {
    while (i > 0) {
        --i;
        if (t[i].kind != Tok::Space)
            return i;
    }
    return npos;
}

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

std::vector<size_t> selectsLastFirst(const Tokens& t) {
    std::vector<size_t> out;
    for (size_t i = t.size(); i-- > 0;)
        if (isWord(t[i], "select"))
            out.push_back(i);
    return out;
}

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

std::vector<size_t> solidIn(const Tokens& t, size_t begin, size_t end) {
    std::vector<size_t> out;
    for (size_t k = begin; k < end; ++k)
        if (t[k].kind != Tok::Space)
            out.push_back(k);
    return out;
}

size_t aliasAt(const Tokens& t, size_t begin, size_t end) {
    const auto solid = solidIn(t, begin, end);
    if (solid.size() >= 3 && isWord(t[solid[solid.size() - 2]], "as") && isName(t[solid.back()]))
        return solid[solid.size() - 2];
    return npos;
}

} // namespace SqlTokens
