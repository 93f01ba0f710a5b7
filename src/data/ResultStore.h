#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <memory>
#include <utility>
#include <vector>

struct sqlite3_stmt;

// The rows of an open result. A list of a hundred thousand rows kept as QVariants took
// close to a kilobyte a row; here each cell is eight bytes in its column (an integer, a
// real, or where its text lies), the column's kind is held once while all its cells
// share it, texts are UTF-8 in large blocks, and a text that a column repeats (kind
// names, account names, payees, days) is held once and shared by every row that has it.
class TResultStore {
public:
    explicit TResultStore(int columns = 0);
    ~TResultStore();
    TResultStore(TResultStore&&) noexcept;
    TResultStore& operator=(TResultStore&&) noexcept;
    TResultStore(const TResultStore&) = delete;
    TResultStore& operator=(const TResultStore&) = delete;

    int ColumnCount() const;
    int RowCount() const { return m_rows; }

    // Appends the statement's current row: its result columns first .. first + ColumnCount() - 1.
    void AppendRow(sqlite3_stmt* stmt, int first);
    // Appends a row from values (a row just inserted through an updatable result).
    void AppendRow(const std::vector<QVariant>& values);
    void SetValue(int row, int column, const QVariant& value);

    QVariant Value(int row, int column) const;
    bool IsNull(int row, int column) const;

    // The rows in the lists' sort order on one column, equal values keeping their order:
    // nulls first, then numbers by value, then texts as the user's language orders them,
    // without regard to case, then binary values.
    std::vector<int> SortedRows(int column, bool descending) const;

private:
    struct Column;
    class Texts;
    quint64& cell(int row, int column);
    quint64 cell(int row, int column) const;
    quint8 kind(int row, int column) const;
    void put(Column& col, quint8 kind, quint64 cell);
    // The kind and cell of a value; a text or binary value is stored on the way.
    std::pair<quint8, quint64> encode(const QVariant& value);
    QString text(quint8 kind, quint64 cell) const;
    std::vector<int> textRanks(int column) const;
    int compare(int rowA, int rowB, int column, const std::vector<int>& textRank) const;

    std::vector<Column> m_columns;
    std::unique_ptr<Texts> m_texts;
    int m_rows = 0;
};
