// Long random runs of what a user can do, each step through the program's own windows
// (entry windows, editors, the main window's account commands, the history's Delete),
// checked after every step against a model the test keeps by itself: which records
// exist, whom they belong to, what amount they carry, and so what every balance is.
#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "app/UtMain.h"
#include "data/Money.h"
#include "data/UtQuery.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <optional>
#include <random>

using namespace TestData;
using namespace UserActions;

namespace {

constexpr qint64 Unit = Money::Scale;

// A record moves a balance by its amount rounded to cents, halves away from zero.
qint64 cents(qint64 raw) {
    const qint64 rem = raw % 100;
    qint64 r = raw - rem;
    if (rem >= 50)
        r += 100;
    else if (rem <= -50)
        r -= 100;
    return r;
}

QString rawText(qint64 raw, int decimals) {
    QString digits = QString::number(raw < 0 ? -raw : raw).rightJustified(5, u'0');
    QString text = digits.left(digits.size() - 4);
    if (decimals > 0)
        text += u'.' + digits.right(4).left(decimals);
    return (raw < 0 ? QStringLiteral("-") : QString()) + text;
}

// An amount as a user might type it, with what the window must make of it: the value
// stored, or none when the window must refuse it.
struct Amount {
    QString text;
    std::optional<qint64> raw;
};

class Model {
public:
    struct Account {
        bool wallet;
        qint64 balance = 0;
    };
    struct Detail {
        bool debit;
        int account;
        qint64 amount;
    };
    struct Transfer {
        int source, dest;
        qint64 amount;
    };
    std::map<int, Account> accounts;
    std::map<int, Detail> details;
    std::map<int, Transfer> transfers;

    void move(int id, qint64 by) {
        if (auto it = accounts.find(id); it != accounts.end())
            it->second.balance += by;
    }
    void apply(const Detail& d, int sign) {
        move(d.account, sign * (d.debit ? -1 : 1) * cents(d.amount));
    }
    void apply(const Transfer& t, int sign) {
        move(t.source, -sign * cents(t.amount));
        move(t.dest, sign * cents(t.amount));
    }
    // Whether the balances of these rows stay where the file holds them exactly. A
    // save checks the rows it touches (a delete checks none, so a balance can leave
    // the range that way, and a later save on that row is refused).
    bool fits(std::initializer_list<int> touched) const {
        for (int id : touched)
            if (auto it = accounts.find(id);
                it != accounts.end() && (it->second.balance > Money::StoredLimit ||
                                         it->second.balance < -Money::StoredLimit))
                return false;
        return true;
    }
};

class Run {
public:
    Run(TestEnv& env, TFrmMain& frm, quint32 seed) : env(env), frm(frm), rng(seed) {
        reader.Open(env.dbPath());
    }

    TestEnv& env;
    TFrmMain& frm;
    std::mt19937 rng;
    Model model;
    TConnection reader; // a connection of its own: it sees only what was committed
    QString last;       // the step being taken, for the failure message
    int saves = 0, refusals = 0;

