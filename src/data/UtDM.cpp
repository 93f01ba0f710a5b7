#include "data/UtDM.h"

#include "data/AppPaths.h"
#include "data/Errors.h"
#include "data/UtFormat.h"
#include "platform/Platform.h"
#include "platform/WaitCursor.h"

#include <QElapsedTimer>
#include <sqlite3.h>

TDM* DM = nullptr;
int TDM::StartupLockWaitMs = 30000;

namespace {

// While it lives, a lock another program holds on the file is waited for up to a
// limit far beyond a statement's busy timeout, with the wait cursor up meanwhile: a
// copy of the program that is saving, or a backup taking its copy, should not make
// this start fail.
class LockWait {
public:
    LockWait(TConnection& c, int limitMs) : m_db(c.Handle()), m_limit(limitMs) {
        m_timer.start();
        sqlite3_busy_handler(m_db, &LockWait::busy, this);
    }
    ~LockWait() { sqlite3_busy_timeout(m_db, TConnection::DefaultBusyTimeoutMs); }
    LockWait(const LockWait&) = delete;
    LockWait& operator=(const LockWait&) = delete;

private:
    static int busy(void* self, int) {
        auto* w = static_cast<LockWait*>(self);
        w->m_cursor.Show();
        if (w->m_timer.elapsed() >= w->m_limit)
            return 0;
        sqlite3_sleep(20);
        return 1;
    }

    sqlite3* m_db;
    qint64 m_limit;
    QElapsedTimer m_timer;
    TWaitCursor m_cursor{TWaitCursor::When::Later};
};

TDM& dm() {
    if (!DM)
        throw EDatabaseError(QStringLiteral("The data module has not been created"));
    return *DM;
}

Money sumStatement(const QString& sql) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << sql;
    q.Open();
    return q.FieldByName(QStringLiteral("b")).AsMoney();
}

PDataInfo firstRowInfo(TQuery& q) {
    auto info = std::make_shared<TDataInfo>();
    q.Open();
    if (!q.Eof())
        TDM::FillInfo(*info, q);
    return info;
}

} // namespace

TDM::TDM(QObject* parent) : QObject(parent) {
    if (!DM)
        DM = this;
    try {
        DataModuleCreate();
    } catch (...) {
        ReportCurrentError();
    }
}

TDM::~TDM() {
    m_Query.Close();
    conn.Close();
    if (DM == this)
        DM = nullptr;
}

void TDM::DataModuleCreate() {
    m_ready = false;
    const QString path = AppDir() + QStringLiteral("Data.mdb");
    conn.ConnectionString =
        Format(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;"), {path});
    conn.Open(path);
    m_Query.Close();
    m_Query.SQL.clear();
    m_Query.SQL << QStringLiteral("select * from Account");
    try {
        LockWait wait(conn, StartupLockWaitMs);
        m_Query.Open();
    } catch (const EDatabaseError& e) {
        const QString text =
            QStringLiteral("Cannot open the database \"%1\": %2").arg(conn.FileName(), e.message());
        // A lock is a passing state: the connection stays, so that a later command
        // works once the other program lets go.
        if (e.engineCode() == SQLITE_BUSY || e.engineCode() == SQLITE_LOCKED)
            throw EDatabaseError(text, e.engineCode());
        // An empty or foreign file: nothing else should try it, or write to it.
        conn.Fail(text);
        throw EDatabaseError(text, e.engineCode());
    }
    m_ready = true;
    if (conn.ReadOnly())
        ShowMessage(nullptr, ApplicationTitle(),
                    QStringLiteral("The database \"%1\" is read-only: changes cannot be saved.")
                        .arg(conn.FileName()),
                    MsgIcon::Warning, mbOK);
}

TQuery& TDM::FreshQuery() {
    TQuery& q = dm().m_Query;
    q.Close();
    q.SQL.clear();
    q.ClearParams();
    return q;
}

Money TDM::GetWalletTotal() {
    return sumStatement(QStringLiteral("select sum(balance) as b from Account where type=2"));
}

Money TDM::GetAccountTotal() {
    return sumStatement(QStringLiteral("select sum(balance) as b from Account where Type in(0,1)"));
}

PDataInfo TDM::LoadAccountInfo(int id) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("select [ID], [name],[type],[Balance], "
                            "[negative],[WarnNegative],[URL],[Memo] from Account where ID=:a");
    q.SetParam(QStringLiteral("a"), id);
    return firstRowInfo(q);
}

PDataInfo TDM::FindAccountInfo(const QString& name, bool isWallet) {
    TQuery& q = TDM::FreshQuery();
    if (isWallet)
        q.SQL << FormatSQL(
            QStringLiteral("SELECT [ID], [NAME],[type], [Balance],Negative, WarnNegative, "
                           "[URL],[MEMO] FROM Account WHERE type = 2 and [name]='%s'"),
            {name});
    else
        q.SQL << FormatSQL(
            QStringLiteral("select [ID], [name],[type],[Balance], [negative],[WarnNegative],"
                           "[URL],[Memo] from Account where type in (0,1) and [name]='%s'"),
            {name});
    return firstRowInfo(q);
}

bool TDM::DeleteAccountRow(int id) {
    TQuery& q = TDM::FreshQuery();
    q.SQL << FormatSQL(QStringLiteral("delete from Account where [ID]=%d"), {id});
    return q.ExecSQL() > 0;
}

void TDM::ShowErrorMessage(const QString& text, QWidget* owner) {
    ShowMessage(owner, QStringLiteral("Error"), text, MsgIcon::Error, mbOK);
}

void TDM::FillInfo(TDataInfo& info, TQuery& q) {
    auto has = [&](const char* name) { return q.FindFieldIndex(QLatin1String(name)) >= 0; };
    auto f = [&](const char* name) { return q.FieldByName(QLatin1String(name)); };
    if (has("ID"))
        info.ID = f("ID").AsInteger();
    if (has("name"))
        info.Name = f("name").AsString();
    if (has("type"))
        info.AccType = f("type").AsInteger();
    if (has("Balance"))
        info.Balance = f("Balance").AsMoney();
    if (has("negative"))
        info.Negative = f("negative").AsBoolean();
    if (has("WarnNegative"))
        info.WarnNegative = f("WarnNegative").AsBoolean();
    if (has("URL"))
        info.URL = f("URL").AsString();
    if (has("memo"))
        info.Memo = f("memo").AsString();
}
