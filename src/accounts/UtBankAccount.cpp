#include "accounts/UtBankAccount.h"

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
#include <QRadioButton>

#include <algorithm>

TFrmBankAccount::TFrmBankAccount(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmBankAccount"));
    SetupFixedWindow(this, QStringLiteral("Bank Account"), 451, 327);

    grp1 = Placed(new QGroupBox(QStringLiteral("Basic Info"), this), "grp1", {9, 6, 433, 81});
    auto* lblName = Placed(new QLabel(QStringLiteral("Bank Account Name:"), grp1), "lblName",
                           {10, 20, 140, 21});
    edtName = Placed(new QLineEdit(grp1), "edtName", {160, 20, 249, 21});
    lblName->setBuddy(edtName);
    edtName->setMaxLength(TextColumnLength);
    rbTypeBank = Placed(new QRadioButton(QStringLiteral("Bank Account"), grp1), "rbTypeBank",
                        {10, 50, 120, 21});
    rbTypeCredit = Placed(new QRadioButton(QStringLiteral("Credit Card Account"), grp1),
                          "rbTypeCredit", {130, 50, 150, 21});
    rbTypeBank->setChecked(true);
    // The kind captions get what the bold font needs, so neither is cut off; the
    // balance keeps its width at the row's right end.
    const int bankWidth = std::max(120, rbTypeBank->sizeHint().width());
    rbTypeBank->resize(bankWidth, 21);
    rbTypeCredit->setGeometry(16 + bankWidth, 50, std::max(150, rbTypeCredit->sizeHint().width()),
                              21);
    const int balanceLeft = std::clamp(rbTypeCredit->geometry().right() + 1, 280, 433 - 145);
    lblBalance = Placed(new QLabel(grp1), "lblBalance", {balanceLeft, 50, 145, 21});
    lblBalance->setAlignment(Qt::AlignCenter);
    lblBalance->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));

    grp2 = Placed(new QGroupBox(QStringLiteral("Options"), this), "grp2", {9, 93, 433, 81});
    chkNegative = Placed(new QCheckBox(QStringLiteral("Allow bank account to go negative"), grp2),
                         "chkNegative", {16, 22, 400, 21});
    chkWarn = Placed(new QCheckBox(QStringLiteral("Warn when bank account goes negative"), grp2),
                     "chkWarn", {16, 48, 400, 21});

    grp3 = Placed(new QGroupBox(QStringLiteral("Memo"), this), "grp3", {9, 180, 433, 105});
    auto* lblURL =
        Placed(new QLabel(QStringLiteral("Association URL:"), grp3), "lblURL", {10, 20, 120, 21});
    edtURL = Placed(new QLineEdit(grp3), "edtURL", {134, 20, 289, 21});
    lblURL->setBuddy(edtURL);
    edtURL->setMaxLength(TextColumnLength);
    auto* lblMemo = Placed(new QLabel(QStringLiteral("Memo:"), grp3), "lblMemo", {10, 48, 120, 21});
    Memo = Placed(new QPlainTextEdit(grp3), "Memo", {134, 48, 289, 49});
    Memo->setTabChangesFocus(true);
    lblMemo->setBuddy(Memo);

    btnHelp = Placed(new QPushButton(QStringLiteral("&Help"), this), "btnHelp", {205, 294, 75, 25});
    btnSave = Placed(new QPushButton(QStringLiteral("&Save"), this), "btnSave", {286, 294, 75, 25});
    btnClose =
        Placed(new QPushButton(QStringLiteral("&Close"), this), "btnClose", {367, 294, 75, 25});
    // Enter presses the focused button, and this one from anywhere else.
    btnSave->setDefault(true);

    SetTabOrder({edtName, rbTypeBank, rbTypeCredit, chkNegative, chkWarn, edtURL, Memo, btnHelp,
                 btnSave, btnClose});

    GuardedConnect(chkNegative, &QCheckBox::toggled, this, &TFrmBankAccount::chkNegativeClick);
    GuardedConnect(btnSave, &QPushButton::clicked, this, &TFrmBankAccount::btnSaveClick);
    GuardedConnect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    SetHelpContext(this, HelpIds::IDH_ACCOUNT_EDITOR, btnHelp);

    ApplySkin(this);
    Guarded([this] { FormCreate(); });
}

void TFrmBankAccount::FormCreate() {
    // A new account has no balance yet; it reads the same in every currency format.
    lblBalance->setText(QStringLiteral("0.00 $"));
    chkNegativeClick();
}

void TFrmBankAccount::ShowAccount(const PDataInfo& info) {
    Info = info;
    if (!info)
        return;
    setWindowTitle(QStringLiteral("View/Edit account"));
    lblBalance->setText(Format(QStringLiteral("%m"), {info->Balance}));
    edtName->setText(info->Name);
    rbTypeBank->setChecked(info->AccType == 0);
    rbTypeCredit->setChecked(info->AccType != 0);
    chkNegative->setChecked(info->Negative);
    chkNegativeClick();
    chkWarn->setChecked(info->WarnNegative);
    edtURL->setText(info->URL);
    Memo->setPlainText(info->Memo);
}

void TFrmBankAccount::chkNegativeClick() {
    // Only the enabling follows; the warning's own mark is kept and saved as it is.
    chkWarn->setEnabled(chkNegative->isChecked());
}

void TFrmBankAccount::btnSaveClick() {
    const QString name = SavedText(edtName->text());
    if (name.isEmpty()) {
        TDM::ShowErrorMessage(QStringLiteral("Please enter an account name!"));
        edtName->setFocus();
        return;
    }
    const int type = TDM::ChooseValue(rbTypeBank->isChecked(), 0, 1);
    const int negative = TDM::ChooseValue(chkNegative->isChecked(), 1, 0);
    const int warn = TDM::ChooseValue(chkWarn->isChecked(), 1, 0);
    const QString url = SavedText(edtURL->text());
    const QString memo = SavedText(Memo->toPlainText(), true);

    TQuery& q = TDM::FreshQuery();
    if (!Info) {
        q.SQL << FormatSQL(
            QStringLiteral(
                "insert into account([name],[type],[negative],[WarnNegative],[URL],[Memo]) "
                "values('%s', %d, %d, %d, '%s', '%s')"),
            {name, type, negative, warn, url, memo});
        if (q.ExecSQL() >= 1)
            accept();
        else
            TDM::ShowErrorMessage(QStringLiteral("Sorry, add account error!"));
        return;
    }
    q.SQL << QStringLiteral(
                 "select [ID], [name],[type],[Balance], [negative],[WarnNegative],[URL],[Memo] "
                 "from Account where [ID]=") +
                 QString::number(Info->ID);
    q.OpenForUpdate();
    q.Edit();
    q.FieldByName(QStringLiteral("name")).SetValue(name);
    q.FieldByName(QStringLiteral("type")).SetValue(type);
    q.FieldByName(QStringLiteral("negative")).SetValue(negative);
    q.FieldByName(QStringLiteral("WarnNegative")).SetValue(warn);
    q.FieldByName(QStringLiteral("URL")).SetValue(url);
    q.FieldByName(QStringLiteral("Memo")).SetValue(memo);
    q.Post();
    accept();
}
