#pragma once

#include "history/HistoryLists.h"

#include <QDateTime>
#include <QDialog>

class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The history window's query dialog: a date range, an account or wallet (or all
// accounts, or all wallets), a kind, texts to look for and an amount range. Created
// once with the history window and shown for every Query, so it keeps its criteria
// from one showing to the next; the window reads them through the accessors.
class TFrmHistoryQuery : public QDialog {
    Q_OBJECT
public:
    explicit TFrmHistoryQuery(QWidget* parent = nullptr);

    QDateTime GetDateFrom() const;
    QDateTime GetDateTo() const;
    int GetAccWalIndex() const;
    // The chosen account's or wallet's item; null for "-----All-----" and the headers.
    PCboItem GetSelectedItem() const;
    int GetTypeIndex() const;
    QString GetFromText() const; // without leading and trailing blanks
    QString GetMinAmountText() const;
    QString GetMaxAmountText() const;
    QString GetToText() const;
    QString GetMemoText() const;

    QGroupBox* grp1 = nullptr;
    QLabel* lbl1 = nullptr;
    QDateTimeEdit* dtp1 = nullptr;
    QLabel* lbl3 = nullptr;
    QDateTimeEdit* dtp2 = nullptr;
    QLabel* lbl2 = nullptr;
    QComboBox* cbbAccWal = nullptr;
    QLabel* lbl4 = nullptr;
    QComboBox* cbbType = nullptr;
    QGroupBox* grp2 = nullptr;
    QLabel* lbl5 = nullptr;
    QLineEdit* edtFrom = nullptr;
    QLabel* lbl6 = nullptr;
    QLineEdit* edtAmount1 = nullptr;
    QLabel* lbl9 = nullptr;
    QLineEdit* edtAmount2 = nullptr;
    QLabel* lbl7 = nullptr;
    QLineEdit* edtTo = nullptr;
    QLabel* lbl8 = nullptr;
    QLineEdit* edtMemo = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnClose = nullptr;

public slots:
    // Closes the dialog with OK only when both amounts are numbers and the minimum is
    // not above the maximum; otherwise says why and puts the focus on the amount.
    void btnOKClick();

private:
    void buildControls();
    void FormCreate();
    bool amountFails(QLineEdit* edit, const QString& message);
};
