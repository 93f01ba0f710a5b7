#include "help/HelpManager.h"

#include "help/WinHelpViewer.h"
#include "ui/Application.h"

#include <algorithm>

std::shared_ptr<IHelpManager>
THelpManager::RegisterViewer(const std::shared_ptr<ICustomHelpViewer>& viewer) {
    const int id = ++m_LastId;
    m_Viewers.push_back({id, viewer});
    viewer->AssignId(id);
    return shared_from_this();
}

QWidget* THelpManager::GetHandle() {
    return nullptr;
}

QString THelpManager::GetHelpFile() {
    return m_HelpFile;
}

void THelpManager::Release(int viewerId) {
    std::erase_if(m_Viewers, [viewerId](const Registered& r) { return r.id == viewerId; });
}

void THelpManager::ShowContextHelp(int context, const QString& fileName) {
    m_HelpFile = fileName;
    for (const Registered& r : viewers()) {
        if (auto extended = std::dynamic_pointer_cast<IExtendedHelpViewer>(r.viewer)) {
            if (extended->AcceptsContext(context, fileName)) {
                extended->OpenContext(context, fileName);
                return;
            }
        }
    }
}

void THelpManager::ShowTableOfContents(const QString& fileName) {
    if (!fileName.isEmpty())
        m_HelpFile = fileName;
    const std::vector<Registered> all = viewers();
    if (all.size() == 1) {
        if (all.front().viewer->HasContents())
            all.front().viewer->OpenContents();
        return;
    }
    std::vector<std::shared_ptr<ICustomHelpViewer>> withContents;
    QStringList names;
    for (const Registered& r : all) {
        if (r.viewer->HasContents()) {
            withContents.push_back(r.viewer);
            names << r.viewer->GetName();
        }
    }
    if (withContents.empty())
        return;
    if (withContents.size() == 1) {
        withContents.front()->OpenContents();
        return;
    }
    names.sort(Qt::CaseInsensitive);
    const int chosen = m_Selector ? m_Selector->ChooseContentsViewer(names) : 0;
    if (chosen < 0 || chosen >= names.size())
        return;
    for (const auto& v : withContents) {
        if (v->GetName() == names.at(chosen)) {
            v->OpenContents();
            return;
        }
    }
}

void THelpManager::ShowHelp(const QString& keyword, const QString& fileName) {
    m_HelpFile = fileName;
    std::vector<std::shared_ptr<ICustomHelpViewer>> scored;
    for (const Registered& r : viewers())
        if (r.viewer->KeywordScore(keyword) > 0)
            scored.push_back(r.viewer);
    if (scored.empty())
        return;
    if (scored.size() == 1) {
        scored.front()->OpenKeyword(keyword);
        return;
    }
    std::vector<std::pair<QString, std::shared_ptr<ICustomHelpViewer>>> offered;
    for (const auto& v : scored)
        for (const QString& entry : v->KeywordEntries(keyword))
            offered.emplace_back(entry, v);
    if (offered.empty())
        return;
    std::stable_sort(offered.begin(), offered.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    QStringList entries;
    for (const auto& o : offered)
        entries << o.first;
    const int chosen = m_Selector ? m_Selector->ChooseKeywordEntry(entries) : 0;
    if (chosen < 0 || chosen >= int(offered.size()))
        return;
    offered[size_t(chosen)].second->OpenKeyword(offered[size_t(chosen)].first);
}

void THelpManager::ShowTopicHelp(const QString& topic, const QString& fileName) {
    m_HelpFile = fileName;
    for (const Registered& r : viewers()) {
        if (auto extended = std::dynamic_pointer_cast<IExtendedHelpViewer>(r.viewer)) {
            if (extended->AcceptsTopic(topic)) {
                extended->OpenTopic(topic);
                return;
            }
        }
    }
}

void THelpManager::AssignHelpSelector(std::shared_ptr<IHelpSelector> selector) {
    m_Selector = std::move(selector);
}

void THelpManager::ShutDown() {
    const std::vector<Registered> all = viewers();
    m_Viewers.clear();
    m_Selector.reset();
    for (const Registered& r : all)
        r.viewer->Detach();
}

void THelpManager::SoftShutDown() {
    for (const Registered& r : viewers())
        r.viewer->CloseWindows();
}

THelpManager& HelpManager() {
    static const std::shared_ptr<THelpManager> manager = [] {
        auto m = std::make_shared<THelpManager>();
        auto winHelp = std::make_shared<TWinHelpViewer>();
        winHelp->SetManager(m->RegisterViewer(winHelp));
        return m;
    }();
    return *manager;
}

IHelpSystem& HelpSystem() {
    return HelpManager();
}

QString ApplicationHelpFile() {
    const TApplication* app = Application();
    return app ? app->HelpFile : QString();
}

void ApplicationHelpContext(int context) {
    HelpSystem().ShowContextHelp(context, ApplicationHelpFile());
}

void ApplicationHelpCommand(int command, qintptr data) {
    Q_UNUSED(data);
    if (command == HELP_CONTENTS)
        HelpSystem().ShowTableOfContents(ApplicationHelpFile());
}
