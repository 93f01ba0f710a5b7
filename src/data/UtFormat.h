#pragma once

#include "data/Money.h"

#include <QLatin1String>
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

// Dates as the database file keeps them (Detail.Date, Transfer.Date): a date with its
// time of day; and the day alone, as the statements write it in date literals
// (#yyyy-MM-dd#) and date parameters.
constexpr QLatin1String StoredDateTimeFormat("yyyy-MM-dd HH:mm:ss");
constexpr QLatin1String StoredDateFormat("yyyy-MM-dd");

// How the windows show a date: the locale's short date, never with a two-digit year.
QString FourDigitYearDateFormat();
