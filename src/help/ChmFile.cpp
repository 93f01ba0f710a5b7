#include "help/ChmFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QtEndian>

#include <chm_lib.h>

namespace {

// Help sources come in UTF-8 or in a Windows code page; Latin-1 is the nearest of
// those that Qt decodes, and it never fails.
QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString decodeEntities(QString text) {
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        char32_t code = 0;
        if (name.startsWith(QLatin1String("#x")))
            code = char32_t(name.mid(2).toUInt(nullptr, 16));
        else if (name.startsWith(u'#'))
            code = char32_t(name.mid(1).toUInt());
        else if (name == QLatin1String("amp"))
            code = u'&';
        else if (name == QLatin1String("lt"))
            code = u'<';
        else if (name == QLatin1String("gt"))
            code = u'>';
        else if (name == QLatin1String("quot"))
            code = u'"';
        else if (name == QLatin1String("apos"))
            code = u'\'';
        else if (name == QLatin1String("nbsp"))
            code = 0xA0;
        if (code != 0)
            out += QString::fromUcs4(&code, 1);
        else
            out += m.captured(0);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

QString attribute(const QString& attributes, const QString& wanted) {
    static const QRegularExpression pair(
        QStringLiteral(R"re((\w+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"));
    for (auto it = pair.globalMatch(attributes); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).compare(wanted, Qt::CaseInsensitive) == 0) {
            for (int i = 2; i <= 4; ++i)
                if (m.capturedStart(i) >= 0)
                    return decodeEntities(m.captured(i));
        }
    }
    return {};
}

quint32 le32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

std::vector<TSitemapEntry> ParseSitemap(const QByteArray& html) {
    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*(ul|object|param)\b([^>]*)>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    std::vector<TSitemapEntry> root;
    // Where entries go at each depth. A list opened right after an entry holds that
    // entry's children; one opened with no entry before it stays at the same depth, and
    // so does one below the deepest level kept: a file of lists nested hundreds of
    // thousands deep would otherwise make entries that no stack can walk or free.
    struct Level {
        std::vector<TSitemapEntry>* entries;
        int depth;
    };
    std::vector<Level> levels{{&root, 0}};
    bool inEntry = false;
    TSitemapEntry entry;
    const QString text = decodeText(html);
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString attributes = m.captured(3);
        if (name == QLatin1String("ul")) {
            if (closing) {
                if (levels.size() > 1)
                    levels.pop_back();
            } else {
                const Level current = levels.back();
                if (current.entries->empty() || current.depth >= kMaxSitemapDepth)
                    levels.push_back(current);
                else
                    levels.push_back({&current.entries->back().Children, current.depth + 1});
            }
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inEntry = attribute(attributes, QStringLiteral("type"))
                              .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                entry = {};
            } else if (inEntry) {
                inEntry = false;
                if (!entry.Name.isEmpty() || !entry.Local.isEmpty())
                    levels.back().entries->push_back(std::move(entry));
                entry = {};
            }
        } else if (inEntry && !closing) {
            // An index entry may name several pages; it opens the first.
            const QString param = attribute(attributes, QStringLiteral("name"));
            const QString value = attribute(attributes, QStringLiteral("value"));
            if (param.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 &&
                entry.Name.isEmpty())
                entry.Name = value;
            else if (param.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 &&
                     entry.Local.isEmpty())
                entry.Local = value;
        }
    }
    return root;
}

TChmFile::TChmFile(const QString& fileName)
    : m_FileName(fileName), m_FileSize(QFileInfo(fileName).size()) {
    m_File = chm_open(QFile::encodeName(fileName).constData());
    if (m_File) {
        readSectionLength();
        readSystem();
    }
}

void TChmFile::readSectionLength() {
    // The reset table of the compressed section: a version, the number of blocks, a
    // size, the table's offset, then the expanded and the compressed length and the
    // expanded size of one block (64-bit each).
    const QByteArray table = Read(QStringLiteral(
        "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
        "InstanceData/ResetTable"));
    if (table.size() < 40)
        return;
    const quint64 blocks = qFromLittleEndian<quint32>(table.constData() + 4);
    const quint64 expanded = qFromLittleEndian<quint64>(table.constData() + 16);
    const quint64 blockLength = qFromLittleEndian<quint64>(table.constData() + 32);
    // No more than its blocks can give back.
    if (blockLength == 0 || expanded / blockLength > blocks)
        m_Damaged = true;
    else
        m_SectionLength = expanded;
}

TChmFile::~TChmFile() {
    if (m_File)
        chm_close(m_File);
}

QString TChmFile::ObjectPath(const QString& page) {
    QString path = page;
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    return path;
}

