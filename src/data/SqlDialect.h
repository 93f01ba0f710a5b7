#pragma once

#include <QString>
#include <QVariant>

// The windows write their statements in the Jet dialect of the original program.
// This turns such a statement into SQLite's, working on tokens so that nothing inside
// a string literal is ever touched:
//   #yyyy-MM-dd#           -> 'yyyy-MM-dd 00:00:00' (dates are stored as that text)
//   select top N ...       -> select ... limit N
//   DateValue(x)           -> date(x)
//   A.from, A.For          -> A.[from], A.[For] (any name after a dot is bracketed)
//   an alias used later in the same select list (Jet allows it, SQLite does not)
//                          -> the aliased expression, in parentheses
QString TranslateSql(const QString& jetSql);

// Jet reads a text parameter that holds a bare yyyy-MM-dd date as that date at
// midnight when it meets a date column; the stored form of midnight is returned for
// such text, any other value comes back unchanged.
QVariant TranslateParam(const QVariant& value);
