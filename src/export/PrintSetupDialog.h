#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPrintDBGridEh;

// The setup dialog of the print component: margins, how the grid fits the page, the
// print font and the system printer setup. Created once and kept.
class TfPrnDBGridEhSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfPrnDBGridEhSetupDialog(QWidget* parent = nullptr);

    // Fills the dialog from the component, shows it, and on OK writes every value back.
    // True when the component took the new values (the caller lays out again).
    bool Execute(TPrintDBGridEh& component);

    QGroupBox* grpMargins;
    QLineEdit* seUpMargin;
    QLineEdit* seLowMargin;
    QLineEdit* seLeftMargin;
    QLineEdit* seRightMargin;
    QCheckBox* cbFitWidthToPage;
    QGroupBox* rgFitingType;
    QRadioButton* rbScaleGrid;
    QRadioButton* rbColWidths;
    QCheckBox* cbOptimalColWidths;
    QCheckBox* cbAutoStretch;
    QCheckBox* cbColored;
    QLineEdit* ePrintFont;
    QPushButton* bPrintFont;
    QPushButton* bPrinterSetupDialog;
    QPushButton* bOk;
    QPushButton* bCancel;

public slots:
    void cbFitWidthToPageClick();
    void bPrintFontClick();
    void bPrinterSetupDialogClick();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void checkMargin(QLineEdit* edit);
    bool writeBack(TPrintDBGridEh& component);
    bool m_checking = false;
};

// The process's setup dialog.
TfPrnDBGridEhSetupDialog& PrintSetupDialog();
