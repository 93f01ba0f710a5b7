#pragma once

#include <QString>

// The program's title: the caption of its reports and notices.
QString ApplicationTitle();

// The folder the program finds its files in (Data.mdb, budget.chm, res/), with a
// trailing separator: the folder of the path the program was started by, so a link to
// the executable makes the link's folder the program's own (each user's folder holds
// links into the installed program). Started by a bare name found on the search path,
// it is the executable's real folder. Tests point it at a temporary folder.
QString AppDir();
void SetAppDirOverride(const QString& dir);
