#include "data/UtQuery.h"

#include "data/Errors.h"
#include "data/SqlDialect.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <sqlite3.h>

namespace {

const QVariant& nullVariant()
{
    static const QVariant v;
    return v;
}

QString engineMessage(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& raw)
{
    const QVariant v = TranslateParam(raw);
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
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        default: {
            const QString s = v.toString();
            rc = sqlite3_bind_text16(stmt, index, s.utf16(), int(s.size() * sizeof(QChar)),
                                     SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw EDatabaseError(engineMessage(sqlite3_db_handle(stmt)));
}

QVariant columnValue(sqlite3_stmt* stmt, int c)
{
    switch (sqlite3_column_type(stmt, c)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, c)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, c));
    case SQLITE_TEXT: {
        const auto* p = static_cast<const QChar*>(sqlite3_column_text16(stmt, c));
        const int bytes = sqlite3_column_bytes16(stmt, c);
        return QVariant(QString(p, bytes / int(sizeof(QChar))));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, c));
        return QVariant(QByteArray(p, sqlite3_column_bytes(stmt, c)));
    }
    default:
        return QVariant();
    }
}

// Lists repeat a few texts over thousands of rows (the kind, the account's name, the
// day, the usual payees). Each column keeps the texts it met lately, and a row whose
// text is one of them shares that copy instead of holding its own: less to allocate
// while fetching, less memory while the list is shown. A column whose texts hardly
// repeat (the full date and time) soon stops looking.
class TextPool {
public:
    QVariant take(const char* p, int n)
    {
        if (!m_enabled)
            return QVariant(QString::fromUtf8(p, n));
        ++m_lookups;
        const size_t count = m_entries.size();
        for (size_t k = 0; k < count; ++k) {
            Entry& e = m_entries[(m_last + k) % count];
            if (e.utf8.size() == size_t(n) && std::memcmp(e.utf8.data(), p, size_t(n)) == 0) {
                ++m_hits;
                m_last = (m_last + k) % count;
                return e.value;
            }
        }
        QVariant v(QString::fromUtf8(p, n));
        if (count < kSize) {
            m_entries.push_back({std::string(p, size_t(n)), v});
            m_last = count;
        } else {
            m_next = (m_next + 1) % kSize;
            m_entries[m_next] = {std::string(p, size_t(n)), v};
            m_last = m_next;
        }
        if (m_lookups == kTrial && m_hits * 4 < m_lookups) {
            m_enabled = false;
            m_entries.clear();
        }
        return v;
    }

private:
    static constexpr size_t kSize = 32;
    static constexpr int kTrial = 512;
    struct Entry {
        std::string utf8;
        QVariant value;
    };
    std::vector<Entry> m_entries;
    size_t m_last = 0, m_next = 0;
    int m_lookups = 0, m_hits = 0;
    bool m_enabled = true;
};

QVariant columnValue(sqlite3_stmt* stmt, int c, TextPool& pool)
{
    if (sqlite3_column_type(stmt, c) != SQLITE_TEXT)
        return columnValue(stmt, c);
    // Read as UTF-8, SQLite's own form: asking for UTF-16 would convert into a buffer
    // of SQLite's and then copy.
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
    return pool.take(p, sqlite3_column_bytes(stmt, c));
}

// Finalizes a statement on every way out.
struct StmtGuard {
    sqlite3_stmt* s;
    ~StmtGuard() { sqlite3_finalize(s); }
};

int connectionCounter = 0;

} // namespace

// ---------------------------------------------------------------- TConnection

TConnection::TConnection() : m_connName(QStringLiteral("budget-%1").arg(++connectionCounter)) {}

TConnection::~TConnection() { Close(); }

void TConnection::Open(const QString& path)
{
    try {
        m_openError.clear();
        openFile(path);
    } catch (const EDatabaseError& e) {
        m_openError = e.message();
        throw;
    }
}

