#pragma once

#include "import/Statement.h"

#include <QByteArray>
#include <QString>

// OFX and QFX statements (OFX 1 in SGML, OFX 2 in XML; bank and credit card): the file
// is checked and its dates, amounts and ids read by the program's own scan, and each
// transaction's name and memo read by libofx. EStatementUnreadable, naming the file,
// when it is no statement the program can read.
TStatement ReadOfx(const QByteArray& bytes, const QString& fileName,
                   const TProgress& progress = {});
