#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class TFrmMain;

// What a user does, done through the program's own windows: controls are filled by
// their names and buttons pressed; message boxes are answered by the recorder that
// the test environment put in place. Each returns whether the window saved (closed
// with OK); a refusal leaves its message in the recorder.
namespace UserActions {

// What the user types into a deposit, debit or transfer window.
struct EntryInput {
    QString party = QStringLiteral("someone");
    QString amount;
    QString forText;
    QString memo;
    QDate date; // invalid: the date the window starts with
};

// The party and the amount; no purpose or memo, the date the window starts with.
EntryInput Typed(const QString& party, const QString& amount);

// A new deposit or debit for the account or wallet the main window preselects.
bool NewDetail(bool debit, int accountId, const EntryInput& input);
// Edits a deposit or debit; a non-zero moveTo is picked in the window's own list
// (switching between the account and wallet groups as needed).
bool EditDetail(bool debit, int detailId, const EntryInput& input, int moveTo = 0);

// A new transfer with both ends preselected (0 leaves an end on its header).
bool NewTransfer(int sourceId, int destId, const EntryInput& input);
// Edits a transfer; a non-zero newSource or newDest is picked in the window's lists.
bool EditTransfer(int transferId, const EntryInput& input, int newSource = 0, int newDest = 0);

// One row of the history list: a record's id and its kind as the list names it
// ("Deposit", "Debit", "Trans Out", "Trans In").
struct HistoryRow {
    int id;
    QString kind;
};
// Opens the history window on every record of every date, selects these rows and
// presses Delete, answering Yes; the number of rows that were there to select.
int DeleteRecords(const std::vector<HistoryRow>& rows);

// New bank account (type 0), credit card (1) or wallet (2) through the main window's
// command and editor; the new row's id, or 0 when nothing was saved.
int NewAccount(TFrmMain& frm, const QString& name, int type, const QString& url = {},
               const QString& memo = {});
// Renames an account or wallet through its card's editor.
bool RenameAccount(TFrmMain& frm, int id, const QString& name);
// Selects the card and deletes it with the main window's command, answering the
// question with OK; whether the row is gone afterwards.
bool DeleteAccount(TFrmMain& frm, int id);

} // namespace UserActions
