// The built help file and the help window that shows it.
#include "TestData.h"

#include "help/ChmFile.h"
#include "help/ChmHelp.h"
#include "help/HelpWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString kHelpFile = QStringLiteral(BUDGET_HELP_FILE);

QStringList pagesOf(const std::vector<TSitemapEntry>& entries) {
    QStringList pages;
    for (const TSitemapEntry& e : entries) {
        if (!e.Local.isEmpty())
            pages << TChmFile::ObjectPath(e.Local);
        pages << pagesOf(e.Children);
    }
    return pages;
}

QList<THelpWindow*> helpWindows() {
    QList<THelpWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<THelpWindow*>(w))
            found << h;
    return found;
}

} // namespace

class TestHelpFile : public QObject {
    Q_OBJECT
private slots:
    void everyContextHasItsTopicInContentsAndIndex() {
        const TChmFile chm(kHelpFile);
        QVERIFY2(chm.IsOpen(), qPrintable(kHelpFile));
        QCOMPARE(chm.Title(), QStringLiteral("Velmora Budget Help"));
        QVERIFY(chm.Contains(chm.DefaultTopic()));

        const QMap<quint32, QString> topics = chm.ContextTopics();
        const QMap<quint32, QString> expected{{1000, "/main.htm"},    {1007, "/account.htm"},
                                              {1008, "/wallet.htm"},  {1009, "/deposit.htm"},
                                              {1010, "/debit.htm"},   {1011, "/transfer.htm"},
                                              {1012, "/history.htm"}, {1013, "/import.htm"}};
        QCOMPARE(topics, expected);

        const QStringList contents = pagesOf(chm.Contents());
        const QStringList index = pagesOf(chm.Index());
        for (const QString& topic : topics) {
            const QString page = QString::fromUtf8(chm.Read(topic));
            QVERIFY2(page.contains(QLatin1String("<h1>")), qPrintable(topic));
            QVERIFY2(contents.contains(topic), qPrintable(topic));
            QVERIFY2(index.contains(topic), qPrintable(topic));
        }
    }

