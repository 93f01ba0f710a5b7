#include "data/Prepared.h"

#include "data/Errors.h"
#include "data/UtQuery.h"

#include <QDate>
#include <sqlite3.h>

namespace {
[[noreturn]] void fail(sqlite3* db) {
    throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db) & 0xFF);
}
} // namespace

TPrepared::TPrepared(TConnection& conn, const char* sql) {
    sqlite3* db = conn.Handle();
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK)
        fail(db);
}

TPrepared::~TPrepared() {
    sqlite3_finalize(m_stmt);
}

TPrepared& TPrepared::Bind(int index, qint64 value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        fail(sqlite3_db_handle(m_stmt));
    return *this;
}

TPrepared& TPrepared::Bind(int index, const QString& value) {
    const QByteArray s = value.toUtf8();
    if (sqlite3_bind_text64(m_stmt, index, s.constData(), sqlite3_uint64(s.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK)
        fail(sqlite3_db_handle(m_stmt));
    return *this;
}

TPrepared& TPrepared::Bind(int index, Money value) {
    // The engine keeps money as REAL; the schema's triggers round it to four decimals.
    if (sqlite3_bind_double(m_stmt, index, value.toDouble()) != SQLITE_OK)
        fail(sqlite3_db_handle(m_stmt));
    return *this;
}

TPrepared& TPrepared::BindNull(int index) {
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        fail(sqlite3_db_handle(m_stmt));
    return *this;
}

namespace {
// Ends a run: the statement is reset, and a failed step is thrown with its message,
// read before the reset can take it away.
void finish(sqlite3_stmt* stmt, int rc) {
    if (rc != SQLITE_DONE) {
        const EDatabaseError error(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt))),
                                   rc & 0xFF);
        sqlite3_reset(stmt);
        throw error;
    }
    sqlite3_reset(stmt);
}
} // namespace

bool TPrepared::Next() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    finish(m_stmt, rc);
    return false;
}

int TPrepared::Run() {
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    finish(m_stmt, rc);
    return sqlite3_changes(sqlite3_db_handle(m_stmt));
}

void TPrepared::Reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

qint64 TPrepared::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString TPrepared::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

Money TPrepared::Amount(int column) const {
    return Money::fromStored(sqlite3_column_double(m_stmt, column));
}

qint64 TPrepared::JulianDay(int column) const {
    const auto* t = sqlite3_column_text(m_stmt, column);
    if (!t || sqlite3_column_bytes(m_stmt, column) < 10 || t[4] != '-' || t[7] != '-')
        return 0;
    int parts[3] = {0, 0, 0};
    const int from[3] = {0, 5, 8}, length[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < length[p]; ++i) {
            const unsigned char c = t[from[p] + i];
            if (c < '0' || c > '9')
                return 0;
            parts[p] = parts[p] * 10 + (c - '0');
        }
    const QDate day(parts[0], parts[1], parts[2]);
    return day.isValid() ? day.toJulianDay() : 0;
}

bool TPrepared::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 TPrepared::LastInsertId() const {
    return sqlite3_last_insert_rowid(sqlite3_db_handle(m_stmt));
}
