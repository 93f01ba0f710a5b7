#pragma once

#include <QString>

class QWidget;
class TDBGridEh;

// The file formats of the Export command, numbered as the dialog offers them.
enum class TExportKind { Xls = 1, Text = 2, Html = 3 };

// The extension a format's files carry, without the point.
QString ExportExtension(TExportKind kind);

// The chosen name gets a point and the format's extension unless its last three
// characters already are that extension, in any case.
QString ExportFileName(const QString& chosen, TExportKind kind);

// The Export command of a list window: asks for a file and its format, writes every row
// of the grid to it, and offers to open the file. A failure is thrown (the window's
// guard reports it) and nothing is asked then.
void ExportGridCommand(QWidget* owner, TDBGridEh* grid);
