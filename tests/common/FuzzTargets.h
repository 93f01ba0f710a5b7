#pragma once

#include <QByteArray>
#include <QStringList>

// The bodies of the fuzz targets. The libFuzzer programs under fuzz/ call them with
// generated inputs; the reliability tests call them with the kept inputs under
// tests/fuzz/, so a case that once failed is tried by every test run. Each one aborts
// when the code under test breaks one of its promises (a crash does that by itself).
namespace Fuzz {

// Called once before the first input: the application object, the locale, a scratch
// database and data module for the targets that need one.
void Init(int* argc, char*** argv);

// The amount parser: a value that parses writes back to a text that parses to it; a
// text parses exactly when it is a plain decimal number of the locale.
void Amount(const QByteArray& input);
// The format step: any pattern with any arguments either formats or is refused with
// the program's error; text put into SQL stays one string literal with its content.
void SqlFormat(const QByteArray& input);
// The dialect layer: any statement text translates without failing, and a string
// literal in it comes out untouched.
void Dialect(const QByteArray& input);
// The text, web page and spreadsheet writers fed a grid of random columns, rows and
// values: each writes, the spreadsheet's records are well formed.
void GridWriters(const QByteArray& input);
// The help file's contents and index reading and its context-number lookup, fed
// random bytes.
void HelpLookup(const QByteArray& input);

// The statement readers fed any bytes: a CSV file's records read back the same when
// written again quoted; every line of a CSV, QIF or OFX statement either says why it
// cannot be read or has a date and an amount within the money limits; what the OFX
// library is handed is always a whole document.
void Csv(const QByteArray& input);
void Qif(const QByteArray& input);
void Ofx(const QByteArray& input);

// The names above, as the fuzz programs and the kept-input folders are named.
QStringList Targets();
void Run(const QString& target, const QByteArray& input);

} // namespace Fuzz
