#pragma once

#include "data/UtQuery.h"
#include "reports/ReportNumbers.h"

#include <QDialog>
#include <optional>
#include <utility>

class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QSplitter;
class QToolBar;
class QToolButton;
class TDBGridEh;
class TPrintDBGridEh;

// The reports window: where the money went, as a chart and, beside it, the same numbers
// in a table. Along the top the accounts and wallets, the period and the report are
// chosen; the toolbar copies the table, saves the chart and prints both.
class TFrmReports : public QDialog {
    Q_OBJECT
public:
    explicit TFrmReports(QWidget* parent = nullptr);
    ~TFrmReports() override;

    enum Report { IncomeByMonth, SpendingByPurpose, BalanceOverTime };

    QToolBar* tlb1 = nullptr;
    QToolButton* btnCopy = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnHelp = nullptr;
    QToolButton* btnToolExit = nullptr;

    QFrame* pnl1 = nullptr;
    QComboBox* cbbAccWal = nullptr;
    QComboBox* cbbPeriod = nullptr;
    QDateEdit* dtpFrom = nullptr;
    QDateEdit* dtpTo = nullptr;
    QComboBox* cbbReport = nullptr;

    QSplitter* splitter = nullptr;
    QChart* chart = nullptr;
    QChartView* chvReport = nullptr;
    TDBGridEh* dbgrdhReport = nullptr;
    TQuery qryReport;
    TPrintDBGridEh* prntReport = nullptr;

    // The day the presets count from; today unless a test fixes it.
    QDate Today;

    TReportScope Scope() const;
    TReportPeriod Period() const;
    // Works the chosen report out again and shows its chart and table.
    void LoadReport();
    // The table as tab-separated lines: titles, rows, the footer.
    QString TableText() const;
    // Writes the chart to a file: PNG, SVG or PDF by the name's extension. Throws with
    // the file's name when it cannot be written; whatever was there stays then.
    void SaveChart(const QString& fileName) const;

public slots:
    void FormActivate();
    void cbbAccWalChange();
    void cbbPeriodChange();
    void dtpRangeChange();
    void cbbReportChange();
    void btnCopyClick();
    void btnSaveClick();
    void btnPrintClick();
    void btnHelpClick();
    void btnToolExitClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildToolbar();
    void buildChoices();
    void buildBody();
    // A column whose sum the footer shows, with the exact total of its amounts (none for
    // a column of counts).
    using TFooterSum = std::pair<int, std::optional<MoneySum>>;
    // The table's columns are the names, its rows the values.
    void showTable(const QStringList& names, const std::vector<std::vector<QVariant>>& rows,
                   const std::vector<TFooterSum>& sums);
    void applyPreset();

    bool m_activated = false;
};
