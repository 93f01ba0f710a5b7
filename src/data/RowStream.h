#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

class TConnection;
struct sqlite3_stmt;

// The rows of a statement one at a time, none of them kept: for work over more rows than
// a list would hold, such as a report adding up every record of ten years.
class TRowStream {
public:
    using Params = std::vector<std::pair<QString, QVariant>>;
    // Prepares a statement in the windows' dialect on the connection; parameters by name
    // (":d1" is given as "d1"), read as the query objects read them.
    TRowStream(TConnection& conn, const QString& jetSql, const Params& params = {});
    ~TRowStream();
    TRowStream(const TRowStream&) = delete;
    TRowStream& operator=(const TRowStream&) = delete;

    // Steps to the next row; false after the last. A failing step throws the engine's error.
    bool Next();
    bool IsNull(int column) const;
    qint64 Int(int column) const;
    double Real(int column) const;
    // The value's UTF-8 text, valid until the next step.
    QByteArrayView Text(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
};
