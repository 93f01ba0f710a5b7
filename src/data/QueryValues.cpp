#include "data/Errors.h"
#include "data/UtQuery.h"

void TQuery::OpenValues(const QStringList& names, const std::vector<std::vector<QVariant>>& rows) {
    Close();
    TResultStore store(int(names.size()));
    for (const std::vector<QVariant>& row : rows) {
        if (row.size() != size_t(names.size()))
            throw EBudgetError(QStringLiteral("A row does not have one value for each field"));
        store.AppendRow(row);
    }
    m_names.assign(names.begin(), names.end());
    // Without a declared type the grid tells numbers from texts by the values.
    m_declTypes.assign(m_names.size(), QString());
    m_rows = std::move(store);
    m_order.resize(size_t(m_rows.RowCount()));
    for (int r = 0; r < m_rows.RowCount(); ++r)
        m_order[size_t(r)] = r;
    m_pos = 0;
    m_state = State::Browse;
}
