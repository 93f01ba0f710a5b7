#pragma once

#include "data/Money.h"

#include <QRect>
#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>

class QComboBox;
class QDateEdit;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TQuery;

// What the deposit, debit and transfer windows have in common: the look of their
// controls, the input checks, and the way a save is wrapped in one transaction.
namespace Entry {

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry);
// A drop-down list without typing, fifteen rows when open.
QComboBox* PickList(QWidget* parent, const char* name, const QRect& geometry);
// A drop-down box that also takes typed text (the payer or payee).
QComboBox* PartyBox(QWidget* parent, const char* name, const QRect& geometry);
QLineEdit* AmountEdit(QWidget* parent, const QRect& geometry);
QPlainTextEdit* MemoEdit(QWidget* parent, const QRect& geometry);
QDateEdit* DatePicker(QWidget* parent, const QRect& geometry);

// The party and amount checks of every entry window, with their messages and focus.
// On success the parsed amount is returned through `amount`.
bool CheckInput(QWidget* owner, QComboBox* party, QLineEdit* amountEdit,
                std::optional<Money>& amount);

// Runs the row write and the balance statements. Whatever fails in there is rolled
// back, "Error occured!" is shown and false returned, so the window stays open with
// the user's entries and the save can be tried again.
bool RunSaveTransaction(QWidget* owner, const std::function<void()>& save);

} // namespace Entry
