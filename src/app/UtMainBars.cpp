// The main window's bars: toolbar, main menu, card and panel popups, status bar.
#include "app/UtMain.h"

#include "ui/Guarded.h"
#include "ui/HelpContext.h"
#include "ui/HelpIds.h"
#include "ui/Skin.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

void TFrmMain::buildToolbar() {
    tlb1 = new QToolBar(this);
    tlb1->setObjectName(QStringLiteral("tlb1"));
    tlb1->setMovable(false);
    tlb1->setFloatable(false);
    tlb1->setIconSize(QSize(32, 32));
    tlb1->setFixedHeight(56);
    addToolBar(Qt::TopToolBarArea, tlb1);

    const auto button = [this](const char* name, const QString& caption, TToolPicture image,
                               auto handler, int width = 0) {
        auto* b = new QToolButton(tlb1);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(ToolPicture(image));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedHeight(52);
        if (width > 0)
            b->setFixedWidth(width);
        else
            b->setMinimumWidth(44);
        tlb1->addWidget(b);
        GuardedConnect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    const auto separator = [this] {
        auto* gap = new QWidget(tlb1);
        gap->setFixedWidth(8);
        tlb1->addWidget(gap);
    };
    button("btnToolDeposite", QStringLiteral("Deposit"), TToolPicture::Deposit,
           &TFrmMain::btnToolDepositeClick);
    button("btnToolDebit", QStringLiteral("Debit"), TToolPicture::Debit,
           &TFrmMain::btnToolDebitClick);
    button("btnToolTransfer", QStringLiteral("Transfer"), TToolPicture::Transfer,
           &TFrmMain::btnToolTransferClick);
    separator();
    button("btnToolProperty", QStringLiteral("Property"), TToolPicture::Property,
           &TFrmMain::btnToolPropertyClick);
    button("btnToolAccHistory", QStringLiteral("Acc History"), TToolPicture::History,
           &TFrmMain::btnToolAccHistoryClick, 63);
    button("btnToolWalHistory", QStringLiteral("Wall History"), TToolPicture::History,
           &TFrmMain::btnToolWalHistoryClick, 63);
    separator();
    SetHelpContext(button("btnToolHelp", QStringLiteral("Help"), TToolPicture::Help,
                          &TFrmMain::mniMenu_HelpTopicsClick),
                   HelpIds::IDH_MAIN_WINDOW);
    button("btnToolWeb", QStringLiteral("WebPage"), TToolPicture::WebPage,
           &TFrmMain::mniMenu_HomepageClick);
    QToolButton* exit =
        button("btnExit", QStringLiteral("Exit"), TToolPicture::Exit, &TFrmMain::btnExitClick);
    // A tooltip only: a status tip would cover the welcome, totals and clock texts.
    exit->setToolTip(QStringLiteral("Exit the program"));
}

namespace {
template <class Handler>
QAction* addCommand(QMenu* menu, const char* name, const QString& caption, TFrmMain* owner,
                    Handler handler, const QKeySequence& shortcut = {}) {
    auto* a = new QAction(caption, menu);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    menu->addAction(a);
    GuardedConnect(a, &QAction::triggered, owner, handler);
    return a;
}
} // namespace

void TFrmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mniMenu_File"));
    addCommand(file, "mniMenu_Import", QStringLiteral("&Import Statement..."), this,
               &TFrmMain::mniMenu_ImportClick, QKeySequence(Qt::CTRL | Qt::Key_I));
    file->addSeparator();
    addCommand(file, "mniMenu_Exit", QStringLiteral("&Exit"), this, &TFrmMain::btnExitClick);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mniMenu_View"));
    for (const auto& [name, caption] :
         {std::pair{"mniMenu_Toolbar", "&Toolbar"}, std::pair{"mniMenu_Statusbar", "&Statusbar"}}) {
        auto* a = view->addAction(QString::fromLatin1(caption));
        a->setObjectName(QLatin1String(name));
        a->setCheckable(true);
        a->setChecked(true);
        // Shown checked, and they stay so: the bars are always there.
        GuardedConnect(a, &QAction::triggered, a, [a] { a->setChecked(true); });
    }
    view->addSeparator();
    addCommand(view, "mniMenu_Properties", QStringLiteral("&Properties"), this,
               &TFrmMain::btnToolPropertyClick, QKeySequence(Qt::Key_F4));
    view->addSeparator();
    addCommand(view, "mniMenu_Reports", QStringLiteral("&Reports..."), this,
               &TFrmMain::mniMenu_ReportsClick, QKeySequence(Qt::CTRL | Qt::Key_R));

    QMenu* accounts = bar->addMenu(QStringLiteral("&Accounts"));
    accounts->setObjectName(QStringLiteral("mniMenu_Accounts"));
    addCommand(accounts, "mniMenu_NewAccount", QStringLiteral("&New Account..."), this,
               &TFrmMain::mniMenu_NewAccountClick);
    addCommand(accounts, "mniMenu_DeleteAccount", QStringLiteral("&Delete Account"), this,
               &TFrmMain::mniMenu_DeleteAccountClick);
    accounts->addSeparator();
    addCommand(accounts, "mniMenu_AccountInfo", QStringLiteral("Account &Info..."), this,
               &TFrmMain::mniMenu_AccountInfoClick);
    addCommand(accounts, "mniMenu_AccountHistory", QStringLiteral("Account &History..."), this,
               &TFrmMain::btnToolAccHistoryClick);
    addCommand(accounts, "mniMenu_AccountURL", QStringLiteral("Account &URL..."), this,
               &TFrmMain::mniMenu_AccountURLClick, QKeySequence(Qt::CTRL | Qt::Key_U));

    QMenu* wallets = bar->addMenu(QStringLiteral("Wa&llets"));
    wallets->setObjectName(QStringLiteral("mniMenu_Wallets"));
    addCommand(wallets, "mniMenu_NewWallet", QStringLiteral("&New Wallet..."), this,
               &TFrmMain::mniMenu_NewWalletClick);
    addCommand(wallets, "mniMenu_DeleteWallet", QStringLiteral("&Delete Wallet"), this,
               &TFrmMain::mniMenu_DeleteWalletClick);
    wallets->addSeparator();
    addCommand(wallets, "mniMenu_WalletInfo", QStringLiteral("Wallet &Info..."), this,
               &TFrmMain::mniMenu_WalletInfoClick);
    addCommand(wallets, "mniMenu_WalletHistory", QStringLiteral("Wallet &History..."), this,
               &TFrmMain::btnToolWalHistoryClick);
    addCommand(wallets, "mniMenu_WalletURL", QStringLiteral("Wallet &URL..."), this,
               &TFrmMain::mniMenu_WalletURLClick);

    QMenu* transactions = bar->addMenu(QStringLiteral("T&ransactions"));
    transactions->setObjectName(QStringLiteral("mniMenu_Transactions"));
    addCommand(transactions, "mniMenu_Debit", QStringLiteral("&Debit..."), this,
               &TFrmMain::btnToolDebitClick);
    addCommand(transactions, "mniMenu_Deposit", QStringLiteral("D&eposit..."), this,
               &TFrmMain::btnToolDepositeClick);
    transactions->addSeparator();
    addCommand(transactions, "mniMenu_Transfer", QStringLiteral("&Transfer..."), this,
               &TFrmMain::btnToolTransferClick, QKeySequence(Qt::CTRL | Qt::Key_T));

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mniMenu_Tools"));
    addCommand(tools, "mniMenu_Calclator", QStringLiteral("&Calclator"), this,
               &TFrmMain::mniMenu_CalclatorClick);
    addCommand(tools, "mniMenu_Notepad", QStringLiteral("Note&pad"), this,
               &TFrmMain::mniMenu_NotepadClick);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mniMenu_Help"));
    addCommand(help, "mniMenu_HelpTopics", QStringLiteral("&Help Topics"), this,
               &TFrmMain::mniMenu_HelpTopicsClick, QKeySequence(Qt::Key_F1));
    addCommand(help, "mniMenu_OnlineTutorial", QStringLiteral("Online T&utorial..."), this,
               &TFrmMain::mniMenu_OnlineTutorialClick);
    help->addSeparator();
    addCommand(help, "mniMenu_Homepage", QStringLiteral("&Product Homepage..."), this,
               &TFrmMain::mniMenu_HomepageClick);
    addCommand(help, "mniMenu_Whatsnew", QStringLiteral("&What's new..."), this,
               &TFrmMain::mniMenu_WhatsnewClick);
    addCommand(help, "mniMenu_Support", QStringLiteral("Technical Support..."), this,
               &TFrmMain::mniMenu_SupportClick);
    addCommand(help, "mniMenu_Checkupdates", QStringLiteral("Check for &updates..."), this,
               &TFrmMain::mniMenu_CheckupdatesClick);
    addCommand(help, "mniMenu_SendFeedback", QStringLiteral("&Send Feedback"), this,
               &TFrmMain::mniMenu_SendFeedbackClick);
    help->addSeparator();
    addCommand(help, "mniMenu_About", QStringLiteral("&About..."), this,
               &TFrmMain::mniMenu_AboutClick);
}

