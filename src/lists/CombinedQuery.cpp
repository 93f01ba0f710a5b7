#include "lists/CombinedQuery.h"

namespace {

const char* const kStatement =
    "SELECT A.id, AccID, IIF(A.type=0, 'Deposit', IIF(A.Type=1, 'Debit', IIF(A.Type=2, 'Trans "
    "Out', 'Trans In'))) AS TypeName, A.type, A.date, DateValue(date) as Date1, A.[from], "
    "A.Amount, A.for, A.memo, B.name, B.type as AccType FROM (select id, DestID As AccID, [type], "
    "date, [from], amount, for, memo from detail union select   ID, SourceID as AccID, 2 as Type, "
    "date, [from], amount, for, memo from transfer union select   ID, DestID as AccID, 3 as Type, "
    "date, [from], amount, for, memo from transfer) AS A, Account AS B WHERE A.AccID = B.ID ";

const char* const kEntries[] = {"-----All-----", "Deposit", "Debit", "Trans in", "Trans out"};
const int kCodes[] = {-1, 0, 1, 3, 2};
constexpr int kCount = int(std::size(kEntries));

} // namespace

QString CombinedQueryText() {
    return QLatin1String(kStatement);
}

QStringList KindEntries() {
    QStringList out;
    for (const char* e : kEntries)
        out << QLatin1String(e);
    return out;
}

int KindCodeAt(int index) {
    return index >= 0 && index < kCount ? kCodes[index] : -1;
}

int KindCodeOf(const QString& entryText) {
    for (int i = 0; i < kCount; ++i)
        if (entryText.compare(QLatin1String(kEntries[i]), Qt::CaseInsensitive) == 0)
            return kCodes[i];
    return -1;
}

QString KindLine(int code) {
    return code < 0 ? QString() : QStringLiteral(" and A.type = ") + QString::number(code);
}
