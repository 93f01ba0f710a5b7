#pragma once

#include "data/UtDM.h"

#include <QFont>
#include <QMetaType>
#include <QString>
#include <memory>

class QComboBox;

// What the history window and its query dialog share: the account list with its
// headers, the account line a chosen entry gives, and matching a typed text.

// The bold "MS Sans Serif" of the history windows, in pixels or points. Their controls
// were placed for that narrow face; where the system lacks it a condensed one stands in,
// so that the captions still fit their places.
QFont HistoryFont(const QFont& base, int size, bool pixels = true);

using PCboItem = std::shared_ptr<TCboItem>;
Q_DECLARE_METATYPE(PCboItem)

// "-----All-----", "---Account---", the bank accounts and credit cards, and, when there
// are wallets, "---Wallet---" and the wallets; each account or wallet entry is four
// blanks and its name and carries a TCboItem. The first entry is chosen. Without
// `withAll` the list starts at "---Account---", for a choice of one row.
void FillAccountList(QComboBox* box, bool withAll = true);

// The item an entry carries, or null for the headers.
PCboItem CboItemAt(const QComboBox* box, int index);

// The clause that narrows the list to the chosen entry: nothing for "-----All-----"
// (index 0), the row's id for an entry with an item, accounts for "---Account---"
// (index 1), wallets for any other entry.
QString AccountLine(int index, const TCboItem* item);

// "<column> like '%text%' escape '\'", the text matched literally: its quotes stay
// inside the literal, and % and _ typed by the user are no wildcards.
QString ContainsMatch(const QString& column, const QString& text);
