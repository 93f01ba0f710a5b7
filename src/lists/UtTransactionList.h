#pragma once

#include "data/UtQuery.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QPainter;
class QPushButton;
class TDBGridEh;

// The main window's transaction list: the filter bar pnl3 above the grid dbgrdh1 over
// qryList. The main window embeds it in pnl2 and calls LoadList on card selection.
class TTransactionList : public QWidget {
    Q_OBJECT
public:
    explicit TTransactionList(QWidget* parent = nullptr);

    QWidget* pnl3;
    QDateEdit* dtpRange1;
    QDateEdit* dtpRange2;
    QComboBox* cbbType;
    QComboBox* cbbDate;
    QPushButton* btnExport;
    TDBGridEh* dbgrdh1;
    TQuery qryList;

    // The account or wallet the list shows; 0 until a card has been selected.
    int CurrentListId = 0;

    // The combined transaction query for one account or wallet, with the filters.
    void LoadList(int id);
    void SortGrid(TDBGridEh* grid, int column);

public slots:
    void cbbDateChange();
    void FilterChange();
    void dbgrdh1TitleBtnClick(int column);
    void dbgrdh1DrawColumnCell(QPainter* painter, const QRect& rect, int column);
    void btnExportClick();

private:
    void buildFilterBar();
    void buildGrid();
    void prepare();
};
