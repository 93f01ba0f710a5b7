// Checks a compiled help file after the build has made it: every context number named
// on the command line has a topic in the file's map. The help compiler passes over a map
// it cannot read without a word, so the build asks the file itself; a file that fails
// the check is removed, so that the next build makes it again.
#include "help/ChmFile.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: budget-helpcheck FILE.chm CONTEXT...\n");
        return 2;
    }
    const QString path = args.first();
    QStringList missing;
    {
        const TChmFile file(path);
        const QMap<quint32, QString> topics = file.ContextTopics();
        for (const QString& number : args.mid(1))
            if (topics.value(number.toUInt()).isEmpty())
                missing << number;
    }
    if (missing.isEmpty())
        return 0;
    std::fprintf(stderr, "budget-helpcheck: %s has no topic for context %s\n", qPrintable(path),
                 qPrintable(missing.join(QStringLiteral(", "))));
    QFile::remove(path);
    return 1;
}
