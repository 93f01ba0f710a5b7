#pragma once

#include "import/Statement.h"

#include <QByteArray>
#include <QString>

// A statement file as read from the disk, with its format told from its content.
struct TStatementFile {
    QString FileName;
    QByteArray Bytes;
    StatementFormat Format = StatementFormat::Csv;
    QString Text; // the decoded text of a CSV or QIF file
};

// Statements run to a few megabytes; a file far beyond that is no statement, and
// reading it whole would take the memory from everything else.
constexpr qint64 MaxStatementBytes = 64 * 1024 * 1024;

// Reads the file whole and tells its format: OFX or QFX by its header, QIF by its
// first "!Type:" or "!Account" line, otherwise CSV. EStatementUnreadable, naming
// the file, when it cannot be read, is empty, too large or binary.
TStatementFile OpenStatementFile(const QString& path);
// The same for bytes already in memory.
TStatementFile StatementFromBytes(const QByteArray& bytes, const QString& fileName);
