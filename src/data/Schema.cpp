#include "data/Schema.h"

#include "data/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

void CreateEmptyDatabase(const QString& path) {
    Q_INIT_RESOURCE(data);
    if (QFileInfo::exists(path))
        throw EBudgetError(QStringLiteral("%1 already exists; it is left as it is").arg(path));
    QFile schemaFile(QStringLiteral(":/data/schema.sql"));
    if (!schemaFile.open(QIODevice::ReadOnly))
        throw EBudgetError(QStringLiteral("The database schema is missing from the program"));
    const QByteArray schema = schemaFile.readAll();

    // Build under a temporary name and rename, so a failure never leaves a
    // half-made Data.mdb for the program to open.
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    sqlite3* db = nullptr;
    const QByteArray tempName = QFile::encodeName(temp);
    int rc = sqlite3_open_v2(tempName.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    char* err = nullptr;
    if (rc == SQLITE_OK)
        rc =
            sqlite3_exec(db, ("BEGIN;" + schema + "\nCOMMIT;").constData(), nullptr, nullptr, &err);
    const QString reason = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(temp);
        throw EBudgetError(QStringLiteral("Cannot create %1: %2").arg(path, reason));
    }
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw EBudgetError(QStringLiteral("Cannot create %1").arg(path));
    }
}
