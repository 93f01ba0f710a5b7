#include "transactions/UtDeposit.h"

#include "cards/UtCards.h"
#include "data/UtFormat.h"
#include "ui/Guarded.h"
#include "ui/HelpIds.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Everything in which the debit window differs from the deposit window.
struct KindTraits {
    const char* caption;
    const char* editCaption;
    int helpContext;
    int width, height;
    const char* groupCaption;
    const char* partyName;
    const char* partyLabel;
    const char* partyListSql;
    int detailType;
    const char* newBalanceSql;
    const char* editBalanceSql;
    // Takes a record's amount back from an account or wallet it no longer belongs to.
    const char* undoBalanceSql;
};

const KindTraits DepositTraits{
    "Deposit",
    "Edit Deposit",
    HelpIds::IDH_DEPOSIT,
    537,
    241,
    "Receive info",
    "cbbFrom",
    "From:",
    "SELECT DISTINCT [from] FROM Detail where type=0",
    0,
    "update Account set Balance = balance + %f where ID=%d",
    "update Account set Balance = balance - %f + %f where ID=%d",
    "update Account set Balance = balance - %f where ID=%d",
};

const KindTraits DebitTraits{
    "Debit",
    "Edit Debit",
    HelpIds::IDH_DEBIT,
    540,
    240,
    "Debit info",
    "cbbTo",
    "To:",
    "SELECT DISTINCT [from] FROM Detail where type = 1",
    1,
    "update Account set Balance = balance - %f where ID=%d",
    "update Account set Balance = balance + %f - %f where ID=%d",
    "update Account set Balance = balance + %f where ID=%d",
};

} // namespace

static const KindTraits& traitsOf(bool debit) {
    return debit ? DebitTraits : DepositTraits;
}

TFrmDeposit::TFrmDeposit(QWidget* parent) : TFrmDeposit(parent, Kind::Deposit) {}

TFrmDeposit::TFrmDeposit(QWidget* parent, Kind kind) : TEntryWindow(parent), m_kind(kind) {
    buildControls();
    FormCreate();
}

void TFrmDeposit::buildControls() {
    const KindTraits& t = traitsOf(m_kind == Kind::Debit);
    SetupFixedWindow(this, QString::fromLatin1(t.caption), t.width, t.height);

    grpPanel = Group(this, "grpPanel", QStringLiteral("Account info"), QRect(8, 8, 137, 110));
    imgCard = new TImageBase(grpPanel);
    imgCard->setObjectName(QStringLiteral("imgCard"));
    // Below the group's title, which Qt draws inside the box.
    imgCard->move(10, 20);

    lblChange =
        Label(this, "lblChange", QStringLiteral("Change Account/Wallet"), QRect(8, 124, 137, 17));
    rbAccount = new QRadioButton(QStringLiteral("Account"), this);
    rbAccount->setObjectName(QStringLiteral("rbAccount"));
    rbAccount->setGeometry(8, 144, 137, 20);
    rbWallet = new QRadioButton(QStringLiteral("Wallet"), this);
    rbWallet->setObjectName(QStringLiteral("rbWallet"));
    rbWallet->setGeometry(8, 164, 137, 20);
    cbbInf = PickList(this, "cbbInf", QRect(8, 188, 137, 22));

    grp2 = Group(this, "grp2", QString::fromLatin1(t.groupCaption), QRect(153, 8, 377, 198));
    lblDate = Label(grp2, "lblDate", QStringLiteral("Date:"), QRect(10, 20, 44, 22));
    dtpDate = DatePicker(new QDateEdit(grp2), "dtpDate", QRect(56, 20, 130, 22));
    lblParty = Label(grp2, "lblParty", QString::fromLatin1(t.partyLabel), QRect(10, 46, 44, 22));
    cbbParty = Entry::PartyBox(grp2, t.partyName, QRect(56, 46, 200, 22));
    edtAmmount = Entry::AmountEdit(grp2, QRect(262, 46, 105, 22));
    lblFor = Label(grp2, "lblFor", QStringLiteral("For:"), QRect(10, 72, 44, 22));
    edtFor = Entry::ForEdit(grp2, QRect(56, 72, 311, 22));
    lblMemo = Label(grp2, "lblMemo", QStringLiteral("Memo:"), QRect(10, 98, 44, 22));
    mmoMemo = Entry::MemoEdit(grp2, QRect(56, 98, 313, 93));

    btnHelp = Button(this, "btnHelp", QStringLiteral("&Help"), QRect(289, 212, 75, 25));
    btnOK = Button(this, "btnOK", QStringLiteral("&OK"), QRect(372, 212, 75, 25));
    btnOK->setDefault(true);
    btnClose = Button(this, "btnClose", QStringLiteral("&Close"), QRect(455, 212, 75, 25));

    SetTabOrder({cbbParty, edtAmmount, edtFor, mmoMemo, dtpDate, rbAccount, rbWallet, cbbInf,
                 btnHelp, btnOK, btnClose});
    cbbParty->setFocus();

    // Only the button that becomes checked refills the list, as a click on it would.
    for (QRadioButton* rb : {rbAccount, rbWallet})
        connect(rb, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                Guarded([this] { rbAccountClick(); });
        });
    // A choice made by the program itself (refilling the list) must not look like the
    // user's pick, so only user activation counts.
    GuardedConnect(cbbInf, &QComboBox::activated, this, &TFrmDeposit::cbbInfChange);
    GuardedConnect(btnOK, &QPushButton::clicked, this, &TFrmDeposit::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    SetHelpContext(this, t.helpContext, btnHelp);
    ApplySkin(this);
}

