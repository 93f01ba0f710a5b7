#pragma once

#include <QByteArray>
#include <QStringView>

// Appends a text in Windows-1252, the 8-bit set spreadsheet programs assume for
// worksheet labels; a character the set cannot hold becomes one '?'.
void AppendWindows1252(QByteArray& out, QStringView text);
