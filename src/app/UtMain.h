#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class TImageCtrl;
class TPanelMgr;
class TScrollBox;
class TSummaryStrip;
class TTransactionList;

// The program's frame: toolbar, menus, the two card panels, the list area, the
// status bar with totals and clock, and every command that opens a window.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    QLabel* statusWelcome = nullptr; // first status section
    QLabel* statusTotals = nullptr;  // second: the totals
    QLabel* statusClock = nullptr;   // last: the clock
    QTimer* tmr1 = nullptr;

    QToolBar* tlb1 = nullptr;
    QWidget* pnlTop = nullptr; // holds the summary strip
    TScrollBox* scrlbxLeft = nullptr;
    QSplitter* splitter = nullptr;
    QWidget* scrlbxMain = nullptr;
    TScrollBox* scrlbxWallet = nullptr;
    QWidget* pnl2 = nullptr; // holds the filter bar and the transaction list

    QMenu* pmAccount = nullptr;
    QMenu* pmWallet = nullptr;
    QMenu* pmAccountPanel = nullptr;
    QMenu* pmWalletPanel = nullptr;

    TPanelMgr* Panels = nullptr; // this window's card panel manager (PanelMgr)

    TSummaryStrip* SummaryStrip = nullptr;       // in pnlTop
    TTransactionList* TransactionList = nullptr; // in pnl2: filter bar and list

    // The account or wallet whose transactions the list shows; 0 until a card is
    // selected. The list keeps it, since its filters reload with it.
    int CurrentListId() const;

    void LoadList(int id);
    void LoadStatistics(int id);
    void ShowTotals();
    // Each of the six summary columns gets a sixth of the grid's width, less one.
    void ResizeSummaryColumns();

public slots:
    void FormCreate();
    void tmr1Timer();

    void btnExitClick();
    void mniMenu_ImportClick();
    void mniMenu_NewAccountClick();
    void mniMenu_NewWalletClick();
    void mniMenu_DeleteAccountClick();
    void mniMenu_DeleteWalletClick();
    void mniMenu_AccountInfoClick();
    void mniMenu_WalletInfoClick();
    void btnToolPropertyClick();
    void btnToolAccHistoryClick();
    void btnToolWalHistoryClick();
    void mniMenu_ReportsClick();
    void mniMenu_AccountURLClick();
    void mniMenu_WalletURLClick();
    void btnToolDepositeClick();
    void btnToolDebitClick();
    void btnToolTransferClick();
    void mniPop_Wal_DepositClick();
    void mniPop_Wal_DebitClick();
    void mniPop_Acc_DEpositClick();
    void mniPop_Acc_DebitClick();
    void mniPop_Wal_TransferClick();
    void mniPop_Acc_TransferClick();
    void mniMenu_CalclatorClick();
    void mniMenu_NotepadClick();
    void mniMenu_HelpTopicsClick();
    void mniMenu_OnlineTutorialClick();
    void mniMenu_HomepageClick();
    void mniMenu_WhatsnewClick();
    void mniMenu_SupportClick();
    void mniMenu_CheckupdatesClick();
    void mniMenu_SendFeedbackClick();
    void mniMenu_AboutClick();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildMenus();
    void buildPopups();
    void buildClientArea();
    void buildStatusBar();

    void showAccountInfo(TImageCtrl* card);
    void showWalletInfo(TImageCtrl* card);
    void depositTo(TImageCtrl* card, bool debit);
    void transferFrom(TImageCtrl* card);
    void reloadAfterModal(const QPointer<TImageCtrl>& card, int id);
    void openCard(int id);

    // The windows the commands open, one for each command. The deposit, debit and
    // transfer windows give back their modal result, which decides what is reloaded.
    void deleteCard(TImageCtrl* card);
    int openDeposit(int id, bool debit);
    int openTransfer(int sourceId, int destId);
    void openHistory(int startId);
    void openReports();
    void openAbout();
};

extern TFrmMain* FrmMain;
