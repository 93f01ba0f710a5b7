#pragma once

#include "data/UtDM.h"
#include "data/UtQuery.h"
#include "export/DBGridEhExport.h"
#include "grid/DBGridEh.h"

#include <QBuffer>
#include <QHeaderView>
#include <QPalette>

// A grid set up as the history window's: nine columns with "To" bound to a name the
// statement does not return, a bold 12-pixel face, white cells with black text, one
// footer row with "SUM" and the sum of the amounts. Rows come from Detail, oldest first.
struct HistoryLikeGrid {
    TQuery query{&DM->conn};
    TDBGridEh grid;

    HistoryLikeGrid() {
        grid.setObjectName(QStringLiteral("dbgrdh1"));
        QFont f;
        f.setFamilies({QStringLiteral("MS Sans Serif")});
        f.setPixelSize(12);
        f.setBold(true);
        grid.setFont(f);
        QPalette pal = grid.palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::Button, QColor(0xF0, 0xF0, 0xF0));
        grid.setPalette(pal);

        std::vector<TColumnEh> cols(9);
        const char* fields[] = {"",       "Date1", "TypeName", "name", "from",
                                "Amount", "For",   "To",       "Memo"};
        const char* titles[] = {"No.", "Date", "Type", "Acc/Wal", "", "Amount", "for", "", "memo"};
        for (size_t i = 0; i < cols.size(); ++i) {
            cols[i].FieldName = QLatin1String(fields[i]);
            cols[i].Title = QLatin1String(titles[i]);
            cols[i].Width = 100;
        }
        cols[0].Width = cols[0].MinWidth = cols[0].MaxWidth = 30;
        cols[0].Fixed = true;
        cols[0].TitleButton = false;
        cols[0].Color = pal.color(QPalette::Button);
        cols[1].FooterType = TFooterValueType::fvtStaticText;
        cols[1].FooterText = QStringLiteral("SUM");
        cols[5].FooterType = TFooterValueType::fvtSum;
        cols[8].Width = 200;
        grid.SetColumns(std::move(cols));
        grid.SetFooterRowCount(1);
        grid.SetFooterColor(QColor(205, 206, 231));
        grid.SetFrozenCols(1);
        grid.SetFlat(true);
        grid.SetMultiSelect(true);
        grid.SetDataSet(&query);
        reload();
    }

    void reload() {
        query.SQL = {QStringLiteral(
            "select A.ID as id, A.DestID as AccID, IIF(A.type=0, 'Deposit', 'Debit') as TypeName, "
            "A.type, A.Date as date, DateValue(A.Date) as Date1, A.[From] as [from], A.Amount, "
            "A.[For] as [for], A.Memo as memo, B.name, B.type as AccType "
            "from Detail as A, Account as B where A.DestID = B.ID order by A.Date")};
        query.Open();
        grid.DataChanged();
    }
};

// What a writer puts out for a grid, through a stream in memory.
template <class Writer> QByteArray ExportBytes(TDBGridEh* grid, bool allRows = true) {
    Writer writer;
    writer.Grid = grid;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writer.WriteToStream(&buffer, allRows);
    return buffer.data();
}
