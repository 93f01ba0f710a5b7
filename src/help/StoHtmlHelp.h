#pragma once

#include "help/HelpIntfs.h"
#include "platform/Platform.h"

// The help viewer of the program: it takes every request whose help file is a
// compiled HTML help file (".chm") and turns it into exactly one call of the HTML
// Help entry point. It has no window of its own and shows no message.
class TStoHtmlHelpViewer final : public IExtendedHelpViewer, public IHelpSelector {
public:
    // A null entry point stands for a missing HTML Help library: the viewer still
    // takes ".chm" requests, and they do nothing.
    explicit TStoHtmlHelpViewer(HtmlHelpEntry entry = LoadHtmlHelpA());
    ~TStoHtmlHelpViewer() override;

    // The dispatcher that registered this viewer.
    void SetManager(std::shared_ptr<IHelpManager> manager) { m_HelpManager = std::move(manager); }
    int ViewerId() const { return m_ViewerID; }

    QString GetName() override;
    int KeywordScore(const QString& keyword) override;
    QStringList KeywordEntries(const QString& keyword) override;
    bool HasContents() override;
    void OpenContents() override;
    void OpenKeyword(const QString& keyword) override;
    void AssignId(int id) override;
    void CloseWindows() override;
    void Detach() override;

    bool AcceptsTopic(const QString& topic) override;
    void OpenTopic(const QString& topic) override;
    bool AcceptsContext(int context, const QString& fileName) override;
    void OpenContext(int context, const QString& fileName) override;

    int ChooseKeywordEntry(const QStringList& entries) override;
    int ChooseContentsViewer(const QStringList& names) override;

    // The help file of the request being served: the dispatcher's, else the
    // application's; a bare file name is taken from the executable's folder.
    QString ResolveHelpFile() const;
    void CallHtmlHelp(const QString& file, quint32 command, quintptr data) const;

    // Program end: the dispatcher lets go of this viewer, and it of the dispatcher.
    void InternalShutdown();

private:
    int m_ViewerID = 0;
    QString m_ViewerName;
    HtmlHelpEntry m_HtmlHelpFunction;
    std::shared_ptr<IHelpManager> m_HelpManager;
    QString m_DefaultTopicExt;
};

// Keeps the toolkit's WinHelp viewer from claiming any request, so that they all
// reach the HTML Help viewer.
class TStoWinHelpTester final : public IWinHelpTester {
public:
    bool CanShowALink(const QString& link, const QString& fileName) override;
    bool CanShowTopic(const QString& topic, const QString& fileName) override;
    bool CanShowContext(int context, const QString& fileName) override;
    QStringList GetHelpStrings(const QString& link) override;
    QString GetHelpPath() override;
    QString GetDefaultHelpFile() override;
};

// The viewer of this process while it lives; null before start-up and after it is gone.
extern TStoHtmlHelpViewer* HtmlHelpViewer;

// Whether the name's last extension is ".chm", in any case.
bool IsHtmlHelpFile(const QString& name);

// Start-up of the program's help: the help window becomes the HTML Help entry point's
// implementation and the dispatcher serves the windows' help requests; the viewer is
// created and registered with the dispatcher as a viewer and as the selector, and the
// WinHelp viewer is silenced.
void RegisterHtmlHelpViewer();
// Program end: closes the help windows and releases the viewer.
void ReleaseHtmlHelpViewer();
