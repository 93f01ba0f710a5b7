#include "data/UtQuery.h"

#include "data/Errors.h"
#include "data/SqlDialect.h"
#include "data/SqlLike.h"
#include "data/UtFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <sqlite3.h>

namespace {

EDatabaseError engineError(sqlite3* db) {
    return EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db) & 0xFF);
}

// Binds a value exactly as given.
void bindValue(sqlite3_stmt* stmt, int index, const QVariant& v) {
    int rc = SQLITE_OK;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, index, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob64(stmt, index, b.constData(), sqlite3_uint64(b.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray s = v.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, index, s.constData(), sqlite3_uint64(s.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw engineError(sqlite3_db_handle(stmt));
}

// Finalizes a statement on every way out.
struct StmtGuard {
    sqlite3_stmt* s;
    ~StmtGuard() { sqlite3_finalize(s); }
};

} // namespace

// ---------------------------------------------------------------- TConnection

int TConnection::DefaultBusyTimeoutMs = 5000;

TConnection::~TConnection() {
    Close();
}

void TConnection::Open(const QString& path) {
    Close();
    m_openError.clear();
    m_path = QFileInfo(path).absoluteFilePath();
    sqlite3* db = nullptr;
    // Without SQLITE_OPEN_CREATE a missing file is an error, never a new empty database.
    const int rc =
        sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        m_openError = QStringLiteral("Cannot open the database \"%1\": %2").arg(m_path, reason);
        throw EDatabaseError(m_openError, rc & 0xFF);
    }
    // A commit is on the disk when it returns: the rollback journal is synced before the
    // file is written, and the file before the journal goes (synchronous FULL). The file
    // stays a single file at rest, with no write-ahead log beside it to be left behind
    // when it is copied. A file switched to WAL elsewhere is put back when nothing else
    // has it open; otherwise it stays in WAL, which FULL keeps just as durable. Neither
    // waits for a lock: start-up says what to do about one.
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, DefaultBusyTimeoutMs);
    RegisterLike(db);
    m_db = db;
    m_factsVersion = -1;
}