bool TChmFile::Contains(const QString& path) const {
    chmUnitInfo unit;
    return m_File &&
           chm_resolve_object(m_File, path.toUtf8().constData(), &unit) == CHM_RESOLVE_SUCCESS;
}

QByteArray TChmFile::Read(const QString& path) const {
    chmUnitInfo unit;
    if (!m_File ||
        chm_resolve_object(m_File, path.toUtf8().constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return {};
    // A length is taken from the file's directory as written: one that the file cannot
    // hold is damage, not a size to make room for.
    const quint64 room = unit.space == CHM_UNCOMPRESSED ? quint64(m_FileSize) : m_SectionLength;
    if (unit.length > room || unit.start > room - unit.length) {
        m_Damaged = true;
        return {};
    }
    QByteArray data;
    unsigned char block[1 << 16];
    LONGUINT64 done = 0;
    while (done < unit.length) {
        const LONGINT64 n =
            chm_retrieve_object(m_File, &unit, block, done,
                                LONGINT64(qMin<LONGUINT64>(sizeof block, unit.length - done)));
        if (n <= 0)
            break;
        data.append(reinterpret_cast<const char*>(block), qsizetype(n));
        done += LONGUINT64(n);
    }
    if (done < unit.length) {
        m_Damaged = true;
        return {};
    }
    return data;
}

TChmSystem ParseChmSystem(const QByteArray& system) {
    // A version number, then records of a 16-bit code, a 16-bit length and the data.
    TChmSystem out;
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const quint16 code = qFromLittleEndian<quint16>(system.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(system.constData() + at + 2);
        at += 4;
        if (at + length > system.size())
            break;
        QByteArray value = system.mid(at, length);
        if (const qsizetype nul = value.indexOf('\0'); nul >= 0)
            value.truncate(nul);
        const QString text = decodeText(value);
        switch (code) {
        case 0:
            out.ContentsFile = text.isEmpty() ? QString() : TChmFile::ObjectPath(text);
            break;
        case 1:
            out.IndexFile = text.isEmpty() ? QString() : TChmFile::ObjectPath(text);
            break;
        case 2:
            out.DefaultTopic = text.isEmpty() ? QString() : TChmFile::ObjectPath(text);
            break;
        case 3:
            out.Title = text;
            break;
        default:
            break;
        }
        at += length;
    }
    return out;
}

void TChmFile::readSystem() {
    const TChmSystem system = ParseChmSystem(Read(QStringLiteral("/#SYSTEM")));
    m_ContentsFile = system.ContentsFile;
    m_IndexFile = system.IndexFile;
    m_DefaultTopic = system.DefaultTopic;
    m_Title = system.Title;
}

QString TChmFile::existingObject(const QString& written) const {
    // Some compilers write an alias's page as the full path they read it from; the
    // page is then the longest tail of that path that names an object of the file.
    QString path = ObjectPath(written);
    while (!path.isEmpty()) {
        if (Contains(path))
            return path;
        const qsizetype next = path.indexOf(u'/', 1);
        if (next < 0)
            break;
        path = path.mid(next);
    }
    return {};
}

QMap<quint32, QString> ParseContextMap(const QByteArray& ivb, const QByteArray& strings) {
    // #IVB: the byte count of what follows, then pairs of a context number and the
    // offset of its page's name in #STRINGS.
    QMap<quint32, QString> written;
    if (ivb.size() < 4)
        return written;
    const qsizetype end = qMin(qsizetype(4) + qsizetype(le32(ivb, 0)), ivb.size());
    for (qsizetype at = 4; at + 8 <= end; at += 8) {
        const quint32 context = le32(ivb, at);
        const qsizetype offset = qsizetype(le32(ivb, at + 4));
        if (offset >= strings.size())
            continue;
        qsizetype nul = strings.indexOf('\0', offset);
        if (nul < 0)
            nul = strings.size();
        written.insert(context, decodeText(strings.mid(offset, nul - offset)));
    }
    return written;
}

QMap<quint32, QString> TChmFile::ContextTopics() const {
    QMap<quint32, QString> topics;
    const QMap<quint32, QString> written =
        ParseContextMap(Read(QStringLiteral("/#IVB")), Read(QStringLiteral("/#STRINGS")));
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        const QString topic = existingObject(it.value());
        if (!topic.isEmpty())
            topics.insert(it.key(), topic);
    }
    return topics;
}

std::vector<TSitemapEntry> TChmFile::Contents() const {
    return m_ContentsFile.isEmpty() ? std::vector<TSitemapEntry>{}
                                    : ParseSitemap(Read(m_ContentsFile));
}

std::vector<TSitemapEntry> TChmFile::Index() const {
    return m_IndexFile.isEmpty() ? std::vector<TSitemapEntry>{} : ParseSitemap(Read(m_IndexFile));
}
