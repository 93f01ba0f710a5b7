#pragma once

#include "data/Money.h"
#include "data/UtDM.h"
#include "transactions/EntryHelpers.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TImageBase;

// Enters or edits one deposit: a Detail row plus the balance of its account or
// wallet, written together in one database transaction. The debit window is the same
// window with a handful of different texts and signs (TFrmDebit below).
class TFrmDeposit : public TEntryWindow {
    Q_OBJECT
public:
    explicit TFrmDeposit(QWidget* parent = nullptr);

    // For a new record: the account or wallet the record will belong to.
    void PresetAccount(int id);
    // For an edit: loads the Detail row and the account or wallet it belongs to.
    void LoadForEdit(int id);

    int EditId = 0; // below 1: a new record
    Money OldAmount;
    PDataInfo AccountInfo;
    bool IsWallet = false;
    bool Ready = false;

    QGroupBox* grpPanel = nullptr;
    QGroupBox* grp2 = nullptr;
    TImageBase* imgCard = nullptr;
    QLabel* lblDate = nullptr;
    QDateEdit* dtpDate = nullptr;
    QLabel* lblParty = nullptr;
    QComboBox* cbbParty = nullptr; // cbbFrom in the deposit window, cbbTo in the debit window
    QLineEdit* edtAmmount = nullptr;
    QLabel* lblFor = nullptr;
    QLineEdit* edtFor = nullptr;
    QLabel* lblMemo = nullptr;
    QPlainTextEdit* mmoMemo = nullptr;
    QLabel* lblChange = nullptr;
    QRadioButton* rbAccount = nullptr;
    QRadioButton* rbWallet = nullptr;
    QComboBox* cbbInf = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnClose = nullptr;

    // The date and time of day the record is saved with.
    QDateTime RecordDateTime() const;

public slots:
    void FormActivate() override;
    void rbAccountClick();
    void cbbInfChange();
    void btnOKClick();

protected:
    enum class Kind { Deposit, Debit };
    TFrmDeposit(QWidget* parent, Kind kind);

private:
    void FormCreate();
    void LoadNameList();
    void buildControls();
    void openRow();
    void saveRecord(Money amount);

    Kind m_kind;
    // What the edited record holds in the file, read inside the save's transaction: a
    // second copy of the program may have changed it since the window opened.
    Money m_storedAmount;
    int m_storedDestId = 0;
};
