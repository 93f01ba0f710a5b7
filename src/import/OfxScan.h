#pragma once

#include "data/Money.h"
#include "import/Statement.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

// The program's own pass over an OFX or QFX file, before the OFX library sees any of
// it. The library trusts what it is given: it reports a missing amount as zero, a
// date it cannot read as the present moment, drops the id of a transaction after a
// tag it does not know, leaves long account ids without their terminating NUL, takes
// "1,000.50" for 1, reads a file cut short as if it were whole, and slows down with the
// square of the number of transactions. So the file is checked here (its tags, their
// nesting, its end), each transaction's date, amount and id are taken from the file's
// own text, and the library is handed documents of our own making, a few thousand
// transactions at a time, from which it reads the names and memos.

struct TOfxAccount {
    QByteArray BankId, BranchId, AcctId, AcctType;
    bool CreditCard = false;
};

// One <STMTTRN> as the file writes it; a null value is an element the file leaves out.
struct TOfxTransaction {
    int Account = 0; // into TOfxScan::Accounts
    int LineNo = 0;
    QByteArray DtPosted, TrnAmt, FitId, Name, PayeeName, Memo, CheckNum;
};

struct TOfxScan {
    bool Utf8 = false; // else an 8-bit set, read as Windows-1252
    std::vector<TOfxAccount> Accounts;
    std::vector<TOfxTransaction> Transactions;
};

// Whether the bytes begin as an OFX file does (an OFX header, or XML holding <OFX>).
bool LooksLikeOfx(const QByteArray& bytes);

// Scans a whole file; EStatementUnreadable, naming the file, when it is not one.
TOfxScan ScanOfx(const QByteArray& bytes, const QString& fileName, const TProgress& progress = {});

// An OFX amount: an optional sign, digits, and '.' or ',' before the decimals (no
// grouping). Empty, with why, when it is not one or lies beyond the program's limits.
std::optional<Money> ParseOfxAmount(const QByteArray& text, QString* why);
// The date of an OFX date and time ("20240131", "20240131120000.000[-5:EST]"), as
// the bank wrote it: the day it names, whatever its time zone.
QDate ParseOfxDate(const QByteArray& text);

// A text of the file in its character set.
QString OfxText(const TOfxScan& scan, const QByteArray& value);

// The library reads two thousand transactions in a few hundredths of a second; its time
// grows with the square of their number, so longer lists go to it in pieces of this many.
constexpr size_t OfxChunkTransactions = 2000;

// A complete OFX 1 document holding the transactions [from, to) of the scan, all of
// one account, for the library to read. Each transaction's FITID is its number from
// `from`, so that what the library reports is matched back without doubt; the texts
// are in UTF-8, cut to the lengths the library keeps.
QByteArray OfxChunk(const TOfxScan& scan, size_t from, size_t to);
