// The help viewer and the program's help dispatcher, against a recorder in place of
// HTML Help.
#include "TestData.h"

#include "data/AppPaths.h"
#include "help/HelpManager.h"
#include "help/StoHtmlHelp.h"
#include "help/WinHelpViewer.h"

#include <QtTest>

namespace {

// A dispatcher that names a fixed help file and records releases.
class FixedManager : public IHelpManager {
public:
    explicit FixedManager(QString file) : file(std::move(file)) {}
    QWidget* GetHandle() override { return nullptr; }
    QString GetHelpFile() override { return file; }
    void Release(int id) override { released << id; }
    QString file;
    QList<int> released;
};

std::shared_ptr<TStoHtmlHelpViewer> viewerFor(const QString& file,
                                              HtmlHelpEntry entry = LoadHtmlHelpA()) {
    auto viewer = std::make_shared<TStoHtmlHelpViewer>(entry);
    viewer->SetManager(std::make_shared<FixedManager>(file));
    return viewer;
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    void onlyChmFilesAreHelpFiles() {
        QVERIFY(IsHtmlHelpFile(QStringLiteral("budget.chm")));
        QVERIFY(IsHtmlHelpFile(QStringLiteral("/opt/BUDGET.CHM")));
        QVERIFY(IsHtmlHelpFile(QStringLiteral("Budget.Chm")));
        QVERIFY(!IsHtmlHelpFile(QStringLiteral("budget")));
        QVERIFY(!IsHtmlHelpFile(QStringLiteral("budget.chm.bak")));
        QVERIFY(!IsHtmlHelpFile(QStringLiteral("/opt/v1.chm/budget")));
        QVERIFY(!IsHtmlHelpFile(QStringLiteral("budget.hlp")));
    }

    void helpFileComesFromTheRequestOrTheApplication() {
        TestEnv env;
        const ScopedAppHelpFile app(QStringLiteral("other.chm"));
        QCOMPARE(viewerFor(QStringLiteral("budget.chm"))->ResolveHelpFile(),
                 AppDir() + QStringLiteral("budget.chm"));
        QCOMPARE(viewerFor(QStringLiteral("/usr/share/help/budget.chm"))->ResolveHelpFile(),
                 QStringLiteral("/usr/share/help/budget.chm"));
        // The request named none: the application's, from the executable's folder.
        QCOMPARE(viewerFor(QString())->ResolveHelpFile(), AppDir() + QStringLiteral("other.chm"));
        TStoHtmlHelpViewer lone;
        QCOMPARE(lone.ResolveHelpFile(), AppDir() + QStringLiteral("other.chm"));
    }

    void eachRequestIsOneEntryPointCall() {
        TestEnv env;
        ScopedHelpRecorder help;
        const QString file = QStringLiteral("/help/budget.chm");
        auto viewer = viewerFor(file);

        viewer->OpenContext(1009, QStringLiteral("ignored.chm"));
        viewer->OpenContents();
        QCOMPARE(help->calls, QStringList({"15:1009", "1:0"}));
        QCOMPARE(help->files, QStringList({file, file}));

        help->calls.clear();
        help->files.clear();
        for (const char* topic : {"deposit", "PAGE.HTML", "a.htm", "notes.txt"})
            viewer->OpenTopic(QLatin1String(topic));
        QCOMPARE(help->calls, QStringList({"0:0", "0:0", "0:0", "0:0"}));
        QCOMPARE(help->files, QStringList({file + "::/deposit.htm", file + "::/PAGE.HTML",
                                           file + "::/a.htm", file + "::/notes.txt.htm"}));

        help->calls.clear();
        for (const char* keyword : {"StoHtmlHelp: deposit", "  balance  ", "a: b: c"})
            viewer->OpenKeyword(QLatin1String(keyword));
        QCOMPARE(help->keywords, QStringList({"deposit", "balance", "b: c"}));
        QVERIFY(help->calls.at(0).startsWith(QLatin1String("2:")));

        help->calls.clear();
        help->files.clear();
        viewer->CloseWindows();
        QCOMPARE(help->calls, QStringList({"18:0"}));
        QVERIFY(help->files.at(0).isNull());
    }

    void otherHelpFilesAndAMissingLibraryGiveNothing() {
        TestEnv env;
        ScopedHelpRecorder help;
        auto backup = viewerFor(QStringLiteral("budget.chm.bak"));
        QCOMPARE(backup->KeywordScore(QStringLiteral("x")), 0);
        QVERIFY(!backup->AcceptsTopic(QStringLiteral("x")));
        // The context question looks at the file it is given, not the request's.
        QVERIFY(backup->AcceptsContext(1000, QStringLiteral("BUDGET.CHM")));
        QVERIFY(!backup->AcceptsContext(1000, QStringLiteral("budget.hlp")));
        backup->OpenContext(1000, QStringLiteral("budget.chm"));
        backup->OpenContents();
        backup->OpenTopic(QStringLiteral("main"));
        backup->OpenKeyword(QStringLiteral("x"));

        auto noLibrary = viewerFor(QStringLiteral("budget.chm"), nullptr);
        QVERIFY(noLibrary->AcceptsContext(1000, QStringLiteral("budget.chm")));
        noLibrary->OpenContext(1000, QStringLiteral("budget.chm"));
        noLibrary->OpenContents();
        noLibrary->CloseWindows();
        QVERIFY(help->calls.isEmpty());
    }

    void choosingAmongViewers() {
        TStoHtmlHelpViewer viewer;
        QCOMPARE(viewer.GetName(), QStringLiteral("StoHtmlHelp"));
        QCOMPARE(viewer.KeywordEntries(QStringLiteral("tax")), QStringList({"StoHtmlHelp: tax"}));
        QCOMPARE(viewer.ChooseKeywordEntry({"StoHtmlHelp: a", "x: b"}), 0);
        QCOMPARE(viewer.ChooseKeywordEntry({"x: a", "y: b"}), 0);
        QCOMPARE(viewer.ChooseKeywordEntry({"x: a", "stohtmlhelp: b", "StoHtmlHelp: c"}), 2);
        QCOMPARE(viewer.ChooseKeywordEntry({"x: a", "StoHtmlHelp"}), 1);
        QCOMPARE(viewer.ChooseContentsViewer({"", "StoHtmlHelp"}), 1);
        QCOMPARE(viewer.ChooseContentsViewer({"", "Other"}), -1);

        TStoWinHelpTester tester;
        QVERIFY(!tester.CanShowALink(QStringLiteral("a"), QStringLiteral("budget.hlp")));
        QVERIFY(!tester.CanShowTopic(QStringLiteral("a"), QStringLiteral("budget.hlp")));
        QVERIFY(!tester.CanShowContext(1000, QStringLiteral("budget.hlp")));
        QCOMPARE(tester.GetHelpStrings(QStringLiteral("tax")), QStringList({": tax"}));
        QVERIFY(tester.GetHelpPath().isEmpty() && tester.GetDefaultHelpFile().isEmpty());
    }

    void theProgramsRequestsReachTheViewer() {
        TestEnv env;
        ScopedHelpRecorder help;
        const ScopedAppHelpFile app(QStringLiteral("budget.chm"));
        const QString full = AppDir() + QStringLiteral("budget.chm");

        ApplicationHelpContext(1009);
        QCOMPARE(help->calls, QStringList({"15:1009"}));
        QCOMPARE(help->files, QStringList({full}));

        // The contents request: its number is not the viewer's business.
        help->calls.clear();
        ApplicationHelpCommand(HELP_CONTENTS, 1000);
        QCOMPARE(help->calls, QStringList({"1:0"}));

        help->calls.clear();
        HelpSystem().ShowHelp(QStringLiteral("  transfer "), QStringLiteral("budget.chm"));
        HelpSystem().ShowTopicHelp(QStringLiteral("history"), QStringLiteral("budget.chm"));
        QCOMPARE(help->keywords, QStringList({"transfer"}));
        QCOMPARE(help->files.last(), full + QStringLiteral("::/history.htm"));
        QCOMPARE(help->calls.size(), 2);

        // A help file that is not compiled HTML help: nothing at all.
        help->calls.clear();
        HelpSystem().ShowContextHelp(1009, QStringLiteral("budget.hlp"));
        QVERIFY(help->calls.isEmpty());
    }

    void withoutTheTesterWinHelpWouldTakeTheRequests() {
        TestEnv env;
        ScopedHelpRecorder help;
        auto manager = std::make_shared<THelpManager>();
        auto winHelp = std::make_shared<TWinHelpViewer>();
        winHelp->SetManager(manager->RegisterViewer(winHelp));
        auto viewer = std::make_shared<TStoHtmlHelpViewer>();
        viewer->SetManager(manager->RegisterViewer(viewer));
        manager->AssignHelpSelector(viewer);

        const std::shared_ptr<IWinHelpTester> tester = WinHelpTester;
        WinHelpTester.reset();
        manager->ShowContextHelp(1009, QStringLiteral("budget.chm"));
        QVERIFY(help->calls.isEmpty());
        WinHelpTester = tester;
        manager->ShowContextHelp(1009, QStringLiteral("budget.chm"));
        manager->ShowTableOfContents();
        QCOMPARE(help->calls, QStringList({"15:1009", "1:0"}));

        // Shut-down detaches: the windows close and the viewer forgets the dispatcher.
        help->calls.clear();
        manager->ShutDown();
        QCOMPARE(help->calls, QStringList({"18:0"}));
        QCOMPARE(manager->ViewerCount(), 0);
        const ScopedAppHelpFile app(QStringLiteral("after.chm"));
        QCOMPARE(viewer->ResolveHelpFile(), AppDir() + QStringLiteral("after.chm"));
    }

    void theViewerLivesFromStartUpToProgramEnd() {
        TestEnv env;
        ScopedHelpRecorder help;
        QVERIFY(HtmlHelpViewer);
        const int registered = HelpManager().ViewerCount();
        ReleaseHtmlHelpViewer();
        QCOMPARE(help->calls, QStringList({"18:0"}));
        QVERIFY(!HtmlHelpViewer);
        QCOMPARE(HelpManager().ViewerCount(), registered - 1);
        ApplicationHelpContext(1000);
        QCOMPARE(help->calls.size(), 1);

        RegisterHtmlHelpViewer();
        QVERIFY(HtmlHelpViewer);
        ApplicationHelpContext(1000);
        QCOMPARE(help->calls.last(), QStringLiteral("15:1000"));
    }
};

BUDGET_TEST(TestHelpViewer)
#include "tst_viewer.moc"
