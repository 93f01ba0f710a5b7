#pragma once

#include <QMainWindow>
#include <QTextBrowser>
#include <memory>

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
    void addContents(QTreeWidgetItem* parent, const std::vector<TSitemapEntry>& entries);
    void buildIndex();
    void followPage(const QUrl& url);

    std::shared_ptr<TChmFile> m_File;
};
