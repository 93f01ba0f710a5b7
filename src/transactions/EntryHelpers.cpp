#include "transactions/EntryHelpers.h"

#include "ui/WindowParts.h"
#include "data/Errors.h"
#include "data/UtDM.h"
#include "platform/Platform.h"

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

namespace Entry {

namespace {
void showError(QWidget* owner, const QString& text) {
    ShowMessage(owner, QStringLiteral("Error"), text, MsgIcon::Error, mbOK);
}
} // namespace

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    return Placed(new QGroupBox(caption, parent), name, geometry);
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    return Placed(new QLabel(caption, parent), name, geometry);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry) {
    return Placed(new QPushButton(caption, parent), name, geometry);
}

QComboBox* PickList(QWidget* parent, const char* name, const QRect& geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(geometry);
    c->setEditable(false);
    c->setMaxVisibleItems(15);
    // The closed box is narrow; the open list shows whole names.
    c->view()->setMinimumWidth(160);
    return c;
}

QComboBox* PartyBox(QWidget* parent, const char* name, const QRect& geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    // What is typed belongs to this record only; the list grows from saved records.
    c->setInsertPolicy(QComboBox::NoInsert);
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

QPlainTextEdit* MemoEdit(QWidget* parent, const QRect& geometry) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QStringLiteral("mmoMemo"));
    m->setTabChangesFocus(true);
    m->setGeometry(geometry);
    return m;
}

QDateEdit* DatePicker(QWidget* parent, const QRect& geometry) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QStringLiteral("dtpDate"));
    d->setCalendarPopup(true);
    // The locale's short date, but never with a two-digit year.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    d->setDisplayFormat(format);
    d->setGeometry(geometry);
    return d;
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
    if (!amount) {
        showError(owner, QStringLiteral("The AMOUNT for deposit is not a valid number."));
        amountEdit->setFocus();
        amountEdit->selectAll();
        return false;
    }
    return true;
}

bool RunSaveTransaction(QWidget* owner, const std::function<void()>& save) {
    try {
        save();
        return true;
    } catch (...) {
        try {
            if (DM && DM->conn.InTransaction())
                DM->conn.RollbackTrans();
        } catch (...) {
            // The engine may already have ended the transaction itself; nothing is
            // left to undo then.
        }
        if (DM)
            DM->m_Query.Close();
        showError(owner, QStringLiteral("Error occured!"));
        return false;
    }
}

} // namespace Entry
