// Writes a new empty budget database. The build runs it to put Data.mdb beside the
// program when none is there; it never overwrites an existing file.
#include "data/Errors.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: budget-newdb [--if-missing] PATH\n");
        return 2;
    }
    const QString path = args.first();
    if (ifMissing && QFileInfo::exists(path))
        return 0;
    try {
        CreateEmptyDatabase(path);
    } catch (const EBudgetError& e) {
        std::fprintf(stderr, "budget-newdb: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("created %s\n", qPrintable(QFileInfo(path).absoluteFilePath()));
    return 0;
}
