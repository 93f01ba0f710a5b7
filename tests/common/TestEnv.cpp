#include "TestEnv.h"

#include "data/AppPaths.h"
#include "data/Schema.h"
#include "data/UtDM.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QtTest>
#include <map>

namespace {
std::vector<RegisteredTest>& registry() {
    static std::vector<RegisteredTest> r;
    return r;
}

void copyDir(const QString& from, const QString& to) {
    QDir src(from);
    if (!src.exists())
        return;
    QDir().mkpath(to);
    for (const QFileInfo& fi : src.entryInfoList(QDir::Files))
        QFile::copy(fi.absoluteFilePath(), to + u'/' + fi.fileName());
}
} // namespace

std::map<QString, ChildMain>& RegisteredChildren() {
    static std::map<QString, ChildMain> r;
    return r;
}

int RegisterChild(const char* name, ChildMain main) {
    RegisteredChildren()[QString::fromLatin1(name)] = std::move(main);
    return int(RegisteredChildren().size());
}

void StartChild(QProcess& process, const QString& name, const QStringList& args) {
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  QStringList{QStringLiteral("--child"), name} + args);
}

int RegisterTest(const char* name, const QMetaObject* meta, TestFactory factory) {
    registry().push_back({name, meta, std::move(factory)});
    return int(registry().size());
}

std::vector<RegisteredTest>& RegisteredTests() {
    return registry();
}

MsgButton MessageRecorder::Show(QWidget* owner, const QString& caption, const QString& text,
                                MsgIcon icon, MsgButtons buttons) {
    messages.push_back({caption, text, icon, buttons, owner});
    if (onShow)
        onShow(messages.back());
    if (!answers.empty()) {
        const MsgButton b = answers.front();
        answers.pop_front();
        return b;
    }
    for (MsgButton b : {mbOK, mbYes, mbNo, mbCancel})
        if (buttons & b)
            return b;
    return mbOK;
}

TestEnv::TestEnv(bool openDataModule) : m_dir(std::in_place), m_path(m_dir->path()) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SetAppDirOverride(m_path);
    CreateEmptyDatabase(dbPath());
    copyDir(QStringLiteral(BUDGET_SOURCE_DIR "/resources/res"), m_path + QStringLiteral("/res"));
    installRecorders();
    if (openDataModule) {
        delete DM;
        DM = nullptr;
        DM = new TDM();
    }
}

TestEnv::TestEnv(const QString& existingDir) : m_path(existingDir) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SetAppDirOverride(m_path);
    installRecorders();
    delete DM;
    DM = nullptr;
    DM = new TDM();
}

void TestEnv::installRecorders() {
    auto m = std::make_unique<MessageRecorder>();
    messages = m.get();
    SetMessageBoxes(std::move(m));
    auto s = std::make_unique<ShellRecorder>();
    shell = s.get();
    SetShell(std::move(s));
    auto f = std::make_unique<FileDialogRecorder>();
    files = f.get();
    SetFileDialogs(std::move(f));
}

TestEnv::~TestEnv() {
    delete DM;
    DM = nullptr;
}

QVariant TestEnv::sql(const QString& statement) {
    TConnection c;
    c.Open(dbPath());
    TQuery q(&c);
    q.SQL << statement;
    const QString head = statement.trimmed().left(6).toLower();
    if (head == QLatin1String("select")) {
        q.Open();
        return q.Eof() ? QVariant() : q.Field(0).Value();
    }
    return q.ExecSQL();
}

int EnvNumber(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}
