#include "transactions/UtTransfer.h"

#include "ui/WindowParts.h"
#include "ui/Guarded.h"
#include "ui/Skin.h"
#include "cards/UtCards.h"
#include "data/UtFormat.h"
#include "transactions/EntryHelpers.h"

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

TFrmTransfer::TFrmTransfer(QWidget* parent) : QDialog(parent) {
    buildControls();
    FormCreate();
}

void TFrmTransfer::buildControls() {
    SetupFixedWindow(this, QStringLiteral("Transfer"), 541, 325);

    grpSource = Entry::Group(this, "grpSource", QStringLiteral("Source"), QRect(8, 8, 137, 105));
    imgSource = new TImageBase(grpSource);
    imgSource->setObjectName(QStringLiteral("imgSource"));
    // Below the group's title, which Qt draws inside the box.
    imgSource->move(10, 20);
    lblChange1 = Entry::Label(this, "lblChange1", QStringLiteral("Change"), QRect(8, 118, 50, 22));
    cbbInf1 = Entry::PickList(this, "cbbInf1", QRect(58, 118, 89, 22));

    grpDest = Entry::Group(this, "grpDest", QStringLiteral("Destination"), QRect(8, 146, 137, 105));
    imgDest = new TImageBase(grpDest);
    imgDest->setObjectName(QStringLiteral("imgDest"));
    imgDest->move(10, 20);
    lblChange2 = Entry::Label(this, "lblChange2", QStringLiteral("Change"), QRect(8, 256, 50, 22));
    cbbInf2 = Entry::PickList(this, "cbbInf2", QRect(58, 256, 89, 22));

    grp3 = Entry::Group(this, "grp3", QStringLiteral("Transfer info"), QRect(153, 8, 377, 278));
    lblDate = Entry::Label(grp3, "lblDate", QStringLiteral("Date:"), QRect(10, 20, 44, 22));
    dtpDate = Entry::DatePicker(grp3, QRect(56, 20, 130, 22));
    lblFrom = Entry::Label(grp3, "lblFrom", QStringLiteral("From:"), QRect(10, 46, 44, 22));
    cbbFrom = Entry::PartyBox(grp3, "cbbFrom", QRect(56, 46, 200, 22));
    edtAmmount = Entry::AmountEdit(grp3, QRect(262, 46, 105, 22));
    lblFor = Entry::Label(grp3, "lblFor", QStringLiteral("For:"), QRect(10, 72, 44, 22));
    edtFor = new QLineEdit(grp3);
    edtFor->setObjectName(QStringLiteral("edtFor"));
    edtFor->setGeometry(56, 72, 311, 22);
    lblMemo = Entry::Label(grp3, "lblMemo", QStringLiteral("Memo:"), QRect(10, 98, 44, 22));
    mmoMemo = Entry::MemoEdit(grp3, QRect(56, 94, 313, 181));

    btn1 = Entry::Button(this, "btn1", QStringLiteral("&Help"), QRect(289, 292, 75, 25));
    btnSave = Entry::Button(this, "btnSave", QStringLiteral("&Save"), QRect(372, 292, 75, 25));
    btnSave->setDefault(true);
    btn3 = Entry::Button(this, "btn3", QStringLiteral("&Close"), QRect(455, 292, 75, 25));

    SetTabOrder(
        {dtpDate, cbbFrom, edtAmmount, edtFor, mmoMemo, cbbInf1, cbbInf2, btn1, btnSave, btn3});
    dtpDate->setFocus();

    GuardedConnect(cbbInf1, &QComboBox::activated, this, &TFrmTransfer::cbbInf1Change);
    GuardedConnect(cbbInf2, &QComboBox::activated, this, &TFrmTransfer::cbbInf2Change);
    GuardedConnect(btnSave, &QPushButton::clicked, this, &TFrmTransfer::btnSaveClick);
    connect(btn3, &QPushButton::clicked, this, &QDialog::reject);

    SetHelpContext(this, 1011, btn1);
    ApplySkin(this);
}

