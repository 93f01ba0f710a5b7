#pragma once

#include "data/Money.h"

#include <QStringList>
#include <vector>

class TConnection;

// One listed row as the record commands read it: the deposit's, debit's or
// transfer's id, the row's kind (0 deposit, 1 debit, 2 trans out, 3 trans in), the
// account or wallet it is listed for, and its amount.
struct THistoryRecord {
    int ID = 0;
    int Type = 0;
    int AccID = 0;
    Money Amount;
};

// The statements that remove one record and give its amount back, in the order they
// run: the balances first, since a transfer's are found through its row.
QStringList DeleteStatements(const THistoryRecord& record);

// Removes the records and gives their amounts back to the balances they moved, all
// in one database transaction: when any statement fails, everything is rolled back
// and the error goes on to the caller. The amount and account given back are the ones
// stored when the transaction runs, not the ones the list showed; a record already
// gone is skipped. So both rows of one transfer correct the balances once.
void DeleteHistoryRecords(TConnection& conn, const std::vector<THistoryRecord>& records);