void TFrmMain::buildPopups() {
    const auto cardMenu = [this](const char* name, bool wallet) {
        auto* m = new QMenu(this);
        m->setObjectName(QLatin1String(name));
        const char* p = wallet ? "mniPop_Wal_" : "mniPop_Acc_";
        const auto n = [p](const char* what) { return QByteArray(p) + what; };
        addCommand(
            m, n("Info").constData(),
            wallet ? QStringLiteral("Wallet &Info...") : QStringLiteral("Account &Info..."), this,
            wallet ? &TFrmMain::mniMenu_WalletInfoClick : &TFrmMain::mniMenu_AccountInfoClick);
        m->addSeparator();
        addCommand(m, n("Deposit").constData(), QStringLiteral("De&posit..."), this,
                   wallet ? &TFrmMain::mniPop_Wal_DepositClick
                          : &TFrmMain::mniPop_Acc_DEpositClick);
        addCommand(m, n("Debit").constData(), QStringLiteral("De&bit..."), this,
                   wallet ? &TFrmMain::mniPop_Wal_DebitClick : &TFrmMain::mniPop_Acc_DebitClick);
        addCommand(m, n("Transfer").constData(), QStringLiteral("&Transfer..."), this,
                   wallet ? &TFrmMain::mniPop_Wal_TransferClick
                          : &TFrmMain::mniPop_Acc_TransferClick);
        m->addSeparator();
        addCommand(m, n("History").constData(), QStringLiteral("&History..."), this,
                   wallet ? &TFrmMain::btnToolWalHistoryClick : &TFrmMain::btnToolAccHistoryClick);
        addCommand(m, n("URL").constData(), QStringLiteral("&Lunch URL"), this,
                   wallet ? &TFrmMain::mniMenu_WalletURLClick : &TFrmMain::mniMenu_AccountURLClick);
        m->addSeparator();
        addCommand(m, n("Delete").constData(), QStringLiteral("&Delete"), this,
                   wallet ? &TFrmMain::mniMenu_DeleteWalletClick
                          : &TFrmMain::mniMenu_DeleteAccountClick);
        return m;
    };
    pmAccount = cardMenu("pmAccount", false);
    pmWallet = cardMenu("pmWallet", true);

    pmAccountPanel = new QMenu(this);
    pmAccountPanel->setObjectName(QStringLiteral("pmAccountPanel"));
    addCommand(pmAccountPanel, "mniPop_NewAccount", QStringLiteral("&New Account..."), this,
               &TFrmMain::mniMenu_NewAccountClick);
    pmWalletPanel = new QMenu(this);
    pmWalletPanel->setObjectName(QStringLiteral("pmWalletPanel"));
    addCommand(pmWalletPanel, "mniPop_NewWallet", QStringLiteral("&New Wallet..."), this,
               &TFrmMain::mniMenu_NewWalletClick);
}

void TFrmMain::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("status"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(17);
    statusWelcome = new QLabel(QStringLiteral("Welcome to use Velmora Bugget V1.0"), bar);
    statusWelcome->setMaximumWidth(200);
    statusWelcome->setMinimumWidth(200);
    statusTotals = new QLabel(QStringLiteral("account Info"), bar);
    statusTotals->setMaximumWidth(300);
    statusClock = new QLabel(QStringLiteral("Time"), bar);
    statusClock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(statusWelcome);
    bar->addWidget(statusTotals, 1);
    bar->addWidget(statusClock, 1);
    setStatusBar(bar);
}
