// The built help file and the help window that shows it.
#include "PrintTestKit.h"
#include "TestData.h"

#include "app/UtMain.h"
#include "export/PreviewFormEh.h"
#include "help/ChmFile.h"
#include "help/ChmHelp.h"
#include "help/HelpWindow.h"
#include "history/UtAccountHistory.h"
#include "reports/UtReports.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtEndian>
#include <QtTest>
#include <algorithm>
#include <functional>

namespace {

const QString kHelpFile = QStringLiteral(BUDGET_HELP_FILE);

// A help file of our own: the pages (name, text) and the contents, compiled with the
// help compiler into dir/t.chm; the first page is the file's first topic.
QString compileHelp(const QString& dir, const std::vector<std::pair<QString, QByteArray>>& pages,
                    const QByteArray& contents) {
    QByteArray project = "[OPTIONS]\nCompiled file=t.chm\nContents file=t.hhc\nTitle=Test help\n";
    project += "Default topic=" + pages.front().first.toUtf8() + "\n\n[FILES]\n";
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir + u'/' + name);
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    };
    for (const auto& [name, text] : pages) {
        project += name.toUtf8() + '\n';
        if (!text.isNull() && !write(name, text)) // none: the file is there already
            return {};
    }
    if (!write(QStringLiteral("t.hhc"), contents) || !write(QStringLiteral("t.hhp"), project))
        return {};
    QProcess chmcmd;
    chmcmd.setWorkingDirectory(dir);
    chmcmd.start(QStringLiteral(BUDGET_CHMCMD), {QStringLiteral("--verbosity"), "1", "t.hhp"});
    if (!chmcmd.waitForFinished(120000) || chmcmd.exitCode() != 0)
        return {};
    return dir + QStringLiteral("/t.chm");
}

QByteArray encint(quint64 v) {
    QByteArray out;
    do {
        out.prepend(char(v & 0x7F));
        v >>= 7;
    } while (v);
    for (qsizetype i = 0; i + 1 < out.size(); ++i)
        out[i] = char(out[i] | 0x80);
    return out;
}

quint64 readEncint(const QByteArray& b, qsizetype& at) {
    quint64 v = 0;
    uchar c = 0;
    do {
        c = uchar(b.at(at++));
        v = v << 7 | (c & 0x7F);
    } while (c & 0x80);
    return v;
}

// Gives an object of a compiled help file another length in the file's directory, as
// damage would: its entry is written again and the entries after it move along into
// the chunk's free room.
bool setObjectLength(QByteArray& chm, const QByteArray& object, quint64 length) {
    const qsizetype dir = qsizetype(qFromLittleEndian<quint64>(chm.constData() + 0x48));
    const qsizetype headerLength = qFromLittleEndian<quint32>(chm.constData() + dir + 8);
    const qsizetype chunkSize = qFromLittleEndian<quint32>(chm.constData() + dir + 0x10);
    const qsizetype chunks = qFromLittleEndian<quint32>(chm.constData() + dir + 0x2C);
    for (qsizetype k = 0; k < chunks; ++k) {
        const qsizetype start = dir + headerLength + k * chunkSize;
        QByteArray chunk = chm.mid(start, chunkSize);
        if (!chunk.startsWith("PMGL"))
            continue;
        const quint32 free = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qsizetype used = chunkSize - free;
        for (qsizetype at = 20; at < used;) {
            const qsizetype entry = at;
            const qsizetype nameLength = qsizetype(readEncint(chunk, at));
            const QByteArray name = chunk.mid(at, nameLength);
            at += nameLength;
            const quint64 space = readEncint(chunk, at), offset = readEncint(chunk, at);
            readEncint(chunk, at);
            if (name != object)
                continue;
            const QByteArray rewritten = encint(quint64(nameLength)) + name + encint(space) +
                                         encint(offset) + encint(length);
            const qsizetype grow = rewritten.size() - (at - entry);
            if (grow > qsizetype(free))
                return false;
            chunk =
                chunk.left(entry) + rewritten + chunk.mid(at, used - at) + chunk.mid(used + grow);
            qToLittleEndian<quint32>(quint32(free - grow), chunk.data() + 4);
            chm.replace(start, chunkSize, chunk);
            return true;
        }
    }
    return false;
}