void TFrmDeposit::FormCreate() {
    dtpDate->setDateTime(QDateTime::currentDateTime());
    Ready = false;
    AccountInfo = std::make_shared<TDataInfo>();
    Entry::FillPartyList(cbbParty,
                         QString::fromLatin1(traitsOf(m_kind == Kind::Debit).partyListSql));
}

void TFrmDeposit::PresetAccount(int id) {
    AccountInfo = TDM::LoadAccountInfo(id);
    IsWallet = !(unsigned(AccountInfo->AccType) < 2u);
}

void TFrmDeposit::LoadForEdit(int id) {
    EditId = id;
    TQuery& q = TDM::FreshQuery();
    q.SQL << FormatSQL(
        QStringLiteral(
            "SELECT type, DestID, Date, [From], Amount, For, Memo FROM Detail where ID=%d"),
        {id});
    q.Open();
    const int destId = q.FieldByName(QStringLiteral("DestID")).AsInteger();
    dtpDate->setDateTime(q.FieldByName(QStringLiteral("Date")).AsDateTime());
    cbbParty->setEditText(q.FieldByName(QStringLiteral("From")).AsString());
    OldAmount = q.FieldByName(QStringLiteral("Amount")).AsMoney();
    edtAmmount->setText(OldAmount.toPlainString());
    edtFor->setText(q.FieldByName(QStringLiteral("For")).AsString());
    mmoMemo->setPlainText(q.FieldByName(QStringLiteral("Memo")).AsString());
    q.Close();
    PresetAccount(destId);
    setWindowTitle(QString::fromLatin1(traitsOf(m_kind == Kind::Debit).editCaption));
}

QDateTime TFrmDeposit::RecordDateTime() const {
    return Entry::RecordDateTime(dtpDate);
}

void TFrmDeposit::FormActivate() {
    Activated = true;
    rbAccount->setChecked(!IsWallet);
    rbWallet->setChecked(IsWallet);
    LoadNameList();
    // Among entries of the same name the last one stays selected; the card shows the
    // very row it was given, whichever entry of that name is selected.
    const QString name = AccountInfo ? AccountInfo->Name : QString();
    for (int i = 0; i < cbbInf->count(); ++i)
        if (cbbInf->itemText(i) == name)
            cbbInf->setCurrentIndex(i);
    imgCard->SetData(AccountInfo, IsWallet);
    Ready = true;
}

