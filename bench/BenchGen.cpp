// Writes a realistic budget database for the benchmarks: accounts and wallets, and ten
// years of deposits, debits and transfers up to today, one account holding about 11.5%
// of all transactions (the busiest card).
//
//   bench-gen PATH [--accounts 50] [--wallets 20] [--transactions 1000000] [--seed 1]
#include "data/Errors.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "bench-gen: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr));
    return st;
}

const char* const kFrom[] = {"Salary",    "Grocer",   "Landlord", "Power company",
                             "Cafe",      "Bookshop", "Pharmacy", "Garage",
                             "Insurance", "Phone",    "Cinema",   "Bakery"};
const char* const kFor[] = {"rent", "food",    "fuel", "books",   "lunch",  "repairs",
                            "gift", "holiday", "tax",  "savings", "school", "health"};
const char* const kMemo[] = {
    "", "", "", "", "paid by card", "split with Anna", "monthly", "receipt in the drawer"};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int accounts = 50, wallets = 20, transactions = 1000000;
    unsigned seed = 1;
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto next = [&] { return i + 1 < args.size() ? args[++i].toInt() : 0; };
        if (a == "--accounts")
            accounts = next();
        else if (a == "--wallets")
            wallets = next();
        else if (a == "--transactions")
            transactions = next();
        else if (a == "--seed")
            seed = unsigned(next());
        else
            path = a;
    }
    if (path.isEmpty() || accounts < 1 || wallets < 1 || transactions < 1) {
        std::fprintf(
            stderr,
            "usage: bench-gen PATH [--accounts N] [--wallets N] [--transactions N] [--seed N]\n");
        return 2;
    }
    QFile::remove(path);
    try {
        CreateEmptyDatabase(path);
    } catch (const EBudgetError& e) {
        std::fprintf(stderr, "bench-gen: %s\n", qPrintable(e.message()));
        return 1;
    }
    sqlite3* db = nullptr;
    check(db, sqlite3_open(QFile::encodeName(path).constData(), &db));
    check(db, sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr,
                           nullptr, nullptr));

    const int total = accounts + wallets;
    sqlite3_stmt* acc =
        prepare(db, "insert into Account (name, type, URL, Memo) values (?, ?, '', '')");
    for (int i = 1; i <= total; ++i) {
        const bool wallet = i > accounts;
        const QByteArray name = (wallet ? QStringLiteral("Wallet %1").arg(i - accounts)
                                        : QStringLiteral("Account %1").arg(i))
                                    .toUtf8();
        sqlite3_bind_text(acc, 1, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(acc, 2, wallet ? 2 : (i % 5 == 0 ? 1 : 0));
        check(db, sqlite3_step(acc));
        sqlite3_reset(acc);
    }
    sqlite3_finalize(acc);

    sqlite3_stmt* det =
        prepare(db, "insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                    "values (?, ?, ?, ?, ?, ?, ?)");
    sqlite3_stmt* tra =
        prepare(db, "insert into Transfer (SourceID, DestID, Date, [From], Amount, [For], Memo) "
                    "values (?, ?, ?, ?, ?, ?, ?)");
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> other(2, total);
    std::vector<qint64> balance(size_t(total) + 1, 0); // in cents

    // Ten years up to the end of today, in time order as a user would have entered them.
    const QDateTime end(QDate::currentDate().addDays(1), QTime(0, 0));
    const QDateTime start = end.addYears(-10);
    const qint64 span = start.secsTo(end);
    const int busiest = 1;
    for (int i = 0; i < transactions; ++i) {
        const qint64 at = qint64((double(i) + unit(rng)) * double(span) / double(transactions));
        const QByteArray date =
            start.addSecs(std::min(at, span - 1)).toString("yyyy-MM-dd HH:mm:ss").toUtf8();
        const qint64 cents = 100 + qint64(unit(rng) * unit(rng) * 50000);
        const char* from = kFrom[rng() % std::size(kFrom)];
        const char* forText = kFor[rng() % std::size(kFor)];
        const char* memo = kMemo[rng() % std::size(kMemo)];
        const bool mine = unit(rng) < 0.115;
        if (unit(rng) < 0.8) {
            const int dest = mine ? busiest : other(rng);
            const int type = unit(rng) < 0.35 ? 0 : 1;
            sqlite3_bind_int(det, 1, type);
            sqlite3_bind_int(det, 2, dest);
            sqlite3_bind_text(det, 3, date.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(det, 4, from, -1, SQLITE_STATIC);
            sqlite3_bind_double(det, 5, double(cents) / 100.0);
            sqlite3_bind_text(det, 6, forText, -1, SQLITE_STATIC);
            sqlite3_bind_text(det, 7, memo, -1, SQLITE_STATIC);
            check(db, sqlite3_step(det));
            sqlite3_reset(det);
            balance[size_t(dest)] += type == 0 ? cents : -cents;
        } else {
            int source = other(rng), dest = other(rng);
            while (dest == source)
                dest = other(rng);
            if (mine)
                (unit(rng) < 0.5 ? source : dest) = busiest;
            sqlite3_bind_int(tra, 1, source);
            sqlite3_bind_int(tra, 2, dest);
            sqlite3_bind_text(tra, 3, date.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(tra, 4, from, -1, SQLITE_STATIC);
            sqlite3_bind_double(tra, 5, double(cents) / 100.0);
            sqlite3_bind_text(tra, 6, forText, -1, SQLITE_STATIC);
            sqlite3_bind_text(tra, 7, memo, -1, SQLITE_STATIC);
            check(db, sqlite3_step(tra));
            sqlite3_reset(tra);
            balance[size_t(source)] -= cents;
            balance[size_t(dest)] += cents;
        }
    }
    sqlite3_finalize(det);
    sqlite3_finalize(tra);
    sqlite3_stmt* bal = prepare(db, "update Account set Balance = ? where ID = ?");
    for (int i = 1; i <= total; ++i) {
        sqlite3_bind_double(bal, 1, double(balance[size_t(i)]) / 100.0);
        sqlite3_bind_int(bal, 2, i);
        check(db, sqlite3_step(bal));
        sqlite3_reset(bal);
    }
    sqlite3_finalize(bal);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    sqlite3_close(db);
    std::printf("wrote %s: %d accounts, %d wallets, %d transactions\n", qPrintable(path), accounts,
                wallets, transactions);
    return 0;
}
