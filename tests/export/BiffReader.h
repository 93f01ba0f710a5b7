#pragma once

// A small reader of worksheet records, written from the record layout alone, so the
// spreadsheet file is checked by reading it back rather than by the writer's own bytes.

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

struct BiffCell {
    enum Kind { Blank, Label, Number, Rk } kind = Blank;
    quint16 format = 0;
    QByteArray label;  // the text's bytes as stored
    double number = 0; // NUMBER, or the whole number an RK holds
};

struct BiffSheet {
    QString error; // empty when every record was well formed
    std::vector<quint16> recordTypes;
    std::map<std::pair<int, int>, BiffCell> cells; // (row, column)
    // Cells in the order they were written, as (row, column).
    std::vector<std::pair<int, int>> order;

    int rowCount() const { return cells.empty() ? 0 : cells.rbegin()->first.first + 1; }
    const BiffCell* at(int row, int column) const {
        const auto it = cells.find({row, column});
        return it == cells.end() ? nullptr : &it->second;
    }
};

inline BiffSheet ReadBiff(const QByteArray& file) {
    BiffSheet sheet;
    auto u16 = [](const char* p) { return qFromLittleEndian<quint16>(p); };
    qsizetype pos = 0;
    bool ended = false;
    while (pos < file.size() && sheet.error.isEmpty()) {
        if (ended) {
            sheet.error = QStringLiteral("bytes after EOF at %1").arg(pos);
            break;
        }
        if (file.size() - pos < 4) {
            sheet.error = QStringLiteral("cut record head at %1").arg(pos);
            break;
        }
        const quint16 type = u16(file.constData() + pos);
        const quint16 length = u16(file.constData() + pos + 2);
        if (file.size() - pos - 4 < length) {
            sheet.error = QStringLiteral("record at %1 runs past the end").arg(pos);
            break;
        }
        const char* body = file.constData() + pos + 4;
        sheet.recordTypes.push_back(type);
        auto expect = [&](bool ok, const char* what) {
            if (!ok && sheet.error.isEmpty())
                sheet.error = QStringLiteral("%1 at %2").arg(QLatin1String(what)).arg(pos);
            return ok;
        };
        BiffCell cell;
        bool isCell = true;
        switch (type) {
        case 0x0809:
            isCell = false;
            expect(pos == 0 && length == 8, "BOF not first or not 8 bytes");
            break;
        case 0x000A:
            isCell = false;
            expect(length == 0, "EOF with a body");
            ended = true;
            break;
        case 0x0201:
            cell.kind = BiffCell::Blank;
            expect(length == 6, "BLANK not 6 bytes");
            break;
        case 0x0203:
            cell.kind = BiffCell::Number;
            if (expect(length == 14, "NUMBER not 14 bytes")) {
                const quint64 bits = qFromLittleEndian<quint64>(body + 6);
                std::memcpy(&cell.number, &bits, 8);
            }
            break;
        case 0x027E:
            cell.kind = BiffCell::Rk;
            if (expect(length == 10, "RK not 10 bytes")) {
                const qint32 rk = qFromLittleEndian<qint32>(body + 6);
                expect((rk & 3) == 2, "RK that is not a whole number");
                cell.number = double(rk >> 2);
            }
            break;
        case 0x0204:
            cell.kind = BiffCell::Label;
            if (expect(length >= 8, "LABEL shorter than its head")) {
                const quint16 textLength = u16(body + 6);
                if (expect(textLength + 8 == length, "LABEL length disagrees with its text"))
                    cell.label = QByteArray(body + 8, textLength);
            }
            break;
        default:
            isCell = false;
            expect(false, "unknown record");
        }
        if (isCell && length >= 6) {
            const int row = u16(body), column = u16(body + 2);
            cell.format = u16(body + 4);
            if (!sheet.cells.emplace(std::make_pair(row, column), cell).second)
                expect(false, "a cell written twice");
            sheet.order.emplace_back(row, column);
        }
        pos += 4 + length;
    }
    if (sheet.error.isEmpty() && !ended)
        sheet.error = QStringLiteral("no EOF");
    return sheet;
}
