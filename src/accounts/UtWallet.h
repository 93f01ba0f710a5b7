#pragma once

#include "data/UtDM.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Creates a wallet, or shows one with its balance and its share of all balances.
// Neither the balance nor the kind is ever written.
class TFrmWallet : public QDialog {
    Q_OBJECT
public:
    explicit TFrmWallet(QWidget* parent = nullptr);

    // Puts the window in edit mode for this wallet; none keeps the new mode.
    void ShowWallet(const PDataInfo& info);

    // The wallet's share of all balances in whole percent, and as the label shows it.
    static WideInt ShareOfTotal(Money balance, Money total);
    static QString ShareText(Money balance, Money total);

    PDataInfo Info; // the wallet being viewed, or none for a new one

    QGroupBox* grp1;
    QLineEdit* edtName;
    QLabel* lblBalance;
    QLabel* lblOfAccounts;
    QGroupBox* grp2;
    QCheckBox* chkNegative;
    QCheckBox* chkWarn;
    QGroupBox* grp3;
    QLineEdit* edtURL;
    QPlainTextEdit* Memo;
    QPushButton* btnHelp;
    QPushButton* btnOK;
    QPushButton* btnClose;

public slots:
    void FormCreate();
    void chkNegativeClick();
    void btnOKClick();
};
