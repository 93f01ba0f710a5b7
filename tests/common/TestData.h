#pragma once

#include "TestEnv.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>

class QDialog;
class TDBGridEh;
class TImageCtrl;
struct TDataInfo;

// Rows put straight into the test database, and reading them back. Every test file
// that needs rows takes them from here.
namespace TestData {

// Adds an Account row (type 0 bank, 1 card, 2 wallet) and returns its id. Quotes in
// the texts are doubled.
int AddAccount(TestEnv& env, const QString& name, int type,
               const QString& balance = QStringLiteral("0"), const QString& url = {});

// Adds a Detail row (type 0 deposit, 1 debit) and returns its id.
int AddDetail(TestEnv& env, int account, int type, const QString& date, const QString& amount,
              const QString& from = QStringLiteral("shop"), const QString& memo = {},
              const QString& forText = QStringLiteral("food"));

// Adds a Transfer row and returns its id.
int AddTransfer(TestEnv& env, int source, int dest, const QString& date, const QString& amount,
                const QString& from = QStringLiteral("me"), const QString& memo = {});

// The stored balance as plain text ("110.01").
QString Balance(TestEnv& env, int id);

int Count(TestEnv& env, const QString& table);

// Every account's and wallet's stored balance against what its records say (each record
// moving it by its amount rounded to two decimals): empty when all agree, otherwise one
// line per row that differs. Balances must start at 0 for this to hold.
QStringList BalanceMismatches(TestEnv& env);

// Sets every stored balance to what its records say, so that rows added straight into
// the database start out as the program would have left them.
void SettleBalances(TestEnv& env);

// The texts a grid shows in one column, top to bottom.
QStringList GridColumn(const TDBGridEh* grid, int column);

// Selects these rows of a grid (positions in list order), and only these.
void SelectGridRows(TDBGridEh* grid, std::initializer_list<int> rows);

// Makes every balance update fail, as a database error in the middle of a save would.
void BreakBalanceUpdates(TestEnv& env);
void MendBalanceUpdates(TestEnv& env);

// Makes a statement fail from the inside: an INSERT, UPDATE or DELETE on the table (for
// the rows the condition picks, e.g. "NEW.ID = 3"; empty for all) raises an error.
// Every such trigger goes again with StopFailing.
void FailOn(TestEnv& env, const QString& table, const QString& event,
            const QString& condition = {});
void StopFailing(TestEnv& env);

// Every row of the three tables as text, read through a connection of its own: two
// snapshots are equal exactly when nothing was written in between.
QString Snapshot(TestEnv& env);

// The card bitmaps in res/ beside the program; plain ones are drawn when the real
// pictures are missing.
void EnsureCardBitmaps(const TestEnv& env);

// The card of a panel list that shows the row with this id, or null.
TImageCtrl* FindCard(const QList<std::shared_ptr<TDataInfo>>& list, int id);

// Runs a command and reports every modal window it opened ("class:caption"); each is
// handed to act (which may fill and save it) or else closed with Cancel.
QStringList ModalsOpenedBy(const std::function<void()>& command,
                           const std::function<void(QDialog*)>& act = {});

} // namespace TestData

// Stands in for the HTML Help entry point and records each call as "command:data"
// (and the file it was asked for; for the index, the keyword's text).
class RecordingHelp : public IHtmlHelp {
public:
    void HtmlHelpA(QWidget*, const QString& file, int command, qintptr data) override {
        calls << QStringLiteral("%1:%2").arg(command).arg(data);
        files << file;
        if (command == HH_DISPLAY_INDEX)
            keywords << QString::fromLocal8Bit(reinterpret_cast<const char*>(data));
    }
    QStringList calls, files, keywords;
};

// The application's help file while it lives, then the one there was before.
class ScopedAppHelpFile {
public:
    explicit ScopedAppHelpFile(const QString& file);
    ~ScopedAppHelpFile();

private:
    QString m_previous;
};

// Puts a RecordingHelp in place of HTML Help while it lives, then restores what was there.
class ScopedHelpRecorder {
public:
    ScopedHelpRecorder();
    ~ScopedHelpRecorder();
    RecordingHelp* operator->() const { return m_recorder; }
    RecordingHelp& operator*() const { return *m_recorder; }

private:
    RecordingHelp* m_recorder;
    std::unique_ptr<IHtmlHelp> m_previous;
};
