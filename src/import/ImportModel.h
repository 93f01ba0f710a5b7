#pragma once

#include "import/ImportStore.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QVector>
#include <vector>

// The import window's preview: one row per statement line, with a check box, the
// line's texts, its state and the other side when it is to be a transfer.
class TImportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        colImport,
        colLine,
        colDate,
        colParty,
        colAmount,
        colPurpose,
        colMemo,
        colState,
        colTransfer,
        ColumnCount
    };

    // An account or wallet a row may be a transfer with.
    struct Side {
        int id;
        QString name;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<TImportRow> rows);
    std::vector<TImportRow>& Rows() { return m_rows; }
    const std::vector<TImportRow>& Rows() const { return m_rows; }
    // The rows changed in place (after the duplicates were marked again).
    void RowsChanged();
    void SetSides(QVector<Side> sides) { m_sides = std::move(sides); }
    const QVector<Side>& Sides() const { return m_sides; }
    QString SideName(int id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A row was checked or unchecked.
    void CheckChanged();
    // A row was made a transfer with another account or wallet, or made a plain record.
    void TransferChanged();

private:
    std::vector<TImportRow> m_rows;
    QVector<Side> m_sides;
};

// The drop-down list of the transfer column: no transfer, or one of the other accounts
// and wallets.
class TTransferDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};
