#include "app/UtMain.h"
#include "transactions/UtDebit.h"
#include "transactions/UtDeposit.h"
#include "transactions/UtTransfer.h"

#include "accounts/UtBankAccount.h"
#include "accounts/UtWallet.h"
#include "cards/ScrollBox.h"
#include "cards/UtCards.h"
#include "data/AppPaths.h"
#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "grid/DBGridEh.h"
#include "help/HelpManager.h"
#include "help/UtAbout.h"
#include "history/UtAccountHistory.h"
#include "import/UtImport.h"
#include "lists/UtSummary.h"
#include "lists/UtTransactionList.h"
#include "platform/Platform.h"
#include "reports/UtReports.h"
#include "ui/Application.h"
#include "ui/Guarded.h"
#include "ui/HelpContext.h"
#include "ui/HelpIds.h"
#include "ui/Modal.h"
#include "ui/Skin.h"

#include <QAction>
#include <QDateTime>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TFrmMain* FrmMain = nullptr;

namespace {

// The product's pages and support address, as the about box shows them.
const QString kHomePage = ProductHomePage();
const QString kFeaturesPage = ProductPage(QStringLiteral("features.htm"));
const QString kSupportPage = ProductPage(QStringLiteral("support.htm"));
const QString kSupportMail = QStringLiteral("mailto:") + SupportMailAddress();

QColor panelGrey() {
    return QColor(224, 224, 224);
}

void paintPanel(TScrollBox* box) {
    // A sheet rather than a palette: the skin's sheet on the window's parts would
    // otherwise paint over it. The cards' own background is this grey as well.
    const QColor grey = panelGrey();
    box->Page()->setAttribute(Qt::WA_StyledBackground, true);
    box->setStyleSheet(QStringLiteral("QWidget#page { background-color: rgb(%1, %2, %3); }")
                           .arg(grey.red())
                           .arg(grey.green())
                           .arg(grey.blue()));
}

} // namespace

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Velmora Budget V1.0"));
    SetHelpContext(this, HelpIds::IDH_MAIN_WINDOW);
    setWindowIcon(WindowPicture());
    setFont(WindowFont());
    resize(875, 605);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildPopups();
    buildMenus();
    buildToolbar();
    buildClientArea();
    buildStatusBar();
    ApplySkin(this);

    tmr1 = new QTimer(this);
    tmr1->setInterval(1000);
    connect(tmr1, &QTimer::timeout, this, [this] { Guarded([this] { tmr1Timer(); }); });
    tmr1->start();

    if (!FrmMain)
        FrmMain = this;
    Guarded([this] { FormCreate(); });
}

TFrmMain::~TFrmMain() {
    if (FrmMain == this)
        FrmMain = nullptr;
}

