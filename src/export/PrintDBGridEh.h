#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class TDBGridEh;
class TVirtualPrinter;

enum TPrintDBGridEhOption {
    pghFitGridToPageWidth = 0x01,
    pghColored = 0x02,
    pghRowAutoStretch = 0x04,
    pghFitingByColWidths = 0x08,
    pghOptimalColWidths = 0x10,
};
using TPrintDBGridEhOptions = int;

enum class TMeasureUnits { MM, Inches };

// A page margin: a fixed-point number with four decimals, kept as ten-thousandths.
struct TMargin {
    qint64 Raw = 20000;
    static TMargin FromRaw(qint64 raw) { return TMargin{raw}; }
    bool operator==(const TMargin&) const = default;
};

struct TPageParams {
    TMargin TopMargin, BottomMargin, LeftMargin, RightMargin;
};

enum class TPageColontitleLineType { pcltNon, pcltSingleLine, pcltDoubleLine };

// Text printed at the top or the bottom of every page.
struct TPageColontitle {
    QStringList LeftText, CenterText, RightText;
    QFont Font;
    TPageColontitleLineType LineType = TPageColontitleLineType::pcltNon;
    TPageColontitle();
    bool IsEmpty() const;
};

// Lays a grid out on the pages of a printer; the history window keeps one per window
// with its print settings, and prints only through the preview.
class TPrintDBGridEh : public QObject {
    Q_OBJECT
public:
    explicit TPrintDBGridEh(QObject* owner = nullptr);
    ~TPrintDBGridEh() override;

    // The grid to print; forgotten when the grid is destroyed.
    QPointer<TDBGridEh> DBGridEh;
    TPrintDBGridEhOptions Options = 0;
    TPageParams Page;
    TPageColontitle PageHeader, PageFooter;
    QStringList Title;
    QString PrintFontName;
    QString BeforeGridText, AfterGridText; // rich text (HTML)
    std::function<void()> OnBeforePrint, OnAfterPrint, OnPrinterSetupDialog;

    TMeasureUnits Units() const { return m_units; }
    // Converts the four margins to the new unit.
    void SetUnits(TMeasureUnits units);

    // Lays the grid out in the process's preview window and shows it.
    void Preview();
    // Lays the grid out on any printer. Does nothing when there is no grid or no open data.
    void Print(TVirtualPrinter& printer);
    // The setup dialog for this component; on OK the preview is laid out again.
    void DefaultSetup();

    bool CanPrint() const;

private:
    TMeasureUnits m_units = TMeasureUnits::MM;
};
