#pragma once

#include "import/CsvReader.h"
#include "import/ImportStore.h"
#include "import/StatementFile.h"

#include <QDialog>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TImportModel;

// The Import Statement window: a bank statement file (CSV, OFX or QFX, QIF) read into a
// preview of its lines, each New, Duplicate or Error against the account or wallet it
// goes into; OK saves the checked lines into it in one database transaction.
class TFrmImport : public QDialog {
    Q_OBJECT
public:
    explicit TFrmImport(QWidget* parent = nullptr);
    ~TFrmImport() override;

    // The account or wallet to import into; 0 chooses the first account.
    void PresetAccount(int id);
    // Reads a statement file, asking what the file does not tell (a CSV file's columns,
    // the order of day and month), and marks its lines. A file that cannot be read is
    // reported in one message naming it; false when nothing was read.
    bool LoadFile(const QString& path);

    int TargetId() const;
    TImportModel* Model() const { return m_model; }

    QLineEdit* edtFile = nullptr;
    QPushButton* btnBrowse = nullptr;
    QLabel* lblFormat = nullptr;
    QComboBox* cbbStatementAccount = nullptr; // the accounts the file speaks of
    QComboBox* cbbAccount = nullptr;          // the account or wallet to import into
    QPushButton* btnColumns = nullptr;        // the mapping of a CSV file's columns
    QTableView* grdLines = nullptr;
    QLabel* lblSummary = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

public slots:
    void btnBrowseClick();
    void btnColumnsClick();
    void btnOKClick();
    void cbbAccountChange();
    void cbbStatementAccountChange();

private:
    void buildControls();
    void showError(const QString& text);
    // The mapping of a CSV file: the one remembered for its header (unless `always`), else
    // the one the user confirms; none when the user cancels.
    std::optional<ImportStore::TMappingToKeep> askMapping(const TCsvTable& table,
                                                          const QString& fileName, bool always);
    void showStatement(std::unique_ptr<TStatement> statement);
    void fillSides();
    void markRows();
    void updateSummary();

    TImportModel* m_model = nullptr;
    TStatementFile m_file;
    std::unique_ptr<TStatement> m_statement;
    std::optional<ImportStore::TMappingToKeep> m_mapping; // a CSV file's, to be remembered
    int m_presetId = 0;
};
