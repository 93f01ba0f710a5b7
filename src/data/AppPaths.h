#pragma once

#include <QString>

// The program's title: the caption of its reports and notices.
QString ApplicationTitle();

// The folder the program finds its files in (Data.mdb, budget.chm, res/): the
// executable's folder, with a trailing separator. Tests point it at a temporary folder.
QString AppDir();
void SetAppDirOverride(const QString& dir);
