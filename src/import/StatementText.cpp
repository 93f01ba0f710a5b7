#include "import/StatementText.h"

#include "export/Windows1252.h"
#include "import/Statement.h"

#include <QLocale>
#include <QStringDecoder>
#include <array>

QString StatementAmountText(Money amount) {
    return amount.roundedToCents() == amount ? amount.toFixed(2, QLocale().decimalPoint().at(0))
                                             : amount.toPlainString();
}

QString DecodeStatementText(const QByteArray& bytes, const QString& fileName) {
    const auto startsWith = [&bytes](const char* mark, qsizetype n) {
        return bytes.size() >= n && memcmp(bytes.constData(), mark, size_t(n)) == 0;
    };
    if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
        QStringDecoder utf16(startsWith("\xFF\xFE", 2) ? QStringConverter::Utf16LE
                                                       : QStringConverter::Utf16BE);
        return QString(utf16(QByteArrayView(bytes).sliced(2)));
    }
    if (bytes.contains('\0'))
        throw EStatementUnreadable{
            QStringLiteral("The file \"%1\" is not a statement: it holds binary data.")
                .arg(fileName)};
    QByteArrayView body(bytes);
    const bool bom = startsWith("\xEF\xBB\xBF", 3);
    if (bom)
        body = body.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(body);
    // A file that is not valid UTF-8 comes from an 8-bit set; a marked one keeps its
    // replacement characters, since it says what it is.
    if (!bom && utf8.hasError())
        return FromWindows1252(body);
    return text;
}

namespace {

bool isMinus(QChar c) {
    return c == u'-' || c == QChar(0x2212);
}

bool isGroupBlank(QChar c) {
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) || c == u'\'';
}

// Takes signs, parentheses, currency signs and codes and blanks off both ends; what is
// left should be digits and separators.
struct Stripped {
    QString core;
    bool negative = false;
    bool bad = false; // two signs, or unbalanced parentheses
};

Stripped strip(QStringView text) {
    Stripped s;
    QStringView t = text.trimmed();
    int signs = 0;
    if (t.size() >= 2 && t.front() == u'(' && t.back() == u')') {
        s.negative = true;
        ++signs;
        t = t.mid(1, t.size() - 2).trimmed();
    }
    const auto isCode = [](QStringView v) {
        return v.size() >= 3 && v[0].isUpper() && v[1].isUpper() && v[2].isUpper() &&
               (v.size() == 3 || !v[3].isLetter());
    };
    bool changed = true;
    while (changed && !t.isEmpty()) {
        changed = false;
        if (t.front().category() == QChar::Symbol_Currency) {
            t = t.mid(1).trimmed();
            changed = true;
        } else if (t.back().category() == QChar::Symbol_Currency) {
            t.chop(1);
            t = t.trimmed();
            changed = true;
        } else if (isCode(t)) {
            t = t.mid(3).trimmed();
            changed = true;
        } else if (t.size() >= 3 && isCode(t.right(3)) && !t.right(4).front().isLetter()) {
            t.chop(3);
            t = t.trimmed();
            changed = true;
        } else if (isMinus(t.front()) || t.front() == u'+') {
            s.negative = s.negative || isMinus(t.front());
            ++signs;
            t = t.mid(1).trimmed();
            changed = true;
        } else if (isMinus(t.back()) || t.back() == u'+') {
            s.negative = s.negative || isMinus(t.back());
            ++signs;
            t.chop(1);
            t = t.trimmed();
            changed = true;
        } else if (t.size() > 2 &&
                   (t.endsWith(QLatin1String("CR"), Qt::CaseInsensitive) ||
                    t.endsWith(QLatin1String("DR"), Qt::CaseInsensitive)) &&
                   !t.at(t.size() - 3).isLetter()) {
            // Credit and debit marks after the number, as card statements write them.
            s.negative = s.negative || t.at(t.size() - 2).toUpper() == u'D';
            ++signs;
            t.chop(2);
            t = t.trimmed();
            changed = true;
        }
    }
    s.bad = signs > 1;
    s.core = t.toString();
    return s;
}

// Digits in groups of three after the first (or, the Indian way, of two before the
// last three), all split by the same separator.
bool wholePartOk(QStringView whole, QChar* separator) {
    qsizetype lastDigitRun = 0, runs = 0;
    std::vector<qsizetype> groups;
    qsizetype run = 0;
    *separator = QChar();
    for (const QChar c : whole) {
        if (c.isDigit() && c.unicode() < 0x80) {
            ++run;
            continue;
        }
        if (separator->isNull())
            *separator = c;
        else if (*separator != c)
            return false;
        if (run == 0)
            return false;
        groups.push_back(run);
        run = 0;
    }
    if (run == 0)
        return whole.isEmpty();
    groups.push_back(run);
    lastDigitRun = run;
    runs = qsizetype(groups.size());
    if (runs == 1)
        return true;
    if (groups.front() > 3 || lastDigitRun != 3)
        return false;
    const bool threes =
        std::all_of(groups.begin() + 1, groups.end(), [](qsizetype g) { return g == 3; });
    const bool indian =
        std::all_of(groups.begin() + 1, groups.end() - 1, [](qsizetype g) { return g == 2; }) &&
        groups.front() <= 2;
    return threes || indian;
}

} // namespace

