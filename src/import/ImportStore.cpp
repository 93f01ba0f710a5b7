#include "import/ImportStore.h"

#include "import/StatementText.h"

#include "data/Errors.h"
#include "data/Prepared.h"
#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "ui/WindowParts.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>

std::vector<TImportRow> RowsFor(const TStatement& statement, int account) {
    std::vector<TImportRow> rows;
    for (const TStatementLine& line : statement.Lines) {
        if (line.Account != account)
            continue;
        TImportRow r;
        r.Line = &line;
        r.State = line.Error.isEmpty() ? RowState::New : RowState::Error;
        r.Why = line.Error;
        r.Checked = r.State == RowState::New;
        rows.push_back(r);
    }
    return rows;
}

namespace ImportStore {

namespace {

bool tableExists(const char* name) {
    TPrepared q(DM->conn, "select 1 from sqlite_master where type='table' and name=?");
    q.Bind(1, QString::fromLatin1(name));
    const bool found = q.Next();
    q.Reset();
    return found;
}

void ensureTables() {
    // Made when first needed, inside the import's own transaction.
    DM->conn.Execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS ImportedEntry (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
        "DetailID INTEGER, TransferID INTEGER, TargetID INTEGER NOT NULL, LineID TEXT NOT NULL)"));
    DM->conn.Execute(QStringLiteral("CREATE INDEX IF NOT EXISTS ImportedEntry_TargetID_LineID ON "
                                    "ImportedEntry (TargetID, LineID)"));
    DM->conn.Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS ImportMapping (Header TEXT "
                                    "PRIMARY KEY, Mapping TEXT NOT NULL)"));
}

QString fold(const QString& s) {
    return s.simplified().toCaseFolded();
}

QString dayText(const QDate& d) {
    return d.toString(StoredDateFormat);
}

// A record that may answer for one line.
struct Candidate {
    qint64 day = 0;
    QString party; // as stored; transfers match without it
    int kind = 0;  // 0 deposit, 1 debit, 2 transfer out, 3 transfer in
    int other = 0; // the other side of a transfer
    QString otherName;
    bool used = false;

    // The party folded, worked out only for a record that comes into question.
    const QString& folded() {
        if (!m_folded) {
            party = fold(party);
            m_folded = true;
        }
        return party;
    }

    // What the line is taken to be, for the row's state.
    QString shown(Money amount) const {
        const QString when =
            QLocale().toString(QDate::fromJulianDay(day), FourDigitYearDateFormat());
        const QString sum = StatementAmountText(amount);
        if (kind < 2)
            return QStringLiteral("%1 of %2 on %3")
                .arg(kind == 0 ? QStringLiteral("a deposit") : QStringLiteral("a debit"), sum,
                     when);
        return QStringLiteral("a transfer %1 %2 of %3 on %4")
            .arg(kind == 2 ? QStringLiteral("to") : QStringLiteral("from"), otherName, sum, when);
    }

private:
    bool m_folded = false;
};

// The direction (0 in, 1 out) and the amount in ten-thousandths, in one number.
qint64 keyOf(int direction, Money amount) {
    return amount.raw() * 2 + direction;
}
using Pool = QHash<qint64, std::vector<Candidate>>;

int directionOf(Money amount) {
    return amount < Money() ? 1 : 0;
}

Money magnitude(Money amount) {
    return amount < Money() ? -amount : amount;
}

// The unused candidate nearest in date within the window that `accepts`.
template <class Accept> Candidate* nearest(Pool& pool, qint64 key, qint64 day, Accept accepts) {
    const auto it = pool.find(key);
    if (it == pool.end())
        return nullptr;
    Candidate* best = nullptr;
    for (Candidate& c : *it)
        if (!c.used && std::abs(c.day - day) <= DuplicateDays &&
            (!best || std::abs(c.day - day) < std::abs(best->day - day)) && accepts(c))
            best = &c;
    return best;
}

} // namespace

