#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>
#include <compare>
#include <optional>

// A money value: a signed 64-bit count of ten-thousandths. Balances and amounts
// never travel through program logic as doubles; the conversions below exist only
// for the database boundary, where the engine stores REAL.
class Money {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 tenThousandths) {
        Money m;
        m.m_raw = tenThousandths;
        return m;
    }
    static constexpr Money fromUnits(qint64 whole) { return fromRaw(whole * Scale); }
    // Nearest ten-thousandth, halves away from zero; throws on values outside the range.
    static Money fromDouble(double value);

    // A plain decimal number in the given locale: blanks around it, an optional sign,
    // the locale's decimal separator, digits only (no grouping, no exponent). More than
    // four decimals are rounded half away from zero. Empty when the text is not such a
    // number or does not fit the 64-bit range.
    static std::optional<Money> parse(const QString& text, const QLocale& locale = QLocale());

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / Scale; }

    // Rounded to whole hundredths, halves away from zero (still in ten-thousandths).
    Money roundedToCents() const;
    // Rounded to whole units, halves to the even neighbour.
    qint64 roundedToUnitsBankers() const;

    // Fixed decimals with the given separator, no grouping: "-12.50".
    QString toFixed(int decimals, QChar decimalPoint = u'.') const;
    // As few decimals as the value needs, no grouping or currency sign: "10.005", "10".
    QString toPlainString(const QLocale& locale = QLocale()) const;
    // Rounded to the currency's own decimals (two for the dollar, none for the yen), grouped,
    // with the locale's currency sign and sign placement.
    QString toCurrencyString(const QLocale& locale = QLocale()) const;
    // Rounded to hundredths and written as "0.##" would: at most two decimals, no
    // trailing zeros, locale separator, no grouping.
    QString toShortString(const QLocale& locale = QLocale()) const;

    Money operator+(Money o) const;
    Money operator-(Money o) const;
    Money operator-() const;
    Money& operator+=(Money o) { return *this = *this + o; }
    Money& operator-=(Money o) { return *this = *this - o; }
    constexpr auto operator<=>(const Money&) const = default;

private:
    qint64 m_raw = 0;
};
