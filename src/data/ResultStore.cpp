#include "data/ResultStore.h"

#include <QCollator>
#include <QHash>
#include <bit>
#include <cstring>
#include <numeric>
#include <sqlite3.h>

namespace {

enum Kind : quint8 { Null, Integer, Real, Text, LongText, Blob };
constexpr quint8 kUnset = 0xFE; // no cell yet
constexpr quint8 kMixed = 0xFF; // the column's cells differ: see Column::kinds

// Cells live in blocks of a fixed number of rows, so a long result never needs one
// huge array (whose last doubling would hold two copies of the column at once).
constexpr int kBlockShift = 12;
constexpr int kBlockRows = 1 << kBlockShift;

// A text up to this size lies in a block of the text store; a longer one has its own.
constexpr int kMaxChunk = 1 << 16;

// Where a short text lies, packed into its cell: chunk (30 bits), offset in the chunk
// (16), whether it is plain ASCII (1), length (17).
constexpr quint64 packRef(quint64 chunk, quint64 offset, bool ascii, quint64 length) {
    return chunk << 34 | offset << 18 | quint64(ascii) << 17 | length;
}
constexpr quint32 refChunk(quint64 r) {
    return quint32(r >> 34);
}
constexpr quint32 refOffset(quint64 r) {
    return quint32((r >> 18) & 0xFFFF);
}
constexpr bool refAscii(quint64 r) {
    return (r >> 17) & 1;
}
constexpr int refLength(quint64 r) {
    return int(r & 0x1FFFF);
}

bool isAscii(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

int sign(qint64 v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

} // namespace

// The UTF-8 bytes of the texts of all columns, and for each column the texts it has
// met, so that a repeated one is stored once. A column whose texts hardly repeat (the
// date and time of each row, free notes) soon stops looking them up.
class TResultStore::Texts {
public:
    struct Dictionary {
        std::vector<quint64> table; // packed references, 0 for a free slot
        quint32 used = 0;
        quint32 seen = 0;
        bool off = false;
    };

    quint64 add(const char* p, int n) {
        if (n == 0)
            return 0;
        if (m_chunks.empty() || m_used + quint32(n) > m_capacity) {
            m_capacity = std::max<quint32>(std::min<quint32>(m_nextChunk, kMaxChunk), quint32(n));
            m_nextChunk = std::min<quint32>(m_nextChunk * 2, kMaxChunk);
            m_chunks.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
            m_used = 0;
        }
        std::memcpy(m_chunks.back().get() + m_used, p, size_t(n));
        const quint64 ref = packRef(m_chunks.size() - 1, m_used, isAscii(p, n), quint64(n));
        m_used += quint32(n);
        return ref;
    }

    quint64 intern(Dictionary& d, const char* p, int n) {
        if (n == 0 || d.off)
            return add(p, n);
        ++d.seen;
        if (d.table.empty())
            d.table.assign(64, 0);
        size_t mask = d.table.size() - 1;
        size_t at = qHashBits(p, size_t(n)) & mask;
        for (; d.table[at]; at = (at + 1) & mask) {
            const quint64 ref = d.table[at];
            if (refLength(ref) == n && std::memcmp(data(ref), p, size_t(n)) == 0)
                return ref;
        }
        const quint64 ref = add(p, n);
        d.table[at] = ref;
        if (++d.used * 2 > d.table.size())
            grow(d);
        // Mostly new texts: looking them up costs time and the table memory for nothing.
        if (d.seen % 4096 == 0 && quint64(d.used) * 4 > quint64(d.seen) * 3) {
            d.off = true;
            std::vector<quint64>().swap(d.table);
        }
        return ref;
    }

    const char* data(quint64 ref) const {
        return refLength(ref) == 0 ? "" : m_chunks[refChunk(ref)].get() + refOffset(ref);
    }
    QByteArrayView view(quint64 ref) const { return QByteArrayView(data(ref), refLength(ref)); }

    std::vector<QByteArray> large; // long texts (UTF-8) and binary values

private:
    void grow(Dictionary& d) {
        std::vector<quint64> table(d.table.size() * 2, 0);
        const size_t mask = table.size() - 1;
        for (quint64 ref : d.table) {
            if (!ref)
                continue;
            size_t at = qHashBits(data(ref), size_t(refLength(ref))) & mask;
            while (table[at])
                at = (at + 1) & mask;
            table[at] = ref;
        }
        d.table.swap(table);
    }

    std::vector<std::unique_ptr<char[]>> m_chunks;
    quint32 m_used = 0, m_capacity = 0;
    quint32 m_nextChunk = 4096;
};

struct TResultStore::Column {
    std::vector<std::vector<quint64>> blocks;
    std::vector<quint8> kinds; // one a row, only while uniform is kMixed
    quint8 uniform = kUnset;
    Texts::Dictionary dictionary;
};

TResultStore::TResultStore(int columns)
    : m_columns(size_t(std::max(columns, 0))), m_texts(std::make_unique<Texts>()) {}

TResultStore::~TResultStore() = default;
int TResultStore::ColumnCount() const {
    return int(m_columns.size());
}
TResultStore::TResultStore(TResultStore&&) noexcept = default;
TResultStore& TResultStore::operator=(TResultStore&&) noexcept = default;

quint64& TResultStore::cell(int row, int column) {
    return m_columns[size_t(column)]
        .blocks[size_t(row >> kBlockShift)][size_t(row & (kBlockRows - 1))];
}

quint64 TResultStore::cell(int row, int column) const {
    return m_columns[size_t(column)]
        .blocks[size_t(row >> kBlockShift)][size_t(row & (kBlockRows - 1))];
}

quint8 TResultStore::kind(int row, int column) const {
    const Column& c = m_columns[size_t(column)];
    return c.uniform == kMixed ? c.kinds[size_t(row)] : c.uniform;
}

// Adds a cell to the column for the row being appended (row number m_rows).
void TResultStore::put(Column& col, quint8 k, quint64 value) {
    if (col.blocks.empty() || col.blocks.back().size() == size_t(kBlockRows)) {
        col.blocks.emplace_back();
        if (col.blocks.size() > 1)
            col.blocks.back().reserve(kBlockRows);
    }
    col.blocks.back().push_back(value);
    if (col.uniform == kUnset) {
        col.uniform = k;
    } else if (col.uniform != kMixed && col.uniform != k) {
        col.kinds.assign(size_t(m_rows), col.uniform);
        col.uniform = kMixed;
    }
    if (col.uniform == kMixed)
        col.kinds.push_back(k);
}

void TResultStore::AppendRow(sqlite3_stmt* stmt, int first) {
    for (int c = 0; c < ColumnCount(); ++c) {
        Column& col = m_columns[size_t(c)];
        const int i = c + first;
        switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
            put(col, Integer, quint64(sqlite3_column_int64(stmt, i)));
            break;
        case SQLITE_FLOAT:
            put(col, Real, std::bit_cast<quint64>(sqlite3_column_double(stmt, i)));
            break;
        case SQLITE_TEXT: {
            // UTF-8 is SQLite's own form: no conversion while fetching.
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            const int n = sqlite3_column_bytes(stmt, i);
            if (n > kMaxChunk) {
                m_texts->large.emplace_back(p, n);
                put(col, LongText, m_texts->large.size() - 1);
            } else {
                put(col, Text, m_texts->intern(col.dictionary, p, n));
            }
            break;
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
            m_texts->large.emplace_back(p, sqlite3_column_bytes(stmt, i));
            put(col, Blob, m_texts->large.size() - 1);
            break;
        }
        default:
            put(col, Null, 0);
        }
    }
    ++m_rows;
}

std::pair<quint8, quint64> TResultStore::encode(const QVariant& v) {
    if (v.isNull())
        return {Null, 0};
    switch (v.typeId()) {
    case QMetaType::Bool:
        return {Integer, v.toBool() ? 1 : 0};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
        return {Integer, quint64(v.toLongLong())};
    case QMetaType::Double:
    case QMetaType::Float:
        return {Real, std::bit_cast<quint64>(v.toDouble())};
    case QMetaType::QByteArray:
        m_texts->large.push_back(v.toByteArray());
        return {Blob, m_texts->large.size() - 1};
    default: {
        const QByteArray utf8 = v.toString().toUtf8();
        if (utf8.size() > kMaxChunk) {
            m_texts->large.push_back(utf8);
            return {LongText, m_texts->large.size() - 1};
        }
        return {Text, m_texts->add(utf8.constData(), int(utf8.size()))};
    }
    }
}

void TResultStore::AppendRow(const std::vector<QVariant>& values) {
    for (int c = 0; c < ColumnCount(); ++c) {
        const auto [k, value] = encode(size_t(c) < values.size() ? values[size_t(c)] : QVariant());
        put(m_columns[size_t(c)], k, value);
    }
    ++m_rows;
}

void TResultStore::SetValue(int row, int column, const QVariant& value) {
    const auto [k, encoded] = encode(value);
    Column& col = m_columns[size_t(column)];
    if (col.uniform != kMixed && col.uniform != k) {
        if (m_rows == 1) {
            col.uniform = k;
        } else {
            col.kinds.assign(size_t(m_rows), col.uniform);
            col.uniform = kMixed;
        }
    }
    if (col.uniform == kMixed)
        col.kinds[size_t(row)] = k;
    cell(row, column) = encoded;
}

QString TResultStore::text(quint8 k, quint64 c) const {
    if (k == LongText)
        return QString::fromUtf8(m_texts->large[size_t(c)]);
    const QByteArrayView v = m_texts->view(c);
    return refAscii(c) ? QString::fromLatin1(v.data(), v.size()) : QString::fromUtf8(v);
}

QVariant TResultStore::Value(int row, int column) const {
    const quint64 c = cell(row, column);
    switch (const quint8 k = kind(row, column)) {
    case Integer:
        return QVariant(qlonglong(c));
    case Real:
        return QVariant(std::bit_cast<double>(c));
    case Text:
    case LongText:
        return QVariant(text(k, c));
    case Blob:
        return QVariant(m_texts->large[size_t(c)]);
    default:
        return QVariant();
    }
}

bool TResultStore::IsNull(int row, int column) const {
    return kind(row, column) == Null;
}

// For each row of the column, the place of its text among the column's texts in the
// user's collation, equal texts sharing one place; -1 for a row without text. Each text
// is brought into its collation form once, however many rows share it.
std::vector<int> TResultStore::textRanks(int column) const {
    std::vector<int> rank(size_t(m_rows), -1);
    QHash<quint64, int> shortTexts; // a repeated short text shares its cell
    std::vector<QString> texts;
    for (int r = 0; r < m_rows; ++r) {
        const quint8 k = kind(r, column);
        if (k != Text && k != LongText)
            continue;
        const quint64 c = cell(r, column);
        if (k == Text) {
            const auto it = shortTexts.constFind(c);
            if (it != shortTexts.cend()) {
                rank[size_t(r)] = *it;
                continue;
            }
            shortTexts.insert(c, int(texts.size()));
        }
        rank[size_t(r)] = int(texts.size());
        texts.push_back(text(k, c));
    }
    if (texts.empty())
        return rank;
    QCollator collator; // the user's locale
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (QString& t : texts) {
        keys.push_back(collator.sortKey(t));
        t = QString();
    }
    std::vector<int> byKey(texts.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(),
              [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    std::vector<int> place(texts.size());
    int at = 0;
    for (size_t i = 0; i < byKey.size(); ++i) {
        if (i > 0 && keys[size_t(byKey[i - 1])].compare(keys[size_t(byKey[i])]) != 0)
            ++at;
        place[size_t(byKey[i])] = at;
    }
    for (int& r : rank)
        if (r >= 0)
            r = place[size_t(r)];
    return rank;
}

int TResultStore::compare(int rowA, int rowB, int column, const std::vector<int>& textRank) const {
    const quint8 ka = kind(rowA, column), kb = kind(rowB, column);
    const quint64 a = cell(rowA, column), b = cell(rowB, column);
    // Rank of a kind in the order: null, number, text, binary.
    auto rank = [](quint8 k) {
        return k == Null ? 0 : (k == Integer || k == Real ? 1 : (k == Blob ? 3 : 2));
    };
    const int ra = rank(ka), rb = rank(kb);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    switch (ra) {
    case 0:
        return 0;
    case 1: {
        if (ka == Integer && kb == Integer)
            return qint64(a) < qint64(b) ? -1 : (qint64(a) > qint64(b) ? 1 : 0);
        const double x = ka == Integer ? double(qint64(a)) : std::bit_cast<double>(a);
        const double y = kb == Integer ? double(qint64(b)) : std::bit_cast<double>(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 3: {
        const QByteArray& x = m_texts->large[size_t(a)];
        const QByteArray& y = m_texts->large[size_t(b)];
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    default:
        return sign(textRank[size_t(rowA)] - textRank[size_t(rowB)]);
    }
}

std::vector<int> TResultStore::SortedRows(int column, bool descending) const {
    const std::vector<int> textRank = textRanks(column);
    std::vector<int> order(static_cast<size_t>(m_rows));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        const int c = compare(x, y, column, textRank);
        return descending ? c > 0 : c < 0;
    });
    return order;
}
