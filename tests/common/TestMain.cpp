// Runs the test classes registered in this executable; fails when any test fails.
// Qt Test's command line is meant for one class: here every class gets the options, but
// only the function names it declares, and a class that declares none of the names
// given is left out, so a run of one function passes when that function does.
#include "TestEnv.h"
#include "help/StoHtmlHelp.h"
#include "ui/Application.h"

#include <QMetaMethod>
#include <QSet>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

std::vector<RegisteredTest>& RegisteredTests();
std::map<QString, ChildMain>& RegisteredChildren();

namespace {

// Qt Test's options that take the next argument as their value.
bool takesValue(const char* option) {
    static const char* const withValue[] = {
        "-o",      "-maxwarnings", "-eventdelay", "-keydelay",     "-mousedelay",
        "-seed",   "-iterations",  "-median",     "-minimumvalue", "-minimumtotal",
        "-repeat", "-perfcounter"};
    for (const char* o : withValue)
        if (std::strcmp(option, o) == 0)
            return true;
    return false;
}

// The functions Qt Test runs in a class: private slots without arguments, less the
// data functions and the set-up and clean-up around them.
QStringList testFunctions(const QMetaObject* meta) {
    static const QSet<QByteArray> around{"init", "cleanup", "initTestCase", "cleanupTestCase",
                                         "initTestCase_data"};
    QStringList names;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.methodType() != QMetaMethod::Slot || m.access() != QMetaMethod::Private ||
            m.parameterCount() != 0 || m.returnType() != QMetaType::Void)
            continue;
        const QByteArray name = m.name();
        if (!name.endsWith("_data") && !around.contains(name))
            names << QString::fromLatin1(name);
    }
    return names;
}

// "results.xml" -> "results-Class.xml": each class writes a file of its own.
std::string outputFor(const std::string& value, const char* className) {
    const size_t comma = value.find(',');
    std::string file = value.substr(0, comma);
    const std::string rest = comma == std::string::npos ? std::string() : value.substr(comma);
    if (file == "-")
        return value;
    const size_t slash = file.rfind('/');
    const size_t dot = file.rfind('.');
    const size_t at = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)
                          ? dot
                          : file.size();
    file.insert(at, std::string("-") + className);
    return file + rest;
}

struct CommandLine {
    std::vector<std::string> options; // each with its value, in the order given
    std::vector<std::string> functions;
    bool listFunctions = false;
};

CommandLine parse(int argc, char** argv) {
    CommandLine c;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] != '-') {
            c.functions.emplace_back(a);
        } else if (std::strcmp(a, "-functions") == 0) {
            c.listFunctions = true;
        } else {
            c.options.emplace_back(a);
            if (takesValue(a) && i + 1 < argc)
                c.options.emplace_back(argv[++i]);
        }
    }
    return c;
}

// The function part of "name" or "name:data tag".
QString functionOf(const std::string& named) {
    return QString::fromStdString(named.substr(0, named.find(':')));
}

} // namespace

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

    const CommandLine line = parse(argc, argv);
    std::vector<QStringList> declared;
    for (const RegisteredTest& t : RegisteredTests())
        declared.push_back(testFunctions(t.meta));
    if (line.listFunctions) {
        for (const QStringList& functions : declared)
            for (const QString& f : functions)
                std::printf("%s()\n", qPrintable(f));
        return 0;
    }
    bool unknown = false;
    for (const std::string& named : line.functions) {
        bool found = false;
        for (const QStringList& functions : declared)
            found = found || functions.contains(functionOf(named));
        if (!found) {
            std::fprintf(stderr, "Unknown test function: '%s'\n", named.c_str());
            unknown = true;
        }
    }
    if (unknown)
        return 1;

    int ran = 0, failedClasses = 0;
    for (size_t k = 0; k < RegisteredTests().size(); ++k) {
        const RegisteredTest& t = RegisteredTests()[k];
        std::vector<std::string> args{argv[0]};
        // Qt's crash handler, installed again by each class run in one process, hands a
        // crash back to itself and spins instead of ending the process; a crash must end
        // the run at once so the test fails fast.
        args.emplace_back("-nocrashhandler");
        for (size_t i = 0; i < line.options.size(); ++i) {
            args.push_back(line.options[i]);
            if (line.options[i] == "-o" && i + 1 < line.options.size())
                args.push_back(outputFor(line.options[++i], t.name));
        }
        bool mine = false;
        for (const std::string& named : line.functions)
            if (declared[k].contains(functionOf(named))) {
                args.push_back(named);
                mine = true;
            }
        if (!line.functions.empty() && !mine)
            continue;
        std::vector<char*> raw;
        for (std::string& a : args)
            raw.push_back(a.data());
        std::unique_ptr<QObject> test = t.factory();
        ++ran;
        if (QTest::qExec(test.get(), int(raw.size()), raw.data()) != 0)
            ++failedClasses;
    }
    std::printf("%d test classes run, %d with failures\n", ran, failedClasses);
    return failedClasses == 0 ? 0 : 1;
}
