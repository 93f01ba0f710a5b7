#include "import/ImportModel.h"

#include "import/StatementText.h"

#include "data/UtFormat.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QLocale>

void TImportModel::SetRows(std::vector<TImportRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void TImportModel::RowsChanged() {
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
}

QString TImportModel::SideName(int id) const {
    for (const Side& s : m_sides)
        if (s.id == id)
            return s.name;
    return {};
}

int TImportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TImportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TImportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const TImportRow& r = m_rows[size_t(index.row())];
    const TStatementLine& l = *r.Line;
    if (role == Qt::CheckStateRole && index.column() == colImport)
        return r.Checked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::TextAlignmentRole && (index.column() == colAmount || index.column() == colLine))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && index.column() == colState && r.State != RowState::New)
        return QBrush(r.State == RowState::Error ? QColor(176, 0, 0) : QColor(128, 96, 0));
    if (role == Qt::EditRole && index.column() == colTransfer)
        return r.TransferWith;
    if (role == Qt::ToolTipRole && index.column() == colState)
        return r.Why;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case colLine:
        return l.LineNo;
    case colDate:
        return l.Date.isValid() ? QLocale().toString(l.Date, FourDigitYearDateFormat()) : QString();
    case colParty:
        return l.Party;
    case colAmount:
        return l.Error.isEmpty() ? StatementAmountText(l.Amount) : QString();
    case colPurpose:
        return l.Purpose;
    case colMemo:
        return QString(l.Memo).replace(u'\n', u' ');
    case colState:
        switch (r.State) {
        case RowState::New:
            return QStringLiteral("New");
        case RowState::Duplicate:
            return QStringLiteral("Duplicate: ") + r.Why;
        case RowState::Error:
            return QStringLiteral("Error: ") + r.Why;
        }
        return {};
    case colTransfer:
        return r.TransferWith ? SideName(r.TransferWith) : QString();
    default:
        return {};
    }
}

QVariant TImportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[ColumnCount] = {"Import",  "Line", "Date",  "Party",   "Amount",
                                                    "Purpose", "Memo", "State", "Transfer"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

Qt::ItemFlags TImportModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return f;
    // A line that cannot be read is shown only.
    if (m_rows[size_t(index.row())].State == RowState::Error)
        return f;
    if (index.column() == colImport)
        f |= Qt::ItemIsUserCheckable;
    if (index.column() == colTransfer && !m_sides.isEmpty())
        f |= Qt::ItemIsEditable;
    return f;
}

bool TImportModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return false;
    TImportRow& r = m_rows[size_t(index.row())];
    if (r.State == RowState::Error)
        return false;
    if (index.column() == colImport && role == Qt::CheckStateRole) {
        r.Checked = value.toInt() == Qt::Checked;
        emit dataChanged(index, index);
        emit CheckChanged();
        return true;
    }
    if (index.column() == colTransfer && role == Qt::EditRole) {
        const int id = value.toInt();
        if (id != 0 && SideName(id).isNull())
            return false;
        r.TransferWith = id;
        r.TransferFound = false;
        emit dataChanged(index, index);
        emit TransferChanged();
        return true;
    }
    return false;
}

QWidget* TTransferDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("cbbTransfer"));
    box->addItem(QString(), 0);
    if (const auto* m = qobject_cast<const TImportModel*>(index.model()))
        for (const TImportModel::Side& s : m->Sides())
            box->addItem(s.name, s.id);
    return box;
}

void TTransferDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(std::max(0, box->findData(index.data(Qt::EditRole))));
}

void TTransferDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    model->setData(index, static_cast<QComboBox*>(editor)->currentData(), Qt::EditRole);
}
