#pragma once

#include <QMainWindow>
#include <QTextBrowser>
#include <memory>

class QIcon;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TChmFile;
struct TSitemapEntry;

// Pages of a help file: addresses are "chm:///page.htm", read from the file itself.
class TChmBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit TChmBrowser(QWidget* parent = nullptr);
    void SetFile(std::shared_ptr<TChmFile> file) { m_File = std::move(file); }
    QVariant loadResource(int type, const QUrl& name) override;

    static QUrl PageUrl(const QString& page);
    // The page of the open help file that an address leads to, in any of the forms a
    // compiled help file writes ("page.htm", "chm:///page.htm", "budget.chm::/page.htm",
    // "ms-its:budget.chm::/page.htm", "mk:@MSITStore:budget.chm::/page.htm"); an empty
    // address when it leads anywhere else.
    QUrl InFile(const QUrl& address) const;
    // What a page says about a file whose contents are damaged.
    static QString DamagedText(const QString& file);

private:
    void linkClicked(const QUrl& link);

    std::shared_ptr<TChmFile> m_File;
};

// The help window over one help file: its table of contents and index beside the
// page. It belongs to no program window and stays open until the user closes it or
// all help windows are closed.
class THelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit THelpWindow(std::shared_ptr<TChmFile> file, QWidget* parent = nullptr);

    // page: "main.htm", "/main.htm" or with "#anchor".
    void ShowTopic(const QString& page);
    // The contents beside the page; the file's first page when none is shown yet.
    void ShowContents();
    // The index, at the first entry that starts with the keyword.
    void ShowIndex(const QString& keyword);
    // A page that tells what could not be shown.
    void ShowProblem(const QString& text);

    // The page shown, as an object path of the file ("/main.htm"); empty for none.
    QString CurrentPage() const;
    const TChmFile& File() const { return *m_File; }

    QTabWidget* tabNavigation = nullptr;
    QTreeWidget* tvContents = nullptr;
    QLineEdit* edtKeyword = nullptr;
    QListWidget* lstIndex = nullptr;
    TChmBrowser* Browser = nullptr;

public slots:
    void edtKeywordChange();
    void lstIndexOpen();

private:
    void buildContents();
    void addContents(QTreeWidgetItem* parent, const std::vector<TSitemapEntry>& entries,
                     const QIcon& book, const QIcon& page);
    void buildIndex();
    void followPage(const QUrl& url);

    std::shared_ptr<TChmFile> m_File;
};