std::optional<Money> ParseStatementAmount(QStringView text, QChar decimal, QString* why) {
    const QString shown = text.trimmed().toString();
    const auto fail = [&](const QString& reason) -> std::optional<Money> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (shown.isEmpty())
        return fail(QStringLiteral("no amount"));
    const QString notNumber = QStringLiteral("amount '%1' is not a number").arg(shown.left(40));
    const Stripped s = strip(text);
    if (s.bad || s.core.isEmpty())
        return fail(notNumber);
    const qsizetype point = s.core.indexOf(decimal);
    if (point >= 0 && s.core.indexOf(decimal, point + 1) >= 0)
        return fail(notNumber);
    const QStringView whole = QStringView(s.core).left(point < 0 ? s.core.size() : point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(s.core).mid(point + 1);
    QChar separator;
    if (!wholePartOk(whole, &separator))
        return fail(notNumber);
    const QChar otherSign = decimal == u',' ? u'.' : u',';
    if (!separator.isNull() && separator != otherSign && !isGroupBlank(separator))
        return fail(notNumber);
    for (const QChar c : fraction)
        if (!c.isDigit() || c.unicode() >= 0x80)
            return fail(notNumber);
    if (whole.isEmpty() && fraction.isEmpty())
        return fail(notNumber);
    QString plain;
    plain.reserve(whole.size() + fraction.size() + 2);
    if (s.negative)
        plain += u'-';
    for (const QChar c : whole)
        if (c.isDigit())
            plain += c;
    if (plain.isEmpty() || plain == QLatin1String("-"))
        plain += u'0';
    if (!fraction.isEmpty())
        plain += u'.' + fraction.toString();
    const std::optional<Money> m = Money::parse(plain, QLocale::c());
    if (!m || !m->fitsStored())
        return fail(
            QStringLiteral("amount '%1' is beyond what the program can hold").arg(shown.left(40)));
    return m;
}

QChar GuessDecimalSign(const QStringList& values) {
    int votes[2] = {0, 0}; // '.', ','
    for (const QString& v : values) {
        const QString core = strip(v).core;
        const qsizetype dot = core.lastIndexOf(u'.'), comma = core.lastIndexOf(u',');
        if (dot >= 0 && comma >= 0) {
            ++votes[dot > comma ? 0 : 1];
        } else if (dot >= 0 || comma >= 0) {
            const QChar c = dot >= 0 ? u'.' : u',';
            const qsizetype at = dot >= 0 ? dot : comma;
            if (core.count(c) > 1)
                ++votes[c == u'.' ? 1 : 0];
            else if (core.size() - at - 1 != 3)
                ++votes[c == u'.' ? 0 : 1];
        }
    }
    return votes[1] > votes[0] ? u',' : u'.';
}

namespace {

int monthOf(QStringView name) {
    static const std::array<const char*, 12> english = {"jan", "feb", "mar", "apr", "may", "jun",
                                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    if (name.size() < 3)
        return 0;
    const QString head = name.left(3).toString().toLower();
    for (int i = 0; i < 12; ++i)
        if (head == QLatin1String(english[size_t(i)]))
            return i + 1;
    return 0;
}

int fullYear(int year, int digits, bool apostrophe) {
    if (digits > 2)
        return year;
    if (apostrophe)
        return 2000 + year;
    return year < 70 ? 2000 + year : 1900 + year;
}

} // namespace

QDate ParseStatementDate(QStringView text, DateOrder order) {
    QStringView t = text.trimmed();
    // A time of day after the date is no part of it.
    const qsizetype colon = t.indexOf(u':');
    if (colon > 0) {
        qsizetype cut = colon;
        while (cut > 0 && t[cut - 1] != u' ' && t[cut - 1] != u'T')
            --cut;
        if (cut > 0)
            t = t.left(cut - 1).trimmed();
    }
    if (t.size() == 8 && std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }))
        return QDate(t.left(4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt());

    struct Part {
        int value = 0;
        int digits = 0;
        bool month = false; // written as a month's name
        bool apostrophe = false;
    };
    std::vector<Part> parts;
    bool apostrophe = false;
    for (qsizetype i = 0; i < t.size();) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 0x80) {
            Part p;
            while (i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80 && p.digits < 5) {
                p.value = p.value * 10 + t[i].digitValue();
                ++p.digits;
                ++i;
            }
            if (p.digits > 4)
                return QDate();
            p.apostrophe = apostrophe;
            parts.push_back(p);
        } else if (c.isLetter()) {
            const qsizetype from = i;
            while (i < t.size() && t[i].isLetter())
                ++i;
            Part p;
            p.value = monthOf(t.mid(from, i - from));
            if (p.value == 0)
                return QDate();
            p.month = true;
            parts.push_back(p);
        } else if (c == u'/' || c == u'-' || c == u'.' || c == u' ' || c == u'\'' || c == u',') {
            apostrophe = c == u'\'';
            ++i;
            continue;
        } else {
            return QDate();
        }
        if (i < t.size() && t[i] != u'\'')
            apostrophe = false;
    }
    if (parts.size() != 3)
        return QDate();
    int y = 0, m = 0, d = 0;
    const auto named =
        std::find_if(parts.begin(), parts.end(), [](const Part& p) { return p.month; });
    if (named != parts.end()) {
        // "31 Jan 2024" or "Jan 31, 2024": the year is the part with four digits or the last.
        std::vector<Part> rest;
        for (auto it = parts.begin(); it != parts.end(); ++it)
            if (it != named)
                rest.push_back(*it);
        if (rest[0].month || rest[1].month)
            return QDate();
        const bool yearFirst = rest[0].digits == 4;
        const Part& year = yearFirst ? rest[0] : rest[1];
        const Part& day = yearFirst ? rest[1] : rest[0];
        if (day.digits > 2)
            return QDate();
        y = fullYear(year.value, year.digits, year.apostrophe);
        m = named->value;
        d = day.value;
    } else if (parts[0].digits == 4) {
        if (parts[1].digits > 2 || parts[2].digits > 2)
            return QDate();
        y = parts[0].value, m = parts[1].value, d = parts[2].value;
    } else {
        if (parts[0].digits > 2 || parts[1].digits > 2 || parts[2].digits == 3)
            return QDate();
        if (order == DateOrder::YMD)
            return QDate();
        d = order == DateOrder::DMY ? parts[0].value : parts[1].value;
        m = order == DateOrder::DMY ? parts[1].value : parts[0].value;
        y = fullYear(parts[2].value, parts[2].digits, parts[2].apostrophe);
    }
    if (y < 1900 || y > 2199)
        return QDate();
    return QDate(y, m, d);
}

