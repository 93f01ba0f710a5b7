#include "data/UtDM.h"

#include "ui/Guarded.h"
#include "data/AppPaths.h"
#include "data/Errors.h"
#include "data/UtFormat.h"
#include "platform/Platform.h"

TDM* DM = nullptr;

namespace {

TDM& dm()
{
    if (!DM)
        throw EDatabaseError(QStringLiteral("The data module has not been created"));
    return *DM;
}

Money sumStatement(const QString& sql)
{
    TQuery& q = TDM::FreshQuery();
    q.SQL << sql;
    q.Open();
    return q.FieldByName(QStringLiteral("b")).AsMoney();
}

PDataInfo firstRowInfo(TQuery& q)
{
    auto info = std::make_shared<TDataInfo>();
    q.Open();
    if (!q.Eof())
        TDM::FillInfo(*info, q);
    return info;
}

} // namespace

TDM::TDM(QObject* parent) : QObject(parent)
{
    if (!DM)
        DM = this;
    Guarded([this] { DataModuleCreate(); });
}

TDM::~TDM()
{
    m_Query.Close();
    conn.Close();
    if (DM == this)
        DM = nullptr;
}

void TDM::DataModuleCreate()
{
    const QString path = AppDir() + QStringLiteral("Data.mdb");
    conn.ConnectionString = Format(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;"), {path});
    conn.Open(path);
    m_Query.Close();
    m_Query.SQL.clear();
    m_Query.SQL << QStringLiteral("select * from Account");
    try {
        m_Query.Open();
    } catch (const EDatabaseError& e) {
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2").arg(conn.FileName(), e.message()));
    }
}

TQuery& TDM::FreshQuery()
{
    TQuery& q = dm().m_Query;
    q.Close();
    q.SQL.clear();
    q.ClearParams();
    return q;
}

Money TDM::GetWalletTotal()
{
    return sumStatement(QStringLiteral("select sum(balance) as b from Account where type=2"));
}

Money TDM::GetAccountTotal()
{
    return sumStatement(QStringLiteral("select sum(balance) as b from Account where Type in(0,1)"));
}

PDataInfo TDM::LoadAccountInfo(int id)
{
    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral(
        "select [ID], [name],[type],[Balance], [negative],[WarnNegative],[URL],[Memo] from Account where ID=:a");
    q.SetParam(QStringLiteral("a"), id);
    return firstRowInfo(q);
}

PDataInfo TDM::FindAccountInfo(const QString& name, bool isWallet)
{
    TQuery& q = TDM::FreshQuery();
    if (isWallet)
        q.SQL << FormatSQL(QStringLiteral("SELECT [ID], [NAME],[type], [Balance],Negative, WarnNegative, "
                                          "[URL],[MEMO] FROM Account WHERE type = 2 and [name]='%s'"),
                           {name});
    else
        q.SQL << FormatSQL(QStringLiteral("select [ID], [name],[type],[Balance], [negative],[WarnNegative],"
                                          "[URL],[Memo] from Account where type in (0,1) and [name]='%s'"),
                           {name});
    return firstRowInfo(q);
}

bool TDM::DeleteAccountRow(int id)
{
    TQuery& q = TDM::FreshQuery();
    q.SQL << FormatSQL(QStringLiteral("delete from Account where [ID]=%d"), {id});
    return q.ExecSQL() > 0;
}

void TDM::ShowErrorMessage(const QString& text)
{
    ShowMessage(nullptr, QStringLiteral("Error"), text, MsgIcon::Error, mbOK);
}

void TDM::FillInfo(TDataInfo& info, TQuery& q)
{
    auto has = [&](const char* name) { return q.FindFieldIndex(QLatin1String(name)) >= 0; };
    auto f = [&](const char* name) { return q.FieldByName(QLatin1String(name)); };
    if (has("ID")) info.ID = f("ID").AsInteger();
    if (has("name")) info.Name = f("name").AsString();
    if (has("type")) info.AccType = f("type").AsInteger();
    if (has("Balance")) info.Balance = f("Balance").AsMoney();
    if (has("negative")) info.Negative = f("negative").AsBoolean();
    if (has("WarnNegative")) info.WarnNegative = f("WarnNegative").AsBoolean();
    if (has("URL")) info.URL = f("URL").AsString();
    if (has("memo")) info.Memo = f("memo").AsString();
}