void MarkDuplicates(int targetId, std::vector<TImportRow>& rows, const TProgress& progress) {
    QDate first, last;
    for (const TImportRow& r : rows)
        if (r.State != RowState::Error) {
            if (!first.isValid() || r.Line->Date < first)
                first = r.Line->Date;
            if (!last.isValid() || r.Line->Date > last)
                last = r.Line->Date;
        }
    if (!first.isValid())
        return;
    const QString from = dayText(first.addDays(-DuplicateDays));
    const QString to = dayText(last.addDays(DuplicateDays + 1));
    Pool details, transfers;
    {
        TPrepared q(DM->conn, "select type, Date, [From], Amount from Detail where DestID=? and "
                              "Date >= ? and Date < ?");
        q.Bind(1, targetId).Bind(2, from).Bind(3, to);
        while (q.Next()) {
            Candidate c;
            c.day = q.JulianDay(1);
            c.party = q.Text(2);
            c.kind = int(q.Int(0)) == 0 ? 0 : 1;
            details[keyOf(c.kind, q.Amount(3))].push_back(std::move(c));
        }
    }
    for (const bool outgoing : {true, false}) {
        TPrepared q(DM->conn, outgoing ? "select DestID, Date, Amount, A.name from Transfer "
                                         "left join Account A on A.ID = DestID where SourceID=? "
                                         "and Date >= ? and Date < ? and DestID <> SourceID"
                                       : "select SourceID, Date, Amount, A.name from Transfer "
                                         "left join Account A on A.ID = SourceID where DestID=? "
                                         "and Date >= ? and Date < ? and DestID <> SourceID");
        q.Bind(1, targetId).Bind(2, from).Bind(3, to);
        while (q.Next()) {
            Candidate c;
            c.day = q.JulianDay(1);
            c.kind = outgoing ? 2 : 3;
            c.other = int(q.Int(0));
            c.otherName = q.Text(3);
            transfers[keyOf(outgoing ? 1 : 0, q.Amount(2))].push_back(std::move(c));
        }
    }
    QSet<QString> imported;
    if (tableExists("ImportedEntry")) {
        // A line whose record was deleted since may come back.
        TPrepared q(DM->conn,
                    "select LineID from ImportedEntry E where TargetID=? and (exists (select 1 "
                    "from Detail D where D.ID = E.DetailID) or exists (select 1 from Transfer T "
                    "where T.ID = E.TransferID))");
        q.Bind(1, targetId);
        while (q.Next())
            imported.insert(q.Text(0));
    }

    TProgressTicker tick(progress, qint64(rows.size()), 5000);
    QSet<QString> seen;
    for (size_t i = 0; i < rows.size(); ++i) {
        tick(qint64(i));
        TImportRow& r = rows[i];
        if (r.State == RowState::Error)
            continue;
        if (r.TransferFound) {
            // Matched last time; whether it still is is for this time to say.
            r.TransferWith = 0;
            r.TransferFound = false;
        }
        const TStatementLine& l = *r.Line;
        QString why;
        if (!l.SourceId.isEmpty()) {
            if (imported.contains(l.SourceId))
                why = QStringLiteral("imported before");
            else if (seen.contains(l.SourceId))
                why = QStringLiteral("its id comes earlier in this file");
            seen.insert(l.SourceId);
        }
        const qint64 key = keyOf(directionOf(l.Amount), magnitude(l.Amount));
        const qint64 day = l.Date.toJulianDay();
        if (why.isEmpty() && r.TransferWith == 0) {
            QString party;
            if (Candidate* c = nearest(details, key, day, [&](Candidate& c) {
                    if (party.isNull())
                        party = fold(l.Party);
                    return c.folded() == party;
                })) {
                c->used = true;
                why = c->shown(magnitude(l.Amount));
            }
        }
        if (why.isEmpty()) {
            const int with = r.TransferWith;
            if (Candidate* c = nearest(transfers, key, day, [with](Candidate& c) {
                    return with == 0 || c.other == with;
                })) {
                c->used = true;
                why = c->shown(magnitude(l.Amount));
                r.TransferFound = r.TransferWith == 0;
                r.TransferWith = c->other;
            }
        }
        const RowState state = why.isEmpty() ? RowState::New : RowState::Duplicate;
        if (state != r.State)
            r.Checked = state == RowState::New;
        r.State = state;
        r.Why = why;
    }
}