void TFrmMain::buildClientArea() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pnlTop = new QWidget(central);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFixedHeight(36);
    auto* topLayout = new QVBoxLayout(pnlTop);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    SummaryStrip = new TSummaryStrip(pnlTop);
    SummaryStrip->dbgrdhTotal->installEventFilter(this);
    topLayout->addWidget(SummaryStrip);
    column->addWidget(pnlTop);

    splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    column->addWidget(splitter, 1);

    scrlbxLeft = new TScrollBox(splitter);
    scrlbxLeft->setObjectName(QStringLiteral("scrlbxLeft"));
    scrlbxLeft->setMinimumWidth(40);
    paintPanel(scrlbxLeft);
    scrlbxLeft->Page()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(scrlbxLeft->Page(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                Guarded([&] { pmAccountPanel->exec(scrlbxLeft->Page()->mapToGlobal(pos)); });
            });

    scrlbxMain = new QWidget(splitter);
    scrlbxMain->setObjectName(QStringLiteral("scrlbxMain"));
    auto* mainColumn = new QVBoxLayout(scrlbxMain);
    mainColumn->setContentsMargins(0, 0, 0, 0);
    mainColumn->setSpacing(0);

    scrlbxWallet = new TScrollBox(scrlbxMain);
    scrlbxWallet->setObjectName(QStringLiteral("scrlbxWallet"));
    scrlbxWallet->setFixedHeight(113);
    // One row of cards: it scrolls sideways only. Its scroll bar takes some of the
    // height, and a vertical one would follow for the last few pixels.
    scrlbxWallet->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrlbxWallet->setFrameShape(QFrame::Panel);
    scrlbxWallet->setFrameShadow(QFrame::Raised);
    paintPanel(scrlbxWallet);
    scrlbxWallet->Page()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(scrlbxWallet->Page(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                Guarded([&] { pmWalletPanel->exec(scrlbxWallet->Page()->mapToGlobal(pos)); });
            });
    mainColumn->addWidget(scrlbxWallet);

    auto* frame = new QFrame(scrlbxMain);
    frame->setObjectName(QStringLiteral("pnl2"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto* listLayout = new QVBoxLayout(frame);
    listLayout->setContentsMargins(1, 1, 1, 1);
    listLayout->setSpacing(0);
    TransactionList = new TTransactionList(frame);
    listLayout->addWidget(TransactionList);
    pnl2 = frame;
    mainColumn->addWidget(pnl2, 1);

    splitter->addWidget(scrlbxLeft);
    splitter->addWidget(scrlbxMain);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({161, 875 - 161 - 3});

    setCentralWidget(central);
}

void TFrmMain::FormCreate() {
    if (TApplication* app = Application())
        app->HelpFile = AppDir() + QStringLiteral("budget.chm");
    Panels = new TPanelMgr(scrlbxLeft, scrlbxWallet, this, pmAccount, pmWallet);
    // After a failed start the data module has reported why, once; the panels stay
    // empty until a command fills them.
    if (DM && DM->Ready()) {
        Panels->LoadAccounts();
        Panels->LoadWallets();
    }
}

void TFrmMain::tmr1Timer() {
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    statusClock->setText(locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
                         locale.toString(now.time(), QLocale::LongFormat));
}

// ---------------------------------------------------------------------------
// Card notifications, list and totals

bool TFrmMain::event(QEvent* e) {
    const int type = int(e->type());
    if (type != WM_CARDSELECT && type != WM_CARDDROP && type != WM_CARDOPEN)
        return QMainWindow::event(e);
    const auto* msg = static_cast<TCardMessage*>(e);
    const int wParam = int(msg->WParam);
    const int lParam = int(msg->LParam);
    Guarded([&] {
        if (type == WM_CARDSELECT) {
            LoadList(wParam);
            LoadStatistics(wParam);
            ShowTotals();
        } else if (type == WM_CARDDROP) {
            if (openTransfer(wParam, lParam) == mrOK && Panels) {
                Panels->RefreshCard(wParam);
                Panels->RefreshCard(lParam);
            }
        } else {
            openCard(wParam);
        }
    });
    return true;
}

int TFrmMain::CurrentListId() const {
    return TransactionList->CurrentListId;
}

void TFrmMain::LoadList(int id) {
    TransactionList->LoadList(id);
}

void TFrmMain::LoadStatistics(int id) {
    SummaryStrip->LoadStatistics(id);
}

void TFrmMain::ShowTotals() {
    const Money accounts = TDM::GetAccountTotal();
    const Money wallets = TDM::GetWalletTotal();
    // Balances beyond the money range read as its ends (a file written elsewhere), and
    // their sum must not fail every selection.
    const QString totals = Format(QStringLiteral("Total: %m  Account: %m  Wallet: %m"),
                                  {accounts.saturatingAdd(wallets), accounts, wallets});
    statusTotals->setText(totals);
    // Large totals run past the section's edge; pointing at it shows them whole.
    statusTotals->setToolTip(totals);
}

void TFrmMain::ResizeSummaryColumns() {
    SummaryStrip->ResizeColumns(SummaryStrip->dbgrdhTotal->width());
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
    // The summary grid fills the strip across the window, so its own resize is the
    // moment the window's new width has reached it.
    if (SummaryStrip && watched == SummaryStrip->dbgrdhTotal && event->type() == QEvent::Resize)
        Guarded([this] { ResizeSummaryColumns(); });
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Commands

void TFrmMain::btnExitClick() {
    if (ShowMessage(this, QStringLiteral("Query"), QStringLiteral("Are you sure to exit?"),
                    MsgIcon::Question, mbYes | mbNo) == mbYes)
        close();
}

void TFrmMain::mniMenu_NewAccountClick() {
    TFrmBankAccount frm(this);
    if (ShowModal(frm) == mrOK)
        Panels->LoadAccounts();
}

void TFrmMain::mniMenu_NewWalletClick() {
    TFrmWallet frm(this);
    if (ShowModal(frm) == mrOK)
        Panels->LoadWallets();
}

void TFrmMain::mniMenu_DeleteAccountClick() {
    deleteCard(Panels->GetSelectedAccount());
}

void TFrmMain::mniMenu_DeleteWalletClick() {
    deleteCard(Panels->GetSelectedWallet());
}

void TFrmMain::deleteCard(TImageCtrl* card) {
    if (!card)
        return;
    // Taken now: the question is modal, and the card may not outlive it.
    const int id = card->GetID();
    const bool wallet = card->IsWallet;
    if (ShowMessage(this, QStringLiteral("Query"),
                    QStringLiteral("Are you sure to delete this information?"), MsgIcon::Question,
                    mbOK | mbCancel) != mbOK)
        return;
    if (!TDM::DeleteAccountRow(id)) {
        TDM::ShowErrorMessage(wallet ? QStringLiteral("Deleting Wallet error")
                                     : QStringLiteral("Deleting Account error"),
                              this);
        return;
    }
    if (wallet)
        Panels->LoadWallets();
    else
        Panels->LoadAccounts();
}

void TFrmMain::reloadAfterModal(const QPointer<TImageCtrl>& card, int id) {
    // A panel rebuilt while the window was open has replaced the card; its successor
    // for the same row is refreshed instead.
    if (card)
        card->Reload();
    else if (Panels)
        Panels->RefreshCard(id);
}

void TFrmMain::showAccountInfo(TImageCtrl* card) {
    if (!card)
        return;
    const QPointer<TImageCtrl> held(card);
    const int id = card->GetID();
    TFrmBankAccount frm(this);
    frm.ShowAccount(card->Info);
    if (ShowModal(frm) == mrOK)
        reloadAfterModal(held, id);
}

void TFrmMain::showWalletInfo(TImageCtrl* card) {
    if (!card)
        return;
    const QPointer<TImageCtrl> held(card);
    const int id = card->GetID();
    TFrmWallet frm(this);
    frm.ShowWallet(card->Info);
    if (ShowModal(frm) == mrOK)
        reloadAfterModal(held, id);
}

// The selected wallet, else the selected account, else the first account.
void TFrmMain::mniMenu_ImportClick() {
    const TImageCtrl* card = Panels->GetSelectedWallet();
    if (!card)
        card = Panels->GetSelectedAccount();
    TFrmImport frm(this);
    frm.PresetAccount(card ? card->GetID() : 0);
    if (ShowModal(frm) == mrOK) {
        Panels->LoadAccounts();
        Panels->LoadWallets();
    }
}

void TFrmMain::mniMenu_AccountInfoClick() {
    showAccountInfo(Panels->GetSelectedAccount());
}
void TFrmMain::mniMenu_WalletInfoClick() {
    showWalletInfo(Panels->GetSelectedWallet());
}

void TFrmMain::btnToolPropertyClick() {
    if (TImageCtrl* wallet = Panels->GetSelectedWallet())
        showWalletInfo(wallet);
    else
        showAccountInfo(Panels->GetSelectedAccount());
}

void TFrmMain::btnToolAccHistoryClick() {
    const TImageCtrl* card = Panels->GetSelectedAccount();
    openHistory(card ? card->GetID() : 0);
    Panels->LoadAccounts();
    Panels->LoadWallets();
}

void TFrmMain::btnToolWalHistoryClick() {
    const TImageCtrl* card = Panels->GetSelectedWallet();
    openHistory(card ? card->GetID() : 0);
    Panels->LoadAccounts();
    Panels->LoadWallets();
}

void TFrmMain::mniMenu_ReportsClick() {
    openReports();
}

void TFrmMain::mniMenu_AccountURLClick() {
    if (const TImageCtrl* card = Panels->GetSelectedAccount())
        Shell().Open(card->Info->URL);
}

void TFrmMain::mniMenu_WalletURLClick() {
    if (const TImageCtrl* card = Panels->GetSelectedWallet())
        Shell().Open(card->Info->URL);
}

void TFrmMain::depositTo(TImageCtrl* card, bool debit) {
    if (!card)
        return;
    const QPointer<TImageCtrl> held(card);
    const int id = card->GetID();
    if (openDeposit(id, debit) == mrOK)
        reloadAfterModal(held, id);
}

void TFrmMain::btnToolDepositeClick() {
    TImageCtrl* wallet = Panels->GetSelectedWallet();
    depositTo(wallet ? wallet : Panels->GetSelectedAccount(), false);
}

void TFrmMain::btnToolDebitClick() {
    TImageCtrl* wallet = Panels->GetSelectedWallet();
    depositTo(wallet ? wallet : Panels->GetSelectedAccount(), true);
}

void TFrmMain::btnToolTransferClick() {
    const TImageCtrl* wallet = Panels->GetSelectedWallet();
    const TImageCtrl* account = Panels->GetSelectedAccount();
    // The window shows what was moved; the cards wait for their next selection.
    openTransfer(wallet ? wallet->GetID() : 0, account ? account->GetID() : 0);
}

void TFrmMain::mniPop_Wal_DepositClick() {
    depositTo(Panels->GetSelectedWallet(), false);
}
void TFrmMain::mniPop_Wal_DebitClick() {
    depositTo(Panels->GetSelectedWallet(), true);
}
void TFrmMain::mniPop_Acc_DEpositClick() {
    depositTo(Panels->GetSelectedAccount(), false);
}
void TFrmMain::mniPop_Acc_DebitClick() {
    depositTo(Panels->GetSelectedAccount(), true);
}

void TFrmMain::transferFrom(TImageCtrl* card) {
    if (!card)
        return;
    const int id = card->GetID();
    if (openTransfer(id, 0) == mrOK)
        Panels->RefreshCard(id);
}

void TFrmMain::mniPop_Wal_TransferClick() {
    transferFrom(Panels->GetSelectedWallet());
}
void TFrmMain::mniPop_Acc_TransferClick() {
    transferFrom(Panels->GetSelectedAccount());
}

void TFrmMain::mniMenu_CalclatorClick() {
    Shell().StartCalculator();
}
void TFrmMain::mniMenu_NotepadClick() {
    Shell().StartTextEditor();
}

void TFrmMain::mniMenu_HelpTopicsClick() {
    ApplicationHelpCommand(HELP_CONTENTS, HelpIds::IDH_MAIN_WINDOW);
}

void TFrmMain::mniMenu_OnlineTutorialClick() {
    Shell().Open(kFeaturesPage);
}
void TFrmMain::mniMenu_HomepageClick() {
    Shell().Open(kHomePage);
}
void TFrmMain::mniMenu_WhatsnewClick() {
    Shell().Open(kFeaturesPage);
}
void TFrmMain::mniMenu_SupportClick() {
    Shell().Open(kSupportPage);
}
void TFrmMain::mniMenu_CheckupdatesClick() {
    Shell().Open(kFeaturesPage);
}
void TFrmMain::mniMenu_SendFeedbackClick() {
    Shell().Open(kSupportMail);
}
void TFrmMain::mniMenu_AboutClick() {
    openAbout();
}

void TFrmMain::openCard(int id) {
    const PDataInfo info = TDM::LoadAccountInfo(id);
    int result = mrCancel;
    if (info->AccType > 1) {
        TFrmWallet frm(this);
        frm.ShowWallet(info);
        result = ShowModal(frm);
    } else {
        TFrmBankAccount frm(this);
        frm.ShowAccount(info);
        result = ShowModal(frm);
    }
    if (result == mrOK && Panels)
        Panels->RefreshCard(id);
}

// ---------------------------------------------------------------------------
// Windows that come with the transaction, history and about units.

int TFrmMain::openDeposit(int id, bool debit) {
    if (debit) {
        TFrmDebit frm(this);
        frm.PresetAccount(id);
        return ShowModal(frm);
    }
    TFrmDeposit frm(this);
    frm.PresetAccount(id);
    return ShowModal(frm);
}

int TFrmMain::openTransfer(int sourceId, int destId) {
    TFrmTransfer frm(this);
    frm.SetEndpoints(sourceId, destId);
    return ShowModal(frm);
}

void TFrmMain::openHistory(int startId) {
    TFrmAccountHistory frm(this);
    frm.StartId = startId;
    ShowModal(frm);
}

void TFrmMain::openReports() {
    // Reports only read, so nothing needs refreshing afterwards.
    TFrmReports frm(this);
    ShowModal(frm);
}

void TFrmMain::openAbout() {
    TAboutBox box(this);
    ShowModal(box);
}
