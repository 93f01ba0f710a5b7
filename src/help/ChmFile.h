#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <vector>

struct chmFile;

// One entry of a contents or index file: its shown name, the page it opens ("" for
// a heading without a page) and the entries below it.
struct TSitemapEntry {
    QString Name;
    QString Local;
    std::vector<TSitemapEntry> Children;
};

// Reads the entries of a contents (.hhc) or index (.hhk) file.
std::vector<TSitemapEntry> ParseSitemap(const QByteArray& html);

// A compiled HTML help file, read with chmlib. Object paths inside it start with "/".
class TChmFile {
public:
    explicit TChmFile(const QString& fileName);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    bool IsOpen() const { return m_File != nullptr; }
    QString FileName() const { return m_FileName; }

    bool Contains(const QString& path) const;
    // The object's bytes; empty when it is missing.
    QByteArray Read(const QString& path) const;

    QString Title() const { return m_Title; }
    QString DefaultTopic() const { return m_DefaultTopic; }
    // The object paths of the contents and index files; empty when the file has none.
    QString ContentsFile() const { return m_ContentsFile; }
    QString IndexFile() const { return m_IndexFile; }

    // Context number to the topic's object path, as the file maps them.
    QMap<quint32, QString> ContextTopics() const;
    std::vector<TSitemapEntry> Contents() const;
    std::vector<TSitemapEntry> Index() const;

    // "page.htm", "/page.htm", "sub\page.htm" -> "/page.htm", "/sub/page.htm".
    static QString ObjectPath(const QString& page);

private:
    void readSystem();
    // A path as the help compiler wrote it, mapped to an object of this file.
    QString existingObject(const QString& written) const;

    chmFile* m_File = nullptr;
    QString m_FileName;
    QString m_Title, m_DefaultTopic, m_ContentsFile, m_IndexFile;
};