void TConnection::openFile(const QString& path)
{
    Close();
    m_path = QFileInfo(path).absoluteFilePath();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connName);
        // mode=rw: a missing file is an error, never a new empty database.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
        db.setDatabaseName(QUrl::fromLocalFile(m_path).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?mode=rw"));
        if (!db.open()) {
            const QString reason = db.lastError().driverText().isEmpty()
                                       ? db.lastError().text()
                                       : db.lastError().databaseText();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connName);
            throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2")
                                     .arg(m_path, reason.isEmpty() ? db.lastError().text() : reason));
        }
        const QVariant h = db.driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            m_db = *static_cast<sqlite3* const*>(h.constData());
    }
    if (!m_db) {
        Close();
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": no engine handle").arg(m_path));
    }
    // A file that is not a database only shows itself at the first read.
    char* err = nullptr;
    if (sqlite3_exec(m_db, "select count(*) from sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        const QString reason = err ? QString::fromUtf8(err) : engineMessage(m_db);
        sqlite3_free(err);
        Close();
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2").arg(m_path, reason));
    }
}

void TConnection::Close()
{
    if (!QSqlDatabase::contains(m_connName))
        return;
    m_db = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connName);
}

sqlite3* TConnection::Handle() const
{
    if (!m_db && !m_openError.isEmpty())
        throw EDatabaseError(m_openError);
    if (!m_db)
        throw EDatabaseError(m_path.isEmpty()
                                 ? QStringLiteral("The database is not open")
                                 : QStringLiteral("The database \"%1\" is not open").arg(m_path));
    return m_db;
}

int TConnection::Execute(const QString& sql)
{
    sqlite3* db = Handle();
    const QByteArray text = TranslateSql(sql).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        throw EDatabaseError(engineMessage(db));
    StmtGuard guard{stmt};
    if (!stmt)
        return 0;
    if (sqlite3_bind_parameter_count(stmt) > 0)
        throw EDatabaseError(QStringLiteral("No value given for one or more required parameters."));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(engineMessage(db));
    return sqlite3_changes(db);
}

// The write lock is taken at once: what a save reads inside its transaction is then what
// it writes over, whatever another copy of the program does meanwhile.
void TConnection::BeginTrans() {
    Execute(QStringLiteral("BEGIN IMMEDIATE"));
}
void TConnection::CommitTrans() { Execute(QStringLiteral("COMMIT")); }
void TConnection::RollbackTrans()
{
    if (InTransaction())
        Execute(QStringLiteral("ROLLBACK"));
}
bool TConnection::InTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

// --------------------------------------------------------------------- TField

QString TField::FieldName() const { return m_q->FieldName(m_index); }

QVariant TField::Value() const { return m_q->currentValue(m_index); }

