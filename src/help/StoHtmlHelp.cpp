#include "help/StoHtmlHelp.h"

#include "data/AppPaths.h"
#include "help/ChmHelp.h"
#include "help/HelpManager.h"
#include "help/WinHelpViewer.h"
#include "ui/HelpContext.h"

#include <QFile>
#include <QFileInfo>

TStoHtmlHelpViewer* HtmlHelpViewer = nullptr;

bool IsHtmlHelpFile(const QString& name) {
    // Only the last dot counts: a dotted folder above a file without an extension
    // is no help file.
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    return name.mid(dot).compare(QLatin1String(".chm"), Qt::CaseInsensitive) == 0;
}

TStoHtmlHelpViewer::TStoHtmlHelpViewer(HtmlHelpEntry entry)
    : m_ViewerName(QStringLiteral("StoHtmlHelp")), m_HtmlHelpFunction(entry),
      m_DefaultTopicExt(QStringLiteral(".htm")) {}

TStoHtmlHelpViewer::~TStoHtmlHelpViewer() {
    if (HtmlHelpViewer == this)
        HtmlHelpViewer = nullptr;
    m_HtmlHelpFunction = nullptr;
}

QString TStoHtmlHelpViewer::GetName() {
    return m_ViewerName;
}

int TStoHtmlHelpViewer::KeywordScore(const QString&) {
    return IsHtmlHelpFile(ResolveHelpFile()) ? 1 : 0;
}

QStringList TStoHtmlHelpViewer::KeywordEntries(const QString& keyword) {
    return {QStringLiteral("%1: %2").arg(m_ViewerName, keyword)};
}

bool TStoHtmlHelpViewer::HasContents() {
    return true;
}

void TStoHtmlHelpViewer::OpenContents() {
    const QString file = ResolveHelpFile();
    if (IsHtmlHelpFile(file))
        CallHtmlHelp(file, HH_DISPLAY_TOC, 0);
}

void TStoHtmlHelpViewer::OpenKeyword(const QString& keyword) {
    const QString file = ResolveHelpFile();
    if (!IsHtmlHelpFile(file))
        return;
    // The dispatcher hands over "viewer: keyword" when it had several viewers to
    // choose from.
    QString text = keyword;
    const qsizetype colon = text.indexOf(u':');
    if (colon >= 0)
        text = text.mid(colon + 1);
    const QByteArray key = text.trimmed().toLocal8Bit();
    CallHtmlHelp(file, HH_DISPLAY_INDEX, quintptr(key.constData()));
}

void TStoHtmlHelpViewer::AssignId(int id) {
    m_ViewerID = id;
}

void TStoHtmlHelpViewer::CloseWindows() {
    CallHtmlHelp(QString(), HH_CLOSE_ALL, 0);
}

void TStoHtmlHelpViewer::Detach() {
    CloseWindows();
    m_HelpManager.reset();
}

bool TStoHtmlHelpViewer::AcceptsTopic(const QString&) {
    return IsHtmlHelpFile(ResolveHelpFile());
}

void TStoHtmlHelpViewer::OpenTopic(const QString& topic) {
    const QString file = ResolveHelpFile();
    if (!IsHtmlHelpFile(file))
        return;
    QString page = topic;
    const qsizetype dot = page.lastIndexOf(u'.');
    const QString ext = dot < 0 ? QString() : page.mid(dot).toLower();
    if (ext != QLatin1String(".htm") && ext != QLatin1String(".html"))
        page += m_DefaultTopicExt;
    CallHtmlHelp(file + QStringLiteral("::/") + page, HH_DISPLAY_TOPIC, 0);
}

bool TStoHtmlHelpViewer::AcceptsContext(int, const QString& fileName) {
    return IsHtmlHelpFile(fileName);
}

void TStoHtmlHelpViewer::OpenContext(int context, const QString&) {
    const QString file = ResolveHelpFile();
    if (IsHtmlHelpFile(file))
        CallHtmlHelp(file, HH_HELP_CONTEXT, quintptr(context));
}

int TStoHtmlHelpViewer::ChooseKeywordEntry(const QStringList& entries) {
    for (int i = 0; i < entries.size(); ++i) {
        const QString& entry = entries.at(i);
        const qsizetype colon = entry.indexOf(u':');
        if ((colon < 0 ? entry : entry.left(colon)) == m_ViewerName)
            return i;
    }
    return 0;
}

int TStoHtmlHelpViewer::ChooseContentsViewer(const QStringList& names) {
    return int(names.indexOf(m_ViewerName));
}

QString TStoHtmlHelpViewer::ResolveHelpFile() const {
    QString file;
    if (m_HelpManager)
        file = m_HelpManager->GetHelpFile();
    if (file.isEmpty())
        file = ApplicationHelpFile();
    if (!file.isEmpty() && QFileInfo(file).fileName() == file)
        file.prepend(AppDir());
    return file;
}

void TStoHtmlHelpViewer::CallHtmlHelp(const QString& file, quint32 command, quintptr data) const {
    if (!m_HtmlHelpFunction)
        return;
    if (command == HH_CLOSE_ALL) {
        m_HtmlHelpFunction(nullptr, nullptr, command, data);
        return;
    }
    const QByteArray name = QFile::encodeName(file);
    m_HtmlHelpFunction(m_HelpManager ? m_HelpManager->GetHandle() : nullptr, name.constData(),
                       command, data);
}

void TStoHtmlHelpViewer::InternalShutdown() {
    if (m_HelpManager)
        m_HelpManager->Release(m_ViewerID);
    m_HelpManager.reset();
}

bool TStoWinHelpTester::CanShowALink(const QString&, const QString&) {
    return false;
}
bool TStoWinHelpTester::CanShowTopic(const QString&, const QString&) {
    return false;
}
bool TStoWinHelpTester::CanShowContext(int, const QString&) {
    return false;
}
QStringList TStoWinHelpTester::GetHelpStrings(const QString& link) {
    return {QStringLiteral(": ") + link};
}
QString TStoWinHelpTester::GetHelpPath() {
    return {};
}
QString TStoWinHelpTester::GetDefaultHelpFile() {
    return {};
}

void RegisterHtmlHelpViewer() {
    RegisterHtmlHelpImplementation(&CreateChmHelp);
    SetHelpContextHandler(&ApplicationHelpContext);
    if (HtmlHelpViewer)
        return;
    auto viewer = std::make_shared<TStoHtmlHelpViewer>();
    HtmlHelpViewer = viewer.get();
    THelpManager& manager = HelpManager();
    viewer->SetManager(manager.RegisterViewer(viewer));
    manager.AssignHelpSelector(viewer);
    WinHelpTester = std::make_shared<TStoWinHelpTester>();
}

void ReleaseHtmlHelpViewer() {
    if (!HtmlHelpViewer)
        return;
    // The help windows are the application's widgets: they go before it does.
    HtmlHelpViewer->CloseWindows();
    HtmlHelpViewer->InternalShutdown();
    // The dispatcher's choice of viewer was this one as well.
    HelpManager().AssignHelpSelector(nullptr);
}
