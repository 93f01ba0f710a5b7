#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

struct sqlite3;

// What the union rule below needs to know of one table of the open database.
struct TTableFacts {
    QString primaryKey; // its INTEGER PRIMARY KEY column, lower case; empty when none
    // Lower-case column -> the only values a CHECK (column IN (...)) lets it hold.
    QHash<QString, QSet<qint64>> checkedValues;
    QSet<QString> notNull; // lower-case columns declared NOT NULL
};
using TSchemaFacts = QHash<QString, TTableFacts>; // lower-case table name -> its facts

// Reads the facts from the database itself (sqlite_master and pragma table_info), so
// that a file made by an older build is judged by what it really holds.
TSchemaFacts ReadSchemaFacts(sqlite3* db);

// The windows write their statements in the Jet dialect of the original program.
// This turns such a statement into SQLite's, working on tokens so that nothing inside
// a string literal is ever touched. The rewrites, in the order they are made:
//   date literals      #2024-01-05#                    -> '2024-01-05 00:00:00'
//   names after a dot  A.from, A.For                   -> A.[from], A.[For]
//   list aliases       select a*2 as x, x+1 as y       -> select a*2 as x, (a*2)+1 as y
//                      (Jet lets a select list use an alias given earlier in it)
//   result names       select A.Amount from ...        -> select A.Amount AS [Amount] from ...
//                      (a column is named as the list writes it, for any number of items)
//   DateValue          where DateValue(d) = #...#      -> where datetime(d, 'start of day') = '...'
//                      select DateValue(d) as Date1    -> select date(d) as Date1
//                      (midnight in the stored form wherever it is compared; a result
//                      column of the statement gives the date alone, as the lists show it)
//   top                select top 2 a from t           -> select a from t limit 2
//                      select top 2 a from t union ... -> select * from (select a from t limit 2)
//                      union ...
//   disjoint unions    ... union ...                   -> ... union all ...
//                      (only where no row can come from two branches, judged by `facts`)
QString TranslateSql(const QString& jetSql, const TSchemaFacts& facts = {});

// Jet reads a text parameter that holds a bare yyyy-MM-dd date as that date at
// midnight when it meets a date column; the stored form of midnight is returned for
// such text, any other value comes back unchanged. For statement parameters only:
// values written through an updatable result are stored exactly as given.
QVariant TranslateParam(const QVariant& value);
