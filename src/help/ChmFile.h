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

// Reads the entries of a contents (.hhc) or index (.hhk) file. Entries nested deeper
// than kMaxSitemapDepth levels below the top are kept at that depth.
constexpr int kMaxSitemapDepth = 32;
std::vector<TSitemapEntry> ParseSitemap(const QByteArray& html);

// What a help file's #SYSTEM object names: its contents and index files, its first
// page (as object paths) and its title.
struct TChmSystem {
    QString ContentsFile, IndexFile, DefaultTopic, Title;
};
TChmSystem ParseChmSystem(const QByteArray& system);

// Context number to the page's name as the help compiler wrote it, from the #IVB and
// #STRINGS objects.
QMap<quint32, QString> ParseContextMap(const QByteArray& ivb, const QByteArray& strings);

// A compiled HTML help file, read with chmlib. Object paths inside it start with "/".
class TChmFile {
public:
    explicit TChmFile(const QString& fileName);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    bool IsOpen() const { return m_File != nullptr; }
    QString FileName() const { return m_FileName; }
    // Whether an object read so far claimed more bytes than the file can hold or than
    // came back; its reading gave nothing.
    bool IsDamaged() const { return m_Damaged; }

    bool Contains(const QString& path) const;
    // The object's bytes; empty when it is missing or damaged.
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
    void readSectionLength();
    // A path as the help compiler wrote it, mapped to an object of this file.
    QString existingObject(const QString& written) const;

    chmFile* m_File = nullptr;
    QString m_FileName;
    qint64 m_FileSize = 0;
    // What the compressed objects hold together once expanded, as the file states it.
    quint64 m_SectionLength = 0;
    mutable bool m_Damaged = false;
    QString m_Title, m_DefaultTopic, m_ContentsFile, m_IndexFile;
};
