#pragma once

#include <QString>
#include <QStringList>

// The combined transaction query: deposits and debits, and both sides of every
// transfer, each joined with its Account row. It ends with its join condition, so the
// main list and the history window append their own clauses after it.
QString CombinedQueryText();

// The kind filter's entries, "-----All-----" first, as every kind list shows them.
QStringList KindEntries();

// The kind code the entry at this index selects (0 deposit, 1 debit, 3 trans in,
// 2 trans out); -1 for "-----All-----" or no entry.
int KindCodeAt(int index);

// The kind code of a typed or chosen entry text, matched without regard to case; -1
// when the text is "-----All-----" or matches no entry.
int KindCodeOf(const QString& entryText);

// " and A.type = N" for a kind code, nothing for -1.
QString KindLine(int code);