void TConnection::Close() {
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void TConnection::Fail(const QString& reason) {
    Close();
    m_openError = reason;
}

bool TConnection::ReadOnly() const {
    if (!m_db)
        return false;
    return sqlite3_db_readonly(m_db, "main") == 1 ||
           !QFileInfo(QFileInfo(m_path).absolutePath()).isWritable();
}

sqlite3* TConnection::Handle() const {
    if (!m_db && !m_openError.isEmpty())
        throw EDatabaseError(m_openError);
    if (!m_db)
        throw EDatabaseError(m_path.isEmpty()
                                 ? QStringLiteral("The database is not open")
                                 : QStringLiteral("The database \"%1\" is not open").arg(m_path));
    return m_db;
}

QString TConnection::Translate(const QString& jetSql) {
    sqlite3* db = Handle();
    // Only the union rule asks about the tables; their facts are read again whenever
    // the file's schema has changed.
    if (jetSql.contains(QLatin1String("union"), Qt::CaseInsensitive)) {
        sqlite3_stmt* st = nullptr;
        int version = -1;
        if (sqlite3_prepare_v2(db, "pragma schema_version", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            version = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        if (version < 0 || version != m_factsVersion) {
            m_facts = ReadSchemaFacts(db);
            m_factsVersion = version;
        }
        return TranslateSql(jetSql, m_facts);
    }
    return TranslateSql(jetSql);
}

int TConnection::Execute(const QString& sql) {
    sqlite3* db = Handle();
    const QByteArray text = Translate(sql).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        throw engineError(db);
    StmtGuard guard{stmt};
    if (!stmt)
        return 0;
    if (sqlite3_bind_parameter_count(stmt) > 0)
        throw EDatabaseError(QStringLiteral("No value given for one or more required parameters."));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw engineError(db);
    return sqlite3_changes(db);
}

// The write lock is taken at once: what a save reads inside its transaction is then what
// it writes over, whatever another copy of the program does meanwhile.
void TConnection::BeginTrans() {
    Execute(QStringLiteral("BEGIN IMMEDIATE"));
}
void TConnection::CommitTrans() {
    Execute(QStringLiteral("COMMIT"));
}
void TConnection::RollbackTrans() {
    if (InTransaction())
        Execute(QStringLiteral("ROLLBACK"));
}
bool TConnection::InTransaction() const {
    return m_db && !sqlite3_get_autocommit(m_db);
}

// --------------------------------------------------------------------- TTransactionGuard

TTransactionGuard::TTransactionGuard(TConnection& conn) : m_conn(conn) {
    m_conn.BeginTrans();
}

TTransactionGuard::~TTransactionGuard() {
    if (!m_open)
        return;
    try {
        m_conn.RollbackTrans();
    } catch (...) {
        // The engine may already have ended the transaction itself; nothing is left to undo.
    }
}

void TTransactionGuard::Commit() {
    m_conn.CommitTrans();
    m_open = false;
}

void TTransactionGuard::Rollback() {
    m_open = false;
    m_conn.RollbackTrans();
}

// --------------------------------------------------------------------- TField

QString TField::FieldName() const {
    return m_q->FieldName(m_index);
}

QVariant TField::Value() const {
    return m_q->currentValue(m_index);
}

QString TField::AsString() const {
    const QVariant v = Value();
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

int TField::AsInteger() const {
    return int(AsLargeInt());
}

qint64 TField::AsLargeInt() const {
    const QVariant v = Value();
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 r = v.toLongLong(&ok);
    if (!ok && v.typeId() == QMetaType::Double)
        return qint64(v.toDouble());
    if (!ok)
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return r;
}

bool TField::AsBoolean() const {
    const QVariant v = Value();
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == QLatin1String("true") || s == QLatin1String("yes") || (s.toLongLong() != 0);
    }
    return v.toDouble() != 0;
}

Money TField::AsMoney() const {
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return Money();
    // A stored value beyond the money range reads as its nearest end: the row still
    // shows, instead of failing every panel and total that reads it.
    case QMetaType::Double:
        return Money::fromStored(v.toDouble());
    case QMetaType::LongLong:
    case QMetaType::Int: {
        qint64 raw;
        if (__builtin_mul_overflow(v.toLongLong(), Money::Scale, &raw))
            return Money::fromStored(v.toDouble());
        return Money::fromRaw(raw);
    }
    default: {
        if (v.isNull())
            return Money();
        if (auto m = Money::parse(v.toString(), QLocale::c()))
            return *m;
        throw EDatabaseError(QStringLiteral("'%1' is not a valid money value").arg(v.toString()));
    }
    }
}

QDateTime TField::AsDateTime() const {
    const QVariant v = Value();
    if (v.isNull())
        return QDateTime();
    const QString s = v.toString();
    QDateTime dt = QDateTime::fromString(s, StoredDateTimeFormat);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(s, StoredDateFormat), QTime(0, 0));
    if (!dt.isValid())
        throw EDatabaseError(QStringLiteral("'%1' is not a valid date and time").arg(s));
    return dt;
}

void TField::SetValue(const QVariant& v) const {
    m_q->setBufferValue(m_index, v);
}
void TField::SetMoney(Money m) const {
    m_q->setBufferValue(m_index, m.toDouble());
}
void TField::SetDateTime(const QDateTime& dt) const {
    m_q->setBufferValue(m_index, dt.toString(StoredDateTimeFormat));
}

// --------------------------------------------------------------------- TQuery

TConnection* TQuery::conn() const {
    if (!Connection)
        throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    return Connection;
}

void TQuery::SetParam(const QString& name, const QVariant& value) {
    const QString key = name.startsWith(u':') ? name.mid(1) : name;
    for (Param& p : m_params)
        if (p.name.compare(key, Qt::CaseInsensitive) == 0) {
            p.value = value;
            return;
        }
    m_params.push_back({key, value});
}

sqlite3_stmt* TQuery::prepare(const QString& sql) {
    sqlite3* db = conn()->Handle();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK)
        throw engineError(db);
    if (!stmt)
        throw EDatabaseError(QStringLiteral("The statement is empty"));
    if (tail && QByteArray(tail).trimmed().replace(';', "").trimmed().size() > 0) {
        sqlite3_finalize(stmt);
        throw EDatabaseError(QStringLiteral("Characters found after end of SQL statement."));
    }
    return stmt;
}

