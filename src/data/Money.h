#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
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
    // Throws when the whole units lie outside the range.
    static Money fromUnits(qint64 whole);
    // Nearest ten-thousandth, halves away from zero; throws on values outside the range.
    static Money fromDouble(double value);
    // A value read back from the database: as fromDouble, but a stored value beyond the
    // range reads as the nearest end of it, so that its row can still be shown (and
    // mended) instead of failing whatever reads it.
    static Money fromStored(double value);

    // The database keeps money as REAL. A balance statement adds and subtracts such
    // values in binary fractions, and the schema's triggers round the result back to four
    // decimals; that only lands on the right ten-thousandth while the engine's rounding
    // error stays well below half of one. Near 2^53 ten-thousandths a single subtraction
    // is already off by more (a balance of 899999999478.29 came back as .2899), so the
    // program stays within ten billion, where the error is a few millionths at most.
    static constexpr qint64 StoredLimit = qint64(10'000'000'000) * 10000;
    constexpr bool fitsStored() const { return m_raw >= -StoredLimit && m_raw <= StoredLimit; }

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
    // Rounded to cents, grouped, with the locale's currency sign and sign placement.
    QString toCurrencyString(const QLocale& locale = QLocale()) const;
    // Rounded to hundredths and written as "0.##" would: at most two decimals, no
    // trailing zeros, locale separator, no grouping.
    QString toShortString(const QLocale& locale = QLocale()) const;

    // The sum, or the nearest end of the range when it lies beyond it.
    Money saturatingAdd(Money o) const;

    Money operator+(Money o) const;
    Money operator-(Money o) const;
    Money operator-() const;
    Money& operator+=(Money o) { return *this = *this + o; }
    Money& operator-=(Money o) { return *this = *this - o; }
    constexpr auto operator<=>(const Money&) const = default;

private:
    qint64 m_raw = 0;
};

// Wide enough for any product of two money values.
__extension__ typedef __int128 WideInt;

// The sum under a list, the one way every footer, file and printed page adds up money read
// from result rows: ten-thousandths added in checked 128-bit arithmetic, so no number of
// rows can overflow it and it is shown exactly however far it leaves the money range. A
// whole number counts as whole units, a floating one as its nearest ten-thousandth; nulls
// and texts count nothing. A floating value beyond the money range (or none at all,
// infinite or not a number) has no exact ten-thousandths, and leaves the sum without a
// value: shown empty, refused by whatever would write it down.
class MoneySum {
public:
    void add(const QVariant& value);
    bool valid() const { return m_valid; }
    WideInt raw() const { return m_raw; }

    // Sums the program works out itself (the reports) add money values and other sums
    // alike; a sum without a value leaves any sum it goes into without one.
    static MoneySum fromRaw(WideInt tenThousandths);
    void add(Money value);
    void add(const MoneySum& other);
    void subtract(const MoneySum& other);
    // Whether the sum is itself a money value.
    bool inRange() const;
    // The sum, or the nearest end of the money range when it lies beyond it (0 without a
    // value).
    Money clamped() const;
    bool operator==(const MoneySum&) const = default;
    // As Money::toPlainString and Money::toShortString would write it; empty when invalid.
    QString toPlainString(const QLocale& locale = QLocale()) const;
    QString toShortString(const QLocale& locale = QLocale()) const;
    // General number format: as toPlainString, but with no more than 15 significant
    // digits (rounded, halves away from zero); a longer whole part ends in zeros.
    QString toGeneralString(const QLocale& locale = QLocale()) const;
    // The whole units, cut toward zero: for a field of whole numbers.
    QString wholeUnitsString() const;

private:
    WideInt m_raw = 0;
    bool m_valid = true;
};

// A count of hundredths written with two decimals ("-12.50") in the locale's decimal
// point and minus sign, no grouping.
QString HundredthsText(WideInt hundredths, const QLocale& locale = QLocale());

// part / whole in percent with two decimals ("12.35", "-4.00", "1000000000000000.00"),
// halves away from zero, in the locale's digits; "0.00" when whole is zero. Worked out
// in 128 bits, so every pair of money values gives its exact share.
QString PercentText(Money part, Money whole, const QLocale& locale = QLocale());
