#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Appends a text in Windows-1252, the 8-bit set spreadsheet programs assume for
// worksheet labels; a character the set cannot hold becomes one '?'.
void AppendWindows1252(QByteArray& out, QStringView text);

// Reads Windows-1252 bytes; the five bytes the set leaves undefined read as the control
// characters ISO-8859-1 has there, so text in either set reads right.
QString FromWindows1252(QByteArrayView bytes);
