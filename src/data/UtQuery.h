#pragma once

#include "data/Money.h"
#include "data/ResultStore.h"
#include "data/SqlDialect.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class TQuery;

// The one connection to Data.mdb, driven through SQLite's C API.
class TConnection {
public:
    // How long a statement waits for a lock another program holds before it fails.
    static int DefaultBusyTimeoutMs;

    TConnection() = default;
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // Opens an existing database file read-write (read-only when the file cannot be
    // written); never creates one. Throws EDatabaseError with the engine's reason and
    // the file's full path. A file that is not a database shows itself at the first
    // statement.
    void Open(const QString& path);
    void Close();
    // Closes the connection and has every later statement fail with `reason`: for a
    // file that opened but cannot serve as the program's database.
    void Fail(const QString& reason);
    QString FileName() const { return m_path; }
    // The file, or the folder its journal goes to, cannot be written.
    bool ReadOnly() const;
    sqlite3* Handle() const; // throws when not connected

    // Runs a Jet-dialect statement that returns no rows; the number of rows changed.
    int Execute(const QString& sql);
    // A Jet-dialect statement in SQLite's dialect, judged by this database's own tables.
    QString Translate(const QString& jetSql);

    // A save takes the write lock as it begins, so that what it reads inside the
    // transaction stays as read until it commits; another program's lock is waited
    // for up to the busy timeout.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    QString ConnectionString;

private:
    QString m_path;
    QString m_openError; // why the last Open failed: every later statement says the same
    sqlite3* m_db = nullptr;
    TSchemaFacts m_facts;
    int m_factsVersion = -1;
};

// One transaction on a connection for as long as the guard lives: the write lock is taken
// when it is made (BEGIN IMMEDIATE), and whatever was not committed when it goes is rolled
// back, however the scope is left.
class TTransactionGuard {
public:
    explicit TTransactionGuard(TConnection& conn);
    ~TTransactionGuard();
    TTransactionGuard(const TTransactionGuard&) = delete;
    TTransactionGuard& operator=(const TTransactionGuard&) = delete;

    void Commit();
    // Rolls back now rather than at the end of the scope; a failure here is thrown.
    void Rollback();

private:
    TConnection& m_conn;
    bool m_open = true;
};

// A field of the current row (or of the row being appended or edited) of a query.
class TField {
public:
    TField(TQuery* q, int index) : m_q(q), m_index(index) {}
    QString FieldName() const;
    QVariant Value() const;
    bool IsNull() const { return Value().isNull(); }
    QString AsString() const;
    int AsInteger() const;
    qint64 AsLargeInt() const;
    bool AsBoolean() const;
    Money AsMoney() const;
    QDateTime AsDateTime() const;
    // Only while the query is appending or editing a row.
    void SetValue(const QVariant& v) const;
    void SetMoney(Money m) const;
    void SetDateTime(const QDateTime& dt) const;

private:
    TQuery* m_q;
    int m_index;
};

// The stand-in for the program's query objects: statement lines, named parameters,
// opening for rows (all fetched into memory, fields by name without regard to case,
// a cursor, an in-memory sort order), execution for a row count, and an updatable
// one-row result (append or edit, set fields, post).
class TQuery {
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit TQuery(TConnection* connection = nullptr) : Connection(connection) {}

    TConnection* Connection = nullptr;

    // Statement text, kept as lines joined with line breaks.
    QStringList SQL;
    QString Text() const { return SQL.join(QLatin1Char('\n')); }

    // Named parameters (":a" in the text is set with SetParam("a", ...)).
    void SetParam(const QString& name, const QVariant& value);
    void ClearParams() { m_params.clear(); }

    void Open();
    // Opens a result the program worked out itself, for a grid to show: these field
    // names and rows (each row one value a field). Read only; sorts like any other.
    void OpenValues(const QStringList& names, const std::vector<std::vector<QVariant>>& rows);
    // Opens a single-table select so that its row can be edited, or a row appended.
    void OpenForUpdate();
    void Close();
    int ExecSQL();
    bool Active() const { return m_state != State::Inactive; }

    // Result shape.
    int FieldCount() const { return int(m_names.size()); }
    int FindFieldIndex(const QString& name) const; // -1 when absent
    TField FieldByName(const QString& name);       // throws when absent
    TField Field(int index) { return TField(this, index); }
    QString FieldName(int index) const { return m_names.at(index); }
    QString FieldDeclType(int index) const { return m_declTypes.at(index); }
    // Long text (memo) columns cannot be sorted on.
    bool FieldIsLongText(int index) const;

    // Rows and cursor; positions follow the current sort order.
    int RecordCount() const { return int(m_order.size()); }
    int RecNo() const { return m_order.empty() ? -1 : m_pos + 1; } // 1-based, -1 for none
    void SetRecNo(int recNo);
    void First() { m_pos = 0; }
    void Next() {
        if (m_pos < RecordCount())
            ++m_pos;
    }
    bool Eof() const { return m_pos >= RecordCount(); }

    // The value at a row position (in sort order) and column, without moving the cursor.
    QVariant ValueAt(int row, int column) const;

    // "Field" or "Field DESC"; an empty text returns the rows to the statement's order.
    void SetSort(const QString& sort);
    QString Sort() const { return m_sort; }

    // Updatable result.
    void Append();
    void Edit();
    void Post();

private:
    friend class TField;
    void openImpl(bool forUpdate);
    sqlite3_stmt* prepare(const QString& sql);
    void bindParams(sqlite3_stmt* stmt);
    QVariant currentValue(int index) const;
    void setBufferValue(int index, const QVariant& v);
    TConnection* conn() const;

    struct Param {
        QString name;
        QVariant value;
    };
    std::vector<Param> m_params;
    State m_state = State::Inactive;
    std::vector<QString> m_names;
    std::vector<QString> m_declTypes;
    TResultStore m_rows;          // statement order
    std::vector<qint64> m_rowids; // per row, only for an updatable result
    std::vector<int> m_order;     // display position -> statement row
    int m_pos = 0;
    QString m_sort;
    QString m_table;                // the updatable result's table
    std::vector<QVariant> m_buffer; // the row being appended or edited
    std::vector<bool> m_touched;
};
