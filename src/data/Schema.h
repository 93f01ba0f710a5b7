#pragma once

#include <QString>

// Writes a new, empty budget database at `path` from the schema kept in the
// program's resources. Refuses (throws EBudgetError) when the file already exists.
// This is for the build and for tests; the program itself never creates its database.
void CreateEmptyDatabase(const QString& path);
