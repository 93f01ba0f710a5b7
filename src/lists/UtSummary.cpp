#include "lists/UtSummary.h"

#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "grid/DBGridEh.h"

#include <QDate>
#include <QHeaderView>
#include <QVBoxLayout>

TSummaryStrip::TSummaryStrip(QWidget* parent) : QWidget(parent), qryTotal(&DM->conn) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    dbgrdhTotal = new TDBGridEh(this);
    dbgrdhTotal->setObjectName(QStringLiteral("dbgrdhTotal"));
    layout->addWidget(dbgrdhTotal);

    struct Def {
        const char* field;
        const char* title;
        int width;
    };
    static const Def defs[] = {{"name", "Acc/Wal name", 116},
                               {"BalancePercent", "Balance Percent(%)", 99},
                               {"MonthDeposit", "Deposit of This Month", 114},
                               {"MonthDebit", "Debit of This Month", 114},
                               {"TodayDeposit", "Today's Deposit", 199},
                               {"TodayDebit", "Today's Debit", 110}};
    std::vector<TColumnEh> cols;
    for (const Def& d : defs) {
        TColumnEh c;
        c.FieldName = QLatin1String(d.field);
        c.Title = QString::fromUtf8(d.title);
        c.Width = d.width;
        c.Alignment = c.TitleAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
        cols.push_back(c);
    }
    dbgrdhTotal->SetColumns(std::move(cols));
    // Its titles look like buttons, but a click sorts nothing here.
    dbgrdhTotal->SetTitleButtons(false);
    dbgrdhTotal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgrdhTotal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgrdhTotal->horizontalHeader()->setFixedHeight(17);
    dbgrdhTotal->verticalHeader()->setDefaultSectionSize(17);
    // qryTotal stays closed until a card is selected, so the strip starts empty.
    dbgrdhTotal->SetDataSet(&qryTotal);
}

void TSummaryStrip::LoadStatistics(int id) {
    // The grid lets go of the old row first: a statement that fails leaves the strip
    // empty rather than showing the previous card's figures.
    const TGridReload reload(dbgrdhTotal);

    const QDate today = Today ? Today() : QDate::currentDate();
    const QString monthStart = QDate(today.year(), today.month(), 1).toString(StoredDateFormat);
    const QString day = today.toString(StoredDateFormat);
    const QString tomorrow = today.addDays(1).toString(StoredDateFormat);

    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("select id, name, ")
          << FormatSQL(QStringLiteral("(select balance from account where id=%d) as BalanceThis,"),
                       {id})
          << QStringLiteral("(select sum(balance) from account) as balanceTotal,")
          << QStringLiteral("IIF(BalanceTotal=0, 0, BalanceThis / BalanceTotal) as BalancePercent,")
          << FormatSQL(
                 QStringLiteral("(select sum(amount) from detail where destid=%d and type=0 and "
                                "Date between #%s# and #%s#) as MonthDeposit,"),
                 {id, monthStart, tomorrow})
          << FormatSQL(
                 QStringLiteral("(select sum(amount) from detail where destid=%d and type=1 and "
                                "Date between #%s# and #%s#) as MonthDebit,"),
                 {id, monthStart, tomorrow})
          << FormatSQL(
                 QStringLiteral("(select sum(amount) from detail where destid=%d and type=0 and "
                                "Date between #%s# and #%s#) as TodayDeposit,"),
                 {id, day, tomorrow})
          << FormatSQL(
                 QStringLiteral("(select sum(amount) from detail where destid=%d and type=1 and "
                                "Date between #%s# and #%s#) as TodayDebit"),
                 {id, day, tomorrow})
          << FormatSQL(QStringLiteral("from account where id=%d"), {id});
    q.Open();

    const QString name = q.FieldByName(QStringLiteral("name")).AsString();
    // The engine's own quotient is a floating-point one: balances that cancel out sum to
    // a trace like 4e-16 rather than 0, and the ratio then goes through the roof. The
    // share is worked out from the two balances as money instead, 0 when all of them
    // come to 0 to the ten-thousandth.
    const QString percent = PercentText(q.FieldByName(QStringLiteral("BalanceThis")).AsMoney(),
                                        q.FieldByName(QStringLiteral("balanceTotal")).AsMoney());
    auto money = [&](const char* field) {
        return Format(QStringLiteral("%m"), {q.FieldByName(QLatin1String(field)).AsMoney()});
    };
    const QString monthDeposit = money("MonthDeposit"), monthDebit = money("MonthDebit");
    const QString todayDeposit = money("TodayDeposit"), todayDebit = money("TodayDebit");

    qryTotal.SQL.clear();
    qryTotal.SQL << FormatSQL(
        QStringLiteral("select '%s' as name, '%s%%' as BalancePercent, '%s' as "
                       "MonthDeposit, '%s' as MonthDebit, '%s' as TodayDeposit, "
                       "'%s' as TodayDebit"),
        {name, percent, monthDeposit, monthDebit, todayDeposit, todayDebit});
    qryTotal.Open();
}

void TSummaryStrip::ResizeColumns(int width) {
    for (int c = 0; c < dbgrdhTotal->ColumnCount(); ++c)
        dbgrdhTotal->setColumnWidth(c, width / 6 - 1);
}
