#pragma once

#include "import/Statement.h"
#include "import/StatementText.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Comma-separated statements: the records of the file, and the mapping of its columns
// onto a statement line.

// The records of a CSV text, quoted the RFC 4180 way: a quoted field may hold the
// separator, line breaks and doubled quotes.
struct TCsvTable {
    QChar Separator = u',';
    std::vector<QStringList> Records;
    std::vector<int> LineNos;                     // the line each record starts on, from 1
    std::vector<QString> RecordErrors;            // why a record cannot be read; empty when it can
    static constexpr int MaxRecordLength = 65536; // characters; longer records are refused
};

// The separator among ',', ';' and tab that splits the first records into the same
// number of fields, and the most of them.
QChar GuessCsvSeparator(const QString& text);
TCsvTable ParseCsv(const QString& text, QChar separator, const TProgress& progress = {});

// Which column holds what; -1 for none. The amount is one signed column, or money in
// and money out in two.
struct TCsvMapping {
    bool HasHeader = true;
    int DateColumn = -1;
    int AmountColumn = -1;
    int InColumn = -1;
    int OutColumn = -1;
    int PartyColumn = -1;
    int PurposeColumn = -1;
    int MemoColumn = -1;
    DateOrder Order = DateOrder::DMY;
    QChar Decimal = u'.';

    // A date and either the one amount or at least one of the two.
    bool Usable() const;
    // As kept in the database, and back; empty when the text is not one of ours.
    QString ToText() const;
    static std::optional<TCsvMapping> FromText(const QString& text);
    bool operator==(const TCsvMapping&) const = default;
};

// The first guess at a mapping: the header's names, else the columns' own values; the
// date order and decimal sign from the values of the columns chosen.
struct TCsvGuess {
    TCsvMapping Mapping;
    bool DateAmbiguous = false; // both day-first and month-first read every date
    QString DateExample;        // a date the two read differently
};
TCsvGuess GuessCsvMapping(const TCsvTable& table);
// The date order and decimal sign for the columns a mapping names, from their values.
void GuessCsvFormats(const TCsvTable& table, TCsvMapping& mapping, TCsvGuess* guess = nullptr);

// What a mapping is remembered by: the header's names, folded; empty without a header.
QString CsvHeaderKey(const TCsvTable& table, bool hasHeader);

// The statement lines the records give under a mapping; the header is left out,
// blank records are skipped, every other record is a line (an Error line when it
// cannot be read).
std::vector<TStatementLine> CsvLines(const TCsvTable& table, const TCsvMapping& mapping);
