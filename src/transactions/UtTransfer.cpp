#include "transactions/UtTransfer.h"

#include "cards/UtCards.h"
#include "data/UtFormat.h"
#include "ui/Guarded.h"
#include "ui/HelpIds.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

const QString TFrmTransfer::AccountHeader = QStringLiteral("---Account---");
const QString TFrmTransfer::WalletHeader = QStringLiteral("---Wallet---");

TFrmTransfer::TFrmTransfer(QWidget* parent) : TEntryWindow(parent) {
    buildControls();
    FormCreate();
}

void TFrmTransfer::buildControls() {
    SetupFixedWindow(this, QStringLiteral("Transfer"), 541, 325);

    grpSource = Group(this, "grpSource", QStringLiteral("Source"), QRect(8, 8, 137, 105));
    imgSource = new TImageBase(grpSource);
    imgSource->setObjectName(QStringLiteral("imgSource"));
    // Below the group's title, which Qt draws inside the box.
    imgSource->move(10, 20);
    lblChange1 = Label(this, "lblChange1", QStringLiteral("Change"), QRect(8, 118, 50, 22));
    cbbInf1 = PickList(this, "cbbInf1", QRect(58, 118, 89, 22));

    grpDest = Group(this, "grpDest", QStringLiteral("Destination"), QRect(8, 146, 137, 105));
    imgDest = new TImageBase(grpDest);
    imgDest->setObjectName(QStringLiteral("imgDest"));
    imgDest->move(10, 20);
    lblChange2 = Label(this, "lblChange2", QStringLiteral("Change"), QRect(8, 256, 50, 22));
    cbbInf2 = PickList(this, "cbbInf2", QRect(58, 256, 89, 22));

    grp3 = Group(this, "grp3", QStringLiteral("Transfer info"), QRect(153, 8, 377, 278));
    lblDate = Label(grp3, "lblDate", QStringLiteral("Date:"), QRect(10, 20, 44, 22));
    dtpDate = DatePicker(new QDateEdit(grp3), "dtpDate", QRect(56, 20, 130, 22));
    lblFrom = Label(grp3, "lblFrom", QStringLiteral("From:"), QRect(10, 46, 44, 22));
    cbbFrom = Entry::PartyBox(grp3, "cbbFrom", QRect(56, 46, 200, 22));
    edtAmmount = Entry::AmountEdit(grp3, QRect(262, 46, 105, 22));
    lblFor = Label(grp3, "lblFor", QStringLiteral("For:"), QRect(10, 72, 44, 22));
    edtFor = Entry::ForEdit(grp3, QRect(56, 72, 311, 22));
    lblMemo = Label(grp3, "lblMemo", QStringLiteral("Memo:"), QRect(10, 98, 44, 22));
    mmoMemo = Entry::MemoEdit(grp3, QRect(56, 94, 313, 181));

    btn1 = Button(this, "btn1", QStringLiteral("&Help"), QRect(289, 292, 75, 25));
    btnSave = Button(this, "btnSave", QStringLiteral("&Save"), QRect(372, 292, 75, 25));
    btnSave->setDefault(true);
    btn3 = Button(this, "btn3", QStringLiteral("&Close"), QRect(455, 292, 75, 25));

    SetTabOrder(
        {dtpDate, cbbFrom, edtAmmount, edtFor, mmoMemo, cbbInf1, cbbInf2, btn1, btnSave, btn3});
    dtpDate->setFocus();

    GuardedConnect(cbbInf1, &QComboBox::activated, this, &TFrmTransfer::cbbInf1Change);
    GuardedConnect(cbbInf2, &QComboBox::activated, this, &TFrmTransfer::cbbInf2Change);
    GuardedConnect(btnSave, &QPushButton::clicked, this, &TFrmTransfer::btnSaveClick);
    connect(btn3, &QPushButton::clicked, this, &QDialog::reject);

    SetHelpContext(this, HelpIds::IDH_TRANSFER, btn1);
    ApplySkin(this);
}

void TFrmTransfer::FormCreate() {
    dtpDate->setDateTime(QDateTime::currentDateTime());
    SourceInfo = std::make_shared<TDataInfo>();
    DestInfo = std::make_shared<TDataInfo>();

    Entry::FillPartyList(cbbFrom, QStringLiteral("SELECT DISTINCT [from] FROM Transfer"));
    FillAccountLists();
}

