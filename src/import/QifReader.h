#pragma once

#include "import/Statement.h"
#include "import/StatementText.h"

#include <QString>
#include <QStringList>

// Quicken interchange files: !Type:Bank, Cash and CCard lists of transactions, one or
// several !Account blocks, the fields D T U P M L N C A and ^, and splits (S E $).

// The values of one field in every transaction of the text ('D' for the dates, 'T' for
// the amounts), so that the date order and decimal sign can be judged first.
QStringList QifFieldValues(const QString& text, QChar code);

// The transactions of a QIF text, dates read in `order` and amounts with `decimal`. A
// split transaction is one line whose purpose is its split categories joined.
TStatement ReadQif(const QString& text, DateOrder order, QChar decimal,
                   const TProgress& progress = {});
