#include "export/DBGridEhExport.h"

#include "data/Errors.h"
#include "data/Money.h"
#include "export/Windows1252.h"
#include "grid/DBGridEh.h"

#include <QHeaderView>
#include <QtEndian>
#include <cstring>

namespace {

void word(QByteArray& out, quint16 w) {
    const quint16 le = qToLittleEndian(w);
    out.append(reinterpret_cast<const char*>(&le), 2);
}

void dword(QByteArray& out, quint32 d) {
    const quint32 le = qToLittleEndian(d);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

// A record's length is 16 bits wide and a label's counts eight bytes before its text.
constexpr qsizetype kMaxLabel = 0xFFFF - 8;

// An RK value keeps a whole number in the upper 30 bits of 32.
constexpr qint64 kRkMin = -(qint64(1) << 29);
constexpr qint64 kRkMax = (qint64(1) << 29) - 1;

} // namespace

void TDBGridEhExportAsXLS::WriteToStream(QIODevice* stream, bool allRows) {
    if (Grid) {
        // Past the last worksheet row the counter would start over at row 0 and write
        // the later rows over the first ones.
        const qint64 rows = (Grid->horizontalHeader()->isHidden() ? 0 : 1) +
                            (allRows ? Grid->RowCount() : qint64(Grid->SelectedRows().size())) +
                            Grid->FooterRowCount();
        if (rows > MaxRows)
            throw EBudgetError(
                QStringLiteral("A spreadsheet file holds at most %1 rows, and this list needs %2 "
                               "with its titles and footer. Export it as text or as a web page "
                               "instead")
                    .arg(MaxRows)
                    .arg(rows));
    }
    RowNo = 0;
    ColNo = 0;
    TDBGridEhExport::WriteToStream(stream, allRows);
}

void TDBGridEhExportAsXLS::BeginFile() {
    QByteArray& out = Buffer();
    for (quint16 w : {0x0809, 0x0008, 0x0000, 0x0010, 0x0000, 0x0000})
        word(out, w);
}

void TDBGridEhExportAsXLS::EndFile() {
    QByteArray& out = Buffer();
    word(out, 0x000A);
    word(out, 0x0000);
}

void TDBGridEhExportAsXLS::NextCell() {
    if (size_t(ColNo) + 1 == ExportColumns.size()) {
        ++RowNo;
        ColNo = 0;
    } else {
        ++ColNo;
    }
    FlushIfFull();
}

void TDBGridEhExportAsXLS::PutBlankCell() {
    QByteArray& out = Buffer();
    for (quint16 w : {quint16(0x0201), quint16(0x0006), RowNo, ColNo, quint16(0x0017)})
        word(out, w);
    NextCell();
}

void TDBGridEhExportAsXLS::PutIntegerCell(qint64 value) {
    if (value < kRkMin || value > kRkMax) {
        PutNumberCell(double(value));
        return;
    }
    QByteArray& out = Buffer();
    for (quint16 w : {quint16(0x027E), quint16(0x000A), RowNo, ColNo, quint16(0x0000)})
        word(out, w);
    dword(out, quint32(qint32(value) * 4 + 2));
    NextCell();
}

void TDBGridEhExportAsXLS::PutNumberCell(double value) {
    QByteArray& out = Buffer();
    for (quint16 w : {quint16(0x0203), quint16(0x000E), RowNo, ColNo, quint16(0x0000)})
        word(out, w);
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = qToLittleEndian(bits);
    out.append(reinterpret_cast<const char*>(&bits), 8);
    NextCell();
}

void TDBGridEhExportAsXLS::PutLabelCell(QStringView text) {
    QByteArray& out = Buffer();
    const qsizetype head = out.size();
    for (quint16 w : {quint16(0x0204), quint16(0), RowNo, ColNo, quint16(0x0000), quint16(0)})
        word(out, w);
    AppendWindows1252(out, text);
    // A longer text would overflow the record's length and make the rest of the file
    // unreadable, so it is cut there.
    qsizetype length = out.size() - head - 12;
    if (length > kMaxLabel) {
        out.resize(head + 12 + kMaxLabel);
        length = kMaxLabel;
    }
    const quint16 recordLength = qToLittleEndian(quint16(length + 8));
    const quint16 textLength = qToLittleEndian(quint16(length));
    std::memcpy(out.data() + head + 2, &recordLength, 2);
    std::memcpy(out.data() + head + 10, &textLength, 2);
    NextCell();
}

void TDBGridEhExportAsXLS::PutTitleRow(const std::vector<int>& columns) {
    for (int c : columns)
        PutLabelCell(Grid->ColumnTitle(c));
}

void TDBGridEhExportAsXLS::PutDataCell(int column, const TColCellParamsEh& cell) {
    if (Grid->FieldIndex(column) < 0) {
        PutBlankCell();
        return;
    }
    const QVariant v = Grid->CellValue(Row(), column);
    const TFieldKind kind = Grid->FieldKind(column);
    // The engine may keep a value of another kind than its column declares; only a
    // value that is a number goes in as one.
    const bool isInteger = v.typeId() == QMetaType::LongLong;
    const bool isNumber = isInteger || v.typeId() == QMetaType::Double;
    if (v.isNull())
        PutBlankCell();
    else if (kind == TFieldKind::fkInteger && isInteger)
        PutIntegerCell(v.toLongLong());
    else if ((kind == TFieldKind::fkInteger || kind == TFieldKind::fkFloat) && isNumber)
        PutNumberCell(v.toDouble());
    else
        PutLabelCell(cell.Text);
}

void TDBGridEhExportAsXLS::PutFooterCell(int columnIndex, int footerRow, const QString& text,
                                         Qt::Alignment, const QColor&, const TExportFont&,
                                         int column) {
    if (IsSumFooter(column))
        PutNumberCell(double(FooterTotal(footerRow, columnIndex).raw()) / double(Money::Scale));
    else
        PutLabelCell(text);
}
