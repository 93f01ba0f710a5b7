#include "data/Money.h"

#include "data/Errors.h"
#include "data/Rounding.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Rounds a count of ten-thousandths to a multiple of `unit`, halves away from zero.
// Wide, since rounding up near either end of the range steps past it.
WideInt roundAwayFromZero(WideInt raw, qint64 unit) {
    const WideInt rem = raw % unit; // carries the sign of raw
    WideInt base = raw - rem;
    if (2 * rem >= unit)
        base += unit;
    else if (2 * rem <= -unit)
        base -= unit;
    return base;
}

__extension__ typedef unsigned __int128 WideUInt;

QString digitsOf(WideUInt v) {
    if (v <= WideUInt(std::numeric_limits<quint64>::max()))
        return QString::number(quint64(v));
    QString out;
    do {
        out.prepend(QChar(u'0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    return out;
}

WideUInt magnitude(WideInt v) {
    return v < 0 ? WideUInt(-(v + 1)) + 1 : WideUInt(v);
}

// a / b rounded to the nearest whole number, halves away from zero; b is not zero.
WideInt divideRounded(WideInt a, WideInt b) {
    WideInt q = a / b;
    const WideInt r = a % b;
    if (2 * magnitude(r) >= magnitude(b))
        q += ((a < 0) == (b < 0)) ? 1 : -1;
    return q;
}

// The nearest count of ten-thousandths, halves away from zero; none for a value outside
// the range, or for none at all (infinite, not a number).
std::optional<qint64> nearestTenThousandths(double value) {
    const double scaled = std::round(value * double(Money::Scale));
    if (!std::isfinite(scaled) || scaled >= 9.2233720368547758e18 ||
        scaled < -9.2233720368547758e18)
        return std::nullopt;
    return qint64(scaled);
}

// A count of ten-thousandths with fixed decimals and the given separator, no grouping.
QString fixedText(WideInt raw, int decimals, QChar decimalPoint) {
    decimals = qBound(0, decimals, 4);
    qint64 unit = 1;
    for (int k = decimals; k < 4; ++k)
        unit *= 10;
    const WideInt rounded = roundAwayFromZero(raw, unit);
    const WideUInt mag = magnitude(rounded);
    QString out = rounded < 0 ? QStringLiteral("-") : QString();
    out += digitsOf(mag / Money::Scale);
    if (decimals > 0) {
        out += decimalPoint;
        out += QStringLiteral("%1").arg(quint64((mag % Money::Scale) / WideUInt(unit)), decimals,
                                        10, QLatin1Char('0'));
    }
    return out;
}

// The point and the minus sign of a plain number in the locale's own.
QString localized(QString s, const QLocale& locale) {
    s.replace(u'.', locale.decimalPoint());
    if (s.startsWith(u'-'))
        s.replace(0, 1, locale.negativeSign());
    return s;
}

QString plainText(WideInt raw, const QLocale& locale) {
    QString s = fixedText(raw, 4, QLatin1Char('.'));
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return localized(s, locale);
}

QString shortText(WideInt raw, const QLocale& locale) {
    QString s = fixedText(raw, 2, QLatin1Char('.'));
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    if (s == QStringLiteral("-0"))
        s = QStringLiteral("0");
    return localized(s, locale);
}

// How many decimals the locale's currency has (none for the yen, three for the Kuwaiti
// dinar), read off how the locale writes one unit of it.
int currencyDecimals(const QLocale& locale) {
    // A plain symbol of our own, so that one with a point in it ("kr.") is not taken
    // for the decimal separator.
    const QString one = locale.toCurrencyString(1.0, QStringLiteral("X"));
    const qsizetype at = one.indexOf(locale.decimalPoint());
    if (at < 0)
        return 0;
    int decimals = 0;
    for (qsizetype i = at + locale.decimalPoint().size();
         i + locale.zeroDigit().size() <= one.size() &&
         one.mid(i, locale.zeroDigit().size()) == locale.zeroDigit();
         i += locale.zeroDigit().size())
        ++decimals;
    return std::min(decimals, 4);
}

} // namespace

Money Money::fromUnits(qint64 whole) {
    qint64 raw;
    if (__builtin_mul_overflow(whole, Scale, &raw))
        throw EBudgetError(QStringLiteral("Money value out of range"));
    return fromRaw(raw);
}

Money Money::fromStored(double value) {
    if (std::isnan(value))
        return Money();
    const double scaled = std::round(value * double(Scale));
    if (scaled >= 9.2233720368547758e18)
        return fromRaw(std::numeric_limits<qint64>::max());
    if (scaled < -9.2233720368547758e18)
        return fromRaw(std::numeric_limits<qint64>::min());
    return fromRaw(qint64(scaled));
}

Money Money::fromDouble(double value) {
    const std::optional<qint64> raw = nearestTenThousandths(value);
    if (!raw)
        throw EBudgetError(QStringLiteral("Money value out of range"));
    return fromRaw(*raw);
}

std::optional<Money> Money::parse(const QString& text, const QLocale& locale) {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    const QString dec = locale.decimalPoint();
    const QString minus = locale.negativeSign();
    const QString plus = locale.positiveSign();

    qsizetype i = 0;
    bool negative = false;
    if (s.startsWith(minus) || s.startsWith(u'-')) {
        negative = true;
        i = s.startsWith(minus) ? minus.size() : 1;
    } else if (s.startsWith(plus) || s.startsWith(u'+')) {
        i = s.startsWith(plus) ? plus.size() : 1;
    }

    // Accumulate magnitude in ten-thousandths, plus one guard digit for rounding.
    quint64 whole = 0;
    int intDigits = 0, fracDigits = 0;
    qint64 frac = 0; // first four decimals
    int guard = -1;  // fifth decimal, if any
    bool sawPoint = false;
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + 1; // 2^63
    const quint64 maxWhole = limit / Scale;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (!sawPoint && s.mid(i, dec.size()) == dec) {
            sawPoint = true;
            i += dec.size() - 1;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int d = c.unicode() - '0';
        if (!sawPoint) {
            ++intDigits;
            whole = whole * 10 + quint64(d);
            if (whole > maxWhole)
                return std::nullopt;
        } else {
            ++fracDigits;
            if (fracDigits <= 4)
                frac = frac * 10 + d;
            else if (fracDigits == 5)
                guard = d;
        }
    }
    if (intDigits == 0 && fracDigits == 0)
        return std::nullopt;
    for (int k = fracDigits; k < 4; ++k)
        frac *= 10;
    quint64 mag = whole * quint64(Scale) + quint64(frac);
    if (guard >= 5)
        mag += 1;
    if ((!negative && mag > limit - 1) || (negative && mag > limit))
        return std::nullopt;
    if (negative)
        return fromRaw(mag == limit ? std::numeric_limits<qint64>::min() : -qint64(mag));
    return fromRaw(qint64(mag));
}

// Never steps past the range: its ends are not within half a cent of a whole cent beyond.
Money Money::roundedToCents() const {
    return fromRaw(qint64(roundAwayFromZero(m_raw, 100)));
}

qint64 Money::roundedToUnitsBankers() const {
    return DivRoundHalfEven(m_raw, Scale);
}

QString Money::toFixed(int decimals, QChar decimalPoint) const {
    return fixedText(m_raw, decimals, decimalPoint);
}

QString Money::toPlainString(const QLocale& locale) const {
    return plainText(m_raw, locale);
}

QString Money::toShortString(const QLocale& locale) const {
    return shortText(m_raw, locale);
}

QString Money::toCurrencyString(const QLocale& locale) const {
    // Build the number exactly from the integer count, rounded to the currency's own
    // decimals, then let the locale place the currency sign and the sign: its pattern
    // is read off a whole-number sample.
    const int decimals = currencyDecimals(locale);
    qint64 unit = 1;
    for (int k = decimals; k < 4; ++k)
        unit *= 10;
    const WideInt raw = roundAwayFromZero(m_raw, unit);
    const WideUInt mag = magnitude(raw);
    const qint64 sample = 987654321;
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    // The whole units fit 64 bits even after rounding up at either end of the range.
    QString number = grouped.toString(qulonglong(mag / Scale));
    if (decimals > 0) {
        const quint64 fraction = quint64(mag % Scale) / quint64(unit);
        number += locale.decimalPoint();
        for (qsizetype pad = decimals - QString::number(fraction).size(); pad > 0; --pad)
            number += locale.zeroDigit();
        number += grouped.toString(qulonglong(fraction));
    }
    QString pattern = locale.toCurrencyString(raw < 0 ? -sample : sample);
    const QString sampleText = grouped.toString(sample);
    const qsizetype at = pattern.indexOf(sampleText);
    if (at < 0)
        return (raw < 0 ? locale.negativeSign() : QString()) + locale.currencySymbol() + number;
    pattern.replace(at, sampleText.size(), number);
    return pattern;
}

Money Money::saturatingAdd(Money o) const {
    qint64 r;
    if (!__builtin_add_overflow(m_raw, o.m_raw, &r))
        return fromRaw(r);
    return fromRaw(o.m_raw > 0 ? std::numeric_limits<qint64>::max()
                               : std::numeric_limits<qint64>::min());
}

Money Money::operator+(Money o) const {
    qint64 r;
    if (__builtin_add_overflow(m_raw, o.m_raw, &r))
        throw EBudgetError(QStringLiteral("Money value out of range"));
    return fromRaw(r);
}

Money Money::operator-(Money o) const {
    qint64 r;
    if (__builtin_sub_overflow(m_raw, o.m_raw, &r))
        throw EBudgetError(QStringLiteral("Money value out of range"));
    return fromRaw(r);
}

Money Money::operator-() const {
    if (m_raw == std::numeric_limits<qint64>::min())
        throw EBudgetError(QStringLiteral("Money value out of range"));
    return fromRaw(-m_raw);
}

void MoneySum::add(const QVariant& value) {
    WideInt add = 0;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        add = WideInt(value.toLongLong()) * Money::Scale;
        break;
    case QMetaType::Double:
        if (const std::optional<qint64> raw = nearestTenThousandths(value.toDouble())) {
            add = *raw;
            break;
        }
        m_valid = false;
        return;
    default:
        return; // null, or no number at all
    }
    if (__builtin_add_overflow(m_raw, add, &m_raw))
        m_valid = false;
}

MoneySum MoneySum::fromRaw(WideInt tenThousandths) {
    MoneySum s;
    s.m_raw = tenThousandths;
    return s;
}

void MoneySum::add(Money value) {
    if (__builtin_add_overflow(m_raw, WideInt(value.raw()), &m_raw))
        m_valid = false;
}

void MoneySum::add(const MoneySum& other) {
    if (!other.m_valid || __builtin_add_overflow(m_raw, other.m_raw, &m_raw))
        m_valid = false;
}

void MoneySum::subtract(const MoneySum& other) {
    if (!other.m_valid || __builtin_sub_overflow(m_raw, other.m_raw, &m_raw))
        m_valid = false;
}

bool MoneySum::inRange() const {
    return m_valid && m_raw >= std::numeric_limits<qint64>::min() &&
           m_raw <= std::numeric_limits<qint64>::max();
}

Money MoneySum::clamped() const {
    if (!m_valid)
        return {};
    if (m_raw > std::numeric_limits<qint64>::max())
        return Money::fromRaw(std::numeric_limits<qint64>::max());
    if (m_raw < std::numeric_limits<qint64>::min())
        return Money::fromRaw(std::numeric_limits<qint64>::min());
    return Money::fromRaw(qint64(m_raw));
}

QString MoneySum::toPlainString(const QLocale& locale) const {
    return m_valid ? plainText(m_raw, locale) : QString();
}

QString MoneySum::toShortString(const QLocale& locale) const {
    return m_valid ? shortText(m_raw, locale) : QString();
}

QString MoneySum::toGeneralString(const QLocale& locale) const {
    if (!m_valid)
        return {};
    constexpr int kSignificant = 15;
    WideInt unit = 1;
    for (qsizetype n = digitsOf(magnitude(m_raw)).size(); n > kSignificant; --n)
        unit *= 10;
    return plainText(divideRounded(m_raw, unit) * unit, locale);
}

QString MoneySum::wholeUnitsString() const {
    if (!m_valid)
        return {};
    const WideInt units = m_raw / Money::Scale;
    return (units < 0 ? QStringLiteral("-") : QString()) + digitsOf(magnitude(units));
}

QString HundredthsText(WideInt hundredths, const QLocale& locale) {
    const WideUInt mag = magnitude(hundredths);
    QString out = hundredths < 0 ? locale.negativeSign() : QString();
    out += digitsOf(mag / 100);
    out += locale.decimalPoint();
    out += QStringLiteral("%1").arg(int(mag % 100), 2, 10, QLatin1Char('0'));
    return out;
}

QString PercentText(Money part, Money whole, const QLocale& locale) {
    if (whole.raw() == 0)
        return HundredthsText(0, locale);
    // Ten-thousandths of a percent over ten-thousandths of money: part * 100 * 100.
    return HundredthsText(divideRounded(WideInt(part.raw()) * 10000, whole.raw()), locale);
}