void TQuery::bindParams(sqlite3_stmt* stmt) {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt, i);
        const QString name = raw ? QString::fromUtf8(raw + 1) : QString();
        auto it = std::find_if(m_params.begin(), m_params.end(), [&](const Param& p) {
            return p.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it == m_params.end())
            throw EDatabaseError(
                QStringLiteral("No value given for one or more required parameters."));
        bindValue(stmt, i, TranslateParam(it->value));
    }
}

void TQuery::Open() {
    openImpl(false);
}
void TQuery::OpenForUpdate() {
    openImpl(true);
}

void TQuery::openImpl(bool forUpdate) {
    Close();
    QString sql = conn()->Translate(Text());
    if (forUpdate) {
        static const QRegularExpression shape(
            QStringLiteral("^\\s*select\\s+(?!distinct\\b)(.*?)\\s+from\\s+\\[?(\\w+)\\]?\\s*("
                           "where\\b.*|limit\\b.*|;?\\s*)$"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption);
        const auto m = shape.match(sql);
        if (!m.hasMatch())
            throw EDatabaseError(QStringLiteral("The result of this statement cannot be updated"));
        m_table = m.captured(2);
        sql.insert(m.capturedStart(1), QStringLiteral("rowid AS [__rowid__], "));
    }
    sqlite3_stmt* stmt = prepare(sql);
    StmtGuard guard{stmt};
    bindParams(stmt);

    const int first = forUpdate ? 1 : 0;
    const int columns = sqlite3_column_count(stmt) - first;
    std::vector<QString> names, declTypes;
    for (int c = 0; c < columns; ++c) {
        names.push_back(QString::fromUtf8(sqlite3_column_name(stmt, c + first)));
        const char* decl = sqlite3_column_decltype(stmt, c + first);
        declTypes.push_back(decl ? QString::fromUtf8(decl) : QString());
    }
    TResultStore rows(columns);
    std::vector<qint64> rowids;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (forUpdate)
            rowids.push_back(sqlite3_column_int64(stmt, 0));
        rows.AppendRow(stmt, first);
    }
    if (rc != SQLITE_DONE)
        throw engineError(conn()->Handle());

    m_names = std::move(names);
    m_declTypes = std::move(declTypes);
    m_rows = std::move(rows);
    m_rowids = std::move(rowids);
    m_order.resize(size_t(m_rows.RowCount()));
    for (int r = 0; r < m_rows.RowCount(); ++r)
        m_order[size_t(r)] = r;
    m_pos = 0;
    m_state = State::Browse;
}

void TQuery::Close() {
    m_state = State::Inactive;
    m_names.clear();
    m_declTypes.clear();
    m_rows = TResultStore();
    m_rowids.clear();
    m_order.clear();
    m_order.shrink_to_fit();
    m_pos = 0;
    m_sort.clear();
    m_table.clear();
    m_buffer.clear();
    m_touched.clear();
}