THelpWindow* shownHelpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<THelpWindow*>(w); h && h->isVisible())
            return h;
    return nullptr;
}

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
        const QMap<quint32, QString> expected{
            {1000, "/main.htm"},    {1007, "/account.htm"}, {1008, "/wallet.htm"},
            {1009, "/deposit.htm"}, {1010, "/debit.htm"},   {1011, "/transfer.htm"},
            {1012, "/history.htm"}, {1013, "/import.htm"},  {1014, "/reports.htm"}};
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

        // Lists nested far deeper than any contents needs: every entry is kept, the
        // deep ones at the deepest level kept.
        const int nested = 200000;
        QByteArray deep;
        for (int i = 0; i < nested; ++i)
            deep += "<UL><LI><OBJECT type=text/sitemap><param name=Name value=e></OBJECT>";
        const std::vector<TSitemapEntry> levels = ParseSitemap(deep);
        int depth = 0;
        size_t entries = 0;
        for (const std::vector<TSitemapEntry>* at = &levels; !at->empty(); ++depth) {
            entries += at->size();
            at = &at->front().Children;
        }
        QCOMPARE(depth, kMaxSitemapDepth + 1);
        QCOMPARE(entries, size_t(nested));
    }

    // Every command of every menu and toolbar is on its window's page and has an index
    // entry that leads to a page naming it; one caption in several windows leads to each.
    void theIndexNamesEveryCommand() {
        TestEnv env;
        auto printers = SetPrinters(std::make_unique<PrinterRecorder>());
        TFrmMain main;
        TFrmAccountHistory history;
        TFrmReports reports;
        const std::pair<QWidget*, QString> windows[] = {{&main, "/main.htm"},
                                                        {&history, "/history.htm"},
                                                        {&PreviewFormEh(), "/preview.htm"},
                                                        {&reports, "/reports.htm"}};
        QMap<QString, QSet<QString>> offeredOn; // caption -> the pages of its windows
        for (const auto& [window, page] : windows) {
            QStringList captions;
            for (const QMenu* m : window->findChildren<QMenu*>())
                for (const QAction* a : m->actions())
                    if (!a->isSeparator() && !a->menu())
                        captions << a->text();
            for (const QToolButton* b : window->findChildren<QToolButton*>())
                captions << b->text();
            for (QString c : captions) {
                c.remove(u'&');
                if (c.endsWith(QLatin1String("...")))
                    c.chop(3);
                if (!c.trimmed().isEmpty())
                    offeredOn[c.trimmed()].insert(page);
            }
        }
        QVERIFY(offeredOn.size() > 50);

        const TChmFile chm(kHelpFile);
        QHash<QString, QSet<QString>> index; // entry name, lower case -> pages it leads to
        std::function<void(const TSitemapEntry&, QSet<QString>&)> pages =
            [&](const TSitemapEntry& e, QSet<QString>& out) {
                if (!e.Local.isEmpty())
                    out.insert(TChmFile::ObjectPath(e.Local.section(u'#', 0, 0)));
                for (const TSitemapEntry& c : e.Children)
                    pages(c, out);
            };
        std::function<void(const std::vector<TSitemapEntry>&)> walk =
            [&](const std::vector<TSitemapEntry>& entries) {
                for (const TSitemapEntry& e : entries) {
                    pages(e, index[e.Name.toLower()]);
                    walk(e.Children);
                }
            };
        walk(chm.Index());
        QHash<QString, QString> texts;
        const auto names = [&](const QString& page, const QString& caption) {
            if (!texts.contains(page)) {
                QTextDocument doc;
                doc.setHtml(QString::fromUtf8(chm.Read(page)));
                texts.insert(page, doc.toPlainText());
            }
            return texts.value(page).contains(caption, Qt::CaseInsensitive);
        };
        for (auto it = offeredOn.cbegin(); it != offeredOn.cend(); ++it) {
            const QString& caption = it.key();
            for (const QString& page : it.value())
                QVERIFY2(names(page, caption), qPrintable(caption + QStringLiteral(" on ") + page));
            const QSet<QString> led = index.value(caption.toLower());
            QVERIFY2(std::any_of(led.cbegin(), led.cend(),
                                 [&](const QString& page) { return names(page, caption); }),
                     qPrintable(QStringLiteral("index entry for ") + caption));
            if (it.value().size() > 1)
                QVERIFY2(led.contains(it.value()),
                         qPrintable(QStringLiteral("index entry for each ") + caption));
        }
        SetPrinters(std::move(printers));
    }

    // A help file that links and points anywhere: only its own pages are read and
    // opened here, web and mail addresses go to the shell, the rest nowhere.
    void pagesReachNothingOutsideTheHelpFile() {
        TestEnv env;
        const QString picture = env.dir() + QStringLiteral("/outside.png");
        const QString sheet = env.dir() + QStringLiteral("/outside.css");
        QImage(8, 8, QImage::Format_RGB32).save(picture);
        QImage(8, 8, QImage::Format_RGB32).save(env.dir() + QStringLiteral("/inside.png"));
        QFile css(sheet);
        QVERIFY(css.open(QIODevice::WriteOnly) && css.write("h1 { color: #ff0000 }") > 0);
        css.close();
        const QByteArray page =
            "<html><head><link rel=\"stylesheet\" href=\"" +
            QUrl::fromLocalFile(sheet).toEncoded() + "\"></head><body><h1>A</h1><img src=\"" +
            QUrl::fromLocalFile(picture).toEncoded() + "\"><img src=\"inside.png\"></body></html>";
        const QString chm = compileHelp(env.dir(),
                                        {{"a.htm", page},
                                         {"b.htm", "<html><body><h1>B</h1></body></html>"},
                                         {"inside.png", {}}},
                                        "<UL><LI><OBJECT type=\"text/sitemap\"><param "
                                        "name=\"Local\" value=\"a.htm\"></OBJECT></UL>");
        QVERIFY(!chm.isEmpty());
        std::unique_ptr<IHtmlHelp> help = CreateChmHelp();
        help->HtmlHelpA(nullptr, chm, HH_DISPLAY_TOC, 0);
        THelpWindow* w = shownHelpWindow();
        QVERIFY(w);
        QCOMPARE(w->CurrentPage(), QStringLiteral("/a.htm"));
        QTextDocument* doc = w->Browser->document();
        QVERIFY(
            !doc->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("chm:///inside.png")))
                 .value<QImage>()
                 .isNull());
        for (const QString& outside : {picture, sheet}) {
            const QVariant read =
                doc->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(outside));
            QVERIFY2(read.value<QImage>().isNull() && read.toByteArray().isEmpty(),
                     qPrintable(outside));
        }

        const struct {
            const char* link;
            const char* page;   // where the window goes, or "" for nowhere
            const char* opened; // what the shell is asked to open, or ""
        } links[] = {
            {"b.htm", "/b.htm", ""},
            {"chm:///b.htm", "/b.htm", ""},
            {"t.chm::/b.htm", "/b.htm", ""},
            {"ms-its:t.chm::/b.htm", "/b.htm", ""},
            {"mk:@MSITStore:t.chm::/b.htm", "/b.htm", ""},
            {"ms-its:C:\\Help\\T.CHM::/b.htm#part", "/b.htm", ""},
            {"ms-its:other.chm::/b.htm", "", ""},
            {"other.chm::/b.htm", "", ""},
            {"https://example.org/", "", "https://example.org/"},
            {"http://example.org/a", "", "http://example.org/a"},
            {"mailto:help@example.org", "", "mailto:help@example.org"},
            {"javascript:alert(1)", "", ""},
            {"file:///etc/passwd", "", ""},
            {"data:text/html,hello", "", ""},
        };
        for (const auto& l : links) {
            w->ShowTopic(QStringLiteral("a.htm"));
            env.shell->opened.clear();
            emit w->Browser->anchorClicked(QUrl(QString::fromLatin1(l.link)));
            const QString page = QLatin1String(l.page);
            QCOMPARE(w->CurrentPage(), page.isEmpty() ? QStringLiteral("/a.htm") : page);
            QCOMPARE(env.shell->opened.join(u' '), QLatin1String(l.opened));
        }
        help->HtmlHelpA(nullptr, QString(), HH_CLOSE_ALL, 0);
    }

    // A length in the file's directory beyond what the file holds: the help window says
    // the file is damaged, as it says when the file is missing, and nothing is reserved.
    void aDamagedLengthIsReportedInThePage() {
        TestEnv env;
        QFile built(kHelpFile);
        QVERIFY(built.open(QIODevice::ReadOnly));
        const QByteArray whole = built.readAll();
        const struct {
            const char* object;
            quint64 length;
        } cases[] = {{"/#SYSTEM", quint64(1) << 62},
                     {"/#SYSTEM", quint64(whole.size()) + 1},
                     {"/deposit.htm", 1 << 20}};
        for (const auto& c : cases) {
            QByteArray damaged = whole;
            QVERIFY(setObjectLength(damaged, c.object, c.length));
            const QString file = env.dir() + QStringLiteral("/damaged.chm");
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(out.write(damaged) == damaged.size());
            out.close();
            std::unique_ptr<IHtmlHelp> help = CreateChmHelp();
            help->HtmlHelpA(nullptr, file, HH_HELP_CONTEXT, 1009);
            THelpWindow* w = shownHelpWindow();
            QVERIFY(w);
            QVERIFY2(w->Browser->toPlainText().contains(
                         QStringLiteral("The help file %1 is damaged.").arg(file)),
                     qPrintable(QString::fromLatin1(c.object) + QStringLiteral(": ") +
                                w->Browser->toPlainText()));
            // Help Topics too, when the damage is in what every request reads.
            help->HtmlHelpA(nullptr, file, HH_DISPLAY_TOC, 0);
            w = shownHelpWindow();
            QVERIFY(w);
            QCOMPARE(w->Browser->toPlainText().contains(QLatin1String("is damaged")),
                     qstrcmp(c.object, "/#SYSTEM") == 0);
            help->HtmlHelpA(nullptr, QString(), HH_CLOSE_ALL, 0);
        }
        QVERIFY(env.messages->messages.empty());
    }

    // A long contents takes one picture of each kind, however many entries it has.
    void aLongContentsSharesItsPictures() {
        TestEnv env;
        QByteArray contents = "<UL>";
        for (int book = 0; book < 60; ++book) {
            contents += "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Book " +
                        QByteArray::number(book) + "\"></OBJECT><UL>";
            for (int i = 0; i < 100; ++i)
                contents += "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Page " +
                            QByteArray::number(i) +
                            "\"><param name=\"Local\" value=\"a.htm\"></OBJECT>";
            contents += "</UL>";
        }
        contents += "</UL>";
        const QString chm =
            compileHelp(env.dir(), {{"a.htm", "<html><body><h1>A</h1></body></html>"}}, contents);
        QVERIFY(!chm.isEmpty());
        THelpWindow w(std::make_shared<TChmFile>(chm));
        QSet<qint64> books, pages;
        int entries = 0;
        for (QTreeWidgetItemIterator it(w.tvContents); *it; ++it, ++entries)
            ((*it)->childCount() ? books : pages).insert((*it)->icon(0).cacheKey());
        QCOMPARE(entries, 6060);
        QCOMPARE(books.size(), 1);
        QCOMPARE(pages.size(), 1);
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
        emit w->Browser->anchorClicked(QUrl(QStringLiteral("https://velmora.test/")));
        QCOMPARE(env.shell->opened, QStringList({"https://velmora.test/"}));
        QCOMPARE(w->CurrentPage(), QStringLiteral("/query.htm"));
        // Nothing outside the help file is read.
        QVERIFY(
            w->Browser->loadResource(QTextDocument::HtmlResource, QUrl::fromLocalFile(env.dbPath()))
                .toByteArray()
                .isEmpty());
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
