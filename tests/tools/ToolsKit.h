#pragma once

#include <QDate>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <unistd.h>

// The installed program's tools as built: the backup tool, and the launcher over the
// build folder.
namespace ToolsKit {

inline QString backupTool() {
    return QStringLiteral(BUDGET_BACKUP_TOOL);
}
inline QString launcher() {
    return QStringLiteral(BUDGET_LAUNCHER);
}

// The name of today's backup.
inline QString todaysBackup() {
    return QDate::currentDate().toString(QStringLiteral("'Data-'yyyy-MM-dd'.mdb'"));
}

// Starts a program as a user whom file modes hold: as root, through setpriv without the
// capabilities that let root write anywhere, so a read-only folder stays read-only.
inline void startAsUser(QProcess& process, const QString& program, const QStringList& args) {
    if (geteuid() == 0)
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--bounding-set=-dac_override,-dac_read_search"),
                                  QStringLiteral("--"), program} +
                          args);
    else
        process.start(program, args);
}

} // namespace ToolsKit
