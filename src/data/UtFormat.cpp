#include "data/UtFormat.h"

#include "data/Errors.h"

#include <QLocale>

namespace {

constexpr int MaxFormatWidth = 100000;

[[noreturn]] void badFormat(const QString& pattern) {
    throw EBudgetError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(pattern));
}

Money asMoney(const FmtArg& a, const QString& pattern) {
    if (const auto* m = std::get_if<Money>(&a.value()))
        return *m;
    if (const auto* i = std::get_if<qint64>(&a.value()))
        return Money::fromUnits(*i);
    badFormat(pattern);
}

QString formatImpl(const QString& pattern, std::initializer_list<FmtArg> args, bool sql) {
    const QLocale locale;
    QString out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= pattern.size())
            badFormat(pattern);
        if (pattern.at(i) == u'%') {
            out += u'%';
            continue;
        }
        bool left = false;
        if (pattern.at(i) == u'-') {
            left = true;
            ++i;
        }
        // A width or precision is at most MaxFormatWidth: a larger one is a fault in the
        // pattern, not a column anyone wants padded to millions of characters.
        const auto number = [&](int& value) {
            value = 0;
            while (i < pattern.size() && pattern.at(i).isDigit()) {
                value = value * 10 + pattern.at(i++).digitValue();
                if (value > MaxFormatWidth)
                    badFormat(pattern);
            }
        };
        int width = 0, precision = -1;
        number(width);
        if (i < pattern.size() && pattern.at(i) == u'.') {
            ++i;
            number(precision);
        }
        if (i >= pattern.size() || next == args.end())
            badFormat(pattern);
        const FmtArg& arg = *next++;
        QString piece;
        switch (pattern.at(i).toLower().unicode()) {
        case 'd': {
            const auto* v = std::get_if<qint64>(&arg.value());
            if (!v)
                badFormat(pattern);
            piece = QString::number(*v);
            break;
        }
        case 's': {
            if (const auto* v = std::get_if<QString>(&arg.value()))
                piece = *v;
            else if (const auto* n = std::get_if<qint64>(&arg.value()))
                piece = QString::number(*n);
            else
                badFormat(pattern);
            if (precision >= 0)
                piece.truncate(precision);
            if (sql)
                piece.replace(u'\'', QStringLiteral("''"));
            break;
        }
        case 'f': {
            const Money m = asMoney(arg, pattern);
            const QChar point = sql ? QChar(u'.') : locale.decimalPoint().at(0);
            piece = m.toFixed(precision < 0 ? 2 : precision, point);
            if (!sql && piece.startsWith(u'-'))
                piece.replace(0, 1, locale.negativeSign());
            break;
        }
        case 'm':
            piece = asMoney(arg, pattern).toCurrencyString(locale);
            break;
        default:
            badFormat(pattern);
        }
        if (piece.size() < width)
            piece = left ? piece.leftJustified(width) : piece.rightJustified(width);
        out += piece;
    }
    return out;
}

} // namespace

QString Format(const QString& pattern, std::initializer_list<FmtArg> args) {
    return formatImpl(pattern, args, false);
}

QString FormatSQL(const QString& pattern, std::initializer_list<FmtArg> args) {
    return formatImpl(pattern, args, true);
}

QString FourDigitYearDateFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}
