#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Registers a Qt Test class so that the area's executable runs it.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
struct RegisteredTest {
    const char* name;
    const QMetaObject* meta; // what the class declares, without making one
    TestFactory factory;
};
int RegisterTest(const char* name, const QMetaObject* meta, TestFactory factory);
#define BUDGET_TEST(Class)                                                                         \
    static const int budgetTestReg_##Class = RegisterTest(                                         \
        #Class, &Class::staticMetaObject, [] { return std::unique_ptr<QObject>(new Class); });

// A program of its own inside a test executable: a test starts the executable again
// with "--child NAME ARGS..." to run it in a process it can kill or run twice. Its
// result is the process's exit code.
using ChildMain = std::function<int(const QStringList& args)>;
int RegisterChild(const char* name, ChildMain main);
#define BUDGET_CHILD(Name, Function)                                                               \
    static const int budgetChildReg_##Name = RegisterChild(#Name, Function);

// Starts this executable as the named child with the given arguments.
class QProcess;
void StartChild(QProcess& process, const QString& name, const QStringList& args);

// A whole number from the environment, for runs made longer or different by hand.
int EnvNumber(const char* name, int fallback);

// One message box the program asked for.
struct RecordedMessage {
    QString caption, text;
    MsgIcon icon;
    MsgButtons buttons;
    QWidget* owner = nullptr;
};

// Stands in for message boxes: records each box and answers with the next scripted
// button, or with OK / Yes / the first offered button when nothing is scripted.
class MessageRecorder : public IMessageBoxes {
public:
    MsgButton Show(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon,
                   MsgButtons buttons) override;
    std::vector<RecordedMessage> messages;
    std::deque<MsgButton> answers;
    // Runs while a box is "shown", e.g. to look at the window state at that moment.
    std::function<void(const RecordedMessage&)> onShow;
};

class ShellRecorder : public IShell {
public:
    bool Open(const QString& target) override {
        opened << target;
        return true;
    }
    bool StartCalculator() override {
        started << QStringLiteral("calculator");
        return true;
    }
    bool StartTextEditor() override {
        started << QStringLiteral("editor");
        return true;
    }
    QStringList opened, started;
};

class FileDialogRecorder : public IFileDialogs {
public:
    SaveDialogResult Save(QWidget* owner, const SaveDialogRequest& request) override {
        requests.push_back(request);
        owners.push_back(owner);
        return answer;
    }
    OpenDialogResult Open(QWidget* owner, const OpenDialogRequest& request) override {
        openRequests.push_back(request);
        owners.push_back(owner);
        return openAnswer;
    }
    std::vector<SaveDialogRequest> requests;
    std::vector<OpenDialogRequest> openRequests;
    std::vector<QWidget*> owners;
    SaveDialogResult answer;     // not accepted unless a test sets it
    OpenDialogResult openAnswer; // likewise
};

// A fresh empty database in a temporary folder that plays the executable's folder,
// the card bitmaps beside it, the locale en_US, recorders for message boxes, file
// dialogs and the shell, and a data module over it. Each test function that needs a
// clean slate makes one.
class TestEnv {
public:
    explicit TestEnv(bool openDataModule = true);
    // The database already in that folder, as a child process beside its test uses it.
    explicit TestEnv(const QString& existingDir);
    ~TestEnv();
    QString dir() const { return m_path; }
    QString dbPath() const { return m_path + QStringLiteral("/Data.mdb"); }

    // Runs a statement on the test database and returns the first column of its
    // first row (empty for none); for set-up and for reading results back.
    QVariant sql(const QString& statement);

    MessageRecorder* messages = nullptr;
    ShellRecorder* shell = nullptr;
    FileDialogRecorder* files = nullptr;

private:
    void installRecorders();
    // None for a child working in its parent's folder: a child killed on purpose must
    // not leave a folder of its own behind.
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};