int Save(int targetId, const std::vector<TImportRow>& rows,
         const std::optional<TMappingToKeep>& mapping, const TProgress& progress) {
    TTransactionGuard guard(DM->conn);
    ensureTables();
    TPrepared detail(DM->conn, "insert into Detail (type, DestID, Date, [From], Amount, [For], "
                               "Memo) values (?, ?, ?, ?, ?, ?, ?)");
    TPrepared transfer(DM->conn, "insert into Transfer (SourceID, DestID, Date, [From], Amount, "
                                 "[For], Memo) values (?, ?, ?, ?, ?, ?, ?)");
    TPrepared entry(DM->conn, "insert into ImportedEntry (DetailID, TransferID, TargetID, LineID) "
                              "values (?, ?, ?, ?)");
    // Each record moves its balance by its amount rounded to cents, as every save does.
    std::map<int, Money> moves;
    TProgressTicker tick(progress, qint64(rows.size()), 1000);
    int written = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        tick(qint64(i));
        const TImportRow& r = rows[i];
        if (!r.Checked || r.State == RowState::Error)
            continue;
        const TStatementLine& l = *r.Line;
        const bool out = l.Amount < Money();
        const Money amount = magnitude(l.Amount);
        const Money moved = amount.roundedToCents();
        const QString date = QDateTime(l.Date, QTime(0, 0)).toString(StoredDateTimeFormat);
        const QString party = SavedText(l.Party.left(TextColumnLength));
        const QString purpose = SavedText(l.Purpose.left(TextColumnLength));
        const QString memo = SavedText(l.Memo, true);
        TPrepared& insert = r.TransferWith != 0 ? transfer : detail;
        if (r.TransferWith != 0) {
            const int source = out ? targetId : r.TransferWith;
            const int dest = out ? r.TransferWith : targetId;
            transfer.Bind(1, source).Bind(2, dest);
            moves[source] = moves[source].saturatingAdd(-moved);
            moves[dest] = moves[dest].saturatingAdd(moved);
        } else {
            detail.Bind(1, out ? 1 : 0).Bind(2, targetId);
            moves[targetId] = moves[targetId].saturatingAdd(out ? -moved : moved);
        }
        insert.Bind(3, date).Bind(4, party).Bind(5, amount).Bind(6, purpose).Bind(7, memo).Run();
        ++written;
        if (!l.SourceId.isEmpty()) {
            const qint64 id = insert.LastInsertId();
            if (r.TransferWith != 0)
                entry.BindNull(1).Bind(2, id);
            else
                entry.Bind(1, id).BindNull(2);
            entry.Bind(3, targetId).Bind(4, l.SourceId).Run();
        }
    }
    tick(qint64(rows.size()));
    for (const auto& [id, move] : moves) {
        const bool down = move < Money();
        const int changed = DM->conn.Execute(FormatSQL(
            down ? QStringLiteral("update Account set Balance = balance - %f where ID=%d")
                 : QStringLiteral("update Account set Balance = balance + %f where ID=%d"),
            {down ? -move : move, id}));
        if (changed < 1)
            throw ESaveRefused{QStringLiteral("An account or wallet of this import has been "
                                              "deleted in the meantime. Nothing was imported.")};
        TPrepared balance(DM->conn, "select Balance from Account where ID=?");
        balance.Bind(1, id);
        const bool fits = !balance.Next() || balance.Amount(0).fitsStored();
        balance.Reset();
        if (!fits)
            throw ESaveRefused{QStringLiteral("These amounts would take a balance beyond what the "
                                              "program can hold. Nothing was imported.")};
    }
    if (mapping && !mapping->HeaderKey.isEmpty()) {
        TPrepared keep(DM->conn, "insert or replace into ImportMapping (Header, Mapping) values "
                                 "(?, ?)");
        keep.Bind(1, mapping->HeaderKey).Bind(2, mapping->Mapping.ToText()).Run();
    }
    guard.Commit();
    return written;
}

std::optional<TCsvMapping> RememberedMapping(const QString& headerKey) {
    if (headerKey.isEmpty() || !tableExists("ImportMapping"))
        return std::nullopt;
    TPrepared q(DM->conn, "select Mapping from ImportMapping where Header=?");
    q.Bind(1, headerKey);
    std::optional<TCsvMapping> m;
    if (q.Next())
        m = TCsvMapping::FromText(q.Text(0));
    q.Reset();
    return m;
}

} // namespace ImportStore
