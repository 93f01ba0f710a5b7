#include "export/DBGridEhExport.h"

#include "grid/DBGridEh.h"

// Lines are joined, not ended, by CR LF: the file has none before its first line and
// none after its last. Texts go out as they are, tabs and line breaks inside included.

void TDBGridEhExportAsText::WriteToStream(QIODevice* stream, bool allRows) {
    NoLineYet = true;
    TDBGridEhExport::WriteToStream(stream, allRows);
}

void TDBGridEhExportAsText::StartLine() {
    if (!NoLineYet)
        Put("\r\n", 2);
    NoLineYet = false;
}

void TDBGridEhExportAsText::StartCell() {
    if (!NoCellYet)
        Put("\t", 1);
    NoCellYet = false;
}

void TDBGridEhExportAsText::PutTitleRow(const std::vector<int>& columns) {
    StartLine();
    NoCellYet = true;
    for (int c : columns) {
        StartCell();
        PutSystemText(Grid->ColumnTitle(c));
    }
}

void TDBGridEhExportAsText::PutDataRow(const std::vector<int>& columns) {
    StartLine();
    NoCellYet = true;
    TDBGridEhExport::PutDataRow(columns);
}

void TDBGridEhExportAsText::PutDataCell(int, const TColCellParamsEh& cell) {
    StartCell();
    PutSystemText(cell.Text);
}

void TDBGridEhExportAsText::PutFooterRow(const std::vector<int>& columns, int footerRow) {
    StartLine();
    NoCellYet = true;
    TDBGridEhExport::PutFooterRow(columns, footerRow);
}

void TDBGridEhExportAsText::PutFooterCell(int, int, const QString& text, Qt::Alignment,
                                          const QColor&, const TExportFont&, int) {
    StartCell();
    PutSystemText(text);
}
