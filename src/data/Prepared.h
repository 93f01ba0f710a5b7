#pragma once

#include "data/Money.h"

#include <QString>

struct sqlite3_stmt;
class TConnection;

// A statement prepared once and run many times with new values, written in SQLite's own
// dialect: for the long runs of one insert or lookup (an imported statement's lines),
// where translating and preparing the text for every row would cost more than the row.
// Failures throw EDatabaseError with the engine's own message.
class TPrepared {
public:
    TPrepared(TConnection& conn, const char* sql);
    ~TPrepared();
    TPrepared(const TPrepared&) = delete;
    TPrepared& operator=(const TPrepared&) = delete;

    // Values for the parameters, counted from 1.
    TPrepared& Bind(int index, qint64 value);
    TPrepared& Bind(int index, int value) { return Bind(index, qint64(value)); }
    TPrepared& Bind(int index, const QString& value);
    TPrepared& Bind(int index, Money value);
    TPrepared& BindNull(int index);

    // The next row; false when there are no more. The statement is reset for the next run
    // once it is done.
    bool Next();
    // Runs a statement that returns no rows; the rows it changed.
    int Run();
    void Reset();

    qint64 Int(int column) const;
    QString Text(int column) const;
    Money Amount(int column) const; // a stored money value, to the nearest ten-thousandth
    // The day of a stored date ("yyyy-MM-dd HH:mm:ss") as a Julian day number; 0 when the
    // text is no such date. Read without making a text of it.
    qint64 JulianDay(int column) const;
    bool IsNull(int column) const;
    qint64 LastInsertId() const;

private:
    sqlite3_stmt* m_stmt = nullptr;
};
