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
class TImageBase;

// Enters or edits one transfer between any two accounts or wallets (even a row and
// itself): a Transfer row and both balances, written in one database transaction.
class TFrmTransfer : public TEntryWindow {
    Q_OBJECT
public:
    explicit TFrmTransfer(QWidget* parent = nullptr);

    // For a new transfer: the rows to preselect, 0 for none.
    void SetEndpoints(int sourceId, int destId);
    // For an edit: loads the Transfer row; its two rows are selected at the first showing.
    void LoadForEdit(int id);

    static const QString AccountHeader; // "---Account---"
    static const QString WalletHeader;  // "---Wallet---"

    int SourceId = 0;
    int DestId = 0;
    int EditId = 0; // below 1: a new transfer
    Money OldAmount;
    PDataInfo SourceInfo;
    PDataInfo DestInfo;

    QGroupBox* grpSource = nullptr;
    TImageBase* imgSource = nullptr;
    QLabel* lblChange1 = nullptr;
    QComboBox* cbbInf1 = nullptr;
    QGroupBox* grpDest = nullptr;
    TImageBase* imgDest = nullptr;
    QLabel* lblChange2 = nullptr;
    QComboBox* cbbInf2 = nullptr;
    QGroupBox* grp3 = nullptr;
    QLabel* lblDate = nullptr;
    QDateEdit* dtpDate = nullptr;
    QLabel* lblFrom = nullptr;
    QComboBox* cbbFrom = nullptr;
    QLineEdit* edtAmmount = nullptr;
    QLabel* lblFor = nullptr;
    QLineEdit* edtFor = nullptr;
    QLabel* lblMemo = nullptr;
    QPlainTextEdit* mmoMemo = nullptr;
    QPushButton* btn1 = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btn3 = nullptr;

    QDateTime RecordDateTime() const;
    void FillAccountLists();
    void ApplyEndpoints();

public slots:
    void FormActivate() override;
    void cbbInf1Change();
    void cbbInf2Change();
    void btnSaveClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void buildControls();
    void applyEndpoint(int id, QComboBox* list, PDataInfo& info, TImageBase* card);
    void chooseEntry(QComboBox* list, PDataInfo& info, TImageBase* card);
    void openRow();
    void saveRecord(Money amount);

    // What the edited transfer holds in the file, read inside the save's transaction: a
    // second copy of the program may have changed it since the window opened.
    Money m_storedAmount;
    int m_storedSourceId = 0;
    int m_storedDestId = 0;
};
