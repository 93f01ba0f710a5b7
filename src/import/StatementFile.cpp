#include "import/StatementFile.h"

#include "import/OfxScan.h"
#include "import/StatementText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

bool looksLikeQif(const QString& text) {
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = text.indexOf(u'\n', pos);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(pos, end - pos).trimmed();
        pos = end + 1;
        if (line.isEmpty())
            continue;
        for (const char* head : {"!Type:", "!Account", "!Option:", "!Clear:"})
            if (line.startsWith(QLatin1String(head), Qt::CaseInsensitive))
                return true;
        return false;
    }
    return false;
}

} // namespace

TStatementFile StatementFromBytes(const QByteArray& bytes, const QString& fileName) {
    TStatementFile f;
    f.FileName = fileName;
    f.Bytes = bytes;
    if ((bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes).trimmed().isEmpty())
        throw EStatementUnreadable{QStringLiteral("The file \"%1\" is empty.").arg(fileName)};
    if (LooksLikeOfx(bytes)) {
        f.Format = StatementFormat::Ofx;
        return f;
    }
    f.Text = DecodeStatementText(bytes, fileName);
    f.Format = looksLikeQif(f.Text) ? StatementFormat::Qif : StatementFormat::Csv;
    return f;
}

TStatementFile OpenStatementFile(const QString& path) {
    const QString name = QFileInfo(path).absoluteFilePath();
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw EStatementUnreadable{
            QStringLiteral("The file \"%1\" cannot be read: %2.").arg(name, file.errorString())};
    if (file.size() > MaxStatementBytes)
        throw EStatementUnreadable{
            QStringLiteral("The file \"%1\" is too large for a statement (%2; the program reads "
                           "statements of up to %3).")
                .arg(name, QLocale().formattedDataSize(file.size()),
                     QLocale().formattedDataSize(MaxStatementBytes))};
    // A file that grows while it is read is cut at the limit rather than read on.
    const QByteArray bytes = file.read(MaxStatementBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw EStatementUnreadable{
            QStringLiteral("The file \"%1\" cannot be read: %2.").arg(name, file.errorString())};
    if (bytes.size() > MaxStatementBytes)
        throw EStatementUnreadable{
            QStringLiteral("The file \"%1\" is too large for a statement.").arg(name)};
    return StatementFromBytes(bytes, name);
}
