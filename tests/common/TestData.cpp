#include "TestData.h"

#include "cards/UtCards.h"
#include "data/Money.h"
#include "data/UtQuery.h"
#include "grid/DBGridEh.h"
#include "ui/Application.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTimer>

namespace TestData {

namespace {
QString quoted(QString text) {
    text.replace(QLatin1String("'"), QLatin1String("''"));
    return text;
}
} // namespace

int AddAccount(TestEnv& env, const QString& name, int type, const QString& balance,
               const QString& url) {
    env.sql(
        QStringLiteral("insert into Account(name, type, Balance, URL) values('%1', %2, %3, '%4')")
            .arg(quoted(name))
            .arg(type)
            .arg(balance, quoted(url)));
    return env.sql(QStringLiteral("select max(ID) from Account")).toInt();
}

int AddDetail(TestEnv& env, int account, int type, const QString& date, const QString& amount,
              const QString& from, const QString& memo, const QString& forText) {
    env.sql(QStringLiteral("insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                           "values (%1, %2, '%3', '%4', %5, '%6', '%7')")
                .arg(type)
                .arg(account)
                .arg(date, quoted(from), amount, quoted(forText), quoted(memo)));
    return env.sql(QStringLiteral("select max(ID) from Detail")).toInt();
}

int AddTransfer(TestEnv& env, int source, int dest, const QString& date, const QString& amount,
                const QString& from, const QString& memo) {
    env.sql(
        QStringLiteral("insert into Transfer (SourceID, DestID, Date, [From], Amount, [For], Memo) "
                       "values (%1, %2, '%3', '%4', %5, 'move', '%6')")
            .arg(source)
            .arg(dest)
            .arg(date, quoted(from), amount, quoted(memo)));
    return env.sql(QStringLiteral("select max(ID) from Transfer")).toInt();
}

QString Balance(TestEnv& env, int id) {
    return Money::fromDouble(
               env.sql(QStringLiteral("select Balance from Account where ID=%1").arg(id))
                   .toDouble())
        .toPlainString();
}

int Count(TestEnv& env, const QString& table) {
    return env.sql(QStringLiteral("select count(*) from %1").arg(table)).toInt();
}

namespace {
// What an account's or wallet's records say its balance is, in whole ten-thousandths:
// every record moves it by its amount rounded to two decimals, halves away from zero.
QString derivedBalance() {
    const auto cents = [](const QString& x) {
        return QStringLiteral("((cast(round(%1 * 10000) as integer) + "
                              "(case when %1 >= 0 then 50 else -50 end)) / 100)")
            .arg(x);
    };
    return QStringLiteral(
               "(coalesce((select sum(case D.type when 0 then %1 else -%1 end) from Detail D "
               "where D.DestID = A.ID), 0) - coalesce((select sum(%2) from Transfer T "
               "where T.SourceID = A.ID), 0) + coalesce((select sum(%2) from Transfer T "
               "where T.DestID = A.ID), 0)) * 100")
        .arg(cents(QStringLiteral("D.Amount")), cents(QStringLiteral("T.Amount")));
}
} // namespace

void SettleBalances(TestEnv& env) {
    env.sql(QStringLiteral("update Account as A set Balance = %1 / 10000.0").arg(derivedBalance()));
}

QStringList GridColumn(const TDBGridEh* grid, int column) {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        out << grid->CellText(r, column);
    return out;
}

void SelectGridRows(TDBGridEh* grid, std::initializer_list<int> rows) {
    grid->clearSelection();
    for (const int r : rows)
        grid->selectionModel()->select(grid->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QStringList BalanceMismatches(TestEnv& env) {
    // Worked in whole ten-thousandths so that the comparison is exact.
    const QString derived = derivedBalance();
    const QString stored = QStringLiteral("cast(round(A.Balance * 10000) as integer)");
    const QString lines =
        env.sql(QStringLiteral(
                    "select group_concat(A.ID || ': stored ' || %1 || ' records ' || %2, '|') "
                    "from Account A where %1 <> %2")
                    .arg(stored, derived))
            .toString();
    return lines.isEmpty() ? QStringList() : lines.split(u'|');
}

void BreakBalanceUpdates(TestEnv& env) {
    env.sql(QStringLiteral("CREATE TRIGGER test_break BEFORE UPDATE ON Account "
                           "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
}

void MendBalanceUpdates(TestEnv& env) {
    env.sql(QStringLiteral("DROP TRIGGER test_break"));
}

void FailOn(TestEnv& env, const QString& table, const QString& event, const QString& condition) {
    static int serial = 0;
    env.sql(QStringLiteral("CREATE TRIGGER test_fail_%1 BEFORE %2 ON %3 %4 "
                           "BEGIN SELECT RAISE(ABORT, 'test failure in %2 on %3'); END")
                .arg(++serial)
                .arg(event, table,
                     condition.isEmpty() ? QString() : QStringLiteral("WHEN ") + condition));
}

void StopFailing(TestEnv& env) {
    const QString names =
        env.sql(
               QStringLiteral("select group_concat(name) from sqlite_master "
                              "where type = 'trigger' and name like 'test\\_fail\\_%' escape '\\'"))
            .toString();
    for (const QString& name : names.split(u',', Qt::SkipEmptyParts))
        env.sql(QStringLiteral("DROP TRIGGER ") + name);
}

QString Snapshot(TestEnv& env) {
    QStringList out;
    TConnection c;
    c.Open(env.dbPath());
    for (const char* table : {"Account", "Detail", "Transfer"}) {
        TQuery q(&c);
        q.SQL << QStringLiteral("select * from %1 order by ID").arg(QLatin1String(table));
        q.Open();
        for (; !q.Eof(); q.Next()) {
            QStringList row{QLatin1String(table)};
            for (int i = 0; i < q.FieldCount(); ++i)
                row << q.Field(i).AsString();
            out << row.join(u'|');
        }
    }
    return out.join(u'\n');
}

void EnsureCardBitmaps(const TestEnv& env) {
    const QString res = env.dir() + QStringLiteral("/res");
    QDir().mkpath(res);
    for (const char* name : {"acc", "acc_f", "wallet", "wallet_f"}) {
        const QString path = res + u'/' + QLatin1String(name) + QStringLiteral(".bmp");
        if (QFile::exists(path))
            continue;
        // The card treats the bottom-left colour as see-through, so the face is drawn
        // on a background of its own.
        QImage img(86, 80, QImage::Format_RGB888);
        img.fill(Qt::magenta);
        QPainter p(&img);
        p.fillRect(2, 2, 82, 76,
                   QString::fromLatin1(name).endsWith(QLatin1String("_f")) ? QColor(160, 40, 40)
                                                                           : QColor(30, 60, 120));
        p.end();
        img.save(path, "BMP");
    }
}

TImageCtrl* FindCard(const QList<PDataInfo>& list, int id) {
    for (const PDataInfo& info : list)
        if (info->ID == id)
            return qobject_cast<TImageCtrl*>(info->Card);
    return nullptr;
}

QStringList ModalsOpenedBy(const std::function<void()>& command,
                           const std::function<void(QDialog*)>& act) {
    QStringList opened;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened << QString::fromLatin1(d->metaObject()->className()) + u':' + d->windowTitle();
            if (act)
                act(d);
            if (d->isVisible())
                d->reject();
        }
    });
    closer.start();
    command();
    return opened;
}

} // namespace TestData

ScopedHelpRecorder::ScopedHelpRecorder() {
    auto recorder = std::make_unique<RecordingHelp>();
    m_recorder = recorder.get();
    m_previous = SetHtmlHelp(std::move(recorder));
}

ScopedHelpRecorder::~ScopedHelpRecorder() {
    SetHtmlHelp(std::move(m_previous));
}

ScopedAppHelpFile::ScopedAppHelpFile(const QString& file) : m_previous(Application()->HelpFile) {
    Application()->HelpFile = file;
}

ScopedAppHelpFile::~ScopedAppHelpFile() {
    Application()->HelpFile = m_previous;
}
