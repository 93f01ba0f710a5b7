#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

// The interfaces between the program's help dispatcher and the help viewers that
// register with it. Objects behind them are shared: a viewer stays alive while the
// dispatcher or anyone else still holds it.

// What the dispatcher offers a registered viewer.
class IHelpManager {
public:
    virtual ~IHelpManager() = default;
    // The window a help window should belong to; null, so help windows stand on their own.
    virtual QWidget* GetHandle() = 0;
    // The help file named by the request being served.
    virtual QString GetHelpFile() = 0;
    // Takes the viewer with that id off the dispatcher's list.
    virtual void Release(int viewerId) = 0;
};

class ICustomHelpViewer {
public:
    virtual ~ICustomHelpViewer() = default;
    virtual QString GetName() = 0;
    virtual int KeywordScore(const QString& keyword) = 0;
    virtual QStringList KeywordEntries(const QString& keyword) = 0;
    virtual bool HasContents() = 0;
    virtual void OpenContents() = 0;
    virtual void OpenKeyword(const QString& keyword) = 0;
    virtual void AssignId(int id) = 0;
    virtual void CloseWindows() = 0;
    virtual void Detach() = 0;
};

// Viewers that can also show topics and context numbers.
class IExtendedHelpViewer : public ICustomHelpViewer {
public:
    virtual bool AcceptsTopic(const QString& topic) = 0;
    virtual void OpenTopic(const QString& topic) = 0;
    virtual bool AcceptsContext(int context, const QString& fileName) = 0;
    virtual void OpenContext(int context, const QString& fileName) = 0;
};

// Chooses among several viewers that could serve a request.
class IHelpSelector {
public:
    virtual ~IHelpSelector() = default;
    // entries: "viewer name: text", sorted; returns the index of the entry to use.
    virtual int ChooseKeywordEntry(const QStringList& entries) = 0;
    // names: the sorted names of the viewers with contents; -1 for none of them.
    virtual int ChooseContentsViewer(const QStringList& names) = 0;
};

// The requests the application makes of its help.
class IHelpSystem {
public:
    virtual ~IHelpSystem() = default;
    virtual void ShowContextHelp(int context, const QString& fileName) = 0;
    // The help file, when given, becomes the one the viewers are told about.
    virtual void ShowTableOfContents(const QString& fileName = {}) = 0;
    virtual void ShowHelp(const QString& keyword, const QString& fileName) = 0;
    virtual void ShowTopicHelp(const QString& topic, const QString& fileName) = 0;
    virtual void AssignHelpSelector(std::shared_ptr<IHelpSelector> selector) = 0;
};

// Questions the WinHelp viewer asks before it claims a request; whoever installs a
// tester decides which requests the WinHelp viewer may take.
class IWinHelpTester {
public:
    virtual ~IWinHelpTester() = default;
    virtual bool CanShowALink(const QString& link, const QString& fileName) = 0;
    virtual bool CanShowTopic(const QString& topic, const QString& fileName) = 0;
    virtual bool CanShowContext(int context, const QString& fileName) = 0;
    virtual QStringList GetHelpStrings(const QString& link) = 0;
    virtual QString GetHelpPath() = 0;
    virtual QString GetDefaultHelpFile() = 0;
};
