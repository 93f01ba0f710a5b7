#pragma once

#include "data/UtDM.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// Creates a bank account or credit card, or shows one for viewing and changing.
// The balance is shown, never written.
class TFrmBankAccount : public QDialog {
    Q_OBJECT
public:
    explicit TFrmBankAccount(QWidget* parent = nullptr);

    // Puts the window in edit mode for this account; none keeps the new mode.
    void ShowAccount(const PDataInfo& info);

    PDataInfo Info; // the account being viewed, or none for a new one

    QGroupBox* grp1;
    QLineEdit* edtName;
    QLabel* lblBalance;
    QRadioButton* rbTypeBank;
    QRadioButton* rbTypeCredit;
    QGroupBox* grp2;
    QCheckBox* chkNegative;
    QCheckBox* chkWarn;
    QGroupBox* grp3;
    QLineEdit* edtURL;
    QPlainTextEdit* Memo;
    QPushButton* btnHelp;
    QPushButton* btnSave;
    QPushButton* btnClose;

public slots:
    void FormCreate();
    void chkNegativeClick();
    void btnSaveClick();
};
