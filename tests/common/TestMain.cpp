// Runs every test class registered in this executable; fails when any test fails.
#include "TestEnv.h"
#include "help/StoHtmlHelp.h"
#include "ui/Application.h"

#include <QtTest>
#include <cstdio>
#include <map>
#include <vector>

std::vector<std::pair<const char*, TestFactory>>& RegisteredTests();
std::map<QString, ChildMain>& RegisteredChildren();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    // The program's own start-up of its help, so F1 and help buttons reach the viewer.
    RegisterHtmlHelpViewer();
    app.HelpFile = QStringLiteral("budget.chm");
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0) {
        const auto child = RegisteredChildren().find(QString::fromLocal8Bit(argv[2]));
        if (child == RegisteredChildren().end()) {
            std::fprintf(stderr, "no child named %s\n", argv[2]);
            return 2;
        }
        return child->second(app.arguments().mid(3));
    }
    // Qt's crash handler, installed again by each class run in one process, hands a
    // crash back to itself and spins instead of ending the process; a crash must end the
    // run at once so the test fails fast.
    std::vector<char*> args(argv, argv + argc);
    char noCrashHandler[] = "-nocrashhandler";
    args.insert(args.begin() + 1, noCrashHandler);
    int failedClasses = 0;
    for (auto& [name, factory] : RegisteredTests()) {
        std::unique_ptr<QObject> test = factory();
        if (QTest::qExec(test.get(), int(args.size()), args.data()) != 0)
            ++failedClasses;
    }
    std::printf("%d test classes, %d with failures\n", int(RegisteredTests().size()),
                failedClasses);
    return failedClasses == 0 ? 0 : 1;
}
