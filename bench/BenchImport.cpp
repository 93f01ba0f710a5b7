// Times importing bank statements on a generated database (see bench/README.md): a CSV
// statement and an OFX statement of 100,000 lines each, into the busiest account, read
// and shown in the import window's preview, their duplicates marked against the records
// the account holds, and saved. Beside the last two stands the floor: one indexed lookup
// statement a line, and the same inserts with one balance update in one transaction,
// straight through SQLite's C API.
//
//   bench-import DATABASE [--account 1] [--lines 100000] [--runs 3] [--format csv|ofx]
//                [--shot DIR]
// Memory is the peak resident size above the size before the first import, so it is
// told apart best with one format a run (--format).
#include "BenchCommon.h"

#include "data/UtDM.h"
#include "import/ImportModel.h"
#include "import/ImportStore.h"
#include "import/UtImport.h"
#include "platform/Platform.h"
#include "ui/Application.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <random>
#include <sqlite3.h>

namespace {

class LoudBoxes : public IMessageBoxes {
public:
    MsgButton Show(QWidget*, const QString& caption, const QString& text, MsgIcon,
                   MsgButtons buttons) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return (buttons & mbYes) ? mbYes : mbOK;
    }
};

// A line of the statement: a tenth of them are records the account already holds, picked
// the same way every time.
struct Line {
    QDate date;
    QString party, purpose;
    qint64 cents; // money in above zero
};

std::vector<Line> statementLines(sqlite3* db, int account, int count) {
    std::vector<Line> lines;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "select Date, [From], [For], Amount, type from Detail where DestID=? "
                       "order by (ID * 7919) % 100003 limit ?",
                       -1, &st, nullptr);
    sqlite3_bind_int(st, 1, account);
    sqlite3_bind_int(st, 2, count / 10);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const qint64 cents = qRound64(sqlite3_column_double(st, 3) * 100);
        lines.push_back(
            {QDate::fromString(
                 QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                     .left(10),
                 QStringLiteral("yyyy-MM-dd")),
             QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
             QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2))),
             sqlite3_column_int(st, 4) == 0 ? cents : -cents});
    }
    sqlite3_finalize(st);
    std::mt19937 rng(7);
    const QStringList parties{"Corner Shop", "Fuel Station", "Online Market", "Bakery Ltd",
                              "Pharmacy",    "Book House",   "Train Company", "Cafe Nero"};
    const QDate today = QDate::currentDate();
    while (int(lines.size()) < count) {
        const int n = int(lines.size());
        lines.push_back({today.addDays(-int(rng() % 3650)),
                         parties[int(rng() % 8)] + u' ' + QString::number(n % 97),
                         QStringLiteral("card payment"),
                         rng() % 10 == 0 ? qint64(rng() % 300000) : -qint64(rng() % 20000 + 1)});
    }
    std::shuffle(lines.begin(), lines.end(), rng);
    return lines;
}

QString amountText(qint64 cents, QChar point) {
    return QStringLiteral("%1%2%3%4")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(std::abs(cents) / 100)
        .arg(point)
        .arg(std::abs(cents) % 100, 2, 10, QChar(u'0'));
}

QByteArray csvOf(const std::vector<Line>& lines) {
    QString out = QStringLiteral("Datum;Empfänger;Betrag;Verwendungszweck\n");
    for (const Line& l : lines)
        out += l.date.toString(QStringLiteral("dd.MM.yyyy")) + u';' + l.party + u';' +
               amountText(l.cents, u',') + u';' + l.purpose + u'\n';
    return out.toUtf8();
}

QByteArray ofxOf(const std::vector<Line>& lines) {
    QByteArray out = "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\nENCODING:UTF-8\n"
                     "CHARSET:NONE\nCOMPRESSION:NONE\nOLDFILEUID:NONE\nNEWFILEUID:NONE\n\n<OFX>\n"
                     "<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>\n"
                     "<STMTRS><CURDEF>EUR<BANKACCTFROM><BANKID>12345678<ACCTID>0099887766"
                     "<ACCTTYPE>CHECKING</BANKACCTFROM>\n<BANKTRANLIST><DTSTART>20150101"
                     "<DTEND>20250101\n";
    int n = 0;
    for (const Line& l : lines)
        out += "<STMTTRN><TRNTYPE>" + QByteArray(l.cents < 0 ? "DEBIT" : "CREDIT") + "<DTPOSTED>" +
               l.date.toString(QStringLiteral("yyyyMMdd")).toLatin1() + "<TRNAMT>" +
               amountText(l.cents, u'.').toLatin1() + "<FITID>F" + QByteArray::number(++n) +
               "<NAME>" + l.party.toUtf8() + "<MEMO>" + l.purpose.toUtf8() + "</STMTTRN>\n";
    out += "</BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>20250101</LEDGERBAL></STMTRS>"
           "</STMTTRNRS></BANKMSGSRSV1>\n</OFX>\n";
    return out;
}