    void noPageLinksToAMissingPage() {
        const TChmFile chm(kHelpFile);
        static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]+)\""),
                                             QRegularExpression::CaseInsensitiveOption);
        QSet<QString> pages{chm.DefaultTopic()};
        for (const QString& p : pagesOf(chm.Contents()) + pagesOf(chm.Index()))
            pages.insert(p);
        QVERIFY(pages.size() >= 7);
        for (const QString& page : pages) {
            QVERIFY2(chm.Contains(page), qPrintable(page));
            const QString html = QString::fromUtf8(chm.Read(page));
            for (auto it = href.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1).section(u'#', 0, 0);
                if (target.isEmpty() || target.contains(u':'))
                    continue;
                QVERIFY2(chm.Contains(TChmFile::ObjectPath(target)),
                         qPrintable(page + QStringLiteral(" -> ") + target));
            }
        }
    }

    void sitemapsAsHelpCompilersWriteThem() {
        const QByteArray hhc = R"hhc(<HTML><BODY>
<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>
<UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Money &amp; more">
      <param name="Local" value="money.htm"></OBJECT>
  <UL>
    <LI><object TYPE='text/sitemap'><PARAM NAME=Name VALUE='Cards'><param name="Local" value="sub\cards.htm#top"></object>
    <LI><OBJECT type="text/sitemap"><param name="Name" value="No page"></OBJECT>
  </UL>
  <LI><OBJECT type="text/sitemap"><param name="Local" value="tail.htm"><param name="Name" value="Tail"><param name="Name" value="Second name"></OBJECT>
</UL></BODY></HTML>)hhc";
        const std::vector<TSitemapEntry> tree = ParseSitemap(hhc);
        QCOMPARE(tree.size(), size_t(2));
        QCOMPARE(tree[0].Name, QStringLiteral("Money & more"));
        QCOMPARE(tree[0].Children.size(), size_t(2));
        QCOMPARE(tree[0].Children[0].Name, QStringLiteral("Cards"));
        QCOMPARE(TChmFile::ObjectPath(tree[0].Children[0].Local),
                 QStringLiteral("/sub/cards.htm#top"));
        QVERIFY(tree[0].Children[1].Local.isEmpty());
        QCOMPARE(tree[1].Name, QStringLiteral("Tail"));
        QCOMPARE(tree[1].Local, QStringLiteral("tail.htm"));
        QVERIFY(ParseSitemap("<UL><LI>no objects</UL>").empty());
    }

    void theHelpWindowServesEachCommand() {
        TestEnv env;
        std::unique_ptr<IHtmlHelp> help = CreateChmHelp();
        help->HtmlHelpA(nullptr, kHelpFile, HH_HELP_CONTEXT, 1009);
        QCOMPARE(helpWindows().size(), 1);
        THelpWindow* w = helpWindows().first();
        QVERIFY(w->isVisible());
        QVERIFY(!w->parentWidget());
        QCOMPARE(w->windowTitle(), QStringLiteral("Velmora Budget Help"));
        QCOMPARE(w->CurrentPage(), QStringLiteral("/deposit.htm"));
        QVERIFY(w->Browser->toPlainText().contains(QLatin1String("Entering a deposit")));
        QVERIFY(w->tvContents->currentItem());
        QCOMPARE(w->tvContents->currentItem()->text(0), QStringLiteral("Entering a deposit"));

        help->HtmlHelpA(nullptr, kHelpFile, HH_HELP_CONTEXT, 4242);
        QCOMPARE(helpWindows().size(), 1);
        QVERIFY(w->Browser->toPlainText().contains(QLatin1String("no topic for context 4242")));

        help->HtmlHelpA(nullptr, kHelpFile, HH_DISPLAY_TOC, 0);
        QCOMPARE(w->tabNavigation->currentIndex(), 0);
        QVERIFY(w->tvContents->topLevelItemCount() >= 5);

        const QByteArray keyword("trans");
        help->HtmlHelpA(nullptr, kHelpFile, HH_DISPLAY_INDEX, qintptr(keyword.constData()));
        QCOMPARE(w->tabNavigation->currentIndex(), 1);
        QCOMPARE(w->lstIndex->currentItem()->text(), QStringLiteral("Transfer"));
        w->lstIndexOpen();
        QCOMPARE(w->CurrentPage(), QStringLiteral("/transfer.htm"));

        help->HtmlHelpA(nullptr, kHelpFile + QStringLiteral("::/history.htm"), HH_DISPLAY_TOPIC, 0);
        QCOMPARE(w->CurrentPage(), QStringLiteral("/history.htm"));

        // Links: pages of the file here, web and mail addresses through the shell.
        emit w->Browser->anchorClicked(QUrl(QStringLiteral("query.htm")));
        QCOMPARE(w->CurrentPage(), QStringLiteral("/query.htm"));
        emit w->Browser->anchorClicked(QUrl(QStringLiteral("https://velmora-budget.example.org/")));
        QCOMPARE(env.shell->opened, QStringList({"https://velmora-budget.example.org/"}));
        QCOMPARE(w->CurrentPage(), QStringLiteral("/query.htm"));
        // Nothing outside the help file is read.
        QVERIFY(!w->Browser
                     ->loadResource(QTextDocument::HtmlResource, QUrl::fromLocalFile(env.dbPath()))
                     .isValid());
        QVERIFY(!w->Browser
                     ->loadResource(QTextDocument::StyleSheetResource,
                                    QUrl(QStringLiteral("chm:/help.css")))
                     .toByteArray()
                     .isEmpty());

        help->HtmlHelpA(nullptr, env.dir() + QStringLiteral("/missing.chm"), HH_HELP_CONTEXT, 1000);
        QCOMPARE(helpWindows().size(), 2);
        for (THelpWindow* h : helpWindows())
            QCOMPARE(h->Browser->toPlainText().contains(QLatin1String("cannot be opened")), h != w);

        help->HtmlHelpA(nullptr, QString(), HH_CLOSE_ALL, 0);
        QVERIFY(helpWindows().isEmpty());
    }
};

BUDGET_TEST(TestHelpFile)
#include "tst_helpfile.moc"
