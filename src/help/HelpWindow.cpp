#include "help/HelpWindow.h"

#include "help/ChmFile.h"
#include "platform/Platform.h"
#include "ui/Guarded.h"
#include "ui/Skin.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace {
const QString kScheme = QStringLiteral("chm");
}

TChmBrowser::TChmBrowser(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("Browser"));
    // Links are followed here: pages of the file in this window, the rest (web and
    // mail addresses) by the system's own programs.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& link) { Guarded([&] { linkClicked(link); }); });
}

QUrl TChmBrowser::PageUrl(const QString& page) {
    const qsizetype hash = page.indexOf(u'#');
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(TChmFile::ObjectPath(hash < 0 ? page : page.left(hash)));
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    return url;
}

QUrl TChmBrowser::InFile(const QUrl& address) const {
    if (!m_File)
        return {};
    // "[ms-its:|mk:@MSITStore:]file.chm::/page.htm", the file named with or without
    // its folder; only this file's pages are its own.
    static const QRegularExpression its(QStringLiteral("^(?:ms-its:|mk:@msitstore:)?(.*?)::(/.*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString written = QUrl::fromPercentEncoding(address.toEncoded());
    if (const QRegularExpressionMatch m = its.match(written); m.hasMatch()) {
        const QString file = QString(m.captured(1)).replace(u'\\', u'/').section(u'/', -1);
        if (file.isEmpty() ||
            file.compare(QFileInfo(m_File->FileName()).fileName(), Qt::CaseInsensitive) != 0)
            return {};
        return PageUrl(m.captured(2));
    }
    const QUrl resolved = address.isRelative() ? source().resolved(address) : address;
    if (resolved.scheme() != kScheme)
        return {};
    return PageUrl(resolved.path() +
                   (resolved.hasFragment() ? u'#' + resolved.fragment() : QString()));
}

QVariant TChmBrowser::loadResource(int type, const QUrl& name) {
    // Nothing outside the help file is read: no local files, no network. An empty
    // answer, not none, or the text document would go and read a "file:" address itself.
    const QUrl inside = InFile(name);
    if (inside.isEmpty())
        return QVariant(QByteArray());
    const QByteArray data = m_File->Read(TChmFile::ObjectPath(inside.path()));
    if (!data.isEmpty() || type != QTextDocument::HtmlResource)
        return data;
    if (m_File->IsDamaged())
        return QStringLiteral("<html><body><h2>Help file damaged</h2><p>%1</p></body></html>")
            .arg(DamagedText(m_File->FileName()).toHtmlEscaped());
    return QStringLiteral("<html><body><h2>Page not found</h2><p>The help file has no page "
                          "%1.</p></body></html>")
        .arg(inside.path().toHtmlEscaped());
}

QString TChmBrowser::DamagedText(const QString& file) {
    return QStringLiteral("The help file %1 is damaged.").arg(QDir::toNativeSeparators(file));
}

void TChmBrowser::linkClicked(const QUrl& link) {
    const QUrl inside = InFile(link);
    const QString scheme = link.scheme().toLower();
    if (!inside.isEmpty())
        setSource(inside);
    else if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
             scheme == QLatin1String("mailto"))
        Shell().Open(link.toString());
    // Anything else (scripts, local files, data, other help files) leads nowhere.
}

THelpWindow::THelpWindow(std::shared_ptr<TChmFile> file, QWidget* parent)
    : QMainWindow(parent), m_File(std::move(file)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // An open help window does not keep the program running after its main window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(m_File->Title().isEmpty() ? QFileInfo(m_File->FileName()).fileName()
                                             : m_File->Title());
    setWindowIcon(WindowPicture());
    resize(820, 560);

    Browser = new TChmBrowser(this);
    Browser->SetFile(m_File);

    auto* bar = addToolBar(QStringLiteral("Help"));
    bar->setObjectName(QStringLiteral("tlbHelp"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QAction* back =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
    back->setObjectName(QStringLiteral("actBack"));
    QAction* forward =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"));
    forward->setObjectName(QStringLiteral("actForward"));
    QAction* home =
        bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Home"));
    home->setObjectName(QStringLiteral("actHome"));
    back->setEnabled(false);
    forward->setEnabled(false);
    GuardedConnect(back, &QAction::triggered, Browser, [this] { Browser->backward(); });
    GuardedConnect(forward, &QAction::triggered, Browser, [this] { Browser->forward(); });
    GuardedConnect(home, &QAction::triggered, this, [this] { ShowTopic(m_File->DefaultTopic()); });
    connect(Browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    tabNavigation = new QTabWidget(this);
    tabNavigation->setObjectName(QStringLiteral("tabNavigation"));
    tvContents = new QTreeWidget(tabNavigation);
    tvContents->setObjectName(QStringLiteral("tvContents"));
    tvContents->setHeaderHidden(true);
    tabNavigation->addTab(tvContents, QStringLiteral("Contents"));

    auto* indexPage = new QWidget(tabNavigation);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    edtKeyword = new QLineEdit(indexPage);
    edtKeyword->setObjectName(QStringLiteral("edtKeyword"));
    edtKeyword->setPlaceholderText(QStringLiteral("Type in the keyword to find"));
    lstIndex = new QListWidget(indexPage);
    lstIndex->setObjectName(QStringLiteral("lstIndex"));
    auto* display = new QPushButton(QStringLiteral("&Display"), indexPage);
    display->setObjectName(QStringLiteral("btnDisplay"));
    indexLayout->addWidget(edtKeyword);
    indexLayout->addWidget(lstIndex, 1);
    indexLayout->addWidget(display, 0, Qt::AlignRight);
    tabNavigation->addTab(indexPage, QStringLiteral("Index"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(tabNavigation);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 590});
    setCentralWidget(splitter);

    buildContents();
    buildIndex();

    GuardedConnect(tvContents, &QTreeWidget::itemClicked, this, [this] {
        if (const QTreeWidgetItem* item = tvContents->currentItem())
            if (const QString page = item->data(0, Qt::UserRole).toString(); !page.isEmpty())
                ShowTopic(page);
    });
    connect(tvContents, &QTreeWidget::itemActivated, tvContents, &QTreeWidget::itemClicked);
    GuardedConnect(edtKeyword, &QLineEdit::textEdited, this, &THelpWindow::edtKeywordChange);
    GuardedConnect(edtKeyword, &QLineEdit::returnPressed, this, &THelpWindow::lstIndexOpen);
    GuardedConnect(lstIndex, &QListWidget::itemActivated, this, &THelpWindow::lstIndexOpen);
    GuardedConnect(display, &QPushButton::clicked, this, &THelpWindow::lstIndexOpen);
    // The browser tells the new page before source() returns it.
    connect(Browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { Guarded([&] { followPage(url); }); });
}

void THelpWindow::addContents(QTreeWidgetItem* parent, const std::vector<TSitemapEntry>& entries,
                              const QIcon& book, const QIcon& page) {
    for (const TSitemapEntry& e : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvContents);
        item->setText(0, e.Name);
        item->setData(0, Qt::UserRole, e.Local);
        const bool isBook = !e.Children.empty();
        item->setIcon(0, isBook ? book : page);
        addContents(item, e.Children, book, page);
        item->setExpanded(isBook);
    }
}

void THelpWindow::buildContents() {
    // One picture of each kind for all entries: a picture of its own for each cost the
    // long contents of a large help file most of their memory.
    addContents(nullptr, m_File->Contents(), style()->standardIcon(QStyle::SP_DirIcon),
                style()->standardIcon(QStyle::SP_FileIcon));
}

void THelpWindow::buildIndex() {
    for (const TSitemapEntry& e : m_File->Index()) {
        auto* item = new QListWidgetItem(e.Name, lstIndex);
        item->setData(Qt::UserRole, e.Local);
    }
}

void THelpWindow::ShowTopic(const QString& page) {
    if (page.isEmpty())
        return;
    Browser->setSource(TChmBrowser::PageUrl(page));
}

void THelpWindow::ShowContents() {
    tabNavigation->setCurrentIndex(0);
    if (CurrentPage().isEmpty())
        ShowTopic(m_File->DefaultTopic());
}

void THelpWindow::ShowIndex(const QString& keyword) {
    tabNavigation->setCurrentIndex(1);
    edtKeyword->setText(keyword);
    edtKeywordChange();
    edtKeyword->setFocus();
}

void THelpWindow::ShowProblem(const QString& text) {
    Browser->setHtml(QStringLiteral("<html><body><h2>%1</h2><p>%2</p></body></html>")
                         .arg(windowTitle().toHtmlEscaped(), text.toHtmlEscaped()));
}

QString THelpWindow::CurrentPage() const {
    const QUrl source = Browser->source();
    return source.scheme() == kScheme ? source.path() : QString();
}

void THelpWindow::edtKeywordChange() {
    const QString typed = edtKeyword->text().trimmed();
    if (typed.isEmpty())
        return;
    for (int i = 0; i < lstIndex->count(); ++i) {
        QListWidgetItem* item = lstIndex->item(i);
        if (item->text().startsWith(typed, Qt::CaseInsensitive)) {
            lstIndex->setCurrentItem(item);
            lstIndex->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void THelpWindow::lstIndexOpen() {
    if (const QListWidgetItem* item = lstIndex->currentItem())
        ShowTopic(item->data(Qt::UserRole).toString());
}

void THelpWindow::followPage(const QUrl& url) {
    // The contents show where the reader is, whichever way the page was reached.
    // A book opens at its first page, so the page's own entry is preferred to it.
    const QString page = url.scheme() == kScheme ? url.path() : QString();
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(tvContents); *it; ++it) {
        const QString local = (*it)->data(0, Qt::UserRole).toString();
        if (local.isEmpty() || TChmFile::ObjectPath(local.section(u'#', 0, 0)) != page)
            continue;
        if (!found || (*it)->childCount() == 0)
            found = *it;
        if ((*it)->childCount() == 0)
            break;
    }
    if (found) {
        const QSignalBlocker quiet(tvContents);
        tvContents->setCurrentItem(found);
    }
}
