#pragma once

#include "data/Money.h"
#include "data/UtQuery.h"

#include <QObject>
#include <QString>
#include <memory>

class QWidget;
class TImageBase;

// The in-memory copy of one Account row.
struct TDataInfo {
    int ID = 0; // 0: no row was found
    QString Name;
    Money Balance;
    int AccType = 0; // 0 bank account, 1 credit card, 2 wallet
    bool Negative = false;
    bool WarnNegative = false;
    QString URL;
    QString Memo;
    TImageBase* Card = nullptr; // the card that shows this record, if any
};
// Records are shared by whoever holds them (cards, editors, entry windows).
using PDataInfo = std::shared_ptr<TDataInfo>;

// The object attached to an account or wallet entry of a drop-down list.
struct TCboItem {
    TCboItem(int id, const QString& text) : ID(id), Name(text) {}
    int ID;
    QString Name;
};

// The data module: owner of the one connection and of the shared query.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    TConnection conn;
    TQuery m_Query{&conn};

    // Opens Data.mdb in the program's folder. A failure goes to the top-level error
    // report and start-up goes on; every later statement then fails the same way. A
    // lock another program holds is waited for (StartupLockWaitMs, with the wait
    // cursor); one still held is reported, and later commands work once it is gone. A
    // file that cannot be written is opened, with a notice that changes cannot be saved.
    void DataModuleCreate();
    static int StartupLockWaitMs;

    // The file opened and its accounts could be read: the main window builds its
    // cards and list at start-up only then, so a failure is reported just once.
    bool Ready() const { return m_ready; }

    // The shared query, closed and emptied of its text and parameters, ready for the
    // next statement: every use of m_Query starts here.
    static TQuery& FreshQuery();

    static Money GetWalletTotal();
    static Money GetAccountTotal();
    static PDataInfo LoadAccountInfo(int id);
    static PDataInfo FindAccountInfo(const QString& name, bool isWallet);
    static bool DeleteAccountRow(int id);
    // The program's "Error" box: the error icon, the text and OK, belonging to the
    // owner's window (to none without an owner).
    static void ShowErrorMessage(const QString& text, QWidget* owner = nullptr);
    template <class T> static T ChooseValue(bool condition, const T& a, const T& b) {
        return condition ? a : b;
    }

    // Fills a record from the current row of a query (ID, name, type, Balance,
    // negative, WarnNegative, URL, Memo; columns a statement lacks stay as they are).
    static void FillInfo(TDataInfo& info, TQuery& q);

private:
    bool m_ready = false;
};

// The one data module, created first at start-up.
extern TDM* DM;
