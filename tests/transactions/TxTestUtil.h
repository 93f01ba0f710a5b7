#pragma once

#include "TestEnv.h"
#include "data/Money.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

// Shared set-up for the entry window tests.
namespace TxTest {

// The windows draw their cards from res/*.bmp beside the program. When the real
// pictures are not in the source tree yet, plain ones in the test folder do.
inline void EnsureCardBitmaps(const TestEnv& env) {
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

// Adds an Account row (type 0 bank, 1 card, 2 wallet) and returns its id.
inline int AddAccount(TestEnv& env, const QString& name, int type,
                      const QString& balance = QStringLiteral("0")) {
    env.sql(QStringLiteral("insert into Account (name, type, Balance) values ('%1', %2, %3)")
                .arg(name)
                .arg(type)
                .arg(balance));
    return env.sql(QStringLiteral("select max(ID) from Account")).toInt();
}

// The stored balance as plain text ("110.01"), read back from the file.
inline QString Balance(TestEnv& env, int id) {
    return Money::fromDouble(
               env.sql(QStringLiteral("select Balance from Account where ID=%1").arg(id))
                   .toDouble())
        .toPlainString();
}

inline int Count(TestEnv& env, const QString& table) {
    return env.sql(QStringLiteral("select count(*) from %1").arg(table)).toInt();
}

// Makes every balance update fail, as a database error in the middle of a save would.
inline void BreakBalanceUpdates(TestEnv& env) {
    env.sql(QStringLiteral("CREATE TRIGGER test_break BEFORE UPDATE ON Account "
                           "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
}

inline void MendBalanceUpdates(TestEnv& env) {
    env.sql(QStringLiteral("DROP TRIGGER test_break"));
}

} // namespace TxTest
