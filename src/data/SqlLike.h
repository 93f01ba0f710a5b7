#pragma once

struct sqlite3;

// The engine's own `like` folds only the ASCII letters, so "MÜLLER" would not find
// "Müller". This one, put in its place on a connection, folds the case of every letter
// and keeps the rest of the operator: '%' for any run of characters, '_' for exactly one,
// an ESCAPE character that makes the next one stand for itself, NULL for a NULL operand.
void RegisterLike(sqlite3* db);