void TFrmTransfer::FillAccountLists() {
    cbbInf1->addItem(AccountHeader);
    cbbInf2->addItem(AccountHeader);
    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("select ID, [name], [Type] from Account order by type");
    q.Open();
    bool walletHeader = false;
    for (; !q.Eof(); q.Next()) {
        if (q.FieldByName(QStringLiteral("Type")).AsInteger() == 2 && !walletHeader) {
            cbbInf1->addItem(WalletHeader);
            cbbInf2->addItem(WalletHeader);
            walletHeader = true;
        }
        // Each entry carries its row's id: two accounts may share a name.
        const QString entry =
            QStringLiteral("    ") + q.FieldByName(QStringLiteral("name")).AsString();
        const int id = q.FieldByName(QStringLiteral("ID")).AsInteger();
        cbbInf1->addItem(entry, id);
        cbbInf2->addItem(entry, id);
    }
    q.Close();
    cbbInf1->setCurrentIndex(0);
    cbbInf2->setCurrentIndex(0);
}

void TFrmTransfer::SetEndpoints(int sourceId, int destId) {
    SourceId = sourceId;
    DestId = destId;
}

void TFrmTransfer::LoadForEdit(int id) {
    EditId = id;
    TQuery& q = TDM::FreshQuery();
    q.SQL << FormatSQL(
        QStringLiteral("SELECT [SourceID], [DestID], [Date], [From], [Amount], [For], [Memo] "
                       "FROM Transfer where ID=%d"),
        {id});
    q.Open();
    const int sourceId = q.FieldByName(QStringLiteral("SourceID")).AsInteger();
    const int destId = q.FieldByName(QStringLiteral("DestID")).AsInteger();
    dtpDate->setDateTime(q.FieldByName(QStringLiteral("Date")).AsDateTime());
    cbbFrom->setEditText(q.FieldByName(QStringLiteral("From")).AsString());
    OldAmount = q.FieldByName(QStringLiteral("Amount")).AsMoney();
    edtAmmount->setText(OldAmount.toPlainString());
    edtFor->setText(q.FieldByName(QStringLiteral("For")).AsString());
    mmoMemo->setPlainText(q.FieldByName(QStringLiteral("Memo")).AsString());
    q.Close();
    SetEndpoints(sourceId, destId);
    setWindowTitle(QStringLiteral("Edit Transfer"));
}

QDateTime TFrmTransfer::RecordDateTime() const {
    return Entry::RecordDateTime(dtpDate);
}

void TFrmTransfer::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button, so Esc leaves it open.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmTransfer::FormActivate() {
    Activated = true;
    ApplyEndpoints();
}

void TFrmTransfer::ApplyEndpoints() {
    applyEndpoint(SourceId, cbbInf1, SourceInfo, imgSource);
    applyEndpoint(DestId, cbbInf2, DestInfo, imgDest);
}

void TFrmTransfer::applyEndpoint(int id, QComboBox* list, PDataInfo& info, TImageBase* card) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("select [name], [Type] from Account where ID=") + QString::number(id);
    q.Open();
    if (q.Eof())
        return;
    const QString name = q.FieldByName(QStringLiteral("name")).AsString();
    const bool isWallet = q.FieldByName(QStringLiteral("Type")).AsInteger() == 2;
    q.Close();

    // The entry is found by the name as it stands in the list; the card shows the very
    // row asked for, even when an earlier entry carries the same name.
    const int header = list->findText(isWallet ? WalletHeader : AccountHeader);
    if (header < 0)
        return;
    for (int i = header + 1; i < list->count(); ++i) {
        if (list->itemText(i).trimmed() == name) {
            list->setCurrentIndex(i);
            info = TDM::LoadAccountInfo(id);
            card->SetData(info, isWallet);
            return;
        }
    }
}

void TFrmTransfer::chooseEntry(QComboBox* list, PDataInfo& info, TImageBase* card) {
    const int index = list->currentIndex();
    if (index <= 0 || list->currentText() == WalletHeader)
        return;
    const int walletHeader = list->findText(WalletHeader);
    const bool isWallet = walletHeader >= 0 && walletHeader < index;
    info = TDM::LoadAccountInfo(list->currentData().toInt());
    card->SetData(info, isWallet);
}

void TFrmTransfer::cbbInf1Change() {
    chooseEntry(cbbInf1, SourceInfo, imgSource);
}
void TFrmTransfer::cbbInf2Change() {
    chooseEntry(cbbInf2, DestInfo, imgDest);
}

