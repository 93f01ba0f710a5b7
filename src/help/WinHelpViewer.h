#pragma once

#include "help/HelpIntfs.h"

// The toolkit's own WinHelp viewer. This platform has no WinHelp, so whatever it
// takes goes nowhere. Without a tester it would take every context, topic and keyword
// request; the installed tester decides what it may take. It always says it has a
// table of contents, and its name is empty.
class TWinHelpViewer final : public IExtendedHelpViewer {
public:
    void SetManager(std::shared_ptr<IHelpManager> manager) { m_Manager = std::move(manager); }

    QString GetName() override { return {}; }
    int KeywordScore(const QString& keyword) override;
    QStringList KeywordEntries(const QString& keyword) override;
    bool HasContents() override { return true; }
    void OpenContents() override {}
    void OpenKeyword(const QString&) override {}
    void AssignId(int) override {}
    void CloseWindows() override {}
    void Detach() override { m_Manager.reset(); }

    bool AcceptsTopic(const QString& topic) override;
    void OpenTopic(const QString&) override {}
    bool AcceptsContext(int context, const QString& fileName) override;
    void OpenContext(int, const QString&) override {}

private:
    QString helpFile() const { return m_Manager ? m_Manager->GetHelpFile() : QString(); }

    std::shared_ptr<IHelpManager> m_Manager;
};

// The tester the WinHelp viewer asks; none until someone installs one.
extern std::shared_ptr<IWinHelpTester> WinHelpTester;