    int pick(int n) { return int(rng() % quint32(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    template <class Map> int anyKey(const Map& m) {
        auto it = m.begin();
        std::advance(it, pick(int(m.size())));
        return it->first;
    }

    Amount amount() {
        static const char* const refused[] = {"1e5",
                                              "--5",
                                              "5-",
                                              "1,2,3",
                                              ".",
                                              "-",
                                              "99999999999999999",
                                              "12abc",
                                              "1.2.3",
                                              "5 5",
                                              "0x10",
                                              "\xd9\xa1\xd9\xa2",
                                              "+-1",
                                              "1.5e3",
                                              "$5",
                                              "NaN"};
        const int kind = pick(100);
        if (kind < 6)
            return {QString::fromUtf8(refused[pick(std::size(refused))]), std::nullopt};
        if (kind < 8) {
            // Near the end of what the file holds: some of these saves must be refused.
            const qint64 units = Money::StoredLimit / Unit - pick(1000);
            const qint64 raw = (chance(50) ? 1 : -1) * units * Unit;
            return {rawText(raw, 0), raw};
        }
        qint64 raw;
        switch (pick(6)) {
        case 0:
            raw = 0;
            break;
        case 1:
            raw = qint64(pick(100000)) * Unit;
            break;
        case 2:
            raw = qint64(pick(10'000'000)) * 100;
            break;
        default:
            raw = qint64(pick(100'000'000));
            break; // four decimals
        }
        if (chance(25))
            raw = -raw;
        if (chance(10)) {
            // A fifth decimal: kept to four, halves away from zero.
            const int fifth = pick(10);
            const QString text = rawText(raw, 4) + QString::number(fifth);
            return {text, fifth >= 5 ? raw + (raw < 0 ? -1 : 1) : raw};
        }
        // As few decimals as the value needs, sometimes with a trailing zero.
        int decimals = 4;
        for (qint64 r = raw; decimals > 0 && r % 10 == 0; r /= 10)
            --decimals;
        QString text = rawText(raw, decimals);
        if (chance(15))
            text += decimals == 0 ? QStringLiteral(".0") : QStringLiteral("0");
        if (chance(10))
            text = QStringLiteral("  ") + text + QStringLiteral(" ");
        else if (chance(5) && raw >= 0)
            text.prepend(u'+');
        return {text, raw};
    }

    QDate date() { return QDate(2020, 1, 1).addDays(pick(2000)); }

    EntryInput input(const Amount& a) {
        EntryInput in;
        in.party = chance(3) ? QString() : QStringLiteral("party %1").arg(pick(20));
        in.amount = a.text;
        in.forText = QStringLiteral("for %1").arg(pick(50));
        in.date = chance(50) ? date() : QDate();
        return in;
    }

    // What the window must do with an input: save it or refuse it.
    bool acceptable(const EntryInput& in, const Amount& a) const {
        return !in.party.trimmed().isEmpty() && a.raw.has_value();
    }

    int existingAccount(bool* wallet = nullptr) {
        const int id = anyKey(model.accounts);
        if (wallet)
            *wallet = model.accounts[id].wallet;
        return id;
    }

    // One step; returns false when the model has no room for it (nothing was done).
    bool step() {
        const int what = pick(100);
        // Accounts come and go at the same pace once there are a few.
        if (model.accounts.size() < 2 || what < 3 || (what < 6 && model.accounts.size() < 8))
            return newAccount();
        if (what < 6)
            return deleteAccount();
        if (what < 7)
            return renameAccount();
        if (what < 25)
            return newDetail();
        if (what < 42)
            return newTransfer();
        if (what < 52)
            return deleteRecords();
        if (what < 75)
            return editDetail();
        return editTransfer();
    }

    // Deletes a few rows of the history list, now and then both rows of one transfer.
    bool deleteRecords() {
        std::vector<HistoryRow> shown;
        for (const auto& [id, d] : model.details)
            if (model.accounts.count(d.account))
                shown.push_back(
                    {id, d.debit ? QStringLiteral("Debit") : QStringLiteral("Deposit")});
        for (const auto& [id, t] : model.transfers) {
            if (model.accounts.count(t.source))
                shown.push_back({id, QStringLiteral("Trans Out")});
            if (model.accounts.count(t.dest))
                shown.push_back({id, QStringLiteral("Trans In")});
        }
        if (shown.empty())
            return newDetail();
        std::vector<HistoryRow> chosen;
        for (int n = 1 + pick(3); n > 0; --n) {
            const HistoryRow row = shown[size_t(pick(int(shown.size())))];
            const bool taken = std::any_of(chosen.begin(), chosen.end(), [&](const HistoryRow& c) {
                return c.id == row.id && c.kind == row.kind;
            });
            if (!taken)
                chosen.push_back(row);
        }
        last = QStringLiteral("delete %1 rows of the history, the first %2 %3")
                   .arg(chosen.size())
                   .arg(chosen.front().kind)
                   .arg(chosen.front().id);
        if (DeleteRecords(chosen) != int(chosen.size()))
            return fail(QStringLiteral("the history list did not show every row"));
        for (const HistoryRow& row : chosen) {
            if (row.kind.startsWith(QLatin1String("Trans"))) {
                if (auto it = model.transfers.find(row.id); it != model.transfers.end()) {
                    model.apply(it->second, -1);
                    model.transfers.erase(it);
                }
            } else if (auto it = model.details.find(row.id); it != model.details.end()) {
                model.apply(it->second, -1);
                model.details.erase(it);
            }
        }
        ++saves;
        return true;
    }

    bool newAccount() {
        const int type = pick(3);
        const QString name = QStringLiteral("acc %1").arg(model.accounts.size() + 1);
        last = QStringLiteral("new account type %1").arg(type);
        const int id = NewAccount(frm, name, type);
        if (id == 0)
            return fail(QStringLiteral("the new account was not saved"));
        model.accounts[id] = {type == 2, 0};
        return true;
    }

    bool deleteAccount() {
        const int id = existingAccount();
        last = QStringLiteral("delete account %1").arg(id);
        if (!DeleteAccount(frm, id))
            return fail(QStringLiteral("the account is still there"));
        model.accounts.erase(id);
        return true;
    }

    bool renameAccount() {
        const int id = existingAccount();
        last = QStringLiteral("rename account %1").arg(id);
        if (!RenameAccount(frm, id, QStringLiteral("renamed %1").arg(pick(1000))))
            return fail(QStringLiteral("the editor did not save"));
        return true;
    }

    // Saves through a window and checks that it saved exactly when the model says it
    // must; applies the change to the model then.
    bool expect(bool saved, bool mustSave, const std::function<void()>& apply) {
        if (saved != mustSave)
            return fail(saved ? QStringLiteral("saved what had to be refused")
                              : QStringLiteral("refused a valid save: %1").arg(lastMessage()));
        if (saved) {
            apply();
            ++saves;
        } else {
            ++refusals;
        }
        return true;
    }

    QString lastMessage() const {
        return env.messages->messages.empty() ? QStringLiteral("no message")
                                              : env.messages->messages.back().text;
    }

    // Whether a change would keep every balance within what the file holds.
    bool fitsAfter(const std::function<void(Model&)>& change,
                   std::initializer_list<int> touched) const {
        Model m = model;
        change(m);
        return m.fits(touched);
    }

    bool newDetail() {
        bool wallet = false;
        const int id = existingAccount(&wallet);
        const bool debit = chance(50);
        const Amount a = amount();
        const EntryInput in = input(a);
        last =
            QStringLiteral("new %1 of '%2' on %3").arg(debit ? "debit" : "deposit", a.text).arg(id);
        Model::Detail d{debit, id, a.raw.value_or(0)};
        const bool ok = acceptable(in, a) && fitsAfter([&](Model& m) { m.apply(d, 1); }, {id});
        const bool saved = NewDetail(debit, id, in);
        return expect(saved, ok, [&] {
            model.details[maxId("Detail")] = d;
            model.apply(d, 1);
        });
    }

    bool newTransfer() {
        const int source = existingAccount();
        const int dest = chance(10) ? source : existingAccount();
        const Amount a = amount();
        const EntryInput in = input(a);
        last =
            QStringLiteral("new transfer of '%1' from %2 to %3").arg(a.text).arg(source).arg(dest);
        Model::Transfer t{source, dest, a.raw.value_or(0)};
        const bool ok =
            acceptable(in, a) && fitsAfter([&](Model& m) { m.apply(t, 1); }, {source, dest});
        const bool saved = NewTransfer(source, dest, in);
        return expect(saved, ok, [&] {
            model.transfers[maxId("Transfer")] = t;
            model.apply(t, 1);
        });
    }

    bool editDetail() {
        // Only records a list still shows: their account or wallet exists.
        std::vector<int> shown;
        for (const auto& [id, d] : model.details)
            if (model.accounts.count(d.account))
                shown.push_back(id);
        if (shown.empty())
            return newDetail();
        const int id = shown[size_t(pick(int(shown.size())))];
        const Model::Detail old = model.details[id];
        const int moveTo = chance(30) ? existingAccount() : 0;
        const Amount a = chance(20) ? Amount{rawText(old.amount, 4), old.amount} : amount();
        const EntryInput in = input(a);
        last = QStringLiteral("edit %1 %2 to '%3' moving to %4")
                   .arg(old.debit ? "debit" : "deposit")
                   .arg(id)
                   .arg(a.text)
                   .arg(moveTo);
        const Model::Detail now{old.debit, moveTo ? moveTo : old.account, a.raw.value_or(0)};
        const bool ok = acceptable(in, a) && fitsAfter(
                                                 [&](Model& m) {
                                                     m.apply(old, -1);
                                                     m.apply(now, 1);
                                                 },
                                                 {old.account, now.account});
        const bool saved = EditDetail(old.debit, id, in, moveTo);
        return expect(saved, ok, [&] {
            model.apply(old, -1);
            model.apply(now, 1);
            model.details[id] = now;
        });
    }

    bool editTransfer() {
        // A transfer shows in the lists while either end exists.
        std::vector<int> shown;
        for (const auto& [id, t] : model.transfers)
            if (model.accounts.count(t.source) || model.accounts.count(t.dest))
                shown.push_back(id);
        if (shown.empty())
            return newTransfer();
        const int id = shown[size_t(pick(int(shown.size())))];
        const Model::Transfer old = model.transfers[id];
        const int newSource = chance(30) ? existingAccount() : 0;
        const int newDest = chance(30) ? existingAccount() : 0;
        const Amount a = chance(20) ? Amount{rawText(old.amount, 4), old.amount} : amount();
        const EntryInput in = input(a);
        last = QStringLiteral("edit transfer %1 to '%2', ends %3 %4")
                   .arg(id)
                   .arg(a.text)
                   .arg(newSource)
                   .arg(newDest);
        const Model::Transfer now{newSource ? newSource : old.source, newDest ? newDest : old.dest,
                                  a.raw.value_or(0)};
        // An end whose row is gone stays on its list's header until another is picked.
        const bool endsChosen = model.accounts.count(now.source) && model.accounts.count(now.dest);
        const bool ok = endsChosen && acceptable(in, a) &&
                        fitsAfter(
                            [&](Model& m) {
                                m.apply(old, -1);
                                m.apply(now, 1);
                            },
                            {old.source, old.dest, now.source, now.dest});
        const bool saved = EditTransfer(id, in, newSource, newDest);
        return expect(saved, ok, [&] {
            model.apply(old, -1);
            model.apply(now, 1);
            model.transfers[id] = now;
        });
    }

    int rowCount(const char* table) {
        TQuery q(&reader);
        q.SQL << QStringLiteral("select count(*) from %1").arg(QLatin1String(table));
        q.Open();
        return q.Field(0).AsInteger();
    }

    int maxId(const char* table) {
        TQuery q(&reader);
        q.SQL << QStringLiteral("select max(ID) from %1").arg(QLatin1String(table));
        q.Open();
        return q.Field(0).AsInteger();
    }

    bool fail(const QString& why) {
        failure = QStringLiteral("%1: %2").arg(last, why);
        return false;
    }
    QString failure;

    // The file against the model: every balance, and the number of records or, when
    // asked for, every record with its owner and amount. Empty when they agree.
    QString compare(bool everyRecord) {
        QStringList out;
        TQuery q(&reader);
        q.SQL << QStringLiteral("select ID, Balance from Account");
        q.Open();
        std::map<int, qint64> balances;
        for (; !q.Eof(); q.Next())
            balances[q.Field(0).AsInteger()] = q.Field(1).AsMoney().raw();
        if (balances.size() != model.accounts.size())
            out << QStringLiteral("%1 accounts, the model has %2")
                       .arg(balances.size())
                       .arg(model.accounts.size());
        for (const auto& [id, a] : model.accounts)
            if (balances[id] != a.balance)
                out << QStringLiteral("account %1 balance %2, expected %3")
                           .arg(id)
                           .arg(Money::fromRaw(balances[id]).toPlainString(),
                                Money::fromRaw(a.balance).toPlainString());

        if (!everyRecord) {
            if (rowCount("Detail") != int(model.details.size()) ||
                rowCount("Transfer") != int(model.transfers.size()))
                out << QStringLiteral("the number of records differs from the model");
            return out.join(QStringLiteral("; "));
        }
        q.SQL.clear();
        q.SQL << QStringLiteral("select ID, type, DestID, Amount from Detail");
        q.Open();
        int rows = 0;
        for (; !q.Eof(); q.Next(), ++rows) {
            const int id = q.Field(0).AsInteger();
            const auto it = model.details.find(id);
            const Model::Detail got{q.Field(1).AsInteger() == 1, q.Field(2).AsInteger(),
                                    q.Field(3).AsMoney().raw()};
            if (it == model.details.end() || it->second.debit != got.debit ||
                it->second.account != got.account || it->second.amount != got.amount)
                out << QStringLiteral("detail %1 is %2 on %3 of %4")
                           .arg(id)
                           .arg(got.debit)
                           .arg(got.account)
                           .arg(got.amount);
        }
        if (rows != int(model.details.size()))
            out << QStringLiteral("%1 details, the model has %2")
                       .arg(rows)
                       .arg(model.details.size());

        q.SQL.clear();
        q.SQL << QStringLiteral("select ID, SourceID, DestID, Amount from Transfer");
        q.Open();
        rows = 0;
        for (; !q.Eof(); q.Next(), ++rows) {
            const int id = q.Field(0).AsInteger();
            const auto it = model.transfers.find(id);
            const Model::Transfer got{q.Field(1).AsInteger(), q.Field(2).AsInteger(),
                                      q.Field(3).AsMoney().raw()};
            if (it == model.transfers.end() || it->second.source != got.source ||
                it->second.dest != got.dest || it->second.amount != got.amount)
                out << QStringLiteral("transfer %1 is %2 -> %3 of %4")
                           .arg(id)
                           .arg(got.source)
                           .arg(got.dest)
                           .arg(got.amount);
        }
        if (rows != int(model.transfers.size()))
            out << QStringLiteral("%1 transfers, the model has %2")
                       .arg(rows)
                       .arg(model.transfers.size());
        return out.join(QStringLiteral("; "));
    }
};

} // namespace

class ModelCheckTest : public QObject {
    Q_OBJECT
private slots:
    // BUDGET_MODEL_STEPS and BUDGET_MODEL_SEED make a longer or another run.
    void balancesFollowTheirRecordsThroughEveryWindow() {
        const int steps = EnvNumber("BUDGET_MODEL_STEPS", 2000);
        const quint32 seed = quint32(EnvNumber("BUDGET_MODEL_SEED", 20130613));
        TestEnv env;
        EnsureCardBitmaps(env);
        TFrmMain frm;
        frm.show();
        Run run(env, frm, seed);
        for (int i = 1; i <= steps; ++i) {
            if (!run.step())
                QFAIL(qPrintable(
                    QStringLiteral("seed %1, step %2, %3").arg(seed).arg(i).arg(run.failure)));
            // Every record is compared at each of the first steps; in a long run, every
            // hundredth step, the balances and counts at each.
            const QString diff = run.compare(i <= 2000 || i % 100 == 0 || i == steps);
            if (!diff.isEmpty())
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2 (%3): %4")
                                     .arg(seed)
                                     .arg(i)
                                     .arg(run.last, diff)));
            const QStringList drift = BalanceMismatches(env);
            if (!drift.isEmpty())
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2 (%3): %4")
                                     .arg(seed)
                                     .arg(i)
                                     .arg(run.last, drift.join(u' '))));
            // Messages pile up over a long run; only the last one is ever read.
            if (env.messages->messages.size() > 100)
                env.messages->messages.clear();
            if (i % 10000 == 0 && i < steps)
                qInfo("%d steps, every balance equal to its records", i);
        }
        qInfo("%d steps: %d saves, %d refusals, %d accounts, %d deposits and debits, %d transfers",
              steps, run.saves, run.refusals, int(run.model.accounts.size()),
              int(run.model.details.size()), int(run.model.transfers.size()));
        // A run that refused everything would prove nothing.
        QVERIFY(run.saves > steps / 2);
        QVERIFY(run.refusals > 0);
    }
};

BUDGET_TEST(ModelCheckTest)
#include "ModelCheckTest.moc"
