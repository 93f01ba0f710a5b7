#pragma once

#include "data/Money.h"

#include <QDateTime>
#include <QDialog>
#include <QRect>
#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// What the deposit, debit and transfer windows have in common: the controls only they
// have, the input checks, and the way a save is wrapped in one transaction.
namespace Entry {

// A drop-down box that also takes typed text (the payer or payee).
QComboBox* PartyBox(QWidget* parent, const char* name, const QRect& geometry);
QLineEdit* AmountEdit(QWidget* parent, const QRect& geometry);
// The one-line "For:" box.
QLineEdit* ForEdit(QWidget* parent, const QRect& geometry);
QPlainTextEdit* MemoEdit(QWidget* parent, const QRect& geometry);

// Fills a party box with the texts a statement returns, in the order returned; the box's
// own text starts out blank.
void FillPartyList(QComboBox* box, const QString& sql);

// The date and time of day a record is saved with: the picker changes only the date.
QDateTime RecordDateTime(const QDateEdit* picker);

// The party and amount checks of every entry window, with their messages and focus.
// On success the parsed amount is returned through `amount`.
bool CheckInput(QWidget* owner, QComboBox* party, QLineEdit* amountEdit,
                std::optional<Money>& amount);

// Runs one statement on the shared query; the number of rows it changed.
int RunStatement(const QString& sql);

// Why a save stops on purpose. Thrown inside a save, it is rolled back like any other
// failure, but the window says what happened in words of its own.
enum class Refusal {
    AmountOutOfRange, // a balance would leave what the database holds exactly
    RecordGone,       // the edited record was deleted meanwhile (another copy of the program)
    AccountGone,      // so was the account or wallet the record is saved against
};
struct ESaveRefused {
    Refusal why;
};

// Runs a balance statement for the row the record is saved against; refuses the save
// when that row no longer exists.
void MoveBalance(const QString& sql);
// Refuses the save when the stored balance of any of these rows has left what the
// database holds exactly. Read inside the transaction, after the balance statements.
void CheckBalances(std::initializer_list<int> ids);

// One save: takes the write lock (BEGIN IMMEDIATE) so that nothing another copy of the
// program writes can slip in between, then runs openRow, which opens the record's row
// for update and reads the stored values the save builds on, then save, which writes the
// row and the balances. The transaction is committed at the end.
// A failure in openRow reaches the top-level report with the engine's own words
// (nothing is written at that point); one in save or at the commit is rolled back and
// shown as "Error occured!". A refusal is rolled back and explained. Returns whether
// the record was saved; otherwise the window stays open with the user's entries.
bool Save(QWidget* owner, QLineEdit* amountEdit, const std::function<void()>& openRow,
          const std::function<void()>& save);

} // namespace Entry

// The base of the entry windows: their preparation runs once, when they are first shown.
class TEntryWindow : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

public slots:
    // The preparation at the first showing; it sets Activated, so that a window prepared
    // by its opener beforehand is not prepared twice.
    virtual void FormActivate() = 0;

protected:
    void showEvent(QShowEvent* event) override;
    bool Activated = false;
};