TDateGuess GuessDateOrder(const QStringList& values, DateOrder preferred) {
    int reads[3] = {0, 0, 0};
    int given = 0;
    QString example;
    for (const QString& v : values) {
        if (v.trimmed().isEmpty())
            continue;
        ++given;
        const QDate dmy = ParseStatementDate(v, DateOrder::DMY);
        const QDate mdy = ParseStatementDate(v, DateOrder::MDY);
        reads[int(DateOrder::DMY)] += dmy.isValid();
        reads[int(DateOrder::MDY)] += mdy.isValid();
        reads[int(DateOrder::YMD)] += ParseStatementDate(v, DateOrder::YMD).isValid();
        if (example.isEmpty() && dmy.isValid() && mdy.isValid() && dmy != mdy)
            example = v.trimmed();
    }
    TDateGuess g;
    if (given > 0 && reads[int(DateOrder::YMD)] == given) {
        g.order = DateOrder::YMD;
        return g;
    }
    const bool dmyAll = reads[int(DateOrder::DMY)] == given;
    const bool mdyAll = reads[int(DateOrder::MDY)] == given;
    if (dmyAll && mdyAll) {
        g.order = preferred == DateOrder::YMD ? DateOrder::DMY : preferred;
        g.ambiguous = !example.isEmpty();
        g.example = example;
    } else if (dmyAll || mdyAll) {
        g.order = dmyAll ? DateOrder::DMY : DateOrder::MDY;
    } else {
        g.order = reads[int(DateOrder::MDY)] > reads[int(DateOrder::DMY)] ? DateOrder::MDY
                                                                          : DateOrder::DMY;
    }
    return g;
}

DateOrder LocaleDateOrder() {
    const QString f = QLocale().dateFormat(QLocale::ShortFormat);
    const qsizetype d = f.indexOf(u'd'), m = f.indexOf(u'M'), y = f.indexOf(u'y');
    if (y >= 0 && y < d && y < m)
        return DateOrder::YMD;
    return m >= 0 && d >= 0 && m < d ? DateOrder::MDY : DateOrder::DMY;
}

QString DateError(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return QStringLiteral("no date");
    return QStringLiteral("date '%1' is not a date").arg(t.left(40).toString());
}
