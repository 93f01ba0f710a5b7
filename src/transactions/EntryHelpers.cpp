#include "transactions/EntryHelpers.h"

#include "data/Errors.h"
#include "data/UtDM.h"
#include "platform/Platform.h"
#include "ui/Guarded.h"
#include "ui/WindowParts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>

namespace Entry {

namespace {
void showError(QWidget* owner, const QString& text) {
    TDM::ShowErrorMessage(text, owner);
}
} // namespace

QComboBox* PartyBox(QWidget* parent, const char* name, const QRect& geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    // What is typed belongs to this record only; the list grows from saved records.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->lineEdit()->setMaxLength(TextColumnLength);
    c->setGeometry(geometry);
    return c;
}

QLineEdit* AmountEdit(QWidget* parent, const QRect& geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QStringLiteral("edtAmmount"));
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setGeometry(geometry);
    return e;
}

QLineEdit* ForEdit(QWidget* parent, const QRect& geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QStringLiteral("edtFor"));
    e->setMaxLength(TextColumnLength);
    e->setGeometry(geometry);
    return e;
}

QPlainTextEdit* MemoEdit(QWidget* parent, const QRect& geometry) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QStringLiteral("mmoMemo"));
    m->setTabChangesFocus(true);
    m->setGeometry(geometry);
    return m;
}

void FillPartyList(QComboBox* box, const QString& sql) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << sql;
    q.Open();
    for (; !q.Eof(); q.Next())
        box->addItem(q.Field(0).AsString());
    q.Close();
    // Filling an editable box picks its first entry; the party starts out blank.
    box->setCurrentIndex(-1);
    box->clearEditText();
}

QDateTime RecordDateTime(const QDateEdit* picker) {
    return QDateTime(picker->date(), picker->time());
}

bool CheckInput(QWidget* owner, QComboBox* party, QLineEdit* amountEdit,
                std::optional<Money>& amount) {
    if (party->currentText().trimmed().isEmpty()) {
        showError(owner, QStringLiteral("Please input inofrmation for \"From\""));
        party->setFocus();
        return false;
    }
    if (amountEdit->text().trimmed().isEmpty()) {
        showError(owner, QStringLiteral("Please input the AMOUNT for deposit"));
        amountEdit->setFocus();
        return false;
    }
    amount = Money::parse(amountEdit->text());
    // Beyond what the database holds exactly the amount would be stored as another one.
    if (!amount || !amount->fitsStored()) {
        showError(owner, QStringLiteral("The AMOUNT for deposit is not a valid number."));
        amountEdit->setFocus();
        amountEdit->selectAll();
        return false;
    }
    return true;
}

int RunStatement(const QString& sql) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << sql;
    return q.ExecSQL();
}

void MoveBalance(const QString& sql) {
    if (RunStatement(sql) < 1)
        throw ESaveRefused{Refusal::AccountGone};
}

void CheckBalances(std::initializer_list<int> ids) {
    for (int id : ids) {
        TQuery& q = TDM::FreshQuery();
        q.SQL << QStringLiteral("select Balance from Account where ID=:a");
        q.SetParam(QStringLiteral("a"), id);
        q.Open();
        const bool fits = q.Eof() || q.Field(0).AsMoney().fitsStored();
        q.Close();
        if (!fits)
            throw ESaveRefused{Refusal::AmountOutOfRange};
    }
}

namespace {

void explain(QWidget* owner, QLineEdit* amountEdit, Refusal why) {
    switch (why) {
    case Refusal::AmountOutOfRange:
        showError(owner, QStringLiteral("The AMOUNT for deposit is not a valid number."));
        amountEdit->setFocus();
        amountEdit->selectAll();
        break;
    case Refusal::RecordGone:
        showError(owner, QStringLiteral(
                             "This record has been deleted in the meantime and cannot be saved."));
        break;
    case Refusal::AccountGone:
        showError(owner,
                  QStringLiteral(
                      "The account or wallet of this record has been deleted in the meantime."));
        break;
    }
}

} // namespace

bool Save(QWidget* owner, QLineEdit* amountEdit, const std::function<void()>& openRow,
          const std::function<void()>& save) {
    // A save that does not go through leaves the shared query closed.
    auto closeQuery = qScopeGuard([] {
        if (DM)
            DM->m_Query.Close();
    });
    std::optional<Refusal> refused;
    {
        // Rolled back as the block is left unless committed, and so before the window
        // says a word: a box shown meanwhile would keep the write lock from every other
        // copy of the program.
        TTransactionGuard transaction(DM->conn);
        try {
            openRow();
        } catch (const ESaveRefused& refusal) {
            refused = refusal.why;
        }
        if (!refused) {
            try {
                save();
                transaction.Commit();
                closeQuery.dismiss();
                return true;
            } catch (const ESaveRefused& refusal) {
                refused = refusal.why;
            } catch (...) {
                // Any other failure is told in the window's own words below.
            }
        }
    }
    if (refused)
        explain(owner, amountEdit, *refused);
    else
        showError(owner, QStringLiteral("Error occured!"));
    return false;
}

} // namespace Entry

void TEntryWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Activated)
        Guarded([this] { FormActivate(); });
}