void TFrmDeposit::LoadNameList() {
    cbbInf->clear();
    TQuery& q = TDM::FreshQuery();
    // Each entry carries its row's id: two accounts may share a name.
    q.SQL << QStringLiteral("select [ID], [name] from Account ") +
                 (rbAccount->isChecked() ? QStringLiteral("where type in (0, 1)")
                                         : QStringLiteral("where type = 2"));
    q.Open();
    for (; !q.Eof(); q.Next())
        cbbInf->addItem(q.FieldByName(QStringLiteral("name")).AsString(),
                        q.FieldByName(QStringLiteral("ID")).AsInteger());
    q.Close();
    if (cbbInf->count() > 0)
        cbbInf->setCurrentIndex(0);
}

void TFrmDeposit::rbAccountClick() {
    if (!Ready)
        return;
    LoadNameList();
    cbbInfChange();
}

void TFrmDeposit::cbbInfChange() {
    if (cbbInf->currentIndex() < 0)
        return;
    IsWallet = !rbAccount->isChecked();
    AccountInfo = TDM::LoadAccountInfo(cbbInf->currentData().toInt());
    imgCard->SetData(AccountInfo, IsWallet);
}

void TFrmDeposit::btnOKClick() {
    std::optional<Money> amount;
    if (!Entry::CheckInput(this, cbbParty, edtAmmount, amount))
        return;
    if (Entry::Save(
            this, edtAmmount, [this] { openRow(); }, [&] { saveRecord(*amount); }))
        accept();
}

void TFrmDeposit::openRow() {
    TQuery& q = TDM::FreshQuery();
    if (EditId < 1)
        q.SQL << QStringLiteral(
            "SELECT top 1 [type], [DestID], [Date], [From], [Amount], [For], [Memo] FROM Detail");
    else
        q.SQL << FormatSQL(
            QStringLiteral("SELECT [type], [DestID], [Date], [From], [Amount], [For], [Memo] FROM "
                           "Detail where ID=%d"),
            {EditId});
    q.OpenForUpdate();
    if (EditId < 1)
        return;
    if (q.Eof())
        throw Entry::ESaveRefused{Entry::Refusal::RecordGone};
    m_storedAmount = q.FieldByName(QStringLiteral("Amount")).AsMoney();
    m_storedDestId = q.FieldByName(QStringLiteral("DestID")).AsInteger();
}

void TFrmDeposit::saveRecord(Money amount) {
    const KindTraits& t = traitsOf(m_kind == Kind::Debit);
    TQuery& q = DM->m_Query;
    if (EditId < 1)
        q.Append();
    else
        q.Edit();

    const int destId = imgCard->GetID();
    q.FieldByName(QStringLiteral("type")).SetValue(t.detailType);
    q.FieldByName(QStringLiteral("DestID")).SetValue(destId);
    q.FieldByName(QStringLiteral("Date")).SetDateTime(RecordDateTime());
    q.FieldByName(QStringLiteral("From")).SetValue(SavedText(cbbParty->currentText()));
    q.FieldByName(QStringLiteral("Amount")).SetMoney(amount);
    q.FieldByName(QStringLiteral("For")).SetValue(SavedText(edtFor->text()));
    q.FieldByName(QStringLiteral("Memo")).SetValue(SavedText(mmoMemo->toPlainText(), true));
    q.Post();

    if (EditId < 1) {
        Entry::MoveBalance(FormatSQL(QString::fromLatin1(t.newBalanceSql), {amount, destId}));
    } else if (destId == m_storedDestId) {
        Entry::MoveBalance(
            FormatSQL(QString::fromLatin1(t.editBalanceSql), {m_storedAmount, amount, destId}));
    } else {
        // The record moved to another account or wallet: the old one gives back what the
        // record added to it (unless it is gone), the new one takes the record as if new.
        Entry::RunStatement(
            FormatSQL(QString::fromLatin1(t.undoBalanceSql), {m_storedAmount, m_storedDestId}));
        Entry::MoveBalance(FormatSQL(QString::fromLatin1(t.newBalanceSql), {amount, destId}));
    }
    Entry::CheckBalances({destId, m_storedDestId});
}
