#include "export/ExportCommand.h"

#include "export/DBGridEhExport.h"
#include "platform/Platform.h"

QString ExportExtension(TExportKind kind) {
    switch (kind) {
    case TExportKind::Text:
        return QStringLiteral("txt");
    case TExportKind::Html:
        return QStringLiteral("htm");
    case TExportKind::Xls:
        break;
    }
    return QStringLiteral("xls");
}

QString ExportFileName(const QString& chosen, TExportKind kind) {
    const QString ext = ExportExtension(kind);
    if (chosen.right(3).compare(ext, Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + QLatin1Char('.') + ext;
}

void ExportGridCommand(QWidget* owner, TDBGridEh* grid) {
    // The dialog belongs to the owner's window, so a skinned part does not pass its skin on.
    const SaveDialogResult r = ShowSaveDialog(
        owner,
        SaveDialogRequest{QStringLiteral("Excel(*.xls)|*.xls|text(*.txt)|*.txt|htm(*.htm)|*.htm"),
                          QStringLiteral("xls"), QStringLiteral("dayreport"), 1});
    if (!r.accepted)
        return;
    TExportKind kind = TExportKind::Xls;
    TDBGridEhExportClass writer = &CreateExport<TDBGridEhExportAsXLS>;
    if (r.filterIndex == 2) {
        kind = TExportKind::Text;
        writer = &CreateExport<TDBGridEhExportAsText>;
    } else if (r.filterIndex == 3) {
        kind = TExportKind::Html;
        writer = &CreateExport<TDBGridEhExportAsHTML>;
    }
    const QString fileName = ExportFileName(r.fileName, kind);
    ExportGridToFile(writer, grid, fileName, true);
    if (ShowMessage(owner, QStringLiteral("Confirm"),
                    QStringLiteral("Do you want to lunch the file?"), MsgIcon::Question,
                    mbYes | mbNo) == mbYes)
        Shell().Open(fileName); // a file no program opens is not reported
}
