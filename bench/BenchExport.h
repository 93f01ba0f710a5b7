#pragma once

#include <QString>

class TTransactionList;

enum class ExportRun { All, SpreadsheetOnly, MemoryOnly };

// Exports the list as it stands to each format (files in dir, removed afterwards) and
// prints the program's time beside its floor and the memory the export took.
void BenchExport(TTransactionList* list, int runs, const QString& dir, ExportRun what);
