#pragma once

#include "import/CsvReader.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;

// The column-mapping step of a CSV statement: which column holds the date, the amount
// (one signed column, or money in and money out), the party, the purpose and the memo,
// in which order the dates give day and month, and which sign starts the decimals.
// It starts from the program's guess; the mapping confirmed with OK is what the import
// uses (and remembers for files with the same header).
class TFrmCsvColumns : public QDialog {
    Q_OBJECT
public:
    TFrmCsvColumns(QWidget* parent, const TCsvTable& table, const TCsvGuess& guess);

    TCsvMapping Mapping() const { return m_mapping; }

    QCheckBox* chkHeader = nullptr;
    QTableWidget* grdSample = nullptr;
    QComboBox* cbbDate = nullptr;
    QRadioButton* rbSigned = nullptr;
    QRadioButton* rbInOut = nullptr;
    QComboBox* cbbAmount = nullptr;
    QComboBox* cbbIn = nullptr;
    QComboBox* cbbOut = nullptr;
    QComboBox* cbbParty = nullptr;
    QComboBox* cbbPurpose = nullptr;
    QComboBox* cbbMemo = nullptr;
    QComboBox* cbbDateOrder = nullptr; // day first, month first, year first
    QComboBox* cbbDecimal = nullptr;   // point, comma
    QLabel* lblAmbiguous = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

public slots:
    void btnOKClick();
    void chkHeaderClick();
    // A column was chosen for the date or an amount: its values say the formats anew.
    void columnChange();

private:
    void fillSample();
    void fillColumnLists();
    TCsvMapping fromControls() const;

    const TCsvTable& m_table;
    TCsvMapping m_mapping;
    bool m_filling = false;
};
