#include "data/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& overrideDir() {
    static QString dir;
    return dir;
}
} // namespace

QString ApplicationTitle() {
    return QStringLiteral("Velmora Budget");
}

QString AppDir() {
    const QString dir =
        overrideDir().isEmpty() ? QCoreApplication::applicationDirPath() : overrideDir();
    return QDir::cleanPath(dir) + QLatin1Char('/');
}

void SetAppDirOverride(const QString& dir) {
    overrideDir() = dir;
}
