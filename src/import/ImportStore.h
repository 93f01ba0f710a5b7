#pragma once

#include "import/CsvReader.h"
#include "import/Statement.h"

#include <QString>
#include <optional>
#include <vector>

// A statement line as the import window offers it: its state against what the target
// account or wallet already holds, whether it is to be imported, and the other side
// when it is to be saved as a transfer.
enum class RowState { New, Duplicate, Error };

struct TImportRow {
    const TStatementLine* Line = nullptr;
    RowState State = RowState::New;
    QString Why; // what a duplicate matches, or why an error line cannot be read
    bool Checked = false;
    int TransferWith = 0; // the other account or wallet of a transfer; 0 for a deposit or debit
    bool TransferFound = false; // TransferWith is the side of a recorded transfer it matched
};

// The rows for a statement's lines of one of its accounts, all unchecked and New or Error.
std::vector<TImportRow> RowsFor(const TStatement& statement, int account);

// What is kept of imports, in tables of the program's own inside Data.mdb that older
// builds never look at: the id of every imported line (ImportedEntry), and the column
// mappings the user confirmed for CSV files (ImportMapping).
namespace ImportStore {

// Days either side within which a record counts as the same payment.
constexpr int DuplicateDays = 3;

// Sets each row that is not an Error New or Duplicate. A duplicate is a line whose bank
// id was imported into the target before (and whose record is still there), a line
// whose id came earlier in the same file, a deposit or debit of the target in the same
// direction and amount, dated within three days, whose party is the same but for case
// and blanks, or a transfer between the target and another account or wallet in the
// same direction and amount, dated within three days (for a row marked as a transfer,
// only one with that other side; an unmarked row takes the other side of the transfer it
// matches). Every record answers for one line only. A row whose state changes is
// checked exactly when it becomes New.
void MarkDuplicates(int targetId, std::vector<TImportRow>& rows, const TProgress& progress = {});

// A CSV file's mapping, to be remembered for files with the same header.
struct TMappingToKeep {
    QString HeaderKey;
    TCsvMapping Mapping;
};

// Why a save was refused, in the user's words.
struct ESaveRefused {
    QString Message;
};

// Saves the checked rows that are not errors into the target, in one transaction:
// money in as a deposit, money out as a debit (or each as a transfer with its other
// side), the balances moved by the total as every save moves them, each bank id kept
// for the next import, and the mapping of a CSV file remembered under its header.
// Anything that fails rolls all of it back: the engine's error is thrown as it came,
// a cancel as EStatementCancelled, a target gone or a balance beyond the limits as
// ESaveRefused. The number of records written.
int Save(int targetId, const std::vector<TImportRow>& rows,
         const std::optional<TMappingToKeep>& mapping = {}, const TProgress& progress = {});

// The mapping the user confirmed for files with this header, if any.
std::optional<TCsvMapping> RememberedMapping(const QString& headerKey);

} // namespace ImportStore