// The peak resident size is measured from here on.
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

long rssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

struct Runs {
    std::vector<double> wall, cpu;
    void add(const Stopwatch& w) {
        wall.push_back(w.wallMs());
        cpu.push_back(w.cpuMs());
    }
};

void report(const char* what, const Runs& prog, const Runs* floor) {
    std::printf("%s\n    wall %9.1f ms  cpu %9.1f ms", what, Median(prog.wall), Median(prog.cpu));
    if (floor)
        std::printf("\n    floor wall %9.1f ms  cpu %9.1f ms  ratio wall %.2f  cpu %.2f",
                    Median(floor->wall), Median(floor->cpu),
                    Median(prog.wall) / Median(floor->wall), Median(prog.cpu) / Median(floor->cpu));
    std::printf("\n");
}

sqlite3* openRaw(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    // As the program runs its file.
    ExecOrDie(db, "PRAGMA journal_mode=DELETE");
    ExecOrDie(db, "PRAGMA synchronous=FULL");
    return db;
}

// One indexed lookup a line: the account's records of the line's direction and amount
// within three days of it, their parties read.
void floorLookups(sqlite3* db, int account, const std::vector<TImportRow>& rows) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "select ID, [From] from Detail where DestID=?1 and Date >= ?2 and Date < "
                       "?3 and type=?4 and Amount=?5",
                       -1, &st, nullptr);
    volatile qint64 sink = 0;
    for (const TImportRow& r : rows) {
        const TStatementLine& l = *r.Line;
        const QByteArray from = l.Date.addDays(-3).toString(Qt::ISODate).toLatin1();
        const QByteArray to = l.Date.addDays(4).toString(Qt::ISODate).toLatin1();
        sqlite3_bind_int(st, 1, account);
        sqlite3_bind_text(st, 2, from.constData(), int(from.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, to.constData(), int(to.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 4, l.Amount < Money() ? 1 : 0);
        sqlite3_bind_double(st, 5, (l.Amount < Money() ? -l.Amount : l.Amount).toDouble());
        while (sqlite3_step(st) == SQLITE_ROW)
            sink = sink + sqlite3_column_int64(st, 0) + sqlite3_column_bytes(st, 1);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// The same records written as the import writes them, and one balance update.
void floorSave(sqlite3* db, int account, const std::vector<TImportRow>& rows) {
    ExecOrDie(db, "BEGIN IMMEDIATE");
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                       "values (?, ?, ?, ?, ?, ?, ?)",
                       -1, &ins, nullptr);
    sqlite3_stmt* entry = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into ImportedEntry (DetailID, TargetID, LineID) values (?, ?, ?)",
                       -1, &entry, nullptr);
    Money total;
    for (const TImportRow& r : rows) {
        if (!r.Checked || r.State == RowState::Error)
            continue;
        const TStatementLine& l = *r.Line;
        const Money size = l.Amount < Money() ? -l.Amount : l.Amount;
        const QByteArray date = l.Date.toString(Qt::ISODate).toLatin1() + " 00:00:00";
        const QByteArray party = l.Party.toUtf8(), purpose = l.Purpose.toUtf8(),
                         memo = l.Memo.toUtf8();
        sqlite3_bind_int(ins, 1, l.Amount < Money() ? 1 : 0);
        sqlite3_bind_int(ins, 2, account);
        sqlite3_bind_text(ins, 3, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 4, party.constData(), int(party.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(ins, 5, size.toDouble());
        sqlite3_bind_text(ins, 6, purpose.constData(), int(purpose.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 7, memo.constData(), int(memo.size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
        if (!l.SourceId.isEmpty()) {
            const QByteArray id = l.SourceId.toUtf8();
            sqlite3_bind_int64(entry, 1, sqlite3_last_insert_rowid(db));
            sqlite3_bind_int(entry, 2, account);
            sqlite3_bind_text(entry, 3, id.constData(), int(id.size()), SQLITE_TRANSIENT);
            sqlite3_step(entry);
            sqlite3_reset(entry);
        }
        total = total + (l.Amount < Money() ? -size.roundedToCents() : size.roundedToCents());
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(entry);
    ExecOrDie(db, QStringLiteral("update Account set Balance = Balance + %1 where ID=%2")
                      .arg(total.toFixed(2))
                      .arg(account)
                      .toUtf8());
    ExecOrDie(db, "COMMIT");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int account = 1, count = 100000, runs = 3;
    QString db, shots, format;
    for (int i = 0; i < args.size(); ++i) {
        const auto number = [&] { return i + 1 < args.size() ? args[++i].toInt() : 0; };
        if (args[i] == "--account")
            account = number();
        else if (args[i] == "--lines")
            count = number();
        else if (args[i] == "--runs")
            runs = std::max(1, number());
        else if (args[i] == "--shot" && i + 1 < args.size())
            shots = args[++i];
        else if (args[i] == "--format" && i + 1 < args.size())
            format = args[++i].toLower();
        else
            db = args[i];
    }
    if (db.isEmpty() || !QFileInfo::exists(db) || count < 10) {
        std::fprintf(stderr, "usage: bench-import DATABASE [--account N] [--lines N] [--runs N] "
                             "[--format csv|ofx] [--shot DIR]\n");
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SetMessageBoxes(std::make_unique<LoudBoxes>());
    // Saving changes the data, so every run works on a fresh copy.
    QTemporaryDir dir;
    PrepareProgramFolder(dir, db, true);
    const QString work = dir.filePath(QStringLiteral("Data.mdb"));
    const QString base = dir.filePath(QStringLiteral("base.mdb"));
    QFile::copy(work, base);
    const auto fresh = [&] {
        delete DM;
        DM = nullptr;
        QFile::remove(work);
        QFile::copy(base, work);
    };

    sqlite3* raw = openRaw(base);
    const std::vector<Line> lines = statementLines(raw, account, count);
    std::printf(
        "account %d holds %d records\n", account,
        ReadAll(raw,
                QStringLiteral("select ID from Detail where DestID=%1").arg(account).toUtf8()));
    sqlite3_close(raw);
    const QString csv = dir.filePath(QStringLiteral("statement.csv"));
    const QString ofx = dir.filePath(QStringLiteral("statement.ofx"));
    for (const auto& [path, bytes] : {std::pair{csv, csvOf(lines)}, std::pair{ofx, ofxOf(lines)}}) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        std::printf("%s: %d lines, %.1f MB\n", qPrintable(QFileInfo(path).fileName()), count,
                    double(bytes.size()) / 1e6);
    }

    for (const QString& path : {csv, ofx}) {
        const QString name = QFileInfo(path).suffix().toUpper();
        if (!format.isEmpty() && format != name.toLower())
            continue;
        Runs shown, marked, markFloor, saved, saveFloor;
        long readPeak = 0, savePeak = 0;
        QString summary;
        for (int r = 0; r < runs; ++r) {
            fresh();
            DM = new TDM();
            // The bank's columns were confirmed at an earlier import.
            TCsvMapping m;
            m.DateColumn = 0;
            m.PartyColumn = 1;
            m.AmountColumn = 2;
            m.PurposeColumn = 3;
            m.Decimal = u',';
            ImportStore::Save(account, {},
                              ImportStore::TMappingToKeep{
                                  QStringLiteral(";|datum|empfänger|betrag|verwendungszweck"), m});
            auto frm = std::make_unique<TFrmImport>();
            frm->PresetAccount(account);
            const long before = rssKb();
            resetPeak();
            Stopwatch t;
            if (!frm->LoadFile(path))
                return 1;
            frm->show();
            if (!QTest::qWaitForWindowExposed(frm.get()))
                std::fprintf(stderr, "the window was not shown\n");
            Settle(frm.get());
            shown.add(t);
            readPeak = std::max(readPeak, PeakRssKb() - before);
            summary = frm->lblSummary->text();
            if (r == 0 && !shots.isEmpty())
                frm->grab().save(QDir(shots).filePath(QStringLiteral("import-%1.png").arg(name)));

            // Marked again from the start, as for a fresh statement.
            std::vector<TImportRow> rows = frm->Model()->Rows();
            for (TImportRow& row : rows) {
                row.State = row.Line->Error.isEmpty() ? RowState::New : RowState::Error;
                row.Why = row.Line->Error;
                row.Checked = row.State == RowState::New;
                row.TransferWith = 0;
                row.TransferFound = false;
            }
            t.restart();
            ImportStore::MarkDuplicates(account, rows);
            marked.add(t);
            t.restart();
            floorLookups(DM->conn.Handle(), account, rows);
            markFloor.add(t);

            const long beforeSave = rssKb();
            resetPeak();
            t.restart();
            ImportStore::Save(account, rows);
            saved.add(t);
            savePeak = std::max(savePeak, PeakRssKb() - beforeSave);

            fresh();
            DM = new TDM();
            ImportStore::Save(account, {}, std::nullopt); // the program's own tables
            delete DM;
            DM = nullptr;
            sqlite3* floorDb = openRaw(work);
            t.restart();
            floorSave(floorDb, account, rows);
            saveFloor.add(t);
            sqlite3_close(floorDb);
            frm.reset(); // the rows' lines are the window's
        }
        std::printf("== %s: %s\n", qPrintable(name), qPrintable(summary));
        report("read and shown in the preview", shown, nullptr);
        std::printf("    peak memory added %.1f MB\n", double(readPeak) / 1024.0);
        report("duplicates marked", marked, &markFloor);
        report("saved in one transaction", saved, &saveFloor);
        std::printf("    peak memory added %.1f MB\n", double(savePeak) / 1024.0);
    }
    delete DM;
    DM = nullptr;
    return 0;
}
