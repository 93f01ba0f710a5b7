// Runs every test class registered in this executable; fails when any test fails.
#include "TestEnv.h"
#include "help/StoHtmlHelp.h"
#include "ui/Application.h"

#include <QtTest>
#include <cstdio>

std::vector<std::pair<const char*, TestFactory>>& RegisteredTests();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    // The program's own start-up of its help, so F1 and help buttons reach the viewer.
    RegisterHtmlHelpViewer();
    app.HelpFile = QStringLiteral("budget.chm");
    int failedClasses = 0;
    for (auto& [name, factory] : RegisteredTests()) {
        std::unique_ptr<QObject> test = factory();
        if (QTest::qExec(test.get(), argc, argv) != 0)
            ++failedClasses;
    }
    std::printf("%d test classes, %d with failures\n", int(RegisteredTests().size()), failedClasses);
    return failedClasses == 0 ? 0 : 1;
}
