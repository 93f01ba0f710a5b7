#include "data/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString& overrideDir() {
    static QString dir;
    return dir;
}

// startedAs is the first argument, startDir the working folder it was started in,
// resolvedDir the executable's real folder.
QString startedFromDir(const QString& startedAs, const QString& startDir,
                       const QString& resolvedDir) {
    // Only a path names a folder; a bare name was looked up on the search path.
    if (!startedAs.contains(QLatin1Char('/')))
        return QDir::cleanPath(resolvedDir);
    // The link's own folder: absolutePath() leaves links as they are.
    return QDir::cleanPath(QFileInfo(QDir(startDir), startedAs).absolutePath());
}

QString startedFrom() {
    // Taken once: nothing changes the working folder, so the first call still sees the
    // one the program was started in.
    static const QString dir =
        startedFromDir(QCoreApplication::arguments().value(0), QDir::currentPath(),
                       QCoreApplication::applicationDirPath());
    return dir;
}
} // namespace

QString ApplicationTitle() {
    return QStringLiteral("Velmora Budget");
}

QString AppDir() {
    const QString dir = overrideDir().isEmpty() ? startedFrom() : overrideDir();
    return QDir::cleanPath(dir) + QLatin1Char('/');
}

void SetAppDirOverride(const QString& dir) {
    overrideDir() = dir;
}