void TFrmTransfer::btnSaveClick() {
    const auto onHeader = [](const QComboBox* list) {
        return list->currentText() == AccountHeader || list->currentText() == WalletHeader;
    };
    if (onHeader(cbbInf1)) {
        TDM::ShowErrorMessage(QStringLiteral("Please select Source Account/Wallet!"));
        return;
    }
    if (onHeader(cbbInf2)) {
        TDM::ShowErrorMessage(QStringLiteral("Please select Destination Account/Wallet!"));
        return;
    }
    std::optional<Money> amount;
    if (!Entry::CheckInput(this, cbbFrom, edtAmmount, amount))
        return;
    if (Entry::Save(
            this, edtAmmount, [this] { openRow(); }, [&] { saveRecord(*amount); }))
        accept();
}

void TFrmTransfer::openRow() {
    TQuery& q = TDM::FreshQuery();
    if (EditId < 1)
        q.SQL << QStringLiteral("SELECT top 1 [SourceID], [DestID], [Date], [From], [Amount], "
                                "[For], [Memo] FROM Transfer");
    else
        q.SQL << FormatSQL(
            QStringLiteral("SELECT [SourceID], [DestID], [Date], [From], [Amount], [For], [Memo] "
                           "FROM Transfer where ID=%d"),
            {EditId});
    q.OpenForUpdate();
    if (EditId < 1)
        return;
    if (q.Eof())
        throw Entry::ESaveRefused{Entry::Refusal::RecordGone};
    m_storedAmount = q.FieldByName(QStringLiteral("Amount")).AsMoney();
    m_storedSourceId = q.FieldByName(QStringLiteral("SourceID")).AsInteger();
    m_storedDestId = q.FieldByName(QStringLiteral("DestID")).AsInteger();
}

void TFrmTransfer::saveRecord(Money amount) {
    TQuery& q = DM->m_Query;
    if (EditId < 1)
        q.Append();
    else
        q.Edit();
    const int sourceId = imgSource->GetID();
    const int destId = imgDest->GetID();
    q.FieldByName(QStringLiteral("SourceID")).SetValue(sourceId);
    q.FieldByName(QStringLiteral("DestID")).SetValue(destId);
    q.FieldByName(QStringLiteral("Date")).SetDateTime(RecordDateTime());
    q.FieldByName(QStringLiteral("From")).SetValue(SavedText(cbbFrom->currentText()));
    q.FieldByName(QStringLiteral("Amount")).SetMoney(amount);
    q.FieldByName(QStringLiteral("For")).SetValue(SavedText(edtFor->text()));
    q.FieldByName(QStringLiteral("Memo")).SetValue(SavedText(mmoMemo->toPlainText(), true));
    q.Post();

    const QString takeOut = QStringLiteral("update Account set Balance = balance - %f where ID=%d");
    const QString putIn = QStringLiteral("update Account set Balance = balance + %f where ID=%d");
    if (EditId < 1) {
        Entry::MoveBalance(FormatSQL(takeOut, {amount, sourceId}));
        Entry::MoveBalance(FormatSQL(putIn, {amount, destId}));
    } else {
        // Each end that stayed where it was is corrected by the difference; an end that
        // moved gives the old amount back to its old row (unless it is gone) and charges
        // its new one in full.
        if (sourceId == m_storedSourceId) {
            Entry::MoveBalance(FormatSQL(
                QStringLiteral("update Account set Balance = balance + %f - %f where ID=%d"),
                {m_storedAmount, amount, sourceId}));
        } else {
            Entry::RunStatement(FormatSQL(putIn, {m_storedAmount, m_storedSourceId}));
            Entry::MoveBalance(FormatSQL(takeOut, {amount, sourceId}));
        }
        if (destId == m_storedDestId) {
            Entry::MoveBalance(FormatSQL(
                QStringLiteral("update Account set Balance = balance - %f + %f where ID=%d"),
                {m_storedAmount, amount, destId}));
        } else {
            Entry::RunStatement(FormatSQL(takeOut, {m_storedAmount, m_storedDestId}));
            Entry::MoveBalance(FormatSQL(putIn, {amount, destId}));
        }
    }
    Entry::CheckBalances({sourceId, destId, m_storedSourceId, m_storedDestId});
}