QString TField::AsString() const
{
    const QVariant v = Value();
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

int TField::AsInteger() const { return int(AsLargeInt()); }

qint64 TField::AsLargeInt() const
{
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

bool TField::AsBoolean() const
{
    const QVariant v = Value();
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == QLatin1String("true") || s == QLatin1String("yes") || (s.toLongLong() != 0);
    }
    return v.toDouble() != 0;
}

Money TField::AsMoney() const
{
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

QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    if (v.isNull())
        return QDateTime();
    const QString s = v.toString();
    QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(s, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    if (!dt.isValid())
        throw EDatabaseError(QStringLiteral("'%1' is not a valid date and time").arg(s));
    return dt;
}

void TField::SetValue(const QVariant& v) const { m_q->setBufferValue(m_index, v); }
void TField::SetMoney(Money m) const { m_q->setBufferValue(m_index, m.toDouble()); }
void TField::SetDateTime(const QDateTime& dt) const
{
    m_q->setBufferValue(m_index, dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

// --------------------------------------------------------------------- TQuery

TConnection* TQuery::conn() const
{
    if (!Connection)
        throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    return Connection;
}

void TQuery::SetParam(const QString& name, const QVariant& value)
{
    const QString key = name.startsWith(u':') ? name.mid(1) : name;
    for (Param& p : m_params)
        if (p.name.compare(key, Qt::CaseInsensitive) == 0) {
            p.value = value;
            return;
        }
    m_params.push_back({key, value});
}

sqlite3_stmt* TQuery::prepare(const QString& sql)
{
    sqlite3* db = conn()->Handle();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK)
        throw EDatabaseError(engineMessage(db));
    if (!stmt)
        throw EDatabaseError(QStringLiteral("The statement is empty"));
    if (tail && QByteArray(tail).trimmed().replace(';', "").trimmed().size() > 0) {
        sqlite3_finalize(stmt);
        throw EDatabaseError(QStringLiteral("Characters found after end of SQL statement."));
    }
    return stmt;
}

void TQuery::bindParams(sqlite3_stmt* stmt)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt, i);
        const QString name = raw ? QString::fromUtf8(raw + 1) : QString();
        auto it = std::find_if(m_params.begin(), m_params.end(), [&](const Param& p) {
            return p.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it == m_params.end())
            throw EDatabaseError(QStringLiteral("No value given for one or more required parameters."));
        bindValue(stmt, i, it->value);
    }
}

void TQuery::Open() { openImpl(false); }
void TQuery::OpenForUpdate() { openImpl(true); }

void TQuery::openImpl(bool forUpdate)
{
    Close();
    QString sql = TranslateSql(Text());
    if (forUpdate) {
        static const QRegularExpression shape(
            QStringLiteral("^\\s*select\\s+(?!distinct\\b)(.*?)\\s+from\\s+\\[?(\\w+)\\]?\\s*(where\\b.*|limit\\b.*|;?\\s*)$"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
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
    // Rows arrive in blocks of fixed size and are put together once their number is
    // known: a single growing array would at its last doubling hold the old copy and a
    // new one near twice the size, the peak of the whole list.
    constexpr size_t kBlockRows = 4096;
    const size_t blockCells = kBlockRows * size_t(std::max(columns, 1));
    std::vector<std::vector<QVariant>> blocks;
    std::vector<qint64> rowids;
    std::vector<TextPool> pools(size_t(std::max(columns, 0)));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (forUpdate)
            rowids.push_back(sqlite3_column_int64(stmt, 0));
        if (blocks.empty() || blocks.back().size() + size_t(columns) > blockCells) {
            blocks.emplace_back();
            blocks.back().reserve(blockCells);
        }
        for (int c = 0; c < columns; ++c)
            blocks.back().push_back(columnValue(stmt, c + first, pools[size_t(c)]));
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(engineMessage(conn()->Handle()));
    size_t total = 0;
    for (const auto& b : blocks)
        total += b.size();
    std::vector<QVariant> cells;
    cells.reserve(total);
    for (auto& b : blocks) {
        std::move(b.begin(), b.end(), std::back_inserter(cells));
        std::vector<QVariant>().swap(b);
    }

    m_names = std::move(names);
    m_declTypes = std::move(declTypes);
    m_cells = std::move(cells);
    m_rowids = std::move(rowids);
    const int rows = columns > 0 ? int(m_cells.size() / size_t(columns)) : 0;
    m_order.resize(size_t(rows));
    for (int r = 0; r < rows; ++r)
        m_order[size_t(r)] = r;
    m_pos = 0;
    m_state = State::Browse;
}

void TQuery::Close()
{
    m_state = State::Inactive;
    m_names.clear();
    m_declTypes.clear();
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_rowids.clear();
    m_order.clear();
    m_order.shrink_to_fit();
    m_pos = 0;
    m_sort.clear();
    m_table.clear();
    m_buffer.clear();
    m_touched.clear();
}

int TQuery::ExecSQL()
{
    Close();
    sqlite3_stmt* stmt = prepare(TranslateSql(Text()));
    StmtGuard guard{stmt};
    bindParams(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(engineMessage(conn()->Handle()));
    return sqlite3_changes(conn()->Handle());
}

int TQuery::FindFieldIndex(const QString& name) const
{
    for (size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

TField TQuery::FieldByName(const QString& name)
{
    const int i = FindFieldIndex(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return TField(this, i);
}

bool TQuery::FieldIsLongText(int index) const
{
    const QString t = m_declTypes.at(size_t(index)).toUpper();
    return t.contains(QLatin1String("LONGTEXT")) || t.contains(QLatin1String("MEMO")) ||
           t.contains(QLatin1String("LONGCHAR"));
}

void TQuery::SetRecNo(int recNo)
{
    if (recNo >= 1 && recNo <= RecordCount())
        m_pos = recNo - 1;
}

const QVariant& TQuery::ValueAt(int row, int column) const
{
    return m_cells[size_t(m_order[size_t(row)]) * m_names.size() + size_t(column)];
}

const QVariant& TQuery::currentValue(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Field index out of range"));
    if (m_state == State::Insert || m_state == State::Edit)
        return m_buffer[size_t(index)];
    if (m_state == State::Inactive || Eof())
        return nullVariant();
    return ValueAt(m_pos, index);
}

namespace {
int compareValues(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const bool an = a.typeId() == QMetaType::LongLong || a.typeId() == QMetaType::Double;
    const bool bn = b.typeId() == QMetaType::LongLong || b.typeId() == QMetaType::Double;
    if (an && bn) {
        if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong) {
            const qint64 x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (an != bn)
        return an ? -1 : 1;
    return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
}
} // namespace

void TQuery::SetSort(const QString& sort)
{
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
    const bool desc = parts.size() > 1 && parts.at(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    const size_t cols = m_names.size();
    std::stable_sort(m_order.begin(), m_order.end(), [&](int x, int y) {
        const int c = compareValues(m_cells[size_t(x) * cols + size_t(col)],
                                    m_cells[size_t(y) * cols + size_t(col)]);
        return desc ? c > 0 : c < 0;
    });
}

void TQuery::Append()
{
    if (m_state != State::Browse || m_table.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    m_buffer.assign(m_names.size(), QVariant());
    m_touched.assign(m_names.size(), false);
    m_state = State::Insert;
}

void TQuery::Edit()
{
    if (m_state != State::Browse || m_table.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (Eof())
        throw EDatabaseError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    m_buffer.clear();
    for (int c = 0; c < FieldCount(); ++c)
        m_buffer.push_back(ValueAt(m_pos, c));
    m_touched.assign(m_names.size(), false);
    m_state = State::Edit;
}

void TQuery::setBufferValue(int index, const QVariant& v)
{
    if (m_state != State::Insert && m_state != State::Edit)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    m_buffer[size_t(index)] = v;
    m_touched[size_t(index)] = true;
}

void TQuery::Post()
{
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
            sql = QStringLiteral("INSERT INTO [%1] (%2) VALUES (%3)")
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
        sql = QStringLiteral("UPDATE [%1] SET %2 WHERE rowid = ?").arg(m_table, sets.join(QLatin1String(", ")));
    }
    sqlite3_stmt* stmt = prepare(sql);
    StmtGuard guard{stmt};
    int i = 1;
    for (int c : cols)
        bindValue(stmt, i++, m_buffer[size_t(c)]);
    if (m_state == State::Edit)
        sqlite3_bind_int64(stmt, i, m_rowids[size_t(m_order[size_t(m_pos)])]);
    if (sqlite3_step(stmt) != SQLITE_DONE)
        throw EDatabaseError(engineMessage(db));

    const size_t ncols = m_names.size();
    if (m_state == State::Insert) {
        m_cells.insert(m_cells.end(), m_buffer.begin(), m_buffer.end());
        m_rowids.push_back(sqlite3_last_insert_rowid(db));
        m_order.push_back(int(m_cells.size() / ncols) - 1);
        m_pos = int(m_order.size()) - 1;
    } else {
        const size_t row = size_t(m_order[size_t(m_pos)]);
        std::copy(m_buffer.begin(), m_buffer.end(), m_cells.begin() + ptrdiff_t(row * ncols));
    }
    m_buffer.clear();
    m_state = State::Browse;
}

void TQuery::Cancel()
{
    if (m_state == State::Insert || m_state == State::Edit) {
        m_buffer.clear();
        m_state = State::Browse;
    }
}