void TFrmTransfer::FormCreate() {
    dtpDate->setDateTime(QDateTime::currentDateTime());
    SourceInfo = std::make_shared<TDataInfo>();
    DestInfo = std::make_shared<TDataInfo>();

    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("SELECT DISTINCT [from] FROM Transfer");
    q.Open();
    for (; !q.Eof(); q.Next())
        cbbFrom->addItem(q.Field(0).AsString());
    q.Close();
    // Filling an editable box picks its first entry; the text starts out blank.
    cbbFrom->setCurrentIndex(-1);
    cbbFrom->clearEditText();

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
        const QString entry =
            QStringLiteral("    ") + q.FieldByName(QStringLiteral("name")).AsString();
        cbbInf1->addItem(entry);
        cbbInf2->addItem(entry);
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
    m_loadedSourceId = sourceId;
    m_loadedDestId = destId;
    SetEndpoints(sourceId, destId);
    setWindowTitle(QStringLiteral("Edit Transfer"));
}

QDateTime TFrmTransfer::RecordDateTime() const {
    return QDateTime(dtpDate->date(), dtpDate->time());
}

void TFrmTransfer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_activated)
        Guarded([this] { FormActivate(); });
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
    m_activated = true;
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

    const int header = list->findText(isWallet ? WalletHeader : AccountHeader);
    if (header < 0)
        return;
    for (int i = header + 1; i < list->count(); ++i) {
        if (list->itemText(i).trimmed() == name) {
            list->setCurrentIndex(i);
            info = TDM::FindAccountInfo(name, isWallet);
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
    info = TDM::FindAccountInfo(list->currentText().trimmed(), isWallet);
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

    // Opening the row and beginning the transaction are left to the top-level report:
    // nothing is written yet, and the engine's own text says more.
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
    DM->conn.BeginTrans();

    if (!Entry::RunSaveTransaction(this, [&] { saveRecord(*amount); }))
        return;
    accept();
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
    q.FieldByName(QStringLiteral("From")).SetValue(cbbFrom->currentText().trimmed());
    q.FieldByName(QStringLiteral("Amount")).SetMoney(amount);
    q.FieldByName(QStringLiteral("For")).SetValue(edtFor->text().trimmed());
    q.FieldByName(QStringLiteral("Memo")).SetValue(mmoMemo->toPlainText().trimmed());
    q.Post();

    const QString takeOut = QStringLiteral("update Account set Balance = balance - %f where ID=%d");
    const QString putIn = QStringLiteral("update Account set Balance = balance + %f where ID=%d");
    if (EditId < 1) {
        runStatement(FormatSQL(takeOut, {amount, sourceId}));
        runStatement(FormatSQL(putIn, {amount, destId}));
    } else {
        // Each end that stayed where it was is corrected by the difference; an end that
        // moved gives the old amount back to its old row and charges its new one in full.
        if (sourceId == m_loadedSourceId) {
            runStatement(FormatSQL(
                QStringLiteral("update Account set Balance = balance + %f - %f where ID=%d"),
                {OldAmount, amount, sourceId}));
        } else {
            runStatement(FormatSQL(putIn, {OldAmount, m_loadedSourceId}));
            runStatement(FormatSQL(takeOut, {amount, sourceId}));
        }
        if (destId == m_loadedDestId) {
            runStatement(FormatSQL(
                QStringLiteral("update Account set Balance = balance - %f + %f where ID=%d"),
                {OldAmount, amount, destId}));
        } else {
            runStatement(FormatSQL(takeOut, {OldAmount, m_loadedDestId}));
            runStatement(FormatSQL(putIn, {amount, destId}));
        }
    }
    DM->conn.CommitTrans();
}

void TFrmTransfer::runStatement(const QString& sql) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << sql;
    q.ExecSQL();
}
