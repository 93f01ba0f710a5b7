#pragma once

#include "help/HelpIntfs.h"

#include <vector>

// The program's help dispatcher: it receives the application's help requests and
// hands each to the registered viewer that takes it.
class THelpManager final : public IHelpManager,
                           public IHelpSystem,
                           public std::enable_shared_from_this<THelpManager> {
public:
    // Registers a viewer: it gets its id through AssignId, and the dispatcher as its
    // manager in return.
    std::shared_ptr<IHelpManager> RegisterViewer(const std::shared_ptr<ICustomHelpViewer>& viewer);

    // IHelpManager
    QWidget* GetHandle() override;
    QString GetHelpFile() override;
    void Release(int viewerId) override;

    // IHelpSystem
    void ShowContextHelp(int context, const QString& fileName) override;
    void ShowTableOfContents(const QString& fileName = {}) override;
    void ShowHelp(const QString& keyword, const QString& fileName) override;
    void ShowTopicHelp(const QString& topic, const QString& fileName) override;
    void AssignHelpSelector(std::shared_ptr<IHelpSelector> selector) override;

    // Detaches every viewer still registered and forgets them.
    void ShutDown();
    // Asks every viewer to close its windows; they stay registered.
    void SoftShutDown();

    int ViewerCount() const { return int(m_Viewers.size()); }

private:
    struct Registered {
        int id;
        std::shared_ptr<ICustomHelpViewer> viewer;
    };
    // Requests run on a copy: a viewer may release itself while it serves one.
    std::vector<Registered> viewers() const { return m_Viewers; }

    std::vector<Registered> m_Viewers;
    std::shared_ptr<IHelpSelector> m_Selector;
    QString m_HelpFile;
    int m_LastId = 0;
};

// The dispatcher of this process. It starts with the toolkit's own WinHelp viewer as
// its first viewer.
THelpManager& HelpManager();
IHelpSystem& HelpSystem();

// The application's help requests; each names the application's help file.
constexpr int HELP_CONTENTS = 3; // the table of contents; its number is not used
QString ApplicationHelpFile();
void ApplicationHelpContext(int context);
void ApplicationHelpCommand(int command, qintptr data);