int TQuery::ExecSQL() {
    Close();
    sqlite3_stmt* stmt = prepare(conn()->Translate(Text()));
    StmtGuard guard{stmt};
    bindParams(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw engineError(conn()->Handle());
    return sqlite3_changes(conn()->Handle());
}

int TQuery::FindFieldIndex(const QString& name) const {
    for (size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

TField TQuery::FieldByName(const QString& name) {
    const int i = FindFieldIndex(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return TField(this, i);
}

bool TQuery::FieldIsLongText(int index) const {
    const QString t = m_declTypes.at(size_t(index)).toUpper();
    return t.contains(QLatin1String("LONGTEXT")) || t.contains(QLatin1String("MEMO")) ||
           t.contains(QLatin1String("LONGCHAR"));
}

void TQuery::SetRecNo(int recNo) {
    if (recNo >= 1 && recNo <= RecordCount())
        m_pos = recNo - 1;
}

QVariant TQuery::ValueAt(int row, int column) const {
    return m_rows.Value(m_order[size_t(row)], column);
}

QVariant TQuery::currentValue(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Field index out of range"));
    if (m_state == State::Insert || m_state == State::Edit)
        return m_buffer[size_t(index)];
    if (m_state == State::Inactive || Eof())
        return QVariant();
    return ValueAt(m_pos, index);
}

void TQuery::SetSort(const QString& sort) {
    const QStringList parts = sort.simplified().split(u' ', Qt::SkipEmptyParts);
    const int rows = int(m_order.size());
    for (int r = 0; r < rows; ++r)
        m_order[size_t(r)] = r;
    m_sort = sort;
    m_pos = 0;
    if (parts.isEmpty())
        return;
    QString field = parts.first();
    if (field.startsWith(u'[') && field.endsWith(u']'))
        field = field.mid(1, field.size() - 2);
    const int col = FindFieldIndex(field);
    if (col < 0) {
        m_sort.clear();
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(field));
    }
    const bool desc =
        parts.size() > 1 && parts.at(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    m_order = m_rows.SortedRows(col, desc);
}

void TQuery::Append() {
    if (m_state != State::Browse || m_table.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    m_buffer.assign(m_names.size(), QVariant());
    m_touched.assign(m_names.size(), false);
    m_state = State::Insert;
}

void TQuery::Edit() {
    if (m_state != State::Browse || m_table.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (Eof())
        throw EDatabaseError(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    m_buffer.clear();
    for (int c = 0; c < FieldCount(); ++c)
        m_buffer.push_back(ValueAt(m_pos, c));
    m_touched.assign(m_names.size(), false);
    m_state = State::Edit;
}

void TQuery::setBufferValue(int index, const QVariant& v) {
    if (m_state != State::Insert && m_state != State::Edit)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    m_buffer[size_t(index)] = v;
    m_touched[size_t(index)] = true;
}

void TQuery::Post() {
    if (m_state != State::Insert && m_state != State::Edit)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    std::vector<int> cols;
    for (int c = 0; c < FieldCount(); ++c)
        if (m_touched[size_t(c)])
            cols.push_back(c);
    sqlite3* db = conn()->Handle();
    QString sql;
    if (m_state == State::Insert) {
        if (cols.empty()) {
            sql = QStringLiteral("INSERT INTO [%1] DEFAULT VALUES").arg(m_table);
        } else {
            QStringList names, marks;
            for (int c : cols) {
                names << QLatin1Char('[') + m_names[size_t(c)] + QLatin1Char(']');
                marks << QStringLiteral("?");
            }
            sql =
                QStringLiteral("INSERT INTO [%1] (%2) VALUES (%3)")
                    .arg(m_table, names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
        }
    } else {
        if (cols.empty()) {
            m_state = State::Browse;
            return;
        }
        QStringList sets;
        for (int c : cols)
            sets << QLatin1Char('[') + m_names[size_t(c)] + QStringLiteral("] = ?");
        sql = QStringLiteral("UPDATE [%1] SET %2 WHERE rowid = ?")
                  .arg(m_table, sets.join(QLatin1String(", ")));
    }
    sqlite3_stmt* stmt = prepare(sql);
    StmtGuard guard{stmt};
    int i = 1;
    for (int c : cols)
        bindValue(stmt, i++, m_buffer[size_t(c)]);
    if (m_state == State::Edit)
        sqlite3_bind_int64(stmt, i, m_rowids[size_t(m_order[size_t(m_pos)])]);
    if (sqlite3_step(stmt) != SQLITE_DONE)
        throw engineError(db);

    if (m_state == State::Insert) {
        m_rows.AppendRow(m_buffer);
        m_rowids.push_back(sqlite3_last_insert_rowid(db));
        m_order.push_back(m_rows.RowCount() - 1);
        m_pos = int(m_order.size()) - 1;
    } else {
        const int row = m_order[size_t(m_pos)];
        for (int c : cols)
            m_rows.SetValue(row, c, m_buffer[size_t(c)]);
    }
    m_buffer.clear();
    m_state = State::Browse;
}
