#pragma once

#include "TestEnv.h"

#include <QString>

// Small helpers that put rows straight into the test database.
inline int addAccount(TestEnv& env, const QString& name, int type,
                      const QString& balance = QStringLiteral("0")) {
    QString quoted = name;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    env.sql(QStringLiteral("insert into Account (name, type, Balance) values ('%1', %2, %3)")
                .arg(quoted)
                .arg(type)
                .arg(balance));
    return env.sql(QStringLiteral("select max(ID) from Account")).toInt();
}

inline void addDetail(TestEnv& env, int account, int type, const QString& date,
                      const QString& amount, const QString& from = QStringLiteral("shop"),
                      const QString& memo = QString()) {
    env.sql(QStringLiteral("insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
                           "values (%1, %2, '%3', '%4', %5, 'food', '%6')")
                .arg(type)
                .arg(account)
                .arg(date, from, amount, memo));
}

inline void addTransfer(TestEnv& env, int source, int dest, const QString& date,
                        const QString& amount, const QString& from = QStringLiteral("me")) {
    env.sql(
        QStringLiteral("insert into Transfer (SourceID, DestID, Date, [From], Amount, [For], Memo) "
                       "values (%1, %2, '%3', '%4', %5, 'move', '')")
            .arg(source)
            .arg(dest)
            .arg(date, from, amount));
}
