#include "data/RowStream.h"

#include "data/Errors.h"
#include "data/SqlDialect.h"
#include "data/UtQuery.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

EDatabaseError engineError(sqlite3* db) {
    return EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db) & 0xFF);
}

} // namespace

TRowStream::TRowStream(TConnection& conn, const QString& jetSql, const Params& params) {
    sqlite3* db = conn.Handle();
    const QByteArray text = conn.Translate(jetSql).toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK)
        throw engineError(db);
    if (!m_stmt)
        throw EDatabaseError(QStringLiteral("The statement is empty"));
    for (int i = 1, n = sqlite3_bind_parameter_count(m_stmt); i <= n; ++i) {
        const char* raw = sqlite3_bind_parameter_name(m_stmt, i);
        const QString name = raw ? QString::fromUtf8(raw + 1) : QString();
        const auto it = std::find_if(params.begin(), params.end(), [&](const auto& p) {
            return p.first.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it == params.end()) {
            sqlite3_finalize(m_stmt);
            throw EDatabaseError(
                QStringLiteral("No value given for one or more required parameters."));
        }
        const QVariant v = TranslateParam(it->second);
        int rc;
        if (v.isNull()) {
            rc = sqlite3_bind_null(m_stmt, i);
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            rc = sqlite3_bind_int64(m_stmt, i, v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(m_stmt, i, v.toDouble());
        } else {
            const QByteArray s = v.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, i, s.constData(), sqlite3_uint64(s.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK) {
            const EDatabaseError e = engineError(db);
            sqlite3_finalize(m_stmt);
            throw e;
        }
    }
}

TRowStream::~TRowStream() {
    sqlite3_finalize(m_stmt);
}

bool TRowStream::Next() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        throw engineError(sqlite3_db_handle(m_stmt));
    return false;
}

bool TRowStream::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 TRowStream::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double TRowStream::Real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

QByteArrayView TRowStream::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(text, text ? sqlite3_column_bytes(m_stmt, column) : 0);
}
