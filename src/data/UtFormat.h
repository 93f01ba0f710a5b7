#pragma once

#include "data/Money.h"

#include <QString>
#include <initializer_list>
#include <variant>

// One argument of Format: an integer, a text or a money value.
class FmtArg {
public:
    FmtArg(int v) : m_v(qint64(v)) {}
    FmtArg(qint64 v) : m_v(v) {}
    FmtArg(const QString& v) : m_v(v) {}
    FmtArg(const char* v) : m_v(QString::fromUtf8(v)) {}
    FmtArg(Money v) : m_v(v) {}
    const std::variant<qint64, QString, Money>& value() const { return m_v; }

private:
    std::variant<qint64, QString, Money> m_v;
};

// The program's format step. Placeholders: %d (integer), %s (text), %f (money with
// two decimals, halves away from zero; "%.Nf" for N decimals), %m (money in the
// user's currency format), an optional width ("%2f"), and %% for a percent sign.
// Display text uses the user's decimal separator for %f.
QString Format(const QString& pattern, std::initializer_list<FmtArg> args);

// The same for SQL text: %f always writes a point, and %s doubles single quotes so
// that a name such as O'Brien stays inside its string literal.
QString FormatSQL(const QString& pattern, std::initializer_list<FmtArg> args);
