#pragma once

#include "data/UtQuery.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QRadioButton;
class QToolBar;
class QToolButton;
class TDBGridEh;
class TFrmHistoryQuery;
class TPrintDBGridEh;

// The history window: the transactions of all accounts and wallets over a period,
// narrowed by the filter strip (one account or wallet, all accounts, all wallets; a
// kind; a search text) or by the query dialog, with the record commands that correct,
// remove and copy them.
class TFrmAccountHistory : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAccountHistory(QWidget* parent = nullptr);
    ~TFrmAccountHistory() override;

    // The account or wallet chosen in cbbAccWal when the window is first shown; 0: none.
    int StartId = 0;
    TFrmHistoryQuery* QueryDialog = nullptr;
    TQuery qryList;

    QToolBar* tlb1 = nullptr;
    QToolButton* btnQuery = nullptr;
    QToolButton* btnEdit = nullptr;
    QToolButton* btnDelete = nullptr;
    QToolButton* btnCopy = nullptr;
    QToolButton* btnExport = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnHelp = nullptr;
    QToolButton* btnToolExit = nullptr;

    QFrame* pnl1 = nullptr;
    QLabel* lbl2 = nullptr;
    QComboBox* cbbAccWal = nullptr;
    QComboBox* cbbType = nullptr;
    QRadioButton* rbMonth = nullptr;
    QRadioButton* rbToday = nullptr;
    QLabel* lbl1 = nullptr;
    QLineEdit* edtSearch = nullptr;

    TDBGridEh* dbgrdh1 = nullptr;
    QMenu* pm1 = nullptr;
    // The grid's print settings; printing goes through the preview.
    TPrintDBGridEh* prntdbgrdh1 = nullptr;

    void FillAccountList();
    // Builds the list statement from the filter strip and opens it.
    void LoadHistory();
    // Builds the list statement from the query dialog's criteria and opens it.
    void LoadQuery();
    void SortGrid(TDBGridEh* grid, int column);

public slots:
    void FormActivate();
    void btnQueryClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnCopyClick();
    void btnExportClick();
    void btnPrintClick();
    void btnHelpClick();
    void btnToolExitClick();
    void cbbAccWalChange();
    void cbbTypeChange();
    void rbMonthClick();
    void rbTodayClick();
    void edtSearchChange();
    void edtSearchDblClick();
    void dbgrdh1TitleBtnClick(int column);
    void dbgrdh1DrawColumnCell(QPainter* painter, const QRect& rect, int column);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildToolbar();
    void buildFilterStrip();
    void buildGrid();
    void buildMenu();
    void FormCreate();
    // Opens qryList with the statement and parameter values it holds and shows the
    // rows; on a failure the grid stays empty.
    void openList();

    bool m_activated = false;
};
