#include "accounts/UtWallet.h"

#include "data/Rounding.h"
#include "data/UtFormat.h"
#include "ui/Guarded.h"
#include "ui/HelpIds.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TFrmWallet::TFrmWallet(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmWallet"));
    SetupFixedWindow(this, QStringLiteral("New Wallet"), 524, 339);

    grp1 = Placed(new QGroupBox(QStringLiteral("Basic Info"), this), "grp1", {9, 6, 505, 81});
    auto* lblName =
        Placed(new QLabel(QStringLiteral("Wallet Name:"), grp1), "lblName", {10, 20, 120, 21});
    edtName = Placed(new QLineEdit(grp1), "edtName", {140, 20, 313, 21});
    lblName->setBuddy(edtName);
    edtName->setMaxLength(TextColumnLength);
    lblBalance = Placed(new QLabel(grp1), "lblBalance", {140, 50, 89, 21});
    lblOfAccounts = Placed(new QLabel(grp1), "lblOfAccounts", {240, 50, 89, 21});
    for (QLabel* l : {lblBalance, lblOfAccounts}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    }
    Placed(new QLabel(QStringLiteral("of total"), grp1), "lblOfTotal", {335, 50, 80, 21});

    grp2 = Placed(new QGroupBox(QStringLiteral("Options"), this), "grp2", {9, 93, 505, 81});
    chkNegative = Placed(new QCheckBox(QStringLiteral("Allow wallet to go negative"), grp2),
                         "chkNegative", {16, 22, 400, 21});
    chkWarn = Placed(new QCheckBox(QStringLiteral("Warn when wallet goes negative"), grp2),
                     "chkWarn", {16, 48, 400, 21});

    grp3 = Placed(new QGroupBox(QStringLiteral("Memo"), this), "grp3", {9, 180, 505, 105});
    auto* lblURL =
        Placed(new QLabel(QStringLiteral("Association URL:"), grp3), "lblURL", {10, 20, 125, 21});
    edtURL = Placed(new QLineEdit(grp3), "edtURL", {140, 20, 345, 21});
    lblURL->setBuddy(edtURL);
    edtURL->setMaxLength(TextColumnLength);
    auto* lblMemo = Placed(new QLabel(QStringLiteral("Memo:"), grp3), "lblMemo", {10, 48, 125, 21});
    Memo = Placed(new QPlainTextEdit(grp3), "Memo", {140, 48, 345, 49});
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Memos may be laid out in columns, so Tab types a tab here.
    Memo->setTabChangesFocus(false);
    lblMemo->setBuddy(Memo);

    btnHelp = Placed(new QPushButton(QStringLiteral("&Help"), this), "btnHelp", {277, 302, 75, 25});
    btnOK = Placed(new QPushButton(QStringLiteral("&OK"), this), "btnOK", {358, 302, 75, 25});
    btnClose =
        Placed(new QPushButton(QStringLiteral("&Close"), this), "btnClose", {439, 302, 75, 25});
    // Enter presses the focused button, and this one from anywhere else.
    btnOK->setDefault(true);

    SetTabOrder({edtName, chkNegative, chkWarn, edtURL, Memo, btnHelp, btnOK, btnClose});

    GuardedConnect(chkNegative, &QCheckBox::toggled, this, &TFrmWallet::chkNegativeClick);
    GuardedConnect(btnOK, &QPushButton::clicked, this, &TFrmWallet::btnOKClick);
    GuardedConnect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    SetHelpContext(this, HelpIds::IDH_WALLET_EDITOR, btnHelp);

    ApplySkin(this);
    Guarded([this] { FormCreate(); });
}

void TFrmWallet::FormCreate() {
    chkNegativeClick();
    lblBalance->setText(Format(QStringLiteral("%m"), {Money()}));
    lblOfAccounts->setText(Format(QStringLiteral("%m"), {Money()}));
}

WideInt TFrmWallet::ShareOfTotal(Money balance, Money total) {
    if (total == Money())
        return 0;
    // Wide: a balance times 100 leaves the money range long before the balance does.
    const WideInt divisor = total.roundedToUnitsBankers();
    if (divisor == 0) {
        // A total within half a unit of zero has no whole-number divisor; the exact
        // quotient of the unrounded values still gives a meaningful share.
        return WideInt(balance.raw()) * 100 / total.raw();
    }
    return DivRoundHalfEven(WideInt(balance.raw()) * 100, WideInt(Money::Scale)) / divisor;
}

QString TFrmWallet::ShareText(Money balance, Money total) {
    // Whole percent with two decimals, "25.00%", however far the share goes.
    return HundredthsText(ShareOfTotal(balance, total) * 100) + u'%';
}

void TFrmWallet::ShowWallet(const PDataInfo& info) {
    Info = info;
    if (!info)
        return;
    setWindowTitle(QStringLiteral("View/Edit wallet"));
    lblBalance->setText(Format(QStringLiteral("%m"), {info->Balance}));
    const Money total = TDM::GetWalletTotal().saturatingAdd(TDM::GetAccountTotal());
    lblOfAccounts->setText(ShareText(info->Balance, total));
    edtName->setText(info->Name);
    chkNegative->setChecked(info->Negative);
    chkNegativeClick();
    chkWarn->setChecked(info->WarnNegative);
    edtURL->setText(info->URL);
    Memo->setPlainText(info->Memo);
}

void TFrmWallet::chkNegativeClick() {
    // Only the enabling follows; the warning's own mark is kept and saved as it is.
    chkWarn->setEnabled(chkNegative->isChecked());
}

void TFrmWallet::btnOKClick() {
    const QString name = SavedText(edtName->text());
    if (name.isEmpty()) {
        TDM::ShowErrorMessage(QStringLiteral("Please enter a wallet name!"));
        edtName->setFocus();
        return;
    }
    const int negative = TDM::ChooseValue(chkNegative->isChecked(), 1, 0);
    const int warn = TDM::ChooseValue(chkWarn->isChecked(), 1, 0);
    const QString url = SavedText(edtURL->text());
    const QString memo = SavedText(Memo->toPlainText(), true);

    TQuery& q = TDM::FreshQuery();
    if (!Info) {
        q.SQL << FormatSQL(
            QStringLiteral(
                "insert into Account([name],[type],[negative],[WarnNegative],[URL],[Memo]) "
                "values('%s', 2, %d, %d, '%s', '%s')"),
            {name, negative, warn, url, memo});
        if (q.ExecSQL() >= 1)
            accept();
        else
            TDM::ShowErrorMessage(QStringLiteral("Sorry, add wallet error!"));
        return;
    }
    q.SQL << QStringLiteral("select [ID], [name], [negative],[WarnNegative],[URL],[Memo] from "
                            "Account where [ID]=") +
                 QString::number(Info->ID);
    q.OpenForUpdate();
    q.Edit();
    q.FieldByName(QStringLiteral("name")).SetValue(name);
    q.FieldByName(QStringLiteral("negative")).SetValue(negative);
    q.FieldByName(QStringLiteral("WarnNegative")).SetValue(warn);
    q.FieldByName(QStringLiteral("URL")).SetValue(url);
    q.FieldByName(QStringLiteral("Memo")).SetValue(memo);
    q.Post();
    accept();
}
