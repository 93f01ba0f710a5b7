#include "UserActions.h"

#include "HistoryTestUtil.h"
#include "TestData.h"

#include "app/UtMain.h"
#include "cards/UtCards.h"
#include "data/Errors.h"
#include "data/UtDM.h"
#include "grid/DBGridEh.h"
#include "transactions/UtDebit.h"
#include "transactions/UtDeposit.h"
#include "transactions/UtTransfer.h"
#include "ui/Guarded.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <memory>

namespace UserActions {

namespace {

template <class W> W* child(QWidget& parent, const char* name) {
    W* w = parent.findChild<W*>(QLatin1String(name));
    if (!w)
        qFatal("control %s missing in %s", name, parent.metaObject()->className());
    return w;
}

void type(QDialog& window, const char* partyBox, const EntryInput& input) {
    child<QComboBox>(window, partyBox)->setEditText(input.party);
    child<QLineEdit>(window, "edtAmmount")->setText(input.amount);
    child<QLineEdit>(window, "edtFor")->setText(input.forText);
    child<QPlainTextEdit>(window, "mmoMemo")->setPlainText(input.memo);
    if (input.date.isValid())
        child<QDateEdit>(window, "dtpDate")->setDate(input.date);
}

// Picks the entry of a list that stands for the row with this id, as a click would.
bool pickById(QComboBox* list, int id) {
    const int index = list->findData(id);
    if (index < 0)
        return false;
    list->setCurrentIndex(index);
    emit list->activated(index);
    return true;
}

std::unique_ptr<TFrmDeposit> detailWindow(bool debit) {
    if (debit)
        return std::make_unique<TFrmDebit>();
    return std::make_unique<TFrmDeposit>();
}

const char* partyBoxOf(bool debit) {
    return debit ? "cbbTo" : "cbbFrom";
}

bool saved(const QDialog& window) {
    return window.result() == QDialog::Accepted;
}

// 0 as well when the file cannot be read at all.
int lastAccountId() {
    try {
        TQuery& q = TDM::FreshQuery();
        q.SQL << QStringLiteral("select max(ID) as m from Account");
        q.Open();
        const int id = q.Field(0).AsInteger();
        q.Close();
        return id;
    } catch (const EBudgetError&) {
        return 0;
    }
}

TImageCtrl* cardOf(TFrmMain& frm, int id, bool* wallet = nullptr) {
    if (TImageCtrl* c = TestData::FindCard(frm.Panels->AccountList, id)) {
        if (wallet)
            *wallet = false;
        return c;
    }
    if (TImageCtrl* c = TestData::FindCard(frm.Panels->WalletList, id)) {
        if (wallet)
            *wallet = true;
        return c;
    }
    return nullptr;
}

// The main window's menu command of that name, chosen as a user chooses it: through
// its action, so that a failure reaches the program's report as it would.
void command(TFrmMain& frm, const char* name) {
    auto* action = frm.findChild<QAction*>(QLatin1String(name));
    if (!action)
        qFatal("menu command %s missing", name);
    action->trigger();
}

} // namespace

EntryInput Typed(const QString& party, const QString& amount) {
    EntryInput in;
    in.party = party;
    in.amount = amount;
    return in;
}

bool NewDetail(bool debit, int accountId, const EntryInput& input) {
    auto f = detailWindow(debit);
    f->PresetAccount(accountId);
    f->show();
    type(*f, partyBoxOf(debit), input);
    child<QPushButton>(*f, "btnOK")->click();
    return saved(*f);
}

bool EditDetail(bool debit, int detailId, const EntryInput& input, int moveTo) {
    auto f = detailWindow(debit);
    f->LoadForEdit(detailId);
    f->show();
    type(*f, partyBoxOf(debit), input);
    if (moveTo > 0) {
        auto* list = child<QComboBox>(*f, "cbbInf");
        if (!pickById(list, moveTo)) {
            // The other group: its radio button refills the list.
            auto* other = child<QRadioButton>(
                *f, child<QRadioButton>(*f, "rbAccount")->isChecked() ? "rbWallet" : "rbAccount");
            other->click();
            if (!pickById(list, moveTo))
                qFatal("account %d is in neither list of the window", moveTo);
        }
    }
    child<QPushButton>(*f, "btnOK")->click();
    return saved(*f);
}

bool NewTransfer(int sourceId, int destId, const EntryInput& input) {
    TFrmTransfer f;
    f.SetEndpoints(sourceId, destId);
    f.show();
    type(f, "cbbFrom", input);
    child<QPushButton>(f, "btnSave")->click();
    return saved(f);
}

bool EditTransfer(int transferId, const EntryInput& input, int newSource, int newDest) {
    TFrmTransfer f;
    f.LoadForEdit(transferId);
    f.show();
    type(f, "cbbFrom", input);
    if (newSource > 0 && !pickById(child<QComboBox>(f, "cbbInf1"), newSource))
        qFatal("source %d is not in the list", newSource);
    if (newDest > 0 && !pickById(child<QComboBox>(f, "cbbInf2"), newDest))
        qFatal("destination %d is not in the list", newDest);
    child<QPushButton>(f, "btnSave")->click();
    return saved(f);
}

// The history window is opened the way the main window's command opens it: a file that
// cannot be read is reported and no window comes up.
int DeleteRecords(const std::vector<HistoryRow>& rows) {
    int selected = 0;
    Guarded([&] {
        TFrmAccountHistory frm;
        frm.show();
        HistoryCriteria all;
        all.from = QDate(1990, 1, 1);
        all.to = QDate(2100, 12, 31);
        RunHistoryQuery(frm, all);
        std::vector<int> positions;
        for (const HistoryRow& r : rows)
            if (const int at = HistoryRowOf(frm, r.id, r.kind); at >= 0)
                positions.push_back(at);
        frm.dbgrdh1->clearSelection();
        for (int at : positions)
            frm.dbgrdh1->selectionModel()->select(frm.dbgrdh1->model()->index(at, 0),
                                                  QItemSelectionModel::Select |
                                                      QItemSelectionModel::Rows);
        if (!positions.empty())
            frm.btnDelete->click();
        selected = int(positions.size());
    });
    return selected;
}

int NewAccount(TFrmMain& frm, const QString& name, int type, const QString& url,
               const QString& memo) {
    const int before = lastAccountId();
    TestData::ModalsOpenedBy(
        [&] { command(frm, type == 2 ? "mniMenu_NewWallet" : "mniMenu_NewAccount"); },
        [&](QDialog* d) {
            child<QLineEdit>(*d, "edtName")->setText(name);
            child<QLineEdit>(*d, "edtURL")->setText(url);
            child<QPlainTextEdit>(*d, "Memo")->setPlainText(memo);
            if (type == 1)
                child<QRadioButton>(*d, "rbTypeCredit")->click();
            child<QPushButton>(*d, type == 2 ? "btnOK" : "btnSave")->click();
        });
    const int after = lastAccountId();
    return after > before ? after : 0;
}

bool RenameAccount(TFrmMain& frm, int id, const QString& name) {
    bool wallet = false;
    TImageCtrl* card = cardOf(frm, id, &wallet);
    if (!card)
        return false;
    frm.Panels->SelectCard(card);
    bool accepted = false;
    TestData::ModalsOpenedBy(
        [&] { command(frm, wallet ? "mniMenu_WalletInfo" : "mniMenu_AccountInfo"); },
        [&](QDialog* d) {
            child<QLineEdit>(*d, "edtName")->setText(name);
            child<QPushButton>(*d, wallet ? "btnOK" : "btnSave")->click();
            accepted = d->result() == QDialog::Accepted;
        });
    return accepted;
}

bool DeleteAccount(TFrmMain& frm, int id) {
    bool wallet = false;
    TImageCtrl* card = cardOf(frm, id, &wallet);
    if (!card)
        return false;
    frm.Panels->SelectCard(card);
    command(frm, wallet ? "mniMenu_DeleteWallet" : "mniMenu_DeleteAccount");
    return TDM::LoadAccountInfo(id)->ID == 0;
}

} // namespace UserActions
